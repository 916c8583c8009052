// z82-update: the updater's wizard without a window, for technicians, scripts and factory
// lines. It searches the ports, connects, checks the meter and writes what it needs.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/ventana_cargador.h"
#include "cli/archivo_idiomas.h"
#include "cli/medidor_interno.h"
#include "cli/opciones.h"
#include "cli/registro.h"
#include "cli/traza.h"
#include "cli/version.h"
#include "cli/vista_terminal.h"
#ifdef _WIN32
#include <io.h>

#include "link/win32/enlace_sistema.h"
#include "link/win32/entorno_sistema.h"
#define Z82_ISATTY(fd) (_isatty(fd) != 0)
#else
#include <unistd.h>

#include "cli/simulador_hijo.h"
#include "link/posix/enlace_sistema.h"
#include "link/posix/entorno_sistema.h"
#define Z82_ISATTY(fd) (isatty(fd) != 0)
#endif
#include "fpga/area_fpga.h"
#include "plans/planes.h"
#include "queries/tconsultas.h"

namespace z82 {
namespace {

// Windows runs the handler on a thread of its own: a lock-free atomic is safe from both.
std::atomic<int> g_interrupciones{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void Al_interrumpir(int) {
    const int n = g_interrupciones.fetch_add(1) + 1;
#ifdef _WIN32
    // Windows puts the default action back before it calls the handler, and that action
    // may end the program with code 0. The third Ctrl-C ends it here, as an interrupted
    // console program ends (STATUS_CONTROL_C_EXIT).
    if (n >= 3) std::_Exit(static_cast<int>(0xC000013Au));
    std::signal(SIGINT, Al_interrumpir);
#else
    // The third Ctrl-C ends the program at once.
    if (n >= 2) std::signal(SIGINT, SIG_DFL);
#endif
}

// The terminal's own message: Ctrl-C, seen at the message pump.
struct Atencion_ctrl_c {
    Tventana_cargador* ventana = nullptr;
    Vista_terminal* vista = nullptr;
    int atendidas = 0;

    void operator()() {
        const int interrupciones = g_interrupciones.load();
        if (interrupciones <= atendidas || ventana == nullptr) return;
        atendidas = interrupciones;
        if (vista != nullptr) vista->cortar_barra();
        if (ventana->ocupado) {
            // A run stops at its next safe point; the meter is then updated again from the
            // start by the next run.
            ventana->Detener();
            std::fprintf(stderr,
                         "! Stopping at the next safe point. The next update starts again "
                         "from the beginning. Ctrl-C twice more quits at once.\n");
        } else {
            ventana->Salir();
            std::fprintf(stderr, "! Stopping.\n");
        }
    }
};

// The system's environment plus the terminal's own messages.
class Entorno_terminal : public Entorno_sistema {
  public:
    using Entorno_sistema::Entorno_sistema;
    Atencion_ctrl_c ctrl_c;

    void procesar_mensajes() override {
        atender();
        ctrl_c();
    }
};

const char* Nombre_tipo(int tipo) {
    static const char* const kRegiones[] = {"0", "1", "2", "3", "4"};
    return tipo >= 0 && tipo <= 4 ? kRegiones[tipo] : "?";
}

void Imprimir_plan(Tventana_cargador& v) {
    const Version_mpeg4& m = v.consultas->version;
    std::printf("Meter on port %d\n", v.numero_puerto);
    std::printf("  firmware      %s%s (program carries %s)\n", v.version_medidor.c_str(),
                v.medidor.es_usa ? " USA" : "", v.version_hex.c_str());
    std::printf("  channel plans type %s version %d (program carries %d)\n",
                Nombre_tipo(v.medidor.tipo_plan_medidor), v.medidor.plan_medidor,
                Version_plan_llevada(v.medidor.tipo_plan_medidor));
    std::printf("  FPGA          %s (program carries %s)\n", v.version_fpga_medidor.c_str(),
                Version_fpga_llevada().c_str());
    if (m.version_boot == 0xFF || m.version_decoders == 0xFF) {
        std::printf("  MPEG4 module  not answering\n");
    } else {
        std::printf("  MPEG4 module  software 0x%04X build %u boot %u decoders %u\n", m.version_sw,
                    m.build, m.version_boot, m.version_decoders);
    }
    std::printf("  language index %d\n", v.medidor.idioma_medidor);
    std::printf("Items an update would write:\n");
    int n = 0;
    auto item = [&](bool marcado, const char* nombre) {
        if (!marcado) return;
        std::printf("  - %s\n", nombre);
        ++n;
    };
    item(v.Check_borrar, "memory erase");
    item(v.Check_mpeg4_apl, "MPEG4 module application");
    item(v.Check_fpga, "FPGA configurations");
    item(v.Check_firmware, "main firmware");
    item(v.Check_planes, "channel plans (with the firmware; the plan question decides)");
    item(v.Check_configuracion, "zone configuration");
    if (n == 0) std::printf("  (none: the meter is up to date)\n");
}

std::string Motivo_no_permitido(const Tventana_cargador& v) {
    if (v.medidor.opciones_bit5_libre) return "the meter's options do not allow an update";
    if (!v.medidor.version_legible)
        return "the meter's versions cannot be read (or never read the same twice)";
    if (v.medidor.es_usa) return "the meter is a USA model";
    return "";
}

// The outcome line(s) of the run and the exit code.
int Codigo_salida(const Tventana_cargador& v, std::string& texto) {
    switch (v.resultado) {
        case Resultado_asistente::actualizado:
            texto += "Result: the meter was updated.\n";
            return 0;
        case Resultado_asistente::nada_que_hacer:
            texto += "Result: nothing to do, every item is up to date (firmware " +
                     v.version_medidor + ").\n";
            return 0;
        case Resultado_asistente::no_permitido:
            texto += "Result: not updated: " + Motivo_no_permitido(v) + ".\n";
            return 10;
        case Resultado_asistente::detenido_nivel:
            texto += "Result: stopped by the level check.\n";
            return 11;
        case Resultado_asistente::detenido_dispositivo:
            texto += "Result: stopped by the device status check.\n";
            return 11;
        case Resultado_asistente::no_encontrado:
            texto += std::string("Result: no meter found") +
                     (v.respuesta_6d ? " (a meter answered but refused the connection)" : "") +
                     ".\n";
            for (const std::string& a : v.avisos_puertos) texto += "  " + a + "\n";
            return 12;
        case Resultado_asistente::borrado_rechazado:
            texto += "Result: the memory erase was refused; nothing was written.\n";
            return 13;
        case Resultado_asistente::fallo:
            if (v.fin_actualizacion == Fin_actualizacion::detenida) {
                texto +=
                    "Result: the update was STOPPED at your request. Run it again: it "
                    "starts from the beginning.\n";
                return 1;
            }
            break;
        case Resultado_asistente::ninguno:
            break;
    }
    texto += "Result: the update FAILED. Run it again: it starts from the beginning.\n";
    return 1;
}

// The outcome on its stream and last in the run's log, followed by the log's name.
int Terminar(int codigo, const std::string& texto, Registro_soporte& registro,
             FILE* flujo = stdout) {
    std::fputs(texto.c_str(), flujo);
    std::fflush(flujo);
    const bool con_registro = registro.abierto();
    registro.resultado(texto);
    if (con_registro) std::printf("Log: %s\n", registro.ruta().string().c_str());
    return codigo;
}

int Terminar(const Tventana_cargador& v, Registro_soporte& registro) {
    std::string texto;
    const int codigo = Codigo_salida(v, texto);
    return Terminar(codigo, texto, registro);
}

int Principal(const std::vector<std::string>& args) {
    const Opciones o = Analizar_opciones(args);
    if (!o.error.empty()) {
        std::fprintf(stderr, "z82-update: %s\n\n%s", o.error.c_str(), Texto_ayuda().c_str());
        return 2;
    }
    if (o.ayuda) {
        std::printf("%s", Texto_ayuda().c_str());
        return 0;
    }
    if (o.version) {
        std::printf("%s", Texto_version("z82-update").c_str());
        return 0;
    }
    if (o.listar_planes) {
        for (int tipo = 0; tipo <= 4; ++tipo) std::printf("%s\n", Listado_planes(tipo).c_str());
        return 0;
    }

    Enlace_sistema enlace;
    if (o.listar_puertos) {
        const std::vector<int> numeros = enlace.numeros();
        if (numeros.empty()) std::printf("No serial ports found.\n");
        for (int n : numeros) std::printf("%2d  %s\n", n, enlace.descripcion(n).c_str());
        return 0;
    }

    std::string puerto = o.puerto;
    // The built-in meter runs in this program on accelerated time; --real-time serves it on
    // a pseudo-terminal in real time instead.
    std::unique_ptr<Medidor_interno> interno;
    if (o.simular && !o.tiempo_real) {
        const sim::Opciones_medidor opciones = sim::Leer_opciones_medidor(o.opciones_simulador);
        std::string error = opciones.error;
        if (error.empty() && (!opciones.png.empty() || !opciones.enlace.empty() ||
                              !opciones.volcado.empty() || opciones.ayuda)) {
            error = "--png, --link, --dump and --help of the simulated meter need --real-time";
        }
        if (!error.empty()) {
            std::fprintf(stderr, "z82-update: simulated meter: %s\n", error.c_str());
            return 2;
        }
        interno = std::make_unique<Medidor_interno>(opciones);
        std::printf("Simulated meter in this program, %d times faster than real time\n",
                    Medidor_interno::ACELERACION);
    }
#ifdef _WIN32
    if (o.simular && o.tiempo_real) {
        std::fprintf(stderr, "z82-update: --real-time needs a pseudo-terminal (Linux)\n");
        return 2;
    }
#else
    std::unique_ptr<Simulador_hijo> simulador;
    if (o.simular && o.tiempo_real) {
        simulador = std::make_unique<Simulador_hijo>();
        std::string error;
        if (!simulador->Iniciar(o.opciones_simulador, error)) {
            std::fprintf(stderr, "z82-update: cannot start the simulated meter: %s\n",
                         error.c_str());
            return 1;
        }
        puerto = simulador->Ruta();
        std::printf("Simulated meter on %s\n", puerto.c_str());
    }
#endif

    const bool es_terminal = Z82_ISATTY(1);
    const bool entrada_terminal = Z82_ISATTY(0);
    Entorno_terminal entorno_sistema(enlace);
    entorno_sistema.campana = es_terminal;
    Entorno& entorno = interno ? static_cast<Entorno&>(interno->entorno()) : entorno_sistema;
    Atencion_ctrl_c& ctrl_c = entorno_sistema.ctrl_c;
    if (interno) interno->entorno().al_procesar = [&ctrl_c] { ctrl_c(); };
    Vista_terminal vista(entorno, o.respuesta, es_terminal, entrada_terminal);

    Dispositivo_serie* dispositivo = interno ? &interno->dispositivo() : &enlace.serie;
    Cerrojo_puerto* cerrojo = interno ? nullptr : &enlace.cerrojo;
    // Every run leaves its trace and outcome in a log of its own for support; --trace
    // writes the same trace to the file given as well.
    Registro_soporte registro;
    Abrir_registro(registro, "z82-update");
    std::unique_ptr<Dispositivo_traza> traza_registro;
    if (registro.abierto()) {
        traza_registro =
            std::make_unique<Dispositivo_traza>(*dispositivo, entorno, registro.salida());
        dispositivo = traza_registro.get();
    }
    std::unique_ptr<Dispositivo_traza> traza;
    if (!o.traza.empty()) {
        traza = std::make_unique<Dispositivo_traza>(*dispositivo, entorno, o.traza);
        if (!traza->valida()) {
            return Terminar(2, "z82-update: cannot write " + o.traza + "\n", registro, stderr);
        }
        dispositivo = traza.get();
    }

    Tventana_cargador ventana(entorno, vista, *dispositivo, cerrojo,
                              Buscar_idiomas(Rutas_idiomas()).texto);
    ctrl_c.ventana = &ventana;
    ctrl_c.vista = &vista;
    vista.responder = [&ventana](bool ok) {
        if (ok) {
            ventana.Button_atencion_okClick();
        } else {
            ventana.Button_atencion_cancelClick();
        }
    };
    if (ventana.lector_hex == nullptr) {
        return Terminar(1, "z82-update: the carried firmware image is damaged\n", registro, stderr);
    }
    std::printf("%s\n", ventana.Titulo().c_str());

    if (!puerto.empty()) {
        const int n = enlace.numero(puerto);
        if (n <= 0) {
            return Terminar(2, "z82-update: no such port: " + puerto + "\n", registro, stderr);
        }
        ventana.MenuPuertoClick();
        ventana.numero_puerto = n;
    }
    std::signal(SIGINT, Al_interrumpir);

    if (o.plan) {
        vista.silencio = true;
        ventana.Buscar_medidor();
        if (!ventana.conectado) {
            ventana.resultado = Resultado_asistente::no_encontrado;
            return Terminar(ventana, registro);
        }
        Imprimir_plan(ventana);
        const bool permitido = ventana.Comprobar_medidor();
        const std::string motivo = Motivo_no_permitido(ventana);
        ventana.Soltar_enlace();
        return Terminar(0,
                        std::string("Update allowed: ") +
                            (permitido ? "yes" : (motivo.empty() ? "nothing to do" : motivo)) +
                            "\n",
                        registro);
    }

    ventana.Button_buscar_puertoClick();  // the instructions
    ventana.Button_buscar_puertoClick();  // search, check, update
    vista.cortar_barra();
    if (interno) {
        std::printf("Protocol time %.1f s, wall time %.1f s.\n", interno->segundos_protocolo(),
                    interno->entorno().segundos_reales());
    }
    return Terminar(ventana, registro);
}

}  // namespace
}  // namespace z82

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return z82::Principal(args);
}
