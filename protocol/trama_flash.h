// The frame of the meter's flash loader and the exchanges built on it: block writes with
// their recovery, page erases, the wake-up byte, the program command and the progress
// stream that follows it. The flash controller, the graphics upload, the FPGA step and the
// MPEG4 step all speak through here; what differs between them is given as a form.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "base/mapa_flash.h"
#include "protocol/canal.h"

namespace z82 {

// Commands inside the frame.
inline constexpr uint8_t CMD_BLOQUE_ESCRITURA = 0x03;
inline constexpr uint8_t CMD_BORRAR_PAGINAS = 0x07;
inline constexpr uint8_t CMD_PROGRAMAR_MAPA = 0x09;
// Bytes sent without the frame.
inline constexpr uint8_t CMD_DESPERTAR = 0xAA;
inline constexpr uint8_t CMD_CARGAR_BLOQUE = 0x04;
inline constexpr uint8_t RELLENO = 0xFF;  // filler sent while the loader recovers

// Reply bytes of the loader.
inline constexpr uint8_t RESP_BLOQUE_OK = '0';
inline constexpr uint8_t RESP_REPETIR = '?';
inline constexpr uint8_t RESP_DESPIERTO = 'f';
inline constexpr uint8_t RESP_BORRADO = 'p';
inline constexpr uint8_t RESP_CODIGO_CARGADO = 0xAD;
inline constexpr uint8_t RESP_BLOQUE_144 = 0x4A;
// Markers of the progress stream (each counts when it comes twice in a row).
inline constexpr uint8_t MARCA_FIN = 0x80;
inline constexpr uint8_t MARCA_BORRADO = 0x8A;
inline constexpr uint8_t MARCA_GRABADO = 0x8B;

// Most data bytes one block write can carry: the length byte covers n + 4 bytes.
inline constexpr int MAX_DATOS_BLOQUE = 251;

// XOR of count bytes; zero or a negative count gives 0.
uint8_t Xor_trama(const uint8_t* bytes, int count);

// One frame: command, L, L - 1 parameter bytes, XOR of the L bytes from L on.
class Trama_flash {
  public:
    static constexpr int MAX_PARAMETROS = 254;

    // A frame whose parameters do not fit is left invalid (empty).
    Trama_flash(uint8_t comando, std::span<const uint8_t> parametros);

    static Trama_flash Bloque_escritura(uint16_t direccion, uint8_t pagina,
                                        std::span<const uint8_t> datos);
    static Trama_flash Borrar_paginas(uint8_t primera, uint8_t ultima);
    static Trama_flash Programar_mapa(const Mapa_segmentos& mapa);

    bool valida() const { return tamano_ > 0; }
    const uint8_t* data() const { return bytes_.data(); }
    uint32_t size() const { return static_cast<uint32_t>(tamano_); }
    std::span<const uint8_t> bytes() const { return {bytes_.data(), size()}; }

