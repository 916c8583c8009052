// The main window's state that the other subsystems read and write. Tventana_cargador
// derives from it; the subsystems receive it by reference, and tests build one directly.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/vista.h"
#include "base/entorno.h"
#include "flash/codigo_cargador.h"
#include "link/dispositivo_serie.h"
#include "protocol/canal.h"
#include "queries/datos_medidor.h"

namespace z82 {

class TCPuerto;
class TConsultas;
class TGraficos;
class TFuente_lineas;
class TLector_hex;

class Contexto {
  public:
    Contexto(Entorno& e, Vista& v) : entorno(e), vista(v), Barra_progreso(v) {}
    virtual ~Contexto() = default;
    Contexto(const Contexto&) = delete;
    Contexto& operator=(const Contexto&) = delete;

    // The handshake of the window (connect, or disconnect when connected) and the
    // reconnection between update steps. Tests may replace them.
    virtual void Boton_ConectarClick() = 0;
    virtual void Reconectar() = 0;

    // The port, the environment and the run's signals, for the exchanges.
    Canal canal() { return {*puerto, entorno, senales}; }

    Entorno& entorno;
    Vista& vista;
    Barra_de_progreso Barra_progreso;

    // Owned by the window; set before any subsystem runs.
    TCPuerto* puerto = nullptr;
    TConsultas* consultas = nullptr;
    TGraficos* graficos = nullptr;
    TFuente_lineas* fuente_hex = nullptr;
    TLector_hex* lector_hex = nullptr;
    Bloques_cargador bloques;
    Config_puerto config_puerto;

    // Link and run flags.
    bool conectado = false;
    bool modo_diferencial = false;
    bool respuesta_6d = false;
    bool cerrando = false;
    // The run's failure flag (abortar), the user's stop and the cause of a failure.
    Senales senales;
    bool ocupado = false;
    // Last position the flash programming put on the progress bar; -1 until the first, and
    // kept for the whole life of the program.
    int ultimo_progreso = -1;

    // Facts read from the meter at connection and by the plan rules.
    Datos_medidor medidor;

    // The embedded image: version text "1.88.00004" and its 64 segment flags.
    std::string version_hex;
    std::array<bool, 64> segmentos{};

    // The update plan (hidden check boxes). The keyboard item of the plan is never ticked
    // (the program carries no keyboard code), so it has no box here.
    bool Check_firmware = false;
    bool Check_fpga = false;
    bool Check_planes = false;
    bool Check_borrar = false;
    bool Check_configuracion = false;
    bool Check_mpeg4_apl = false;
};

}  // namespace z82
