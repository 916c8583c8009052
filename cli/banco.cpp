#include "cli/banco.h"

#include <algorithm>
#include <chrono>
#include <exception>

#include "cli/sesion_banco.h"

namespace z82 {

int Codigo_banco(const std::vector<int>& codigos) {
    for (int c : {1, 14, 12, 13, 11, 10}) {
        if (std::find(codigos.begin(), codigos.end(), c) != codigos.end()) return c;
    }
    for (int c : codigos) {
        if (c != 0) return c;
    }
    return 0;
}

Banco::Banco(Entorno& entorno, Fuente_ranuras& fuente, Opciones_banco opciones,
             std::function<void(const Evento_banco&)> salida)
    : entorno_(entorno),
      fuente_(fuente),
      opciones_(std::move(opciones)),
      salida_(std::move(salida)) {}

Banco::~Banco() {
    Detener();
    for (auto& [nombre, plaza] : plazas_) {
        if (plaza.hilo.joinable()) plaza.hilo.join();
    }
}

void Banco::Publicar(Evento_banco e) {
    {
        std::lock_guard<std::mutex> l(mutex_);
        cola_.push_back(std::move(e));
    }
    aviso_.notify_one();
}

void Banco::Detener() {
    parada_.fetch_add(1);
    aviso_.notify_one();
}

void Banco::Mirar_ranuras() {
    mirar_ = true;
    aviso_.notify_one();
}

void Banco::Arrancar(const Ranura& r) {
    Plaza& p = plazas_[r.nombre];
    if (p.hilo.joinable()) p.hilo.join();
    p.estado = Estado::en_curso;
    p.puerto = r.ruta;
    const bool exigir = !opciones_.fijas.empty() && !opciones_.vigilar;
    p.hilo = std::thread([this, r, exigir] {
        const std::function<void(Evento_banco)> publicar = [this](Evento_banco e) {
            Publicar(std::move(e));
        };
        try {
            Ejecutar_sesion(fuente_, r, opciones_, exigir, parada_, publicar);
        } catch (const std::exception& ex) {
            // Whatever went wrong in one session ends that session alone, with its cause.
            Evento_banco e;
            e.tipo = Tipo_evento::desenlace;
            e.ranura = r.nombre;
            e.puerto = r.ruta;
            e.desenlace.clave = "failed";
            e.desenlace.motivo = std::string("the program failed: ") + ex.what();
            e.desenlace.texto = "the update FAILED: " + e.desenlace.motivo +
                                ". What the meter holds is not known: run again.";
            publicar(std::move(e));
        }
    });
}

void Banco::Mirar(bool primera) {
    if (parada_.load() > 0) return;
    if (!opciones_.fijas.empty() && !opciones_.vigilar) {
        // The named slots, each once, whether its device is there or not: a slot without a
        // meter is a meter that was not updated.
        if (primera) {
            for (const Ranura& r : opciones_.fijas) Arrancar(r);
        }
        return;
    }
    std::vector<Ranura> presentes = fuente_.presentes();
    if (!opciones_.fijas.empty()) {
        std::erase_if(presentes, [&](const Ranura& r) {
            return std::none_of(opciones_.fijas.begin(), opciones_.fijas.end(),
                                [&](const Ranura& f) { return f.nombre == r.nombre; });
        });
    }
    for (auto& [nombre, plaza] : plazas_) plaza.presente = false;
    for (const Ranura& r : presentes) plazas_[r.nombre].presente = true;
    const int64_t ahora = entorno_.milisegundos();
    // A slot whose device went away is free again: the meter there was unplugged.
    for (auto& [nombre, plaza] : plazas_) {
        if (plaza.presente) continue;
        if (plaza.estado == Estado::hecho) {
            Evento_banco e;
            e.tipo = Tipo_evento::desenchufado;
            e.ranura = nombre;
            e.puerto = plaza.puerto;
            Atender(e);
        }
        if (plaza.estado != Estado::en_curso) plaza.estado = Estado::libre;
        plaza.aviso.clear();
    }
    for (const Ranura& r : presentes) {
        const Plaza& p = plazas_[r.nombre];
        if (p.estado == Estado::libre ||
            (p.estado == Estado::sin_medidor && ahora >= p.reintento_ms)) {
            Arrancar(r);
        }
    }
}

void Banco::Atender(Evento_banco& e) {
    const int64_t ahora = entorno_.milisegundos();
    e.t = static_cast<double>(ahora - inicio_ms_) / 1000.0;
    Plaza& p = plazas_[e.ranura];
    if (e.tipo == Tipo_evento::desenlace || e.tipo == Tipo_evento::sin_medidor) {
        // The session's last word: its thread is ending.
        if (p.hilo.joinable()) p.hilo.join();
        if (e.tipo == Tipo_evento::desenlace) {
            p.estado = Estado::hecho;
            p.aviso.clear();
            desenlaces_.push_back(e);
        } else {
            // Told once: under --watch an empty slot is tried every few seconds.
            const bool dicho = p.aviso == e.texto;
            p.estado = Estado::sin_medidor;
            p.reintento_ms = ahora + opciones_.reintento_ms;
            p.aviso = e.texto;
            if (dicho) return;
        }
    }
    if (salida_) salida_(e);
}

bool Banco::En_curso() const {
    return std::any_of(plazas_.begin(), plazas_.end(),
                       [](const auto& p) { return p.second.estado == Estado::en_curso; });
}

int Banco::Ejecutar() {
    inicio_ms_ = entorno_.milisegundos();
    ultimo_vistazo_ms_ = inicio_ms_;
    Mirar(true);
    for (;;) {
        std::deque<Evento_banco> lote;
        {
            std::unique_lock<std::mutex> l(mutex_);
            if (cola_.empty() && !mirar_) aviso_.wait_for(l, std::chrono::milliseconds(200));
            lote.swap(cola_);
        }
        if (al_turno) al_turno();
        for (Evento_banco& e : lote) Atender(e);
        const int64_t ahora = entorno_.milisegundos();
        const bool vistazo =
            mirar_.exchange(false) || ahora - ultimo_vistazo_ms_ >= opciones_.periodo_ms;
        if (opciones_.vigilar && vistazo) {
            Mirar(false);
            ultimo_vistazo_ms_ = ahora;
        }
        if (En_curso()) continue;
        if (opciones_.vigilar && parada_.load() == 0) continue;
        std::lock_guard<std::mutex> l(mutex_);
        if (cola_.empty()) break;
    }
    std::vector<int> codigos;
    for (const Evento_banco& e : desenlaces_) codigos.push_back(e.desenlace.codigo);
    // --all that found no meter ends as a lone search that found none.
    if (codigos.empty() && opciones_.fijas.empty() && !opciones_.vigilar) return 12;
    return Codigo_banco(codigos);
}

}  // namespace z82
