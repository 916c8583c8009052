// The outcome of a run as both faces report it: the exit code, a word for scripts and the
// sentence for people, saying what the meter now holds and what to do next.
#pragma once

#include <string>
#include <vector>

#include "app/actualizador.h"

namespace z82 {

// The outcome of a run: the exit code, a word for scripts, the sentence for people.
struct Desenlace {
    int codigo = 1;
    std::string clave;                // updated, nothing_to_do, not_allowed, ... (see the README)
    std::string texto;                // "the meter was updated", ...
    std::vector<std::string> avisos;  // what the search learnt about ports it could not open
    // The item that failed and why (empty when none failed), the items written and those
    // of the plan that were not.
    std::string elemento_fallido;
    std::string motivo;
    std::vector<std::string> escritos;
    std::vector<std::string> no_escritos;
};

// The outcome r of the search, checks or run of v; a the run's own (when one ran).
Desenlace Desenlace_de(const Actualizador& v, Resultado_asistente r,
                       const Desenlace_actualizacion& a);
// Why the pre-update check refuses the meter; empty when it does not.
std::string Motivo_no_permitido(const Actualizador& v);

// "Result: ..." and the port warnings, one line each.
std::string Texto_desenlace(const Desenlace& d);

}  // namespace z82
