// The far end of a simulated cable: what a meter model offers the simulated link.
// Times are microseconds of the shared clock (virtual or real).
#pragma once

#include <cstddef>
#include <cstdint>

namespace z82::sim {

class Extremo_simulado {
  public:
    virtual ~Extremo_simulado() = default;
    // Bytes from the PC whose last bit reached the meter at time t_us.
    virtual void recibir(const uint8_t* datos, size_t n, int64_t t_us) = 0;
    // The PC raised or dropped RTS at t_us.
    virtual void rts(bool activo, int64_t t_us) {
        (void)activo;
        (void)t_us;
    }
    // The PC opened or closed its side of the cable.
    virtual void conexion(bool abierta, int64_t t_us) {
        (void)abierta;
        (void)t_us;
    }
    // Time at which the next byte towards the PC has fully arrived; false when none is due.
    virtual bool proxima_salida(int64_t& t_us) = 0;
    // Takes up to max bytes that have arrived by t_us, in order.
    virtual size_t tomar_salida(uint8_t* destino, size_t max, int64_t t_us) = 0;
};

}  // namespace z82::sim