  private:
    Trama_flash() = default;
    std::array<uint8_t, MAX_PARAMETROS + 3> bytes_{};
    int tamano_ = 0;
};

// How a user of the block write cancels and recovers.
enum class Cancelacion {
    ninguna,     // abortar is not looked at
    inmediata,   // abortar gives up the first wait at once
    tras_pausa,  // abortar gives up the first wait after a 300 ms pause
};

struct Forma_bloque {
    // Pages below 0x80 are not sent and the write counts as done.
    bool omitir_paginas_bajas = false;
    Cancelacion cancelacion = Cancelacion::tras_pausa;
    // First wait for '0', in whole seconds.
    int espera_s = 2;
    // Simple recovery: no purge and no filler, the frame once more and one more wait.
    // Otherwise the loader is prodded with filler bytes until it asks for the block again.
    bool recuperacion_simple = false;
    int limite_relleno_s = 5;
};

namespace formas {
inline constexpr Forma_bloque bloque_controlador{false, Cancelacion::tras_pausa, 2, false, 5};
inline constexpr Forma_bloque bloque_graficos{true, Cancelacion::inmediata, 2, false, 5};
inline constexpr Forma_bloque bloque_mpeg4{true, Cancelacion::tras_pausa, 2, false, 5};
// The FPGA block write's wait for '0' is meant to last a second; counted in whole seconds a
// limit of 1 may end a few milliseconds after the frame went out, before the meter could
// answer, and the answer that comes late is then taken for the next block's. A limit of 2
// whole seconds waits at least one full second.
inline constexpr Forma_bloque bloque_fpga{false, Cancelacion::ninguna, 2, true, 5};
}  // namespace formas

// A stop asked by the user is honoured after this pause, so that the loader finishes the
// block it is taking.
inline constexpr int PAUSA_CANCELACION_MS = 300;
// Lets pending messages run; true when the run has been stopped meanwhile (after the pause).
bool Cancelado_tras_pausa(const Canal& canal);

// One block write of n data bytes at the 16-bit address of a page, with its recovery.
// n above MAX_DATOS_BLOQUE (or negative) cannot be framed: false, nothing sent.
bool Enviar_bloque(const Canal& canal, const Forma_bloque& forma, int n, uint16_t direccion,
                   uint8_t pagina, const uint8_t* datos);

// A request answered by one byte (the page erase, the wake-up): attempts, each one
// draining, sending and waiting for the answer.
struct Forma_espera {
    int intentos = 1;
    // The answer counts only while fewer than limite_s whole seconds have passed.
    int limite_s = 5;
    // Count from the run clock given rather than from each attempt's start.
    bool desde_hora_inicio = false;
    // Pause after every attempt, the good one included.
    int pausa_ms = 500;
    bool pitar_si_erronea = false;   // another byte came
    bool pitar_si_silencio = false;  // nothing came in time
};

namespace formas {
// Flash controller: 3 attempts, answer within 4 s.
inline constexpr Forma_espera borrado_controlador{3, 5, false, 500, false, false};
// FPGA step: 5 attempts, answer within 2 s.
inline constexpr Forma_espera borrado_fpga{5, 3, false, 500, false, false};
// MPEG4 step: 3 attempts of 10 s, every failed one beeps.
inline constexpr Forma_espera borrado_mpeg4{3, 10, false, 500, true, true};
// Graphics pages: one attempt while no more than 30 s have passed since hora_inicio; a
// wrong answer beeps, silence does not.
inline constexpr Forma_espera borrado_graficos{1, 31, true, 0, true, false};
// Wake-up of the loader: 5 attempts, 'f' within 2 s.
inline constexpr Forma_espera despertar{5, 3, false, 500, false, false};
}  // namespace formas

// Erase pages primera .. ultima: true when 'p' came in time in one of the attempts.
// hora_inicio: the run clock, for a form that counts from it.
bool Borrar_paginas(const Canal& canal, uint8_t primera, uint8_t ultima, const Forma_espera& forma,
                    int64_t hora_inicio = 0);
// Wake the loader with 0xAA: true when 'f' came in time in one of the attempts.
bool Despertar(const Canal& canal, const Forma_espera& forma);

// Drain and send the program command with its 64 map entries. False when the port did not
// take the whole command.
bool Programar_mapa(const Canal& canal, const Mapa_segmentos& mapa);
// Send 0x0F 0xF0 and drain what the meter still sends.
void Fin_comunicacion(const Canal& canal);

// The meter's progress bytes after the program command.
enum class Suceso_progreso {
    fase_borrado,  // 0x8A 0x8A
    fase_grabado,  // 0x8B 0x8B
    marcador,      // a single 0x80, 0x8A or 0x8B
    valor,         // a progress value inside a phase
};

// Budget of the whole stream: ten minutes.
inline constexpr int64_t LIMITE_PROGRESO_S = 600;

// Follows the stream until 0x80 0x80 (true). False when a progress value comes before any
// phase (with a beep) or when limite_s whole seconds have passed since inicio. After each
// byte, pending messages run and the program pauses 100 ms. al_suceso may be empty.
bool Seguir_progreso(const Canal& canal, int64_t inicio, int64_t limite_s,
                     const std::function<void(Suceso_progreso, uint8_t)>& al_suceso);

}  // namespace z82
