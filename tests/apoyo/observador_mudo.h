// An observer of a run that shows nothing and answers every question with OK.
#pragma once

#include <string>

#include "app/observador.h"

namespace z82::prueba {

struct Observador_mudo : Observador {
    void barra_visible(bool) override {}
    void barra(int, int, int) override {}
    void mensaje(const std::string&) override {}
    bool preguntar(Pregunta) override { return true; }
    void contador(int, int) override {}
};

}  // namespace z82::prueba
