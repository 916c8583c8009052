// One meter of the bench, on the session's own thread: the updater over the slot's own
// environment, device and lock, its search on that port alone, the checks and the run, told
// as events. Nothing here is shared with another session.
#pragma once

#include <atomic>
#include <functional>

#include "cli/banco.h"

namespace z82 {

// Runs the session on ranura to its outcome. publicar gets each event (from this thread).
// parada counts the user's stops: the run stops at its next safe point, as a lone run does.
// exigir_medidor: a slot named by the user; else a slot where no meter answers ends with
// sin_medidor instead of an outcome.
void Ejecutar_sesion(Fuente_ranuras& fuente, const Ranura& ranura, const Opciones_banco& opciones,
                     bool exigir_medidor, const std::atomic<int>& parada,
                     const std::function<void(Evento_banco)>& publicar);

}  // namespace z82
