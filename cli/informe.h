// What z82-update reports: the meter's versions and the items an update would write
// (--plan), the outcome of a run with its exit code, the summary of the streams, and both
// as one JSON object for factory scripts (--json).
#pragma once

#include <string>
#include <vector>

#include "app/actualizador.h"
#include "cli/desenlace.h"
#include "cli/observador_terminal.h"

namespace z82 {

class Escritor_json;

// The items an update of v would write, in the order it writes them.
std::vector<std::string> Elementos(const Actualizador& v);
void Imprimir_plan(const Actualizador& v);
// The streams, their amounts and times, and the run's time in all.
void Imprimir_resumen(const std::vector<Tramo_hecho>& tramos, double segundos_en_total);

std::string Json_plan(const Actualizador& v, bool permitido);
// The outcome's members, into an object open in j: the result, its exit code and message,
// the item that failed and why, what was written and not, the streams and the time.
void Json_campos_desenlace(Escritor_json& j, const Desenlace& d, const std::string& firmware_antes,
                           const std::vector<Tramo_hecho>& tramos, double segundos_en_total);
std::string Json_desenlace(const Actualizador& v, const Desenlace& d,
                           const std::vector<Tramo_hecho>& tramos, double segundos_en_total);

}  // namespace z82
