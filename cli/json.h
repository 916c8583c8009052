// The JSON text z82-update prints under --json. The meter's version texts are whatever
// bytes it sent, so every string is made valid UTF-8 here, and numbers are written the
// same in every locale: scripts parse the object whatever the meter or the machine did.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace z82 {

// s as a JSON string, quotes included: the quote, the backslash and the control
// characters escaped, and every byte sequence that is not well-formed UTF-8 (a stray or
// missing continuation byte, an overlong form, a surrogate, a code point above U+10FFFF)
// replaced by U+FFFD, one for each maximal ill-formed part.
std::string Cadena_json(std::string_view s);

// One JSON value written from left to right: objects and lists open and close, keys come
// before the values of an object, and the commas go where they belong.
class Escritor_json {
  public:
    Escritor_json& abrir_objeto();
    Escritor_json& cerrar_objeto();
    Escritor_json& abrir_lista();
    Escritor_json& cerrar_lista();
    // The key of the next value in the open object.
    Escritor_json& clave(std::string_view nombre);

    Escritor_json& cadena(std::string_view s);
    Escritor_json& entero(int64_t n);
    // x with the given digits after the point ("12.500"); null when it is not finite.
    Escritor_json& decimal(double x, int decimales);
    Escritor_json& logico(bool b);
    Escritor_json& nulo();

    const std::string& texto() const { return texto_; }

  private:
    void antes_de_valor();

    std::string texto_;
    // For each open object or list: whether it holds something already.
    std::vector<bool> con_algo_;
    bool tras_clave_ = false;
};

}  // namespace z82
