// The simulated meter's command-line options: what z82-meter-sim takes, and what
// z82-update --simulate passes on to the meter it runs.
#pragma once

#include <string>
#include <vector>

#include "sim/config_medidor.h"

namespace z82::sim {

struct Opciones_medidor {
    Config_medidor config;
    std::string png, enlace, volcado;
    int fallos_borrado = 0;
    bool detallado = false;
    bool ayuda = false;
    std::string error;  // not empty: an option is wrong
};

Opciones_medidor Leer_opciones_medidor(const std::vector<std::string>& argumentos);
// The options' help text.
const char* Ayuda_opciones_medidor();

}  // namespace z82::sim
