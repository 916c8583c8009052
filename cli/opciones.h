// The command line of z82-update.
#pragma once

#include <string>
#include <vector>

#include "cli/observador_terminal.h"

namespace z82 {

struct Opciones {
    // --port, once or more: a number, COMn, a device path or a slot name; none = search all
    std::vector<std::string> puertos;
    bool todos = false;    // --all: every port where a meter answers
    bool vigilar = false;  // --watch: update each meter as it is plugged in, until Ctrl-C
    Respuesta_fija respuesta = Respuesta_fija::preguntar;
    bool plan = false;
    bool zona = false;  // --zone: the zone configuration of a meter on the carried firmware
    bool listar_puertos = false;
    bool listar_planes = false;
    bool simular = false;
    std::vector<std::string> opciones_simulador;  // passed to the simulated meter
    bool tiempo_real = false;  // --real-time: the simulated meter on a pseudo-terminal
    std::string traza;
    bool silencio = false;  // --quiet: the outcome line alone
    bool json = false;      // --json: one JSON object instead of the report
    bool ayuda = false;
    bool version = false;
    std::string error;  // not empty: the command line is wrong
};

// Several meters in one run (the bench): --port more than once, --all or --watch.
inline bool Es_banco(const Opciones& o) { return o.puertos.size() > 1 || o.todos || o.vigilar; }

Opciones Analizar_opciones(const std::vector<std::string>& argumentos);
std::string Texto_ayuda();

}  // namespace z82
