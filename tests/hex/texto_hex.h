// Builds Intel HEX lines for the reader and scan tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace z82::prueba {

inline std::string Linea_hex(uint8_t tipo, uint16_t dir, const std::vector<uint8_t>& d) {
    static const char H[] = "0123456789ABCDEF";
    std::string s = ":";
    unsigned suma = static_cast<unsigned>(d.size()) + (dir >> 8) + (dir & 0xFF) + tipo;
    auto par = [&](unsigned b) {
        s += H[(b >> 4) & 15];
        s += H[b & 15];
    };
    par(static_cast<unsigned>(d.size()));
    par(dir >> 8u);
    par(dir & 0xFFu);
    par(tipo);
    for (uint8_t b : d) {
        par(b);
        suma += b;
    }
    par((0x100 - (suma & 0xFF)) & 0xFF);
    return s + "\r\n";
}

inline std::string Segmento_hex(uint8_t s) { return Linea_hex(4, 0, {0, s}); }
inline std::string Datos_hex(uint16_t dir, const std::string& texto) {
    return Linea_hex(0, dir, std::vector<uint8_t>(texto.begin(), texto.end()));
}
inline const std::string FIN_HEX = ":00000001FF\r\n";

}  // namespace z82::prueba
