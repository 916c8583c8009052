// What z82-update reports: the meter's versions and the items an update would write
// (--plan), the outcome of a run with its exit code, the summary of the streams, and both
// as one JSON object for factory scripts (--json).
#pragma once

#include <string>
#include <vector>

#include "app/ventana_cargador.h"
#include "cli/vista_terminal.h"

namespace z82 {

// The outcome of a run: the exit code, a word for scripts, the sentence for people.
struct Desenlace {
    int codigo = 1;
    std::string clave;                // updated, nothing_to_do, not_allowed, ... (see the README)
    std::string texto;                // "the meter was updated", ...
    std::vector<std::string> avisos;  // what the search learnt about ports it could not open
};

Desenlace Desenlace_de(const Tventana_cargador& v);
// Why the pre-update check refuses the meter; empty when it does not.
std::string Motivo_no_permitido(const Tventana_cargador& v);

void Imprimir_plan(const Tventana_cargador& v);
// "Result: ..." and the port warnings, one line each.
std::string Texto_desenlace(const Desenlace& d);
// The streams, their amounts and times, and the run's time in all.
void Imprimir_resumen(const std::vector<Tramo_hecho>& tramos, double segundos_en_total);

std::string Json_plan(const Tventana_cargador& v, bool permitido);
std::string Json_desenlace(const Tventana_cargador& v, const Desenlace& d,
                           const std::vector<Tramo_hecho>& tramos, double segundos_en_total);

}  // namespace z82
