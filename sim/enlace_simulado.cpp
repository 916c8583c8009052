#include "sim/enlace_simulado.h"

#include <algorithm>

namespace z82::sim {

Extremo_simulado* Enlace_simulado::extremo() const {
    auto it = extremos_.find(puerto_);
    return it == extremos_.end() ? nullptr : it->second;
}

bool Enlace_simulado::abrir(uint32_t numero_puerto) {
    intentos_apertura.push_back(numero_puerto);
    if (abierto_ || sin_cable() || sin_adaptador() || extremos_.count(numero_puerto) == 0) {
        return false;
    }
    puerto_ = numero_puerto;
    abierto_ = true;
    aperturas.push_back(numero_puerto);
    fin_transmision_us_ = reloj_.us();
    if (Extremo_simulado* e = extremo()) {
        e->conexion(true, reloj_.us());
        descartar_llegado();  // what the meter said while the port was closed is lost
    }
    return true;
}

void Enlace_simulado::cerrar() {
    if (!abierto_) return;
    if (Extremo_simulado* e = extremo()) e->conexion(false, reloj_.us());
    abierto_ = false;
}

bool Enlace_simulado::configurar(const Dcb& dcb) {
    ultimo_dcb = dcb;
    return abierto_;
}

bool Enlace_simulado::tiempos(const Tiempos_com& t) {
    ultimos_tiempos = t;
    tiempos_ = t;
    return abierto_;
}

void Enlace_simulado::descartar_llegado() {
    Extremo_simulado* e = extremo();
    if (e == nullptr) return;
    uint8_t basura[256];
    while (e->tomar_salida(basura, sizeof basura, reloj_.us()) > 0) {
    }
}

bool Enlace_simulado::purgar(uint32_t mascara) {
    purgas.push_back(mascara);
    if (!abierto_) return false;
    if (mascara & PURGE_RXCLEAR) descartar_llegado();
    if (mascara & PURGE_TXCLEAR) fin_transmision_us_ = reloj_.us();
    return true;
}

bool Enlace_simulado::estado(uint32_t& errores, uint32_t& en_cola_salida) {
    errores = 0;
    en_cola_salida = 0;
    if (!abierto_ || sin_cable() || sin_adaptador()) return false;
    const int64_t pendiente = fin_transmision_us_ - reloj_.us();
    if (pendiente > 0) {
        en_cola_salida = static_cast<uint32_t>((pendiente + US_POR_BYTE - 1) / US_POR_BYTE);
    }
    return true;
}

bool Enlace_simulado::escape(int funcion) {
    if (!abierto_) return false;
    if (funcion == ESCAPE_SETRTS || funcion == ESCAPE_CLRRTS) {
        rts = funcion == ESCAPE_SETRTS;
        if (Extremo_simulado* e = extremo()) e->rts(rts, reloj_.us());
    }
    return true;
}

bool Enlace_simulado::leer(uint8_t* destino, uint32_t n, uint32_t& leidos) {
    leidos = 0;
    if (!abierto_ || sin_adaptador()) return false;
    Extremo_simulado* e = sin_cable() ? nullptr : extremo();
    const int64_t limite_us = reloj_.us() + (int64_t(tiempos_.ReadTotalTimeoutMultiplier) * n +
                                             int64_t(tiempos_.ReadTotalTimeoutConstant)) *
                                                1000;
    int64_t t = 0;
    if (e != nullptr && e->proxima_salida(t) && t <= limite_us) {
        reloj_.avanzar_hasta_us(t);
        leidos = static_cast<uint32_t>(e->tomar_salida(destino, n, reloj_.us()));
        for (uint32_t i = 0; registrar && i < leidos; ++i) {
            registro_.push_back({reloj_.us(), false, destino[i]});
        }
    } else {
        reloj_.avanzar_hasta_us(limite_us);
    }
    return true;
}

bool Enlace_simulado::escribir(const uint8_t* origen, uint32_t n, uint32_t& escritos) {
    escritos = 0;
    if (!abierto_ || sin_cable() || sin_adaptador()) return false;
    const int64_t ahora = reloj_.us();
    int64_t inicio = std::max(ahora, fin_transmision_us_);
    for (uint32_t i = 0; registrar && i < n; ++i) registro_.push_back({ahora, true, origen[i]});
    fin_transmision_us_ = inicio + int64_t(n) * US_POR_BYTE;
    if (Extremo_simulado* e = extremo()) {
        // Each byte reaches the meter when its last bit is on the wire.
        for (uint32_t i = 0; i < n; ++i)
            e->recibir(origen + i, 1, inicio + int64_t(i + 1) * US_POR_BYTE);
    }
    escritos = n;
    return true;
}

std::vector<uint8_t> Enlace_simulado::enviados() const {
    std::vector<uint8_t> r;
    for (const auto& b : registro_) {
        if (b.hacia_medidor) r.push_back(b.valor);
    }
    return r;
}

}  // namespace z82::sim
