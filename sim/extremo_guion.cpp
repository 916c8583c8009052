#include "sim/extremo_guion.h"

#include <algorithm>

#include "sim/enlace_simulado.h"

namespace z82::sim {

void Extremo_guion::responder(const std::vector<uint8_t>& bytes, int64_t t_us) {
    // Bytes leave the meter one after another and never overtake what is already queued.
    int64_t t = t_us;
    if (!salida_.empty()) t = std::max(t, salida_.back().t_us + Enlace_simulado::US_POR_BYTE);
    for (uint8_t b : bytes) {
        salida_.push_back({t, b});
        t += Enlace_simulado::US_POR_BYTE;
    }
}

void Extremo_guion::recibir(const uint8_t* datos, size_t n, int64_t t_us) {
    for (size_t i = 0; i < n; ++i) {
        recibidos.push_back(datos[i]);
        tiempos_recibidos.push_back(t_us);
        if (al_recibir) al_recibir(*this, datos[i], t_us);
    }
}

void Extremo_guion::rts(bool activo, int64_t) {
    if (activo) ++flancos_rts;
}

bool Extremo_guion::proxima_salida(int64_t& t_us) {
    if (salida_.empty()) return false;
    t_us = salida_.front().t_us;
    return true;
}

size_t Extremo_guion::tomar_salida(uint8_t* destino, size_t max, int64_t t_us) {
    size_t n = 0;
    while (n < max && !salida_.empty() && salida_.front().t_us <= t_us) {
        destino[n++] = salida_.front().valor;
        salida_.pop_front();
    }
    return n;
}

}  // namespace z82::sim
