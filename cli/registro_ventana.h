// The support log of a window's run, for both windows: the log opened for the program, the
// serial device traced into it (the system's own when no log could be opened), and the
// outcome the window last showed, written when the window closes.
#pragma once

#include <memory>
#include <string>

#include "app/ventana_cargador.h"
#include "base/entorno.h"
#include "cli/registro.h"
#include "cli/traza.h"
#include "link/dispositivo_serie.h"

namespace z82 {

class Registro_ventana {
  public:
    Registro_ventana(const std::string& programa, Dispositivo_serie& serie, Entorno& entorno);

    // The device the window's updater is to use.
    Dispositivo_serie& dispositivo() { return traza_ ? *traza_ : serie_; }
    // A line of its own for an outcome the window never showed (a bad argument).
    void resultado(const std::string& texto) { registro_.resultado(texto); }
    // The outcome of the window's last run; "no update was run" when there was none.
    void cerrar(const Tventana_cargador& ventana);

  private:
    Registro_soporte registro_;
    Dispositivo_serie& serie_;
    std::unique_ptr<Dispositivo_traza> traza_;
};

}  // namespace z82
