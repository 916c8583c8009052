#include "app/texto_tramo.h"

#include <algorithm>
#include <cstdio>

namespace z82 {
namespace {

std::string Duracion(double segundos) {
    const long long s = static_cast<long long>(segundos + 0.5);
    char texto[32];
    std::snprintf(texto, sizeof texto, "%lld:%02lld", s / 60, s % 60);
    return texto;
}

}  // namespace

void Mover_tramo(Tramo_hecho& t, int minimo, int maximo, int posicion) {
    const long long rango = static_cast<long long>(maximo) - minimo;
    t.total = rango;
    t.hecho = std::max(t.hecho,
                       std::clamp<long long>(static_cast<long long>(posicion) - minimo, 0, rango));
}

std::string Cifra(long long n) {
    const std::string cifras = std::to_string(n);
    const size_t signo = n < 0 ? 1 : 0;
    std::string s;
    for (size_t i = 0; i < cifras.size(); ++i) {
        if (i > signo && (cifras.size() - i) % 3 == 0) s += ',';
        s += cifras[i];
    }
    return s;
}

Partes_tramo Partes_de_tramo(const Tramo_hecho& t, bool final) {
    Partes_tramo p;
    if (t.total > 0) p.por_ciento = static_cast<int>(t.hecho * 100 / t.total);
    // A stream whose length the meter decides ends with what it did, without its bound.
    p.cantidad = final && !t.total_debido ? Cifra(t.hecho) + " " + t.unidad
                                          : Cifra(t.hecho) + "/" + Cifra(t.total) + " " + t.unidad;
    if (t.segundos >= 1.0 && t.hecho > 0) {
        const double por_segundo = static_cast<double>(t.hecho) / t.segundos;
        char texto[64];
        std::snprintf(texto, sizeof texto, por_segundo < 10 ? "%.1f %s/s" : "%.0f %s/s",
                      por_segundo, t.unidad.c_str());
        p.ritmo = texto;
        p.tiempo = final ? "done in " + Duracion(t.segundos)
                         : Duracion(static_cast<double>(t.total - t.hecho) / por_segundo) + " left";
    }
    return p;
}

std::string Texto_tramo(const Tramo_hecho& t, bool final) {
    if (t.total <= 0) return {};
    const Partes_tramo p = Partes_de_tramo(t, final);
    std::string texto = t.nombre + "  " + std::to_string(p.por_ciento) + "%\n" + p.cantidad;
    if (!p.ritmo.empty()) texto += "  " + p.ritmo + "  " + p.tiempo;
    return texto;
}

}  // namespace z82
