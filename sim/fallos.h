// Faults the simulated meter can be told to suffer: bytes lost, damaged, late or doubled on
// the cable in either direction, a byte replaced, erases that fail, a meter that falls
// silent. Everything is deterministic: counted bytes, fixed instants, or a seeded generator.
#pragma once

#include <cstdint>
#include <vector>

namespace z82::sim {

enum class Sentido { hacia_medidor, hacia_pc };

enum class Accion {
    perder,     // the byte never arrives
    corromper,  // the byte arrives XORed with mascara
    sustituir,  // the byte arrives as valor
    retrasar,   // the byte (and everything behind it) arrives retardo_us later
    duplicar,   // the byte arrives twice
};

// One fault on one byte: the n-th byte in its direction (counting from 1), or the first
// byte at or after desde_us. Each fault strikes once.
struct Fallo_byte {
    Sentido sentido = Sentido::hacia_pc;
    Accion accion = Accion::perder;
    int64_t n_byte = -1;
    int64_t desde_us = -1;
    uint8_t mascara = 0x01;
    uint8_t valor = 0;
    int64_t retardo_us = 0;
    // By time: the bytes at or after desde_us to let pass before the one affected.
    int saltar = 0;
    bool aplicado = false;
};

struct Fallos {
    std::vector<Fallo_byte> bytes;

    // The next n erase commands of the flash loader fail with this byte ('q' .. 'u').
    int borrados_fallidos = 0;
    uint8_t byte_fallo_borrado = 'q';

    // From this instant the meter neither hears nor answers anything (-1: never).
    int64_t silencio_desde_us = -1;

    // Random damage with a fixed seed: probability per byte of loss and of a flipped bit.
    uint64_t semilla = 1;
    double prob_perdida_entrada = 0, prob_corrupcion_entrada = 0;
    double prob_perdida_salida = 0, prob_corrupcion_salida = 0;
};

// A byte as it leaves the cable after the faults.
struct Byte_en_cable {
    uint8_t valor;
    int64_t t_us;
};

class Inyector_fallos {
  public:
    explicit Inyector_fallos(Fallos& f) : fallos_(f), semilla_(f.semilla), estado_(f.semilla) {}
    // Applies the faults to one byte sent at t_us; returns the bytes that arrive (none,
    // one or two) with their arrival times.
    std::vector<Byte_en_cable> aplicar(Sentido s, uint8_t valor, int64_t t_us);
    uint64_t contados(Sentido s) const { return s == Sentido::hacia_pc ? salida_ : entrada_; }
    // Bytes that the faults changed, dropped or doubled so far.
    long alterados = 0;

  private:
    double azar();
    Fallos& fallos_;
    uint64_t semilla_;
    uint64_t estado_;
    uint64_t entrada_ = 0, salida_ = 0;
};

}  // namespace z82::sim
