#include "sim/pantalla.h"

#include "sim/png.h"

namespace z82::sim {

uint16_t Pantalla::pixel(uint32_t x, uint32_t y, bool alto_primero) const {
    if (x >= ANCHO || y >= ALTO) return 0;
    const size_t i = size_t(y) * BYTES_LINEA + size_t(x) * 2;
    const uint16_t a = bytes_[i], b = bytes_[i + 1];
    return static_cast<uint16_t>(alto_primero ? (a << 8) | b : (b << 8) | a);
}

std::vector<uint8_t> Pantalla::rgb(bool alto_primero) const {
    std::vector<uint8_t> r;
    r.reserve(size_t(ANCHO) * ALTO * 3);
    for (uint32_t y = 0; y < ALTO; ++y) {
        for (uint32_t x = 0; x < ANCHO; ++x) {
            const uint16_t p = pixel(x, y, alto_primero);
            const uint32_t rojo = (p >> 11) & 0x1F, verde = (p >> 5) & 0x3F, azul = p & 0x1F;
            r.push_back(static_cast<uint8_t>((rojo << 3) | (rojo >> 2)));
            r.push_back(static_cast<uint8_t>((verde << 2) | (verde >> 4)));
            r.push_back(static_cast<uint8_t>((azul << 3) | (azul >> 2)));
        }
    }
    return r;
}

bool Pantalla::guardar_png(const std::string& ruta, bool alto_primero) const {
    return escribir_png(ruta, ANCHO, ALTO, rgb(alto_primero));
}

}  // namespace z82::sim
