// Loading the meter's loader code: the raw boot blocks after a 0xD5 answer, and the
// 0x04 block loads of normal mode (144 bytes: the graphics answer; 972 bytes: the flash
// loader starts).
#include <cstdio>

#include "sim/medidor_simulado.h"

namespace z82::sim {

namespace {
constexpr size_t BLOQUE_ARRANQUE = 32, BLOQUE_PANTALLA = 144, BLOQUE_CARGADOR = 972;
}

void Medidor_simulado::procesar_arranque(int64_t t_us) {
    // The boot loader takes two raw blocks: 32 bytes, then 972 bytes.
    const size_t esperado = fase_arranque_ == 0 ? BLOQUE_ARRANQUE : BLOQUE_CARGADOR;
    if (trama_.size() < esperado) return;
    if (fase_arranque_ == 0) {
        bloques_[0] = trama_;
        anotar(t_us, "carga 32");
        fase_arranque_ = 1;
        trama_.clear();
        return;
    }
    bloques_[2] = trama_;
    trama_.clear();
    anotar(t_us, "carga 972");
    // The loaded code serves the queries of normal mode from now on.
    modo_ = Modo::normal;
    responder(0xAD, t_us + config.us_carga_972);
}

void Medidor_simulado::carga_bloque(int64_t t_us) {
    const size_t n = trama_[1] | (size_t{trama_[2]} << 8);
    std::vector<uint8_t> bloque(trama_.begin() + 3, trama_.end());
    char texto[24];
    std::snprintf(texto, sizeof texto, "carga %zu", n);
    anotar(t_us, texto);
    if (n == BLOQUE_PANTALLA) {
        bloques_[1] = std::move(bloque);
        if (!config.responder_4a) return;
        // The graphics code is in: it tells where the frame buffer lies.
        pantalla_activa_ = true;
        pagina_pantalla_ = config.pagina_pantalla;
        base_pantalla_ = config.base_pantalla;
        responder({0x4A, pagina_pantalla_, static_cast<uint8_t>(base_pantalla_ >> 8),
                   static_cast<uint8_t>(base_pantalla_)},
                  t_us);
    } else if (n == BLOQUE_CARGADOR) {
        bloques_[2] = std::move(bloque);
        responder(config.byte_previo_972, t_us);
        responder(0xAD, t_us + config.us_carga_972);
        modo_ = Modo::cargador;
    }
}

}  // namespace z82::sim
