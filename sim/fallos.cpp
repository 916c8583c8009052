#include "sim/fallos.h"

namespace z82::sim {

double Inyector_fallos::azar() {
    if (fallos_.semilla != semilla_) estado_ = semilla_ = fallos_.semilla;  // a new seed
    // splitmix64: small, fast and the same on every platform.
    estado_ += 0x9E3779B97F4A7C15ull;
    uint64_t z = estado_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) / static_cast<double>(1ull << 53);
}

std::vector<Byte_en_cable> Inyector_fallos::aplicar(Sentido s, uint8_t valor, int64_t t_us) {
    const uint64_t n = s == Sentido::hacia_pc ? ++salida_ : ++entrada_;
    std::vector<Byte_en_cable> r{{valor, t_us}};
    for (Fallo_byte& f : fallos_.bytes) {
        if (f.aplicado || f.sentido != s) continue;
        const bool por_cuenta = f.n_byte >= 0 && static_cast<uint64_t>(f.n_byte) == n;
        const bool por_tiempo = f.n_byte < 0 && f.desde_us >= 0 && t_us >= f.desde_us;
        if (!por_cuenta && !por_tiempo) continue;
        if (por_tiempo && f.saltar > 0) {
            --f.saltar;
            continue;
        }
        f.aplicado = true;
        ++alterados;
        switch (f.accion) {
            case Accion::perder:
                return {};
            case Accion::corromper:
                r[0].valor = static_cast<uint8_t>(r[0].valor ^ f.mascara);
                break;
            case Accion::sustituir:
                r[0].valor = f.valor;
                break;
            case Accion::retrasar:
                r[0].t_us += f.retardo_us;
                break;
            case Accion::duplicar:
                r.push_back(r[0]);
                break;
        }
    }
    const bool entrada = s == Sentido::hacia_medidor;
    const double perdida = entrada ? fallos_.prob_perdida_entrada : fallos_.prob_perdida_salida;
    const double corrupcion =
        entrada ? fallos_.prob_corrupcion_entrada : fallos_.prob_corrupcion_salida;
    if (perdida > 0 && azar() < perdida) {
        ++alterados;
        return {};
    }
    if (corrupcion > 0 && azar() < corrupcion) {
        ++alterados;
        const int bit = static_cast<int>(azar() * 8) & 7;
        for (auto& b : r) b.valor = static_cast<uint8_t>(b.valor ^ (1u << bit));
    }
    return r;
}

}  // namespace z82::sim
