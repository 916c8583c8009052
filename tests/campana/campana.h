// Fault campaign: whole updates under virtual time against the simulated meter, each with
// faults drawn from a seed, and the check that matters after each one: the program says
// "updated" only when the meter holds every item it needed, byte for byte, and otherwise
// shows the failure with its texts and leaves the link closed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/config_medidor.h"

namespace z82::campana {

// What the meter needs, from its configuration alone (not from what the program read).
struct Plan_esperado {
    bool firmware = false;
    bool fpga = false;
    bool mpeg4 = false;
    bool zona = false;
    bool planes = false;   // the region's plan image goes with the firmware
    bool borrado = false;  // the memory erase runs (plan question answered OK)
    bool pregunta_planes = false;
    bool rechaza_borrado = false;  // the erase warning is answered Cancel
    bool vacio() const { return !firmware && !fpga && !mpeg4 && !zona; }
};

enum class Tipo_fallo {
    byte_perdido,
    byte_corrompido,
    byte_retrasado,
    byte_duplicado,
    byte_sustituido,
    borrado_fallido,
    relleno,  // the meter's answer to filler bytes during a recovery ('?', 'f' or none)
    silencio,
    desenchufe,
    desconexion_medidor,  // the meter sends its own 0x0A
    interrupcion,         // Ctrl-C: abortar during a run, the window closed otherwise
    ruido,                // seeded random loss and damage on every byte
    adaptador_fuera,      // the USB adapter pulled: the device fails every call from then on
    // Faults that follow the meter's own steps (Fallo_sorteado::evento), not a time:
    parada_en,       // Ctrl-C at a safe point of the run (or the window closed)
    idioma_danado,   // one byte of the language read damaged on its way to the PC
    desconexion_en,  // the meter sends its own 0x0A during the checks
};
// How many kinds strike at a drawn time (the ones up to adapter-pulled).
constexpr int kTipos_fallo = static_cast<int>(Tipo_fallo::adaptador_fuera) + 1;

struct Fallo_sorteado {
    Tipo_fallo tipo;
    bool hacia_pc = true;
    int64_t t_us = 0;
    uint8_t valor = 0;  // mask, substitute, erase answer or filler answer
    int cuenta = 0;     // failed erases
    int64_t retardo_us = 0;
    double probabilidad = 0;
    // Not empty: the fault strikes retardo_us after the meter first notes a step that
    // starts so ("programa ", "lectura 42 020E"), not at t_us.
    std::string evento;
};

struct Corrida {
    uint64_t semilla = 0;
    sim::Config_medidor config;
    bool respuesta_planes = true;
    bool respuesta_borrado = true;
    std::vector<Fallo_sorteado> fallos;
    Plan_esperado plan;
    std::string descripcion;
};

enum class Desenlace {
    exito_verificado,     // "updated", and the meter holds every item
    fallo_informado,      // failure shown with its texts (or no meter, stopped, refused)
    exito_falso,          // "updated" or "nothing to do" although an item is missing
    fallo_mal_informado,  // a failure without its texts, the link left open, or busy
    colgado,              // past the bound of virtual time (or of real time)
    caido,                // the run crashed
    // "updated" or "nothing to do" without the module's update, because no byte of the
    // module's answer reached the program (the request or the whole answer was lost, or
    // the meter left): the program cannot tell that from a meter without a module, and
    // asking every meter twice would cost each one without a module 10 s. A limit of the
    // protocol, counted apart.
    modulo_no_oido,
};

const char* Nombre(Desenlace d);

struct Informe {
    Desenlace desenlace = Desenlace::fallo_informado;
    std::string detalle;
    double segundos_virtuales = 0;
    // With Opciones_corrida::bitacora: what the meter did, as "<seconds> <what>" lines.
    std::vector<std::string> bitacora;
};

struct Opciones_corrida {
    // Virtual time past which a run counts as hung.
    int64_t limite_virtual_us = 3600LL * 1'000'000;
    // Source folder, for the language file.
    std::string fuentes;
    // Keep the meter's log of the run in the report (for replaying one seed).
    bool bitacora = false;
};

// The run that a seed gives: configuration, answers and faults.
Corrida Sortear(uint64_t semilla);
// Executes the run in this process and checks it.
Informe Ejecutar(const Corrida& c, const Opciones_corrida& o);

// What a reference run without faults leaves in the EEPROM (computed once, together with
// the other references: call it before forking, so that children share them).
const std::vector<uint8_t>& Eeprom_referencia(const Opciones_corrida& o, int tipo_plan);
// Computes every reference; false when a run without faults does not succeed.
bool Preparar(const Opciones_corrida& o);

// The bytes of a whole update without faults of a meter that needs every item (erase,
// MPEG4 module, FPGA area, firmware with plans, zone), in order, without their times: one
// line for each run of bytes in one direction ("> " to the meter, "< " from it), then the
// outcome. Two builds that speak the same protocol give the same lines.
std::vector<std::string> Traza_protocolo(const Opciones_corrida& o);

}  // namespace z82::campana
