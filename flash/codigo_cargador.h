// TCodigo_cargador: the meter's loader code. The boot load after the meter answered the
// connection probe with 0xD5 (blocks 0 and 2), and the 144-byte and 972-byte blocks that
// start the flash loader before every flash session (firmware, FPGA area, MPEG4 module).
#pragma once

#include <cstdint>

#include "protocol/espera.h"

namespace z82 {

class Contexto;
struct Bloques_cargador;

class TCodigo_cargador {
  public:
    // Limit of the wait for the boot loader's answer, counted from the start of the load.
    static constexpr int64_t LIMITE_ARRANQUE_S = 30;
    // Limit of the loader block answers, counted from hora_inicio.
    static constexpr int64_t LIMITE_BLOQUE_S = 20;

    explicit TCodigo_cargador(Contexto& ctx);
    TCodigo_cargador(const TCodigo_cargador&) = delete;
    TCodigo_cargador& operator=(const TCodigo_cargador&) = delete;

    bool Cargar_arranque();
    // The 144-byte block; a meter that can show pictures tells where its frame buffer is.
    bool Cargar_bloque_144();
    // The 972-byte block (as the MPEG4 step may have patched it); sets the run clock.
    bool Cargar_bloque_972();

    // The program's one copy of the three blocks.
    Bloques_cargador& bloques;

  private:
    // Waits for one byte while the whole seconds since inicio stay within the limit (at
    // most limite_s, or below it with Limite::alcanzado). False when none came in time.
    bool esperar_byte(uint8_t& b, int64_t inicio, int64_t limite_s,
                      Limite cuando = Limite::superado);

    Contexto& ctx_;
};

}  // namespace z82
