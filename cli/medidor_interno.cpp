#include "cli/medidor_interno.h"

#include <thread>

namespace z82 {

Entorno_acelerado::Entorno_acelerado(sim::Reloj_virtual& reloj, int aceleracion)
    : sim::Entorno_virtual(reloj),
      aceleracion_(aceleracion),
      inicio_(std::chrono::steady_clock::now()) {}

void Entorno_acelerado::dormir(int ms) {
    sim::Entorno_virtual::dormir(ms);
    acompasar();
}

void Entorno_acelerado::pitar() {
    sim::Entorno_virtual::pitar();
    acompasar();
}

void Entorno_acelerado::procesar_mensajes() {
    sim::Entorno_virtual::procesar_mensajes();
    if (al_procesar) al_procesar();
    acompasar();
}

double Entorno_acelerado::segundos_reales() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio_).count();
}

void Entorno_acelerado::acompasar() {
    using std::chrono::microseconds;
    const auto objetivo = inicio_ + microseconds(reloj().us() / aceleracion_);
    // Short gaps are left to add up: a wait of a few milliseconds costs less than the
    // system call.
    if (objetivo - std::chrono::steady_clock::now() > std::chrono::milliseconds(5)) {
        std::this_thread::sleep_until(objetivo);
    }
}

Medidor_interno::Medidor_interno(const sim::Opciones_medidor& opciones)
    : medidor_(std::make_unique<sim::Medidor_simulado>(opciones.config)) {
    medidor_->fallos.borrados_fallidos = opciones.fallos_borrado;
    enlace_.conectar(1, medidor_.get());
    entorno_.puertos.insert(1);
}

}  // namespace z82
