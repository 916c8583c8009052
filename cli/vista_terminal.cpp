#include "cli/vista_terminal.h"

#include <cstdio>
#include <iostream>

namespace z82 {

Vista_terminal::Vista_terminal(Entorno& entorno, Respuesta_fija respuesta, bool es_terminal,
                               bool entrada_terminal)
    : entorno_(entorno),
      respuesta_(respuesta),
      es_terminal_(es_terminal),
      entrada_terminal_(entrada_terminal) {}

void Vista_terminal::cortar_barra() {
    if (barra_abierta_) {
        std::fputc('\n', stdout);
        barra_abierta_ = false;
    }
}

void Vista_terminal::info(int linea, const std::string& texto) {
    if (linea < 1 || linea > 3) return;
    std::string& actual = lineas_[linea - 1];
    if (actual == texto) return;
    actual = texto;
    if (silencio || texto.empty()) return;
    cortar_barra();
    std::printf("  %s\n", texto.c_str());
    std::fflush(stdout);
}

void Vista_terminal::barra_visible(bool visible) {
    barra_visible_ = visible;
    if (!visible) cortar_barra();
}

void Vista_terminal::barra(int minimo, int maximo, int posicion) {
    if (minimo != min_ || maximo != max_) {
        min_ = minimo;
        max_ = maximo;
        ultimo_por_mil_ = -1;
        cortar_barra();
    }
    if (silencio || maximo <= minimo) return;
    // A new range still holding the previous bar's position (20870 of 210) is not a
    // figure to show: it waits for its own first position.
    if (posicion > maximo || posicion < minimo) return;
    const long long rango = static_cast<long long>(maximo) - minimo;
    long long hecho = static_cast<long long>(posicion) - minimo;
    if (hecho < 0) hecho = 0;
    if (hecho > rango) hecho = rango;
    const int por_mil = static_cast<int>(hecho * 1000 / rango);
    if (es_terminal_) {
        const int64_t ahora = entorno_.milisegundos();
        if (por_mil == ultimo_por_mil_ || (por_mil != 1000 && ahora - ultimo_ms_ < 100)) return;
        ultimo_ms_ = ahora;
        ultimo_por_mil_ = por_mil;
        constexpr int kAncho = 40;
        const int lleno = por_mil * kAncho / 1000;
        std::string dibujo(static_cast<size_t>(lleno), '#');
        dibujo.append(static_cast<size_t>(kAncho - lleno), '.');
        std::printf("\r  [%s] %3d%%  %d/%d", dibujo.c_str(), por_mil / 10, posicion, maximo);
        std::fflush(stdout);
        barra_abierta_ = true;
    } else {
        // Plain lines: one every tenth of the way.
        const int decimo = por_mil / 100;
        if (decimo == ultimo_por_mil_) return;
        ultimo_por_mil_ = decimo;
        std::printf("  progress %d%% (%d/%d)\n", decimo * 10, posicion, maximo);
        std::fflush(stdout);
    }
}

bool Vista_terminal::Leer_si_no(const Pregunta_atencion& p) {
    for (;;) {
        std::printf("  [y] %s / [n] %s ? ", p.boton_ok.c_str(), p.boton_cancelar.c_str());
        std::fflush(stdout);
        std::string linea;
        if (!std::getline(std::cin, linea)) return false;
        if (linea == "y" || linea == "Y" || linea == "yes") return true;
        if (linea == "n" || linea == "N" || linea == "no") return false;
    }
}

void Vista_terminal::mostrar_atencion(const Pregunta_atencion& p) {
    cortar_barra();
    std::printf("\n  *** %s ***\n", p.titulo.c_str());
    for (const std::string* l : {&p.linea1, &p.linea2, &p.linea3}) {
        if (!l->empty()) std::printf("  %s\n", l->c_str());
    }
    bool ok = false;
    switch (respuesta_) {
        case Respuesta_fija::si:
            ok = true;
            std::printf("  -> %s (--yes)\n", p.boton_ok.c_str());
            break;
        case Respuesta_fija::no:
            std::printf("  -> %s (--no)\n", p.boton_cancelar.c_str());
            break;
        case Respuesta_fija::preguntar:
            if (entrada_terminal_) {
                ok = Leer_si_no(p);
            } else {
                std::printf("  -> %s (standard input is not a terminal; use --yes to accept)\n",
                            p.boton_cancelar.c_str());
            }
            break;
    }
    std::fflush(stdout);
    // The window waits for its answer after showing the panel: hand it over through the
    // message queue, as a click would arrive.
    if (responder) entorno_.publicar([this, ok] { responder(ok); });
}

void Vista_terminal::mensaje(const std::string& texto) {
    cortar_barra();
    std::fprintf(stderr, "! %s\n", texto.c_str());
    std::fflush(stderr);
}

}  // namespace z82
