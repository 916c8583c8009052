// The engine's environment on Windows: the tick count, Sleep, Beep, the COM device test and
// the registry's list of ports. The command-line and window faces derive from it and add
// their message handling.
#pragma once

#include "base/entorno.h"
#include "link/win32/enlace_sistema.h"

namespace z82 {

class Entorno_sistema : public Entorno {
  public:
    explicit Entorno_sistema(Enlace_sistema& enlace) : enlace_(enlace) {}

    int64_t segundos() override;
    int64_t milisegundos() override;
    void dormir(int ms) override;
    // Beep(1000, 500); lasts the 500 ms even where there is no speaker.
    void pitar() override;
    // The system has a default configuration for "COM<n>".
    bool existe_puerto(int n) override;
    // The value names of HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Ports.
    std::vector<std::string> puertos_registro() override;
    void diagnostico(const std::string& linea) override;

    bool campana = true;

  protected:
    Enlace_sistema& enlace_;
};

}  // namespace z82
