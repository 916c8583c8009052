// Test bench for single exchanges: a virtual clock, the engine's environment and view, a
// simulated link with a scripted meter on port 1, the port object and a window state.
#pragma once

#include <cstdint>
#include <functional>

#include "app/vista.h"
#include "flash/codigo_cargador.h"
#include "link/tcpuerto.h"
#include "queries/datos_medidor.h"
#include "sim/enlace_simulado.h"
#include "sim/entorno_virtual.h"
#include "sim/extremo_guion.h"
#include "sim/reloj_virtual.h"
#include "sim/vista_registro.h"

namespace z82 {
class TConsultas;
class TGraficos;
class TFuente_lineas;
class TLector_hex;
}  // namespace z82

namespace z82::prueba {

// What the items' exchanges take from a session, without one: the environment, the
// progress bar, the port and the objects over it, the run's signals and the meter's facts.
struct Contexto_prueba {
    Contexto_prueba(Entorno& e, Vista& v) : entorno(e), vista(v), Barra_progreso(v) {}
    Canal canal() { return {*puerto, entorno, senales}; }

    Entorno& entorno;
    Vista& vista;
    Barra_de_progreso Barra_progreso;
    TCPuerto* puerto = nullptr;
    TConsultas* consultas = nullptr;
    TGraficos* graficos = nullptr;
    TFuente_lineas* fuente_hex = nullptr;
    TLector_hex* lector_hex = nullptr;
    Bloques_cargador bloques;
    Config_puerto config_puerto;
    bool conectado = false;
    Senales senales;
    int ultimo_progreso = -1;
    Datos_medidor medidor;
    // The run clock the tests hand to the loader and graphics exchanges.
    int64_t hora_inicio = 0;
};

struct Banco {
    sim::Reloj_virtual reloj;
    sim::Entorno_virtual entorno{reloj};
    sim::Vista_registro vista{entorno};
    sim::Enlace_simulado enlace{reloj};
    sim::Extremo_guion medidor;
    TCPuerto puerto{enlace, nullptr, entorno};
    Contexto_prueba ctx{entorno, vista};

    // The port starts open on port 1 and the window connected.
    Banco() {
        enlace.conectar(1, &medidor);
        ctx.puerto = &puerto;
        puerto.Abrir(1, ctx.config_puerto);
        ctx.conectado = true;
        enlace.borrar_registro();
    }
    // Bytes the PC sent since the bench was built (or since the last call with borrar).
    std::vector<uint8_t> enviados(bool borrar = false) {
        auto r = enlace.enviados();
        if (borrar) enlace.borrar_registro();
        return r;
    }
};

}  // namespace z82::prueba
