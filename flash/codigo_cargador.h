// TCodigo_cargador: the meter's loader code. The boot load after the meter answered the
// connection probe with 0xD5 (blocks 0 and 2), and the 144-byte and 972-byte blocks that
// start the flash loader before every flash session (firmware, FPGA area, MPEG4 module).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "protocol/canal.h"
#include "protocol/espera.h"

namespace z82 {

class TConsultas;
class TGraficos;

// The three blocks of meter loader code (32, 144 and 972 bytes). One copy for the whole
// program: the MPEG4 step patches block 2 and every later load sends the patched bytes.
struct Bloques_cargador {
    std::array<std::vector<uint8_t>, 3> bloque;
};

class TCodigo_cargador {
  public:
    // Limit of the wait for the boot loader's answer, counted from the start of the load. A
    // healthy meter answers within the two blocks' line time and its loader's start, well
    // under a second; the connection does not depend on the answer, so a meter that never
    // sends it costs no more than this.
    static constexpr int64_t LIMITE_ARRANQUE_S = 3;
    // Limit of the loader block answers, counted from the run clock hora_inicio.
    static constexpr int64_t LIMITE_BLOQUE_S = 20;

    // consultas and graficos may be null (no device to wake, a meter without pictures).
    TCodigo_cargador(Canal canal, Bloques_cargador& bloques_cargador, TConsultas* consultas,
                     TGraficos* graficos);
    TCodigo_cargador(const TCodigo_cargador&) = delete;
    TCodigo_cargador& operator=(const TCodigo_cargador&) = delete;

    bool Cargar_arranque();
    // The 144-byte block; a meter that can show pictures tells where its frame buffer is.
    bool Cargar_bloque_144(int64_t hora_inicio);
    // The 972-byte block (as the MPEG4 step may have patched it). The run clock hora_inicio
    // starts again when the block is in, and its answer counts from there.
    bool Cargar_bloque_972(int64_t& hora_inicio);

    // The program's one copy of the three blocks.
    Bloques_cargador& bloques;

  private:
    // Waits for one byte while the whole seconds since inicio stay within the limit (at
    // most limite_s, or below it with Limite::alcanzado). False when none came in time.
    bool esperar_byte(uint8_t& b, int64_t inicio, int64_t limite_s,
                      Limite cuando = Limite::superado);

    Canal canal_;
    TConsultas* consultas_;
    TGraficos* graficos_;
};

}  // namespace z82
