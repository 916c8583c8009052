// z82-update-gui.exe: the updater's window on Windows.
//
//   z82-update-gui [--port N]
//
// Without --port the wizard searches every COM port; with it, it uses that one port
// (manual mode). idiomas.ini is looked for in the working folder and beside the program;
// the program carries a copy of its own.
#include <cstdio>
#include <memory>
#include <string>

#include "app/ventana_cargador.h"
#include "cli/archivo_idiomas.h"
#include "cli/registro_ventana.h"
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
    std::string puerto;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h" || arg == "/?") {
            Escribir(kAyuda, false);
            return 0;
        }
        if (arg == "--version") {
            Escribir(z82::Texto_version("z82-update-gui"), false);
            return 0;
        }
        if (arg == "--port" && i + 1 < argc) {
            puerto = argv[++i];
        } else if (arg.rfind("--port=", 0) == 0) {
            puerto = arg.substr(7);
        } else {
            Escribir("z82-update-gui: unknown argument: " + arg + "\n" + kAyuda, true);
            return 2;
        }
    }
    // The manifest says so too; this covers a copy started without it.
    ::SetProcessDPIAware();

    z82::Enlace_sistema enlace;
    z82::win32::Entorno_win32 entorno(enlace);
    z82::win32::Ventana_win32 vista;
    vista.describir_puerto = [&enlace](int n) { return enlace.descripcion(n); };
    // The run's trace and outcome, in a log for support.
    z82::Registro_ventana registro("z82-update-gui", enlace.serie, entorno);
    z82::Tventana_cargador ventana(entorno, vista, registro.dispositivo(), &enlace.cerrojo,
                                   z82::Buscar_idiomas(z82::Rutas_idiomas()).texto);
    vista.enlazar(&ventana);
    ventana.terminar = [&](int codigo) {
        // Any handshake in progress stops at its next check; the loop then ends.
        ventana.Salir();
        ::ShowWindow(vista.hwnd, SW_HIDE);
        ::PostQuitMessage(codigo);
    };

    if (!puerto.empty()) {
        const int n = enlace.numero(puerto);
        if (n <= 0) {
            const std::wstring texto = z82::win32::Ancho("No such port: " + puerto);
            ::MessageBoxW(nullptr, texto.c_str(), L"Update", MB_OK | MB_ICONERROR);
            registro.resultado("z82-update-gui: no such port: " + puerto);
            return 2;
        }
        ventana.Puerto_manual(n);
        vista.mostrar_puerto(n);
    }

    vista.mostrar();
    MSG m;
    int codigo = 0;
    for (;;) {
        const BOOL r = ::GetMessageW(&m, nullptr, 0, 0);
        if (r == 0) {
            codigo = static_cast<int>(m.wParam);
            break;
        }
        if (r < 0) {
            codigo = 1;
            break;
        }
        ::TranslateMessage(&m);
        ::DispatchMessageW(&m);
    }
    vista.enlazar(nullptr);
    registro.cerrar(ventana);
    return codigo;
}
