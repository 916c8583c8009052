// The engine's environment on a real Linux machine: the monotonic clock, real pauses, the
// terminal bell and the port list of the catalogue. The command-line and window faces
// derive from it and add their message handling.
#pragma once

#include "base/entorno.h"
#include "link/posix/enlace_sistema.h"

namespace z82 {

class Entorno_sistema : public Entorno {
  public:
    explicit Entorno_sistema(Enlace_sistema& enlace) : enlace_(enlace) {}

    int64_t segundos() override;
    int64_t milisegundos() override;
    void dormir(int ms) override;
    // The terminal bell on standard error (when it is a terminal and the bell is on), then
    // the beep's 500 ms.
    void pitar() override;
    // Port 1 is where every search starts: the system's list is read again there, so a
    // meter plugged in since the last search is seen.
    bool existe_puerto(int n) override;
    // "COM<n>" for every port of the catalogue, in its order.
    std::vector<std::string> puertos_registro() override;
    void diagnostico(const std::string& linea) override;

    bool campana = true;

  protected:
    Enlace_sistema& enlace_;
};

}  // namespace z82
