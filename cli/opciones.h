// The command line of z82-update.
#pragma once

#include <string>
#include <vector>

#include "cli/observador_terminal.h"

namespace z82 {

struct Opciones {
    std::string puerto;  // --port: a number, COMn or a device path; empty = search all
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

Opciones Analizar_opciones(const std::vector<std::string>& argumentos);
std::string Texto_ayuda();

}  // namespace z82
