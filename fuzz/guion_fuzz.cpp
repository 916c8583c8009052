#include "guion_fuzz.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "sim/enlace_simulado.h"

namespace z82::fuzz {
namespace {

constexpr int64_t US_BYTE = sim::Enlace_simulado::US_POR_BYTE;

// The control byte's delay index for a wait: the longest delay that is not longer.
uint8_t Indice_retraso(int64_t us) {
    uint8_t k = 0;
    for (uint8_t i = 0; i < 8; ++i) {
        if (RETRASOS_US[i] <= us) k = i;
    }
    return k;
}

}  // namespace

void Extremo_fuzz::vigilar() const {
    if (reloj_ != nullptr && limite_us_ > 0 && reloj_->us() > limite_us_) {
        std::fprintf(stderr, "exchange still running after %.1f s of virtual time\n",
                     static_cast<double>(reloj_->us()) / 1e6);
        std::abort();
    }
}

void Extremo_fuzz::recibir(const uint8_t*, size_t n, int64_t t_us) {
    vigilar();
    recibidos += n;
    pendiente_ = true;
    ultimo_recibido_us_ = std::max(ultimo_recibido_us_, t_us);
}

void Extremo_fuzz::siguiente_respuesta(int64_t desde_us) {
    if (pos_ >= n_) return;
    ++respuestas;
    int64_t t = desde_us;
    for (bool mas = true; mas && pos_ < n_;) {
        const uint8_t control = datos_[pos_++];
        mas = (control & MAS_REGISTROS) != 0;
        t += RETRASOS_US[(control >> 4) & 7];
        const size_t cuenta = std::min<size_t>(control & 0x0F, n_ - pos_);
        for (size_t i = 0; i < cuenta; ++i) {
            // Bytes never overtake what is already queued.
            if (!salida_.empty()) t = std::max(t, salida_.back().t_us + US_BYTE);
            salida_.push_back({t, datos_[pos_++]});
            t += US_BYTE;
        }
    }
}

bool Extremo_fuzz::proxima_salida(int64_t& t_us) {
    vigilar();
    if (pendiente_) {
        pendiente_ = false;
        siguiente_respuesta(ultimo_recibido_us_);
    }
    if (salida_.empty()) return false;
    t_us = salida_.front().t_us;
    return true;
}

size_t Extremo_fuzz::tomar_salida(uint8_t* destino, size_t max, int64_t t_us) {
    size_t n = 0;
    while (n < max && !salida_.empty() && salida_.front().t_us <= t_us) {
        destino[n++] = salida_.front().valor;
        salida_.pop_front();
    }
    return n;
}

void Grabador::recibir(const uint8_t* datos, size_t n, int64_t t_us) {
    pendiente_ = true;
    ultimo_recibido_us_ = std::max(ultimo_recibido_us_, t_us);
    medidor_.recibir(datos, n, t_us);
}

bool Grabador::proxima_salida(int64_t& t_us) {
    if (pendiente_) {
        pendiente_ = false;
        respuestas_.push_back({ultimo_recibido_us_, {}, {}});
    }
    return medidor_.proxima_salida(t_us);
}

size_t Grabador::tomar_salida(uint8_t* destino, size_t max, int64_t t_us) {
    size_t n = 0;
    int64_t t = 0;
    while (n < max && medidor_.proxima_salida(t) && t <= t_us) {
        if (medidor_.tomar_salida(destino + n, 1, t_us) != 1) break;
        // t: when the byte has fully arrived, as the fuzzer's meter times its bytes.
        if (!respuestas_.empty()) {
            respuestas_.back().tiempos.push_back(t);
            respuestas_.back().bytes.push_back(destino[n]);
        }
        ++n;
    }
    return n;
}

std::vector<uint8_t> Grabador::Codificar(std::vector<size_t>* inicios,
                                         std::vector<int>* primeros) const {
    std::vector<uint8_t> s;
    for (const auto& r : respuestas_) {
        if (inicios != nullptr) inicios->push_back(s.size());
        if (primeros != nullptr) primeros->push_back(r.bytes.empty() ? -1 : r.bytes[0]);
        if (r.bytes.empty()) {
            s.push_back(0);
            continue;
        }
        // Records of up to 15 bytes; a pause longer than a byte starts a new one.
        int64_t fin = r.desde_us;  // end of the previous record
        size_t i = 0;
        while (i < r.bytes.size()) {
            const uint8_t retraso = Indice_retraso(r.tiempos[i] - fin);
            size_t j = i + 1;
            while (j < r.bytes.size() && j - i < MAX_BYTES_REGISTRO &&
                   r.tiempos[j] - r.tiempos[j - 1] <= 2 * US_BYTE) {
                ++j;
            }
            const bool ultimo = j == r.bytes.size();
            s.push_back(
                static_cast<uint8_t>((ultimo ? 0 : MAS_REGISTROS) | retraso << 4 | (j - i)));
            s.insert(s.end(), r.bytes.begin() + static_cast<std::ptrdiff_t>(i),
                     r.bytes.begin() + static_cast<std::ptrdiff_t>(j));
            fin = r.tiempos[j - 1] + US_BYTE;
            i = j;
        }
    }
    return s;
}

}  // namespace z82::fuzz
