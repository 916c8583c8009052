// Test bench for the whole window: virtual time, the simulated link with far ends on chosen
// port numbers, a recording view whose attention-panel answers come from a script. Each
// bench works in a fresh folder of its own, so idiomas.ini is whatever the test puts there.
#pragma once

#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
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
    std::filesystem::path anterior = std::filesystem::current_path();
    std::filesystem::path carpeta;
    sim::Reloj_virtual reloj;
    sim::Entorno_virtual entorno{reloj};
    sim::Vista_registro vista{entorno};
    sim::Enlace_simulado enlace{reloj};
    std::unique_ptr<Tventana_cargador> ventana;

    Banco_ventana() {
        std::random_device azar;
        do {
            carpeta =
                std::filesystem::temp_directory_path() / ("z82-ventana-" + std::to_string(azar()));
        } while (!std::filesystem::create_directory(carpeta));
        std::filesystem::current_path(carpeta);
    }
    ~Banco_ventana() {
        ventana.reset();
        std::error_code ec;
        std::filesystem::current_path(anterior, ec);
        std::filesystem::remove_all(carpeta, ec);
    }
    Banco_ventana(const Banco_ventana&) = delete;
    Banco_ventana& operator=(const Banco_ventana&) = delete;

    void idiomas(const std::string& contenido) {
        std::ofstream(carpeta / "idiomas.ini", std::ios::binary) << contenido;
    }
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
