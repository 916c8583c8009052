// Test bench for single exchanges: a virtual clock, the engine's environment and view, a
// simulated link with a scripted meter on port 1, the port object and a window state.
#pragma once

#include <functional>

#include "app/contexto.h"
#include "link/tcpuerto.h"
#include "sim/enlace_simulado.h"
#include "sim/entorno_virtual.h"
#include "sim/extremo_guion.h"
#include "sim/reloj_virtual.h"
#include "sim/vista_registro.h"

namespace z82::prueba {

// Window state without a window: the handshake calls are counted and can be scripted.
class Contexto_prueba : public Contexto {
  public:
    using Contexto::Contexto;
    void Boton_ConectarClick() override {
        ++conexiones;
        if (al_conectar) al_conectar();
    }
    void Reconectar() override {
        ++reconexiones;
        if (al_reconectar) al_reconectar();
    }
    // The run clock the tests hand to the loader and graphics exchanges.
    int64_t hora_inicio = 0;
    int conexiones = 0;
    int reconexiones = 0;
    std::function<void()> al_conectar, al_reconectar;
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
