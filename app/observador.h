// What an update tells whoever watches it, and asks: each stream's progress, the item
// counter, the plain messages ("USB error"), the two questions. The windows' wizard answers
// through its form (app/vista.h); a face without a form implements it whole.
#pragma once

#include <string>

#include "base/progreso.h"

namespace z82 {

// The run's two questions: new channel plans (which replace the stored channels: the memory
// is erased first), and the warning before the memory erase.
enum class Pregunta { planes_nuevos, borrado_memoria };

class Observador : public Dibujo_barra {
  public:
    ~Observador() override = default;
    // A plain message box.
    virtual void mensaje(const std::string& texto) = 0;
    // The answer of a person (or of the command line): true for OK.
    virtual bool preguntar(Pregunta pregunta) = 0;
    // The item about to be written ("main firmware"), told just before its counter.
    virtual void inicio_elemento(const std::string& /*nombre*/) {}
    // Item n of total is about to be written.
    virtual void contador(int n, int total) = 0;
    // The search tries port n.
    virtual void probando_puerto(int /*n*/) {}
};

}  // namespace z82
