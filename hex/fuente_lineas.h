// The line source over the firmware image text that the program carries: hands the text
// out line by line, straight from the stored text, without copying it.
#pragma once

#include <cstdint>
#include <string_view>

namespace z82 {

class TFuente_lineas {
  public:
    explicit TFuente_lineas(std::string_view texto) : texto_(texto) {}

    // Copies the next line, CR LF included, into the buffer and ends it with a NUL; false
    // when the text ends first (a last line without a line feed is never handed out).
    // A line longer than the buffer is consumed whole, but only its first 255 characters
    // are kept: the buffer then holds no line feed, which the HEX reader rejects.
    bool Leer_linea(char (&linea)[256]);
    void Rebobinar() { posicion_ = 0; }
    // Moves to p when 0 <= p <= the text's length; any other value is ignored.
    void Posicionar(int32_t p);
    int32_t Posicion() const { return posicion_; }
    std::string_view Texto() const { return texto_; }

  private:
    std::string_view texto_;
    int32_t posicion_ = 0;
};

}  // namespace z82
