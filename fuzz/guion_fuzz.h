// A meter that plays back a byte string: what the fuzzer feeds, or a recording of the
// simulated meter during a whole update turned into the same form.
//
// The string is a series of records: a control byte and 0 to 15 bytes for the PC.
//   bits 0-3  how many bytes follow
//   bits 4-6  delay index into RETRASOS_US
//   bit  7    the next record belongs to the same reply (it follows this one)
// A reply is the records up to one without bit 7. Each time the PC reads after it has sent
// something, the meter takes the next reply: its first record starts the delay after the
// last byte the PC sent, each further record the delay after the previous record's end,
// and the bytes of a record follow each other at the wire rate. When the string runs out
// the meter falls silent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "sim/extremo.h"
#include "sim/reloj_virtual.h"

namespace z82::fuzz {

inline constexpr int64_t RETRASOS_US[8] = {0,       1'000,     10'000,    100'000,
                                           500'000, 1'500'000, 4'500'000, 12'000'000};
inline constexpr uint8_t MAS_REGISTROS = 0x80;
inline constexpr size_t MAX_BYTES_REGISTRO = 15;

class Extremo_fuzz : public sim::Extremo_simulado {
  public:
    // The string must outlive the meter. With a clock and a limit, a run whose virtual time
    // passes the limit stops the process with a message (an exchange that never ends).
    Extremo_fuzz(const uint8_t* datos, size_t n, const sim::Reloj_virtual* reloj = nullptr,
                 int64_t limite_us = 0)
        : datos_(datos), n_(n), reloj_(reloj), limite_us_(limite_us) {}

    void recibir(const uint8_t* datos, size_t n, int64_t t_us) override;
    bool proxima_salida(int64_t& t_us) override;
    size_t tomar_salida(uint8_t* destino, size_t max, int64_t t_us) override;

    size_t recibidos = 0;
    size_t respuestas = 0;

  private:
    void vigilar() const;
    void siguiente_respuesta(int64_t desde_us);

    const uint8_t* datos_;
    size_t n_;
    size_t pos_ = 0;
    const sim::Reloj_virtual* reloj_;
    int64_t limite_us_;
    bool pendiente_ = false;
    int64_t ultimo_recibido_us_ = 0;
    struct Byte_salida {
        int64_t t_us;
        uint8_t valor;
    };
    std::deque<Byte_salida> salida_;
};

// Wraps a meter and records its replies in the form above, grouping them as Extremo_fuzz
// would hand them out.
class Grabador : public sim::Extremo_simulado {
  public:
    explicit Grabador(sim::Extremo_simulado& medidor) : medidor_(medidor) {}

    void recibir(const uint8_t* datos, size_t n, int64_t t_us) override;
    void rts(bool activo, int64_t t_us) override { medidor_.rts(activo, t_us); }
    void conexion(bool abierta, int64_t t_us) override { medidor_.conexion(abierta, t_us); }
    bool proxima_salida(int64_t& t_us) override;
    size_t tomar_salida(uint8_t* destino, size_t max, int64_t t_us) override;

    // The recording. With inicios, also where each reply begins in it, and with primeros
    // the first byte of each reply (-1 for a reply without bytes).
    std::vector<uint8_t> Codificar(std::vector<size_t>* inicios = nullptr,
                                   std::vector<int>* primeros = nullptr) const;
    size_t Respuestas() const { return respuestas_.size(); }

  private:
    struct Respuesta {
        int64_t desde_us;
        std::vector<int64_t> tiempos;
        std::vector<uint8_t> bytes;
    };
    sim::Extremo_simulado& medidor_;
    bool pendiente_ = false;
    int64_t ultimo_recibido_us_ = 0;
    std::vector<Respuesta> respuestas_;
};

}  // namespace z82::fuzz
