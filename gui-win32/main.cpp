// z82-update-gui.exe: the updater's window on Windows.
//
//   z82-update-gui [--port N]
//
// Without --port the wizard searches every COM port; with it, it uses that one port
// (manual mode). idiomas.ini is looked for in the working folder and beside the program;
// the program carries a copy of its own.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/arranque_ventana.h"
#include "cli/version.h"
#include "gui-win32/entorno_win32.h"
#include "gui-win32/texto_win32.h"
#include "gui-win32/ventana_win32.h"

namespace {

const char* const kAyuda =
    "Usage: z82-update-gui [--port N]\n"
    "  --port N   use only this port: a number (3, COM3)\n"
    "  --version  the program's version and the versions of the images it carries\n"
    "  --help     this text\n"
    "The texts come from idiomas.ini in the working folder or beside the program; without\n"
    "one, the program's own copy is used.\n";

// A window program has no console of its own: answers to --help and --version go to the
// console it was started from, when there is one.
void Escribir(const std::string& texto, bool error) {
    FILE* salida = error ? stderr : stdout;
    const DWORD cual = error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE;
    HANDLE h = ::GetStdHandle(cual);
    if ((h == nullptr || h == INVALID_HANDLE_VALUE) && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::FILE* f = nullptr;
        if (error) {
            f = std::freopen("CONOUT$", "w", stderr);
        } else {
            f = std::freopen("CONOUT$", "w", stdout);
        }
        if (f == nullptr) return;
    }
    std::fputs(texto.c_str(), salida);
    std::fflush(salida);
}

}  // namespace

int main(int argc, char** argv) {
    using Que = z82::Orden_ventana::Que;
    const z82::Orden_ventana orden = z82::Leer_orden_ventana({argv + 1, argv + argc});
    switch (orden.que) {
        case Que::ayuda:
            Escribir(kAyuda, false);
            return 0;
        case Que::version:
            Escribir(z82::Texto_version("z82-update-gui"), false);
            return 0;
        case Que::error:
            Escribir("z82-update-gui: " + orden.error + "\n" + kAyuda, true);
            return 2;
        case Que::ventana:
            break;
    }
    // The manifest says so too; this covers a copy started without it.
    ::SetProcessDPIAware();

    z82::Enlace_sistema enlace;
    z82::win32::Entorno_win32 entorno(enlace);
    z82::Arranque_ventana arranque(
        entorno,
        {enlace.serie, &enlace.cerrojo, [&](const std::string& p) { return enlace.numero(p); },
         [&] { return enlace.numeros(); }, [&](int n) { return enlace.descripcion(n); }});
    z82::win32::Ventana_win32 vista(arranque.modelo);
    arranque.ventana.terminar = [&](int codigo) {
        // Any handshake in progress stops at its next check; the loop then ends.
        arranque.ventana.Salir();
        ::ShowWindow(vista.hwnd, SW_HIDE);
        ::PostQuitMessage(codigo);
    };
    if (!orden.puerto.empty() && !arranque.Elegir_puerto(orden.puerto)) {
        const std::wstring texto = z82::win32::Ancho("No such port: " + orden.puerto);
        ::MessageBoxW(nullptr, texto.c_str(), L"Update", MB_OK | MB_ICONERROR);
        return 2;
    }

    vista.mostrar();
    MSG m;
    for (;;) {
        const BOOL r = ::GetMessageW(&m, nullptr, 0, 0);
        if (r == 0) return static_cast<int>(m.wParam);
        if (r < 0) return 1;
        ::TranslateMessage(&m);
        ::DispatchMessageW(&m);
    }
}
