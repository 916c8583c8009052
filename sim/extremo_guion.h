// A far end driven by a script, for tests of single exchanges: it records what the PC sent
// and answers through a callback, at chosen virtual instants.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "sim/extremo.h"

namespace z82::sim {

class Extremo_guion : public Extremo_simulado {
  public:
    // Called for every byte that reaches the meter, with the byte and its arrival time.
    std::function<void(Extremo_guion&, uint8_t, int64_t)> al_recibir;

    // Queue bytes towards the PC, the first arriving at t_us and the rest one wire-byte
    // time apart (about 95 us each).
    void responder(const std::vector<uint8_t>& bytes, int64_t t_us);
    void responder(uint8_t byte, int64_t t_us) { responder(std::vector<uint8_t>{byte}, t_us); }

    void recibir(const uint8_t* datos, size_t n, int64_t t_us) override;
    void rts(bool activo, int64_t t_us) override;
    void conexion(bool abierta, int64_t) override { abierto = abierta; }
    bool proxima_salida(int64_t& t_us) override;
    size_t tomar_salida(uint8_t* destino, size_t max, int64_t t_us) override;

    std::vector<uint8_t> recibidos;
    std::vector<int64_t> tiempos_recibidos;
    int flancos_rts = 0;
    bool abierto = false;

  private:
    struct Pendiente {
        int64_t t_us;
        uint8_t valor;
    };
    std::deque<Pendiente> salida_;
};

}  // namespace z82::sim
