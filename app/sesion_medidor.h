// Sesion_medidor: one connection to one meter. It owns the port object and the query and
// graphics objects over it, and what it learnt of the meter; it runs the handshake (with
// the identity reads), the reconnection between items, the closing pair, the watch for the
// meter's own disconnect byte and the reads the plan is decided from. Nothing in it is
// shared: two sessions on two ports live side by side in one process.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/decidir_plan.h"
#include "app/observador.h"
#include "base/entorno.h"
#include "flash/codigo_cargador.h"
#include "link/dispositivo_serie.h"
#include "protocol/canal.h"
#include "queries/datos_medidor.h"
#include "queries/tconsultas.h"

namespace z82 {

class TCPuerto;
class TGraficos;

class Sesion_medidor {
  public:
    // dispositivo: the serial devices of this system (or a simulated link); cerrojo: the
    // per-user lock of the port (may be null).
    Sesion_medidor(Entorno& entorno, Observador& observador, Dispositivo_serie& dispositivo,
                   Cerrojo_puerto* cerrojo);
    ~Sesion_medidor();
    Sesion_medidor(const Sesion_medidor&) = delete;
    Sesion_medidor& operator=(const Sesion_medidor&) = delete;

    // The port, the environment and the run's signals, for the exchanges.
    Canal canal() { return {*puerto, entorno, senales}; }

    // Connected: the meter's notice, a pause, the port closed. Not connected: the
    // handshake on numero_puerto, then the language and sound values. The link watch is
    // stopped either way; whoever connected starts it again.
    void Conectar();
    void Reconectar();
    void Pulsos_rts();
    void Enviar_cierre();
    void Mira_desconexion();
    // Drops the link: its notice when still up, then the port closed.
    void Soltar();

    // The identity reads: the language index and the sound values of words 0x0232 and
    // 0x023B, each until two replies agree.
    void Leer_idioma_medidor();
    void Leer_datos_sonido();

    // The plan's reads in their fixed order; the options word for the check before a run.
    Lectura_plan Leer_plan();
    void Leer_opciones();
    // The module's versions (connecting first when there is no link, and asking again once
    // after 5 s when it is still starting); none when it could not be asked.
    std::optional<Version_mpeg4> Leer_mpeg4();

    Entorno& entorno;
    Observador& observador;
    Barra_de_progreso Barra_progreso;

    TCPuerto* puerto = nullptr;
    TConsultas* consultas = nullptr;
    TGraficos* graficos = nullptr;
    Bloques_cargador bloques;
    Config_puerto config_puerto;
    int numero_puerto = 1;

    bool conectado = false;
    bool modo_diferencial = false;
    bool respuesta_6d = false;
    // The program is closing: no handshake goes on.
    bool cerrando = false;
    // The run's failure flag, the user's stop and the cause of a failure.
    Senales senales;
    // Last position the flash programming put on the progress bar; -1 until the first, and
    // kept for the life of the session.
    int ultimo_progreso = -1;
    Datos_medidor medidor;
    Temporizador Timer_desconexion;
    // What the handshakes learnt about ports they could not open (rights, held by another
    // program), for a "no meter" result.
    std::vector<std::string> avisos_puertos;

  private:
    void Desconectar();
    bool Reabrir_puerto();
    bool Enviar_sonda();
    void Leer_version(Lectura_plan& l);
    std::string Leer_version_fpga();

    Dispositivo_serie& dispositivo_;
    std::unique_ptr<TCPuerto> puerto_;
    std::unique_ptr<TConsultas> consultas_;
    std::unique_ptr<TGraficos> graficos_;
};

}  // namespace z82
