// The MPEG4 transfer: the start command runs the transfer program staged at page 0x81,
// which says it is ready, takes the 9-byte order, moves the application staged from page
// 0xD0 into the module and ends with 0xBB. The meter then starts afresh.
#include <cstdio>

#include "sim/medidor_simulado.h"

namespace z82::sim {

namespace {
constexpr uint8_t SEGMENTO_TRANSFERENCIA = static_cast<uint8_t>(0x81 - 0xAB);
constexpr uint8_t SEGMENTO_APLICACION = 0xD0 - 0xAB;
constexpr uint32_t AREA_APLICACION = (0xE8 - 0xD0 + 1) * 65536u;  // pages 0xD0 .. 0xE8
constexpr int64_t US_ARRANQUE = 200'000;
}  // namespace

void Medidor_simulado::arrancar_transferencia(int64_t t_us) {
    // The patched 972-byte loader jumps to segment 3, offset 0x4120.
    const auto& b = bloques_[2];
    const bool parcheado = b.size() > 251 && b[249] == 3 && b[250] == 0x20 && b[251] == 0x41;
    if (escrito_hasta_[SEGMENTO_TRANSFERENCIA] == 0 || (config.exigir_parche_972 && !parcheado)) {
        anotar(t_us, "mpeg4 arranque fallido");
        return;  // the jump lands nowhere: the meter says nothing more
    }
    anotar(t_us, "mpeg4 arranque");
    modo_ = Modo::mpeg4;
    mpeg4_orden_.clear();
    responder(config.byte_listo_mpeg4, t_us + US_ARRANQUE);
}

void Medidor_simulado::procesar_mpeg4(int64_t t_us) {
    if (trama_.size() < 9) return;
    mpeg4_orden_ = trama_;
    trama_.clear();
    const uint32_t tamano = mpeg4_orden_[5] | (uint32_t{mpeg4_orden_[6]} << 8) |
                            (uint32_t{mpeg4_orden_[7]} << 16) | (uint32_t{mpeg4_orden_[8]} << 24);
    const bool cabecera = (mpeg4_orden_[0] == 0xCC || mpeg4_orden_[0] == 0x4C) &&
                          mpeg4_orden_[1] == 0 && mpeg4_orden_[2] == 0 && mpeg4_orden_[3] == 0x20 &&
                          mpeg4_orden_[4] == 0;
    char texto[40];
    std::snprintf(texto, sizeof texto, "mpeg4 orden %02X %u", mpeg4_orden_[0], tamano);
    anotar(t_us, texto);
    if (!cabecera || tamano == 0 || tamano > AREA_APLICACION) {
        anotar(t_us, "mpeg4 orden rechazada");
        modo_ = Modo::espera;
        return;
    }
    // What the module receives: the staged application and the transfer program.
    mpeg4_aplicacion_.resize(tamano);
    for (uint32_t i = 0; i < tamano; ++i) {
        mpeg4_aplicacion_[i] =
            preparado(static_cast<uint8_t>(SEGMENTO_APLICACION + i / 65536))[i % 65536];
    }
    const auto t = preparado(SEGMENTO_TRANSFERENCIA);
    mpeg4_transferencia_.assign(t.begin(), t.begin() + escrito_hasta_[SEGMENTO_TRANSFERENCIA]);

    const int64_t fin = t_us + config.us_programacion_mpeg4;
    ocupado_hasta_us_ = fin;
    responder(0xBB, fin);
    programar(fin, [this, fin] {
        config.mpeg4_presente = true;
        config.mpeg4 = config.mpeg4_tras_actualizar;
        modo_ = Modo::espera;
        anotar(fin, "mpeg4 fin");
    });
}

}  // namespace z82::sim
