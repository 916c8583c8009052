// The meter's frame buffer: 320 x 240 pixels of two bytes (RGB565), 640 bytes a line,
// filled by the flash loader's block writes to the graphics pages.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace z82::sim {

class Pantalla {
  public:
    static constexpr uint32_t ANCHO = 320, ALTO = 240, BYTES_LINEA = ANCHO * 2;
    static constexpr uint32_t TAMANO = BYTES_LINEA * ALTO;

    Pantalla() : bytes_(TAMANO, 0) {}

    // Byte at offset desde the first pixel; writes past the last line are lost.
    void escribir(uint32_t desplazamiento, uint8_t valor) {
        if (desplazamiento < TAMANO) {
            bytes_[desplazamiento] = valor;
            ++escrituras;
        }
    }
    // Erased flash reads 0xFF: white. Erases the bytes from desde up to hasta (excluded).
    void borrar(int64_t desde = 0, int64_t hasta = TAMANO) {
        for (int64_t i = desde < 0 ? 0 : desde; i < hasta && i < int64_t{TAMANO}; ++i)
            bytes_[static_cast<size_t>(i)] = 0xFF;
    }

    const std::vector<uint8_t>& bytes() const { return bytes_; }
    // RGB565 value of a pixel, with the byte order the meter uses.
    uint16_t pixel(uint32_t x, uint32_t y, bool alto_primero = false) const;
    // Eight bits a channel, row by row, for the PNG writer.
    std::vector<uint8_t> rgb(bool alto_primero = false) const;
    bool guardar_png(const std::string& ruta, bool alto_primero = false) const;

    long escrituras = 0;

  private:
    std::vector<uint8_t> bytes_;
};

}  // namespace z82::sim
