// The engine's environment under virtual time: pauses advance the clock, the message pump
// runs posted events and timers, beeps and diagnostic lines are recorded.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/entorno.h"
#include "sim/reloj_virtual.h"

namespace z82::sim {

class Entorno_virtual : public Entorno {
  public:
    explicit Entorno_virtual(Reloj_virtual& reloj) : reloj_(reloj) {}

    int64_t segundos() override { return (origen_ms + reloj_.ms()) / 1000; }
    int64_t milisegundos() override { return reloj_.ms(); }
    void dormir(int ms) override { reloj_.avanzar_ms(ms); }
    void pitar() override {
        ++pitidos;
        reloj_.avanzar_ms(500);
    }
    void procesar_mensajes() override {
        ++mensajes_procesados;
        // Handing control to the message loop takes a little time; without it a loop that
        // only pumps messages would never see a timer fall due.
        reloj_.avanzar_us(paso_mensajes_us);
        while (!programados_.empty() && programados_.begin()->first <= reloj_.us()) {
            auto evento = std::move(programados_.begin()->second);
            programados_.erase(programados_.begin());
            evento();
        }
        atender();
    }
    // Runs an event at the first message processing at or after the virtual instant t_us
    // (a click, a Ctrl-C or a closed window at a chosen moment of a run).
    void en_instante(int64_t t_us, std::function<void()> evento) {
        programados_.emplace(t_us, std::move(evento));
    }
    bool existe_puerto(int n) override { return puertos.count(n) > 0; }
    std::vector<std::string> puertos_registro() override { return registro; }
    void diagnostico(const std::string& linea) override { lineas_diagnostico.push_back(linea); }

    Reloj_virtual& reloj() { return reloj_; }

    // Offset of the wall clock's seconds: lets a test put a second boundary anywhere.
    int64_t origen_ms = 0;
    int64_t paso_mensajes_us = 100;
    std::set<int> puertos;
    std::vector<std::string> registro;
    std::vector<std::string> lineas_diagnostico;
    int pitidos = 0;
    long mensajes_procesados = 0;

  private:
    Reloj_virtual& reloj_;
    std::multimap<int64_t, std::function<void()>> programados_;
};

}  // namespace z82::sim
