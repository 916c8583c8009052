// z82-update with several meters: the slots named with --port (or every port with --all,
// or each meter as it is plugged in with --watch) updated side by side, shown as live lines
// and a closing table, or written as JSON Lines.
#pragma once

#include <atomic>

#include "cli/opciones.h"

namespace z82 {

class Enlace_sistema;

// Runs the bench; returns the exit code. interrupciones counts the Ctrl-Cs the signal
// handler saw.
int Ejecutar_banco(const Opciones& o, Enlace_sistema& enlace,
                   const std::atomic<int>& interrupciones);

}  // namespace z82
