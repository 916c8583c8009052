// Test bench for the whole window: virtual time, the simulated link with far ends on chosen
// port numbers, a recording view whose attention-panel answers come from a script, and the
// language file's text the test gives (none by default).
#pragma once

#include <deque>
#include <memory>
#include <string>

#include "app/ventana_cargador.h"
#include "sim/enlace_simulado.h"
#include "sim/entorno_virtual.h"
#include "sim/extremo_guion.h"
#include "sim/reloj_virtual.h"
#include "sim/vista_registro.h"

namespace z82::prueba {

struct Banco_ventana {
    // Far ends outlive the window, whose destruction may still write to them.
    std::deque<sim::Extremo_guion> guiones;
    sim::Reloj_virtual reloj;
    sim::Entorno_virtual entorno{reloj};
    sim::Vista_registro vista{entorno};
    sim::Enlace_simulado enlace{reloj};
    std::unique_ptr<Tventana_cargador> ventana;
    std::string textos_idiomas;

    Banco_ventana() = default;
    ~Banco_ventana() { ventana.reset(); }
    Banco_ventana(const Banco_ventana&) = delete;
    Banco_ventana& operator=(const Banco_ventana&) = delete;

    // The language file the window is made with.
    void idiomas(const std::string& contenido) { textos_idiomas = contenido; }
    // A far end on port n, seen by the system as present.
    void poner(int n, sim::Extremo_simulado* extremo) {
        enlace.conectar(static_cast<uint32_t>(n), extremo);
        entorno.puertos.insert(n);
    }
    // A scripted meter on port n.
    sim::Extremo_guion& guion(int n) {
        guiones.emplace_back();
        poner(n, &guiones.back());
        return guiones.back();
    }
    Tventana_cargador& crear() {
        ventana =
            std::make_unique<Tventana_cargador>(entorno, vista, enlace, nullptr, textos_idiomas);
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
