// The simulated meter that z82-update --simulate runs inside the program: the meter model
// on virtual time that runs a fixed number of times faster than the wall clock. The real
// engine and the real progress run against it, so a whole update shows every item in about
// a minute; the protocol's own time is kept for the outcome line.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "sim/enlace_simulado.h"
#include "sim/entorno_virtual.h"
#include "sim/medidor_simulado.h"
#include "sim/opciones_medidor.h"
#include "sim/reloj_virtual.h"

namespace z82 {

// Virtual time paced against the wall clock: after each pause or message pass the program
// waits until the wall clock has caught up with virtual time divided by the speed-up.
class Entorno_acelerado : public sim::Entorno_virtual {
  public:
    Entorno_acelerado(sim::Reloj_virtual& reloj, int aceleracion);

    void dormir(int ms) override;
    void pitar() override;
    void procesar_mensajes() override;

    // Called at every message pass (the terminal's Ctrl-C).
    std::function<void()> al_procesar;
    // Wall-clock seconds since the start.
    double segundos_reales() const;

  private:
    void acompasar();
    int aceleracion_;
    std::chrono::steady_clock::time_point inicio_;
};

class Medidor_interno {
  public:
    static constexpr int ACELERACION = 10;

    explicit Medidor_interno(const sim::Opciones_medidor& opciones);

    Entorno_acelerado& entorno() { return entorno_; }
    Dispositivo_serie& dispositivo() { return enlace_; }
    // Protocol seconds since the start.
    double segundos_protocolo() const { return static_cast<double>(reloj_.us()) / 1e6; }

  private:
    sim::Reloj_virtual reloj_;
    Entorno_acelerado entorno_{reloj_, ACELERACION};
    sim::Enlace_simulado enlace_{reloj_};
    std::unique_ptr<sim::Medidor_simulado> medidor_;
};

}  // namespace z82
