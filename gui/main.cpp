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
#include <string>
#include <vector>

#include "cli/arranque_ventana.h"
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

}  // namespace

int main(int argc, char** argv) {
    using Que = z82::Orden_ventana::Que;
    // Help and version without a display.
    const z82::Orden_ventana previa = z82::Leer_orden_ventana({argv + 1, argv + argc});
    if (previa.que == Que::ayuda) {
        std::fputs(kAyuda, stdout);
        return 0;
    }
    if (previa.que == Que::version) {
        std::fputs(z82::Texto_version("z82-update-gui").c_str(), stdout);
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Update");
    // The desktop entry the window belongs to (its icon and name under Wayland).
    QGuiApplication::setDesktopFileName("org.example.z82_updater");
    // The arguments Qt leaves (it takes its own, such as -platform).
    std::vector<std::string> argumentos;
    for (const QString& a : QApplication::arguments().mid(1)) argumentos.push_back(a.toStdString());
    const z82::Orden_ventana orden = z82::Leer_orden_ventana(argumentos);
    if (orden.que == Que::error) {
        std::fprintf(stderr, "z82-update-gui: %s\n%s", orden.error.c_str(), kAyuda);
        return 2;
    }

    z82::Enlace_sistema enlace;
    z82::gui::Entorno_qt entorno(enlace);
    z82::Arranque_ventana arranque(
        entorno,
        {enlace.serie, &enlace.cerrojo, [&](const std::string& p) { return enlace.numero(p); },
         [&] { return enlace.numeros(); }, [&](int n) { return enlace.descripcion(n); }});
    z82::gui::Ventana_qt vista(arranque.modelo);
    arranque.ventana.terminar = [&](int codigo) {
        // Any handshake in progress stops at its next check; the loop then ends.
        arranque.ventana.Salir();
        vista.hide();
        QCoreApplication::exit(codigo);
    };
    if (!orden.puerto.empty() && !arranque.Elegir_puerto(orden.puerto)) {
        std::fprintf(stderr, "z82-update-gui: no such port: %s\n", orden.puerto.c_str());
        return 2;
    }

    vista.show();
    return QApplication::exec();
}
