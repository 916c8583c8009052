// The update run over one session: the plan question and the erase warning, then the items
// in their fixed order (memory erase, MPEG4 module, FPGA, main firmware with the plans,
// zone), with the pauses and reconnections between them, and the closing pair at the end.
// It takes the session, the plan and an observer, and returns what it did.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/decidir_plan.h"
#include "app/observador.h"
#include "app/sesion_medidor.h"

namespace z82 {

class TFuente_lineas;
class TLector_hex;
class TFParam_defecto;

// The items of an update run, in the order it writes them. The channel plans travel inside
// the firmware write.
enum class Elemento { borrado, mpeg4, fpga, firmware, planes, zona };
// "memory erase", "MPEG4 module application", "FPGA configurations", "main firmware",
// "channel plans", "zone configuration".
const char* Nombre_elemento(Elemento e);

// One item of the update run: which it is, whether the plan has it, whether it still runs
// after a failure, the work (with what comes before the counter moves and after the work;
// the work is told whether it may write), and the pause and reconnection that follow it
// while more items are to come.
struct Paso_actualizacion {
    Elemento elemento;
    bool marcado;
    bool tras_fallo;
    std::function<void()> antes;
    std::function<bool(bool escribir)> trabajo;
    std::function<void()> despues;
    int pausa_ms;
    bool reconectar;
};

// How an update run ended.
enum class Fin_actualizacion {
    correcta,           // every item that ran succeeded
    fallo,              // an item failed
    detenida,           // the user asked the run to stop
    borrado_rechazado,  // the user refused the memory erase: nothing ran
    zona_no_escrita,    // the firmware was programmed, its zone configuration failed
};

// What an update run did: how it ended, the items written and those of the plan that were
// not, the item that failed and why, in the meter's terms.
struct Desenlace_actualizacion {
    Fin_actualizacion fin = Fin_actualizacion::correcta;
    std::vector<Elemento> escritos;
    std::vector<Elemento> no_escritos;
    std::optional<Elemento> fallido;
    std::string motivo;
    // The user declined the new channel plans: the meter keeps its own.
    bool planes_rechazados = false;
};

// The carried firmware image: its lines, its reader (null when the image is damaged) and
// the segments it fills.
struct Imagen_llevada {
    TFuente_lineas* fuente = nullptr;
    TLector_hex* lector = nullptr;
    std::array<bool, 64> segmentos{};
};

class Ejecucion_actualizacion {
  public:
    Ejecucion_actualizacion(Sesion_medidor& sesion, const Plan& plan, Observador& observador,
                            const Imagen_llevada& imagen);

    // The two questions, then the items. Once the firmware is programmed, a stop waits for
    // its zone configuration.
    Desenlace_actualizacion Ejecutar();

    // How the memory erase connects when the link is down (the wizard's handshake, with its
    // plan reads); without it, the erase fails.
    std::function<void()> conectar;

    bool Borrar_memoria();
    bool Preparar_diferencial();
    bool Grabar_firmware();

    // The plan as the questions left it (the erase added, the plans declined).
    Plan plan;
    // The image with the plan segments this run chose (30, and 31 for plans in two sectors).
    const Imagen_llevada& Imagen() const { return imagen; }
    // The firmware of this run has been programmed: its zone configuration must follow.
    // Read by a stop that comes from outside the run.
    std::atomic<bool> firmware_programado{false};

  private:
    void Preguntar_planes(int& total);
    std::vector<Paso_actualizacion> Pasos_actualizacion(TFParam_defecto& parametros);
    // The zone item: the meter's identity values read again where the connection could
    // not, the block built, then written (unless the run already failed).
    bool Grabar_zona(TFParam_defecto& parametros, bool escribir);

    Sesion_medidor& sesion;
    Entorno& entorno;
    Observador& observador;
    Imagen_llevada imagen;
    bool grabar_planes = false;
    bool planes_extra = false;
    // The run clock (whole seconds): the loader's answers and the graphics erase count their
    // limits from it, and the 972-byte load starts it again.
    int64_t hora_inicio = 0;
};

}  // namespace z82
