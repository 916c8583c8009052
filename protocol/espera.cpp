#include "protocol/espera.h"

#include "base/entorno.h"
#include "link/tcpuerto.h"

namespace z82 {
namespace {

// Lets the window's messages run, but not the link watch: its read would take a byte of the
// reply this wait is for.
void Mensajes_sin_vigilancia(Entorno& entorno) {
    struct Intercambio {
        Entorno& e;
        explicit Intercambio(Entorno& en) : e(en) { e.empezar_intercambio(); }
        ~Intercambio() { e.terminar_intercambio(); }
        Intercambio(const Intercambio&) = delete;
        Intercambio& operator=(const Intercambio&) = delete;
    } intercambio(entorno);
    entorno.procesar_mensajes();
}

}  // namespace

Espera::Espera(TCPuerto& puerto, Entorno& entorno, Entre_lecturas entre)
    : puerto_(puerto), entorno_(entorno), entre_(entre) {
    reiniciar();
}

void Espera::reiniciar() { reiniciar_en(entorno_.segundos()); }

void Espera::reiniciar_en(int64_t inicio) {
    inicio_ = inicio;
    transcurrido_ = 0;
}

bool Espera::byte(uint8_t& b, int64_t limite, Limite cuando) {
    return esperar(b, limite, cuando, nullptr);
}

bool Espera::byte_igual(uint8_t esperado, int64_t limite) {
    uint8_t b = 0;
    return esperar(b, limite, Limite::alcanzado, &esperado);
}

bool Espera::esperar(uint8_t& b, int64_t limite, Limite cuando, const uint8_t* esperado) {
    detenida_ = false;
    for (;;) {
        b = 0;
        const int n = puerto_.Leer(&b, 1);
        transcurrido_ = entorno_.segundos() - inicio_;
        if (n == 1) ++recibidos_;
        if (n == 1 && (esperado == nullptr || b == *esperado)) return true;
        const bool agotada =
            cuando == Limite::alcanzado ? transcurrido_ >= limite : transcurrido_ > limite;
        if (agotada) {
            b = 0;
            return false;
        }
        switch (entre_) {
            case Entre_lecturas::mensajes:
                // The window's messages run, but not the link watch: its read would take
                // a byte of this reply.
                Mensajes_sin_vigilancia(entorno_);
                break;
            case Entre_lecturas::pausa_50ms:
                entorno_.dormir(50);
                break;
            case Entre_lecturas::nada:
                break;
        }
        if (detener_ && detener_()) {
            detenida_ = true;
            b = 0;
            return false;
        }
    }
}

}  // namespace z82
