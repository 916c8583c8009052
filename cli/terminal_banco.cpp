#include "cli/terminal_banco.h"

#include <cstdio>
#include <string>

#include "cli/banco.h"
#include "cli/eventos_banco.h"
#include "cli/puesto_sistema.h"
#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "link/win32/enlace_sistema.h"
#include "link/win32/entorno_sistema.h"
#else
#include <sys/ioctl.h>
#include <unistd.h>

#include "link/posix/enlace_sistema.h"
#include "link/posix/entorno_sistema.h"
#endif

namespace z82 {

namespace {

// True when standard output is a terminal that takes the cursor movements of live lines;
// ancho gets its width in columns.
bool Terminal_vivo(int& ancho) {
    ancho = 80;
#ifdef _WIN32
    if (_isatty(1) == 0) return false;
    HANDLE h = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD modo = 0;
    if (!GetConsoleMode(h, &modo)) return false;
    if (!SetConsoleMode(h, modo | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) return false;
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(h, &info)) ancho = info.srWindow.Right - info.srWindow.Left + 1;
    return true;
#else
    if (isatty(1) == 0) return false;
    winsize w{};
    if (ioctl(1, TIOCGWINSZ, &w) == 0 && w.ws_col > 0) ancho = w.ws_col;
    return true;
#endif
}

}  // namespace

int Ejecutar_banco(const Opciones& o, Enlace_sistema& enlace,
                   const std::atomic<int>& interrupciones) {
    Opciones_banco ob;
    ob.respuesta = o.respuesta;
    ob.zona = o.zona;
    ob.vigilar = o.vigilar;
    for (const std::string& nombre : o.puertos) {
        const int n = enlace.numero(nombre);
        if (n <= 0) {
            std::fprintf(stderr, "z82-update: no such port: %s\n", nombre.c_str());
            return 2;
        }
        const Ranura r = Ranura_de(enlace, n);
        for (const Ranura& otra : ob.fijas) {
            if (otra.nombre == r.nombre) {
                std::fprintf(stderr, "z82-update: %s names the slot %s a second time\n",
                             nombre.c_str(), r.nombre.c_str());
                return 2;
            }
        }
        ob.fijas.push_back(r);
    }

    int ancho = 80;
    const bool vivo = !o.json && !o.silencio && Terminal_vivo(ancho);
    Pantalla_banco pantalla(stdout, vivo);
    pantalla.ancho = ancho;
    const auto salida = [&](const Evento_banco& e) {
        if (o.json) {
            std::printf("%s\n", Json_evento(e).c_str());
            std::fflush(stdout);
        } else if (!o.silencio) {
            pantalla.evento(e);
        } else if (e.tipo == Tipo_evento::desenlace) {
            std::printf("%s  %s", e.ranura.c_str(), Texto_desenlace(e.desenlace).c_str());
            std::fflush(stdout);
        }
    };

    Entorno_sistema reloj(enlace);
    Fuente_sistema fuente;
    Banco banco(reloj, fuente, ob, salida);
    int atendidas = 0;
    banco.al_turno = [&] {
        const int n = interrupciones.load();
        if (n <= atendidas) return;
        atendidas = n;
        banco.Detener();
        std::fprintf(stderr,
                     n == 1 ? "! Stopping: each meter stops at its next safe point (a transfer "
                              "that cannot stop half-way ends first); no meter is started. "
                              "Ctrl-C twice more quits at once.\n"
                            : "! Still stopping at the next safe points. Ctrl-C once more quits "
                              "at once.\n");
    };
    if (!o.json && !o.silencio) {
        if (o.vigilar) {
            std::printf("Watching the ports: each meter plugged in is updated; Ctrl-C ends.\n");
        } else if (o.todos) {
            std::printf("Updating every meter that answers on a port.\n");
        } else {
            std::printf("Updating %zu meters.\n", ob.fijas.size());
        }
        std::fflush(stdout);
    }
    const int codigo = banco.Ejecutar();
    if (o.json) {
        std::printf("%s\n", Json_resumen(banco.desenlaces(), codigo, banco.segundos()).c_str());
    } else if (!o.silencio) {
        pantalla.tabla(banco.desenlaces(), codigo);
    }
    std::fflush(stdout);
    return codigo;
}

}  // namespace z82
