// The simulated meter started by z82-update --simulate: the program z82-meter-sim, found
// beside z82-update, serving a pseudo-terminal until z82-update ends.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace z82 {

class Simulador_hijo {
  public:
    Simulador_hijo() = default;
    ~Simulador_hijo();
    Simulador_hijo(const Simulador_hijo&) = delete;
    Simulador_hijo& operator=(const Simulador_hijo&) = delete;

    // Starts the simulator with these options and waits (up to 10 s) for the path it serves.
    bool Iniciar(const std::vector<std::string>& opciones, std::string& error);
    const std::string& Ruta() const { return ruta_; }

  private:
    pid_t pid_ = -1;
    int salida_ = -1;
    std::string ruta_;
};

}  // namespace z82
