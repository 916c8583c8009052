// Eight meters updated at once by one z82-update: --port eight times, a session for each
// meter in the one process, against eight z82-meter-sim in real time.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace z82::banco {

// The value of the key clave at the top level of the JSON object in texto: a string's text,
// or a number. False when the object has no such key, or its value is of another kind.
bool Texto_json(std::string_view texto, std::string_view clave, std::string& valor);
bool Numero_json(std::string_view texto, std::string_view clave, double& valor);

// Starts eight z82-meter-sim with opciones_sim and updates them with one
// z82-update --port P1 ... --port P8 --yes --json, its files in carpeta and xdg (a
// "XDG_RUNTIME_DIR=..." entry) in its environment. Prints the rows: each meter's time from
// the start of the run to its outcome against pared_sola_s, the wall time of the same
// update of one meter alone, the CPU time per meter and the peak memory. Returns the number
// of figures missed or not measured, each said on standard error.
int Ocho_medidores(const std::vector<std::string>& opciones_sim, double pared_sola_s,
                   const std::string& carpeta, const std::string& xdg);

}  // namespace z82::banco
