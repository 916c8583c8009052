// Actualizador: the updater without a form. Over one session with a meter it searches the
// ports, connects and decides the plan, makes the checks before a run, runs the update and
// says how it ended; what it tells and asks goes to an Observador. The terminal drives it
// as it is; the windows' wizard (Tventana_cargador) adds the form around it.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/decidir_plan.h"
#include "app/ejecucion.h"
#include "app/observador.h"
#include "app/sesion_medidor.h"
#include "base/entorno.h"
#include "link/dispositivo_serie.h"

namespace z82 {

class TFuente_lineas;
class TLector_hex;

// How the last search, check or run ended.
enum class Resultado_asistente {
    ninguno,
    actualizado,           // the run wrote every item
    nada_que_hacer,        // connected, and no item is to be written
    no_permitido,          // the pre-update check refused (region, version, options)
    detenido_nivel,        // the level reading was too low
    detenido_dispositivo,  // the device status check failed
    no_encontrado,         // no meter on any port tried
    enlace_perdido,        // the meter left during the checks: nothing was written
    borrado_rechazado,     // the user refused the memory erase
    detenido,              // the user stopped the search, the checks or the run
    fallo,                 // an item failed
    firmware_sin_zona,     // the firmware was written, its zone configuration was not
};
// Digits after the first three characters of a port name ("COM7:" gives 7); -1 when none.
int Numero_tras_prefijo(const std::string& nombre);

// What a run's outcome makes of the result.
Resultado_asistente Resultado_de(const Desenlace_actualizacion& d);

class Actualizador {
  public:
    // dispositivo: the serial devices of this system (or a simulated link); cerrojo: the
    // per-user lock of the port (may be null). The observer is only kept here: it is first
    // told something by Abrir_hex.
    Actualizador(Entorno& entorno, Observador& observador, Dispositivo_serie& dispositivo,
                 Cerrojo_puerto* cerrojo);
    virtual ~Actualizador();
    Actualizador(const Actualizador&) = delete;
    Actualizador& operator=(const Actualizador&) = delete;

    // The start-up scan of the carried image (a damaged one is told, and leaves lector_hex
    // null: nothing can be written then).
    void Abrir_hex();

    // The caption of a run: "Update Z82 v1.88.00004".
    std::string Titulo() const { return "Update Z82 v" + version_hex; }

    // Disconnects when connected; else the session's handshake on numero_puerto, then the
    // plan, then the link watch.
    void Conectar();
    // The session's reconnection on numero_puerto.
    void Reconectar();
    // The plan's reads in their fixed order, then Decidir_plan over what they brought.
    void Plan_actualizacion();
    // The options read, then the check before a run: true when nothing keeps the meter
    // from an update (impedimento says what does).
    bool Comprobar_medidor();

    // Every port in automatic mode, numero_puerto in manual mode. Ends connected or not.
    void Buscar_medidor();
    // Once connected: the level, the device, the check before a run and the link. ninguno
    // when the run may start; else what stopped it (the link is then dropped).
    Resultado_asistente Comprobar_antes_de_actualizar();
    // Drops the link: its notice when still up, then the port closed.
    void Soltar_enlace() { sesion.Soltar(); }

    // The run over the session with the plan (app/ejecucion.h).
    Desenlace_actualizacion Actualizar_medidor();
    // The user's stop: the run ends at its next safe point. Once the firmware has been
    // programmed, that point is after its zone configuration.
    void Detener() { sesion.senales.parada.request_stop(); }
    // The program is closing: a search or handshake under way stops at its next check.
    void Salir() { sesion.cerrando = true; }
    // The firmware of the run under way has been programmed: its zone must follow.
    bool Firmware_programado() const;

    Entorno& entorno;
    // The connection to the meter on numero_puerto.
    Sesion_medidor sesion;

    int numero_puerto = 1;
    bool modo_automatico = true;
    bool ocupado = false;
    // The zone configuration is owed to the meter connected next: a run programmed the
    // firmware and could not write the zone (the version rules cannot see that), or the
    // face asked for it (z82-update --zone).
    bool zona_pendiente = false;
    // A port of the last search answered 0x6D (a meter that refused the connection).
    bool rechazo_en_busqueda = false;

    // The embedded image: version text "1.88.00004" and its 64 segment flags; the plan.
    std::string version_hex;
    std::array<bool, 64> segmentos{};
    TFuente_lineas* fuente_hex = nullptr;
    TLector_hex* lector_hex = nullptr;
    Plan plan;
    Impedimento impedimento = Impedimento::ninguno;
    // What the last plan read from the meter, for a report ("1.87.00000", "2.0").
    std::string version_medidor;
    std::string version_fpga_medidor;
    // The meter's channel plans differ from the carried ones (they travel only with the
    // firmware).
    bool planes_distintos = false;

  protected:
    Observador& observador;

  private:
    void Buscar_automatico();
    void Probar_puerto(int n);

    Ejecucion_actualizacion* ejecucion_ = nullptr;
    std::unique_ptr<TFuente_lineas> fuente_hex_;
    std::unique_ptr<TLector_hex> lector_hex_;
};

}  // namespace z82
