// z82-update-gui: the updater's window.
//
//   z82-update-gui [--port PATH_OR_NUMBER]
//
// Without --port the wizard searches every serial port; with it, it uses that one port
// (manual mode). idiomas.ini is looked for in the working directory, beside the program
// and in the installed data folder; the program carries a copy of its own.
#include <QApplication>
#include <QStringList>
#include <cstdio>
#include <memory>
#include <string>

#include "app/ventana_cargador.h"
#include "cli/archivo_idiomas.h"
#include "cli/registro_ventana.h"
#include "cli/version.h"
#include "gui/entorno_qt.h"
#include "gui/ventana_qt.h"

namespace {

const char* const kAyuda =
    "Usage: z82-update-gui [--port PATH_OR_NUMBER]\n"
    "  --port P   use only this port: a number (3, COM3) or a device path\n"
    "             (/dev/ttyUSB0, or the path z82-meter-sim prints)\n"
    "  --version  the program's version and the versions of the images it carries\n"
    "  --help     this text\n"
    "The texts come from idiomas.ini in the working directory, beside the program or in\n"
    "the installed data folder; without one, the program's own copy is used.\n";

struct Argumentos {
    std::string puerto;
    std::string error;
};

Argumentos Leer_argumentos(const QStringList& lista) {
    Argumentos a;
    for (qsizetype i = 1; i < lista.size(); ++i) {
        const QString& arg = lista[i];
        if (arg == "--port" && i + 1 < lista.size()) {
            a.puerto = lista[++i].toStdString();
        } else if (arg.startsWith("--port=")) {
            a.puerto = arg.mid(7).toStdString();
        } else {
            a.error = "unknown argument: " + arg.toStdString();
        }
    }
    if (a.error.empty() && lista.contains("--port") && a.puerto.empty()) {
        a.error = "--port needs a port";
    }
    return a;
}

}  // namespace

int main(int argc, char** argv) {
    // Help and version without a display.
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kAyuda, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::fputs(z82::Texto_version("z82-update-gui").c_str(), stdout);
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Update");
    const Argumentos args = Leer_argumentos(QApplication::arguments());
    if (!args.error.empty()) {
        std::fprintf(stderr, "z82-update-gui: %s\n%s", args.error.c_str(), kAyuda);
        return 2;
    }

    z82::Enlace_sistema enlace;
    z82::gui::Entorno_qt entorno(enlace);
    z82::gui::Ventana_qt vista;
    vista.describir_puerto = [&enlace](int n) { return enlace.descripcion(n); };
    // The run's trace and outcome, in a log for support.
    z82::Registro_ventana registro("z82-update-gui", enlace.serie, entorno);
    z82::Tventana_cargador ventana(entorno, vista, registro.dispositivo(), &enlace.cerrojo,
                                   z82::Buscar_idiomas(z82::Rutas_idiomas()).texto);
    vista.enlazar(&ventana);
    ventana.terminar = [&](int codigo) {
        // Any handshake in progress stops at its next check; the loop then ends.
        ventana.Salir();
        vista.hide();
        QCoreApplication::exit(codigo);
    };

    if (!args.puerto.empty()) {
        const int n = enlace.numero(args.puerto);
        if (n <= 0) {
            std::fprintf(stderr, "z82-update-gui: no such port: %s\n", args.puerto.c_str());
            registro.resultado("z82-update-gui: no such port: " + args.puerto);
            return 2;
        }
        ventana.Puerto_manual(n);
        vista.mostrar_puerto(n);
    }

    vista.show();
    const int codigo = QApplication::exec();
    vista.enlazar(nullptr);
    registro.cerrar(ventana);
    return codigo;
}
