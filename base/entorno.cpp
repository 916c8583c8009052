#include "base/entorno.h"

#include <algorithm>

namespace z82 {

void Temporizador::Enabled(bool si) {
    if (si && !habilitado_ && entorno_ != nullptr) {
        proximo_ms_ = entorno_->milisegundos() + intervalo_ms_;
    }
    habilitado_ = si;
}

void Entorno::registrar(Temporizador& t) {
    t.entorno_ = this;
    if (std::find(temporizadores_.begin(), temporizadores_.end(), &t) == temporizadores_.end()) {
        temporizadores_.push_back(&t);
    }
}

void Entorno::olvidar(Temporizador& t) {
    temporizadores_.erase(std::remove(temporizadores_.begin(), temporizadores_.end(), &t),
                          temporizadores_.end());
    t.entorno_ = nullptr;
}

void Entorno::atender() {
    // Events posted while these run wait for the next call, so a handler that pumps
    // messages cannot starve the caller.
    for (size_t pendientes = eventos_.size(); pendientes > 0 && !eventos_.empty(); --pendientes) {
        auto evento = std::move(eventos_.front());
        eventos_.pop_front();
        evento();
    }
    if (intercambios_ > 0) return;
    const int64_t ahora = milisegundos();
    // By index, reading the list afresh each time: a handler may register or forget timers
    // (one it forgets may shift a due timer past this pass; the next pump serves it).
    for (size_t i = 0; i < temporizadores_.size(); ++i) {
        Temporizador* t = temporizadores_[i];
        if (!t->habilitado_ || t->en_curso_ || ahora < t->proximo_ms_) continue;
        t->proximo_ms_ = ahora + t->intervalo_ms_;
        t->en_curso_ = true;
        t->al_vencer_();
        t->en_curso_ = false;
    }
}

void Pausa_de_ventana::dormir(Entorno& entorno, int ms, const std::function<void()>& pintar,
                              const std::function<void(int)>& dormir_sistema) {
    if (ms < kPausaLarga || en_curso_) {
        dormir_sistema(ms);
        return;
    }
    en_curso_ = true;
    const int64_t fin = entorno.milisegundos() + ms;
    for (;;) {
        pintar();
        const int64_t resta = fin - entorno.milisegundos();
        if (resta <= 0) break;
        dormir_sistema(static_cast<int>(std::min<int64_t>(resta, kRebanada)));
    }
    en_curso_ = false;
}

}  // namespace z82
