// The block loader: 'Z' frames collect data, '[' orders erase (or fill) a 64 KiB sector of
// the programmed flash.
#include <algorithm>
#include <cstdio>

#include "sim/medidor_simulado.h"

namespace z82::sim {

namespace {
constexpr size_t MAX_RECOGIDO = 1u << 20;

uint8_t xor_de(const std::vector<uint8_t>& t, size_t desde, size_t hasta) {
    uint8_t x = 0;
    for (size_t i = desde; i < hasta; ++i) x ^= t[i];
    return x;
}
uint32_t tres_bytes(const std::vector<uint8_t>& t, size_t i) {
    return (uint32_t{t[i]} << 16) | (uint32_t{t[i + 1]} << 8) | t[i + 2];
}
}  // namespace

void Medidor_simulado::trama_bloque(int64_t t_us) {
    // 'Z' offset(3, high first) data(128) xor(bytes 1 .. 131).
    const uint32_t desplazamiento = tres_bytes(trama_, 1);
    char texto[32];
    if (xor_de(trama_, 1, 132) != trama_[132] || desplazamiento + 128 > MAX_RECOGIDO) {
        anotar(t_us, "bloque Z rechazado");
        return;
    }
    if (recogido_.size() < desplazamiento + 128) recogido_.resize(desplazamiento + 128, 0xFF);
    std::copy(trama_.begin() + 4, trama_.begin() + 132, recogido_.begin() + desplazamiento);
    std::snprintf(texto, sizeof texto, "bloque Z %06X", desplazamiento);
    anotar(t_us, texto);
    responder(0xA5, t_us);
}

void Medidor_simulado::trama_orden(int64_t t_us) {
    // '[' 0 0 0 length(3, high first) sector p1 p2 xor(data) xor(bytes 1 .. 10).
    const uint32_t largo = tres_bytes(trama_, 4);
    const uint8_t sector = trama_[7];
    const bool datos_bien = largo <= recogido_.size() &&
                            xor_de(recogido_, 0, largo) == trama_[10] && largo <= TAM_SEGMENTO;
    if (xor_de(trama_, 1, 11) != trama_[11] || sector >= 64 || !datos_bien) {
        anotar(t_us, "orden [ rechazada");
        return;
    }
    auto& s = segmento_flash(sector);
    std::fill(s.begin(), s.end(), uint8_t{0xFF});
    std::copy(recogido_.begin(), recogido_.begin() + largo, s.begin());
    recogido_.clear();
    char texto[32];
    std::snprintf(texto, sizeof texto, "orden [ %02X", sector);
    anotar(t_us, texto);
    responder(0xB5, t_us + config.us_borrado_sector);
}

}  // namespace z82::sim
