#include "cli/observador_terminal.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace z82 {

Observador_terminal::Observador_terminal(Entorno& entorno, const Textos_asistente& textos,
                                         Respuesta_fija respuesta, bool es_terminal,
                                         bool entrada_terminal)
    : entorno_(entorno),
      textos_(textos),
      respuesta_(respuesta),
      es_terminal_(es_terminal),
      entrada_terminal_(entrada_terminal) {}

void Observador_terminal::cortar_barra() {
    if (barra_abierta_) {
        // On a terminal the live line is cleared: it comes back below the other output.
        std::fputs(es_terminal_ ? "\r\x1b[K" : "\n", stdout);
        barra_abierta_ = false;
    }
}

void Observador_terminal::reponer_barra() {
    if (es_terminal_ && tramo_abierto_ && !silencio && tramos_.back().total > 0) {
        dibujar(tramos_.back(), false);
    }
}

void Observador_terminal::linea(const std::string& texto) {
    if (silencio || texto.empty()) return;
    cortar_barra();
    std::printf("  %s\n", texto.c_str());
    reponer_barra();
    std::fflush(stdout);
}

void Observador_terminal::contador(int n, int total) { linea(textos_.Contador(n, total)); }

void Observador_terminal::probando_puerto(int n) {
    linea(textos_.Texto("PASO3_L2") + std::to_string(n));
}

void Observador_terminal::barra_visible(bool visible) {
    barra_visible_ = visible;
    if (!visible) {
        cortar_barra();
        cerrar_tramo();
    }
}

void Observador_terminal::tramo(const std::string& nombre, const std::string& unidad,
                                bool total_debido) {
    // A stream that gives way to the next one of its item went the whole way.
    if (tramo_abierto_ && tramos_.back().total_debido) tramos_.back().hecho = tramos_.back().total;
    cerrar_tramo();
    tramos_.push_back({nombre, unidad, 0, 0, 0, total_debido});
    tramo_abierto_ = true;
    inicio_tramo_ms_ = entorno_.milisegundos();
    ultimo_por_mil_ = -1;
}

void Observador_terminal::cerrar_tramo() {
    if (!tramo_abierto_) return;
    tramo_abierto_ = false;
    Tramo_hecho& t = tramos_.back();
    t.segundos = static_cast<double>(entorno_.milisegundos() - inicio_tramo_ms_) / 1000.0;
    cortar_barra();
    // A stream that never moved (a stage the meter went straight through) leaves no line.
    if (!silencio && t.total > 0 && t.hecho > 0) dibujar(t, true);
}

void Observador_terminal::fin_elemento(bool completo) {
    if (completo) {
        for (size_t i = primer_tramo_elemento_; i < tramos_.size(); ++i) {
            if (tramos_[i].total_debido) tramos_[i].hecho = tramos_[i].total;
        }
    }
    cerrar_tramo();
    primer_tramo_elemento_ = tramos_.size();
}

const std::vector<Tramo_hecho>& Observador_terminal::tramos() {
    cerrar_tramo();
    return tramos_;
}

void Observador_terminal::barra(int minimo, int maximo, int posicion) {
    // Only a named stream is shown: a bar put back to its start between streams says
    // nothing.
    if (!tramo_abierto_ || maximo <= minimo) return;
    Tramo_hecho& t = tramos_.back();
    Mover_tramo(t, minimo, maximo, posicion);
    const long long rango = t.total;
    t.segundos = static_cast<double>(entorno_.milisegundos() - inicio_tramo_ms_) / 1000.0;
    if (silencio) return;
    const int por_mil = static_cast<int>(t.hecho * 1000 / rango);
    if (es_terminal_) {
        const int64_t ahora = entorno_.milisegundos();
        if (por_mil == ultimo_por_mil_ || (por_mil != 1000 && ahora - ultimo_ms_ < 100)) return;
        ultimo_ms_ = ahora;
    } else if (por_mil / 100 == ultimo_por_mil_ / 100 && ultimo_por_mil_ >= 0) {
        return;  // plain lines: one every tenth of the way
    }
    ultimo_por_mil_ = por_mil;
    dibujar(t, false);
}

void Observador_terminal::dibujar(const Tramo_hecho& t, bool final) {
    const Partes_tramo p = Partes_de_tramo(t, final);
    const int por_ciento = p.por_ciento;
    const std::string& cantidad = p.cantidad;
    if (!es_terminal_) {
        if (final) {
            std::printf("  %s: done, %s in %.1f s\n", t.nombre.c_str(), cantidad.c_str(),
                        t.segundos);
        } else {
            std::printf("  %s: %d%% (%s)\n", t.nombre.c_str(), por_ciento, cantidad.c_str());
        }
        std::fflush(stdout);
        return;
    }
    const std::string ritmo = p.ritmo.empty() ? "" : "  " + p.ritmo + "  " + p.tiempo;
    // \x1b[K clears what a longer line left on the right.
    std::printf("\r  %-24s %3d%%  %s%s\x1b[K", t.nombre.c_str(), por_ciento, cantidad.c_str(),
                ritmo.c_str());
    barra_abierta_ = !final;
    if (final) std::fputc('\n', stdout);
    std::fflush(stdout);
}

bool Observador_terminal::Leer_si_no(const Pregunta_atencion& p) {
    std::FILE* salida = silencio ? stderr : stdout;
    for (;;) {
        std::fprintf(salida, "  [y] %s / [n] %s ? ", p.boton_ok.c_str(), p.boton_cancelar.c_str());
        std::fflush(salida);
        std::string linea;
        if (!std::getline(std::cin, linea)) return false;
        if (linea == "y" || linea == "Y" || linea == "yes") return true;
        if (linea == "n" || linea == "N" || linea == "no") return false;
    }
}

bool Observador_terminal::preguntar(Pregunta pregunta) {
    const Pregunta_atencion p = textos_.Pregunta_de(pregunta);
    cortar_barra();
    // A quiet run keeps its standard output for the outcome: the question goes to the error
    // stream.
    std::FILE* salida = silencio ? stderr : stdout;
    std::fprintf(salida, "\n  *** %s ***\n", p.titulo.c_str());
    for (const std::string* l : {&p.linea1, &p.linea2, &p.linea3}) {
        if (!l->empty()) std::fprintf(salida, "  %s\n", l->c_str());
    }
    bool ok = false;
    switch (respuesta_) {
        case Respuesta_fija::si:
            ok = true;
            std::fprintf(salida, "  -> %s (--yes)\n", p.boton_ok.c_str());
            break;
        case Respuesta_fija::no:
            std::fprintf(salida, "  -> %s (--no)\n", p.boton_cancelar.c_str());
            break;
        case Respuesta_fija::preguntar:
            if (entrada_terminal_) {
                ok = Leer_si_no(p);
            } else {
                std::fprintf(salida,
                             "  -> %s (standard input is not a terminal; use --yes to accept)\n",
                             p.boton_cancelar.c_str());
            }
            break;
    }
    std::fflush(salida);
    return ok;
}

void Observador_terminal::mensaje(const std::string& texto) {
    cortar_barra();
    std::fprintf(stderr, "! %s\n", texto.c_str());
    std::fflush(stderr);
    reponer_barra();
}

}  // namespace z82
