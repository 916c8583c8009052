// A scripted meter that gathers the PC's requests (memory and device reads, device writes,
// the MPEG4 module's one-byte orders) and hands each complete one to the test's handler.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "apoyo/banco.h"

namespace z82::prueba {

class Guion_peticiones {
  public:
    using Manejador = std::function<void(sim::Extremo_guion&, const std::vector<uint8_t>&,
                                         int64_t t_us, int numero)>;

    Guion_peticiones(Banco& b, Manejador manejador) : manejador_(std::move(manejador)) {
        b.medidor.al_recibir = [this](sim::Extremo_guion& m, uint8_t byte, int64_t t) {
            actual_.push_back(byte);
            if (!completa()) return;
            peticiones.push_back(actual_);
            const auto p = actual_;
            actual_.clear();
            if (manejador_) manejador_(m, p, t, static_cast<int>(peticiones.size()));
        };
    }

    std::vector<std::vector<uint8_t>> peticiones;

  private:
    bool completa() const {
        switch (actual_[0]) {
            case 0x01:
                return actual_.size() == 5;
            case 0x02:
                return actual_.size() >= 2 && actual_.size() == size_t(actual_[1]) + 2u;
            default:
                return true;
        }
    }
    Manejador manejador_;
    std::vector<uint8_t> actual_;
};

// Places a whole-second boundary of the wall clock ms_desde_ahora after the present instant.
inline int64_t Segundo_en(Banco& b, int64_t ms_desde_ahora) {
    const int64_t objetivo = b.reloj.ms() + ms_desde_ahora;
    b.entorno.origen_ms = (1000 - objetivo % 1000) % 1000;
    return objetivo;
}

}  // namespace z82::prueba
