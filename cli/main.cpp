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

#include "app/actualizador.h"
#include "app/textos_asistente.h"
#include "cli/archivo_idiomas.h"
#include "cli/informe.h"
#include "cli/medidor_interno.h"
#include "cli/observador_terminal.h"
#include "cli/opciones.h"
#include "cli/registro.h"
#include "cli/terminal_banco.h"
#include "cli/traza.h"
#include "cli/version.h"
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
    Actualizador* ventana = nullptr;
    Observador_terminal* vista = nullptr;
    int atendidas = 0;

    void operator()() {
        const int interrupciones = g_interrupciones.load();
        if (interrupciones <= atendidas || ventana == nullptr) return;
        const bool otra = atendidas > 0;
        atendidas = interrupciones;
        if (vista != nullptr) vista->cortar_barra();
        if (otra && ventana->ocupado) {
            // The stop is already asked for: the next Ctrl-C is the one that quits.
            std::fprintf(stderr,
                         "! Still stopping at the next safe point. Ctrl-C once more "
                         "quits at once.\n");
        } else if (ventana->ocupado && ventana->Firmware_programado()) {
            // The new firmware is in: its zone configuration must follow before the run
            // may stop, or the meter keeps its old zone block under the new firmware.
            ventana->Detener();
            std::fprintf(stderr,
                         "! The firmware is written: stopping once its zone configuration is "
                         "(about 20 s). Ctrl-C twice more quits at once, leaving the zone "
                         "unwritten.\n");
        } else if (ventana->ocupado) {
            // A run stops at its next safe point: a transfer that cannot stop half-way (the
            // FPGA area, the module's own programming) ends first. The outcome says what
            // was written; the next run writes what is missing.
            ventana->Detener();
            std::fprintf(stderr,
                         "! Stopping at the next safe point (a transfer that cannot stop "
                         "half-way ends first). Ctrl-C twice more quits at once.\n");
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
    // Under --json and --quiet standard output holds the outcome alone: the diagnostic
    // lines (the meter's answer to each sector erase) go to standard error and into the
    // run's log (when it has one) instead.
    bool diagnostico_aparte = false;
    Registro_soporte* registro = nullptr;

    void procesar_mensajes() override {
        atender();
        ctrl_c();
    }

    void diagnostico(const std::string& linea) override {
        if (!diagnostico_aparte) {
            Entorno_sistema::diagnostico(linea);
            return;
        }
        std::string texto = linea;
        if (texto.empty() || texto.back() != '\n') texto += '\n';
        std::fputs(texto.c_str(), stderr);
        std::fflush(stderr);
        if (registro != nullptr && registro->abierto()) registro->salida() << texto;
    }
};

// The outcome on its stream and last in the run's log, followed by the log's name.
int Terminar(int codigo, const std::string& texto, Registro_soporte& registro, FILE* flujo = stdout,
             FILE* flujo_registro = stdout) {
    std::fputs(texto.c_str(), flujo);
    std::fflush(flujo);
    const bool con_registro = registro.abierto();
    registro.resultado(texto);
    if (con_registro) std::fprintf(flujo_registro, "Log: %s\n", registro.ruta().string().c_str());
    return codigo;
}

// The simulated meter of --simulate: inside this program on accelerated time, or served by
// z82-meter-sim on a pseudo-terminal in real time with --real-time.
struct Simuladores {
    std::unique_ptr<Medidor_interno> interno;
#ifndef _WIN32
    std::unique_ptr<Simulador_hijo> hijo;
#endif
    std::string puerto;  // the pseudo-terminal's path with --real-time
};

// 0 when the run may go on (with or without a simulated meter), else the exit code.
int Arrancar_simulador(const Opciones& o, Simuladores& s) {
    if (!o.simular) return 0;
    if (!o.tiempo_real) {
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
        s.interno = std::make_unique<Medidor_interno>(opciones);
        if (!o.silencio && !o.json) {
            std::printf("Simulated meter in this program, %d times faster than real time\n",
                        Medidor_interno::ACELERACION);
        }
        return 0;
    }
#ifdef _WIN32
    std::fprintf(stderr, "z82-update: --real-time needs a pseudo-terminal (Linux)\n");
    return 2;
#else
    s.hijo = std::make_unique<Simulador_hijo>();
    std::string error;
    if (!s.hijo->Iniciar(o.opciones_simulador, error)) {
        std::fprintf(stderr, "z82-update: cannot start the simulated meter: %s\n", error.c_str());
        return 1;
    }
    s.puerto = s.hijo->Ruta();
    if (!o.silencio && !o.json) std::printf("Simulated meter on %s\n", s.puerto.c_str());
    return 0;
#endif
}

// --help, --version, --list-plans: answered without a port. -1 when none was asked.
int Orden_sin_puerto(const Opciones& o) {
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
    return -1;
}

int Principal(const std::vector<std::string>& args) {
    const Opciones o = Analizar_opciones(args);
    if (const int codigo = Orden_sin_puerto(o); codigo >= 0) return codigo;

    Enlace_sistema enlace;
    if (o.listar_puertos) {
        const std::vector<int> numeros = enlace.numeros();
        if (numeros.empty()) std::printf("No serial ports found.\n");
        for (int n : numeros) {
            std::printf("%2d  %s\n", n, enlace.descripcion(n).c_str());
            // The names that stay with the hub slot (and with the adapter) when the adapter
            // is plugged in again: --port takes them.
            std::printf("    slot %s\n", enlace.ranura(n).c_str());
            if (const std::string id = enlace.por_id(n); !id.empty() && id != enlace.ranura(n))
                std::printf("    id   %s\n", id.c_str());
        }
        return 0;
    }
    if (Es_banco(o)) {
        std::signal(SIGINT, Al_interrumpir);
        return Ejecutar_banco(o, enlace, g_interrupciones);
    }

    Simuladores simuladores;
    if (const int codigo = Arrancar_simulador(o, simuladores); codigo != 0) return codigo;
    const std::unique_ptr<Medidor_interno>& interno = simuladores.interno;
    const std::string puerto = !simuladores.puerto.empty() ? simuladores.puerto
                               : o.puertos.empty()         ? std::string()
                                                           : o.puertos.front();

    const bool es_terminal = Z82_ISATTY(1);
    const bool entrada_terminal = Z82_ISATTY(0);
    Entorno_terminal entorno_sistema(enlace);
    entorno_sistema.campana = es_terminal;
    Entorno& entorno = interno ? static_cast<Entorno&>(interno->entorno()) : entorno_sistema;
    Atencion_ctrl_c& ctrl_c = entorno_sistema.ctrl_c;
    if (interno) interno->entorno().al_procesar = [&ctrl_c] { ctrl_c(); };
    const Textos_asistente textos(Buscar_idiomas(Rutas_idiomas()).texto);
    Observador_terminal vista(entorno, textos, o.respuesta, es_terminal, entrada_terminal);
    vista.silencio = o.silencio || o.json;

    Dispositivo_serie* dispositivo = interno ? &interno->dispositivo() : &enlace.serie;
    Cerrojo_puerto* cerrojo = interno ? nullptr : &enlace.cerrojo;
    // Every run leaves its trace and outcome in a log of its own for support; --trace
    // writes the same trace to the file given as well.
    Registro_soporte registro;
    Abrir_registro(registro, "z82-update");
    entorno_sistema.diagnostico_aparte = o.silencio || o.json;
    entorno_sistema.registro = &registro;
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

    Actualizador ventana(entorno, vista, *dispositivo, cerrojo);
    ventana.Abrir_hex();
    ctrl_c.ventana = &ventana;
    ctrl_c.vista = &vista;
    if (ventana.lector_hex == nullptr) {
        return Terminar(1, "z82-update: the carried firmware image is damaged\n", registro, stderr);
    }
    if (!o.silencio && !o.json) std::printf("%s\n", ventana.Titulo().c_str());

    if (!puerto.empty()) {
        const int n = enlace.numero(puerto);
        if (n <= 0) {
            return Terminar(2, "z82-update: no such port: " + puerto + "\n", registro, stderr);
        }
        ventana.modo_automatico = false;
        ventana.numero_puerto = n;
    }
    ventana.zona_pendiente = o.zona;
    std::signal(SIGINT, Al_interrumpir);

    // Ends a run that found no meter, or the update: the outcome, as text or JSON.
    const int64_t inicio_ms = entorno.milisegundos();
    Resultado_asistente resultado = Resultado_asistente::ninguno;
    Desenlace_actualizacion desenlace;
    const auto terminar = [&]() {
        vista.cortar_barra();
        const std::vector<Tramo_hecho>& tramos = vista.tramos();
        const double segundos = static_cast<double>(entorno.milisegundos() - inicio_ms) / 1000.0;
        const Desenlace d = Desenlace_de(ventana, resultado, desenlace);
        if (o.json) {
            // Standard output holds the object alone: the log's name goes to standard error.
            return Terminar(d.codigo, Json_desenlace(ventana, d, tramos, segundos) + "\n", registro,
                            stdout, stderr);
        }
        if (!o.silencio) Imprimir_resumen(tramos, segundos);
        if (interno && !o.silencio) {
            std::printf("Protocol time %.1f s, wall time %.1f s.\n", interno->segundos_protocolo(),
                        interno->entorno().segundos_reales());
        }
        return Terminar(d.codigo, Texto_desenlace(d), registro);
    };

    if (o.plan) {
        vista.silencio = true;
        ventana.Buscar_medidor();
        if (!ventana.sesion.conectado) {
            resultado = ventana.sesion.cerrando ? Resultado_asistente::detenido
                                                : Resultado_asistente::no_encontrado;
            return terminar();
        }
        const bool permitido = ventana.Comprobar_medidor();
        ventana.Soltar_enlace();
        if (o.json)
            return Terminar(0, Json_plan(ventana, permitido) + "\n", registro, stdout, stderr);
        Imprimir_plan(ventana);
        const std::string motivo = Motivo_no_permitido(ventana);
        return Terminar(0,
                        std::string("Update allowed: ") +
                            (permitido ? "yes" : (motivo.empty() ? "nothing to do" : motivo)) +
                            "\n",
                        registro);
    }

    // The search, the checks, the run.
    vista.linea(textos.Texto("PASO3_L1"));
    ventana.Buscar_medidor();
    if (!ventana.sesion.conectado) {
        // A search stopped by Ctrl-C found nothing because it was stopped.
        resultado = ventana.sesion.cerrando ? Resultado_asistente::detenido
                                            : Resultado_asistente::no_encontrado;
        return terminar();
    }
    resultado = ventana.Comprobar_antes_de_actualizar();
    if (resultado != Resultado_asistente::ninguno) return terminar();
    vista.linea(textos.Texto("PASO4_L1"));
    vista.linea(textos.Texto("PASO4_L2"));
    desenlace = ventana.Actualizar_medidor();
    resultado = Resultado_de(desenlace);
    if (resultado == Resultado_asistente::actualizado) {
        vista.linea(textos.Texto("PASO5_L1"));
        vista.linea(textos.Texto("PASO5_L2"));
    }
    return terminar();
}

}  // namespace
}  // namespace z82

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return z82::Principal(args);
}
