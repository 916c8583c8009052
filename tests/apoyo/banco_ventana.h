// Test bench for the whole window: virtual time, the simulated link with far ends on chosen
// port numbers, a recording view whose attention-panel answers come from a script.
#pragma once

#include <memory>

#include "app/ventana_cargador.h"
#include "sim/enlace_simulado.h"
#include "sim/entorno_virtual.h"
#include "sim/extremo_guion.h"
#include "sim/reloj_virtual.h"
#include "sim/vista_registro.h"

namespace z82::prueba {

struct Banco_ventana {
    sim::Reloj_virtual reloj;
    sim::Entorno_virtual entorno{reloj};
    sim::Vista_registro vista{entorno};
    sim::Enlace_simulado enlace{reloj};
    std::unique_ptr<Tventana_cargador> ventana;

    // A far end on port n, seen by the system as present.
    void poner(int n, sim::Extremo_simulado* extremo) {
        enlace.conectar(static_cast<uint32_t>(n), extremo);
        entorno.puertos.insert(n);
    }
    Tventana_cargador& crear() {
        ventana = std::make_unique<Tventana_cargador>(entorno, vista, enlace, nullptr);
        vista.responder = [this](bool ok) {
            if (ok) {
                ventana->Button_atencion_okClick();
            } else {
                ventana->Button_atencion_cancelClick();
            }
        };
        return *ventana;
    }
};

}  // namespace z82::prueba
