// Whole updates against the simulated meter: under virtual time in-process, and in real time
// over a pseudo-terminal to z82-meter-sim, which paces every byte at 115200 baud 8N2.
//
//   bench_actualizacion [--completa | --ocho] [--sin-pty] [--nice N]
//
// The programs on the pty run at nice -10 (--nice changes it; 0 leaves it), when the user
// may: they sleep nearly all the time, and a machine busy with other work would otherwise
// wake them late and count its own load as their time.
//
// Prints rows of a table (| what | value |), and exits non-zero, saying why on standard
// error, when a row did not measure what it names:
//   - the default update (firmware, plans, FPGA area, zone) under virtual time: real
//     seconds it takes and the protocol time it stands for;
//   - the pty scenario (by default a meter at firmware 1.89.00000, which needs only the FPGA
//     area; --completa: the default meter, the whole update): the protocol time of the same
//     scenario under virtual time, where the clock moves only by the bytes on the wire, the
//     pauses, the drains and the time-outs; the wall time of z82-update --yes --json against
//     z82-meter-sim for it, their ratio, the CPU time z82-update used and its peak memory;
//   - the FPGA-only scenario on eight meters updated by one z82-update (--port eight
//     times, not with --completa): each meter's time to its outcome against the single
//     run's wall time, at most 1.10 times it; the CPU time per meter, under 2 % of one core;
//     the peak memory, at most 31 MB (ocho_medidores.cpp). --ocho runs the single run and
//     this one alone. (Two copies of the program side by side, one port each, are a test:
//     tests/e2e/posix/lado_a_lado_pty_test.cpp.)
//   - the cable pulled: the FPGA-only scenario again, the simulator ended once the meter has
//     taken 10 % of the FPGA area (its own log of the commands it understood says when);
//     the CPU time z82-update uses from then until it gives up, and how long that takes (it
//     must wait, not spin);
//   - the peak memory of the Qt window, when it was built and can start offscreen.
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "apoyo/banco.h"
#include "apoyo/banco_ventana.h"
#include "base/mapa_flash.h"
#include "fpga/tcfpga.h"
#include "ocho_medidores.h"
#include "procesos.h"
#include "sim/config_medidor.h"
#include "sim/medidor_simulado.h"

namespace {

namespace fs = std::filesystem;
using namespace z82::banco;

const char* Nombre(z82::Resultado_asistente r) {
    using R = z82::Resultado_asistente;
    switch (r) {
        case R::actualizado:
            return "updated";
        case R::nada_que_hacer:
            return "nothing to do";
        case R::fallo:
            return "FAILED";
        default:
            return "other";
    }
}

struct Virtual {
    double real_s = 0;
    double protocolo_s = 0;
    z82::Resultado_asistente resultado{};
    long mensajes = 0;
};

// The update as z82-update --port P --yes runs it: manual mode on the meter's port, the
// instructions click, then search, checks and update, both questions answered OK.
Virtual Actualizar_virtual(const z82::sim::Config_medidor& c) {
    z82::prueba::Banco_ventana b;
    // Letting pending messages run costs the engine next to nothing; under virtual time it
    // costs a microsecond, so that loops which only pump messages still see time pass.
    b.entorno.paso_mensajes_us = 1;
    z82::sim::Medidor_simulado medidor(c);
    b.poner(1, &medidor);
    auto& v = b.crear();
    v.MenuPuertoClick();
    v.numero_puerto = 1;
    b.vista.respuestas = {true, true};
    const int64_t desde_us = b.reloj.us();
    const auto t0 = Reloj::now();
    v.Button_buscar_puertoClick();
    v.Button_buscar_puertoClick();
    Virtual r;
    r.real_s = Segundos(t0, Reloj::now());
    r.protocolo_s = static_cast<double>(b.reloj.us() - desde_us) / 1e6;
    r.resultado = v.resultado;
    r.mensajes = b.entorno.mensajes_procesados;
    b.ventana.reset();
    return r;
}

// CPU seconds (user + system) a running process has used so far.
double Cpu_hasta_ahora(pid_t pid) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
    const std::string linea((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    // Fields after the command name, which ends at the last ')': state is field 3,
    // utime and stime fields 14 and 15.
    const size_t cierre = linea.rfind(')');
    if (cierre == std::string::npos) return -1;
    std::vector<std::string> campos;
    size_t i = cierre + 2;
    while (i < linea.size() && campos.size() < 13) {
        const size_t fin = linea.find(' ', i);
        campos.push_back(linea.substr(i, fin - i));
        if (fin == std::string::npos) break;
        i = fin + 1;
    }
    if (campos.size() < 13) return -1;
    const double tic = static_cast<double>(sysconf(_SC_CLK_TCK));
    return (std::stod(campos[11]) + std::stod(campos[12])) / tic;
}

// True while the process has not ended; it is left to be waited for.
bool Sigue(pid_t pid) {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == 0;
}

// The lines of a pipe, each waited for at most a given time.
class Lector_lineas {
  public:
    explicit Lector_lineas(int fd) : fd_(fd) {}
    // False when no whole line came within ms, or the pipe ended (cerrado()).
    bool Leer(std::string& linea, int ms) {
        for (;;) {
            const size_t fin = pendiente_.find('\n');
            if (fin != std::string::npos) {
                linea = pendiente_.substr(0, fin);
                pendiente_.erase(0, fin + 1);
                return true;
            }
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, ms) <= 0) return false;
            char buf[4096];
            const ssize_t n = read(fd_, buf, sizeof buf);
            if (n <= 0) {
                cerrado_ = true;
                return false;
            }
            pendiente_.append(buf, static_cast<size_t>(n));
        }
    }

    bool cerrado() const { return cerrado_; }

  private:
    int fd_;
    std::string pendiente_;
    bool cerrado_ = false;
};

// The bytes of the FPGA area the program writes: the image of its two configurations.
size_t Bytes_area_fpga() {
    z82::prueba::Banco b;
    z82::TCFpga fpga{b.ctx.canal(), b.ctx.Barra_progreso};
    fpga.n_configuraciones = 2;
    return fpga.Imagen().size();
}

// Where the cable pull stands, from the meter's own log: "T borrado P-Q ...",
// "T escritura PAGE ADDR N" for each block it took, "T programa ..." once the transfer is
// over.
struct Transferencia_fpga {
    size_t total = 0;
    size_t tomados = 0;  // bytes the meter took into the FPGA area
    bool terminada = false;

    void Linea(const std::string& linea) {
        char orden[32] = {};
        unsigned pagina = 0, direccion = 0, bytes = 0;
        double t = 0;
        const int campos =
            std::sscanf(linea.c_str(), "%lf %31s %x %x %u", &t, orden, &pagina, &direccion, &bytes);
        if (campos >= 2 && std::strcmp(orden, "programa") == 0) terminada = true;
        const unsigned ultima = z82::Pagina_de_segmento(z82::ULTIMO_SEGMENTO_FPGA);
        if (campos == 5 && std::strcmp(orden, "escritura") == 0 &&
            pagina >= z82::PAGINA_AREA_FPGA && pagina <= ultima) {
            tomados += bytes;
        }
    }
};

fs::path Carpeta_temporal() {
    std::random_device azar;
    fs::path p;
    do {
        p = fs::temp_directory_path() / ("z82-bench-" + std::to_string(azar()));
    } while (!fs::create_directory(p));
    // Private, as the port lock's folder must be.
    fs::permissions(p, fs::perms::owner_all, fs::perm_options::replace);
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    bool completa = false, con_pty = true, solo_ocho = false, uso_mal = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--completa") {
            completa = true;
        } else if (a == "--sin-pty") {
            con_pty = false;
        } else if (a == "--ocho") {
            solo_ocho = true;
        } else if (a == "--nice" && i + 1 < argc) {
            prioridad = std::atoi(argv[++i]);
        } else {
            uso_mal = true;
        }
    }
    // The eight meters take the FPGA-only scenario, over ptys.
    if (uso_mal || (solo_ocho && (completa || !con_pty))) {
        std::fprintf(stderr, "usage: %s [--completa | --ocho] [--sin-pty] [--nice N]\n", argv[0]);
        return 2;
    }
    int fallos = 0;

    // The default update under virtual time.
    Virtual entera;
    if (!solo_ocho) {
        entera = Actualizar_virtual({});
        if (entera.resultado != z82::Resultado_asistente::actualizado) ++fallos;
        Fila("whole update, virtual time: real time",
             Formato("%.2f s", entera.real_s) + " (" + Nombre(entera.resultado) + ")");
        Fila("whole update, virtual time: protocol time it stands for",
             Formato("%.1f s", entera.protocolo_s) +
                 Formato(" (%.0fx faster)", entera.protocolo_s / entera.real_s));
    }

    if (!con_pty) return fallos == 0 ? 0 : 1;

    z82::sim::Config_medidor c;
    std::vector<std::string> opciones_sim;
    std::string escenario = "whole default update";
    if (!completa) {
        c.version_firmware = "1.89.00000";
        opciones_sim = {"--firmware", "1.89.00000"};
        escenario = "FPGA area only (--firmware 1.89.00000)";
    }
    const auto virtual_pty = completa ? entera : Actualizar_virtual(c);
    Fila("pty scenario", escenario);
    Fila("  priority of z82-update and z82-meter-sim",
         prioridad == 0 ? std::string("unchanged") : "nice " + std::to_string(prioridad));
    Fila("  protocol time (same scenario under virtual time)",
         Formato("%.3f s", virtual_pty.protocolo_s) + " (" + Nombre(virtual_pty.resultado) + ")");

    const fs::path carpeta = Carpeta_temporal();
    Simulador sim;
    if (!sim.Iniciar(opciones_sim)) {
        std::fprintf(stderr, "cannot start %s\n", Z82_METER_SIM);
        return 1;
    }
    const auto t0 = Reloj::now();
    // The outcome as the eight-meter run gives it for each meter (--json), on standard
    // output alone; the rest of what the program says goes to its own file.
    const std::string salida = (carpeta / "z82-update.json").string();
    const std::string registro = (carpeta / "z82-update.txt").string();
    // The port lock lives in XDG_RUNTIME_DIR: a folder of its own keeps other updaters that
    // run on the same machine (other sessions, test runs) from holding this run's lock.
    const std::string xdg = "XDG_RUNTIME_DIR=" + carpeta.string();
    const Hijo u = Lanzar({Z82_UPDATE, "--port", sim.ruta, "--yes", "--json"}, false, salida, {xdg},
                          false, registro);
    const Medida m = Esperar(u.pid, t0);
    sim.Parar();
    std::ifstream f_salida(salida);
    const std::string desenlace((std::istreambuf_iterator<char>(f_salida)),
                                std::istreambuf_iterator<char>());
    std::string resultado;
    Texto_json(desenlace, "result", resultado);
    const bool sola_bien = m.ok && m.codigo == 0 && resultado == "updated";
    if (!sola_bien) {
        ++fallos;
        std::fprintf(stderr, "z82-update ended with code %d, result \"%s\"; its output:\n",
                     m.codigo, resultado.c_str());
        std::system(("cat " + salida + " " + registro).c_str());
    }
    Fila("  z82-update --yes --json over the pty: wall time",
         Formato("%.3f s", m.pared_s) + (sola_bien ? " (exit 0, updated)" : " (FAILED)"));
    Fila("  wall time / protocol time", Formato("%.4f", m.pared_s / virtual_pty.protocolo_s));
    Fila("  z82-update CPU time (user + system)",
         Formato("%.3f s", m.cpu_s) + Formato(" (%.2f%% of wall)", 100 * m.cpu_s / m.pared_s));
    Fila("  z82-update peak memory (max RSS)",
         Formato("%.1f MB", static_cast<double>(m.max_rss_kb) / 1024.0));

    // Eight meters in one z82-update, against the single run above: under --completa that
    // run is the whole update, not theirs.
    if (completa) {
        Fila("eight of the pty scenario in one z82-update", "not run with --completa");
    } else if (!sola_bien) {
        Fila("eight of the pty scenario in one z82-update", "not run: the single run failed");
    } else {
        fallos += Ocho_medidores(opciones_sim, m.pared_s, carpeta.string(), xdg);
    }
    std::error_code ec;
    if (solo_ocho) {
        fs::remove_all(carpeta, ec);
        return fallos == 0 ? 0 : 1;
    }

    {
        // The cable pulled during the FPGA transfer: the meter's side of the pty goes away
        // once the meter has taken a tenth of the area. The meter's own log says when, so
        // that no wording of the program's output moves the moment.
        const std::string que = "cable pulled at 10 % of the FPGA transfer: exit after";
        std::string por_que;  // why the row measured nothing, when it did not
        Simulador sim_corte;
        const bool iniciado = sim_corte.Iniciar({"--firmware", "1.89.00000"}, true);
        if (!iniciado) {
            por_que = "the simulated meter did not start";
        } else {
            Transferencia_fpga transferencia;
            transferencia.total = Bytes_area_fpga();
            const size_t objetivo = transferencia.total / 10;
            const std::string registro_corte = (carpeta / "corte.txt").string();
            const auto c0 = Reloj::now();
            const Hijo uc = Lanzar({Z82_UPDATE, "--port", sim_corte.ruta, "--yes"}, false,
                                   registro_corte, {xdg});
            Lector_lineas registro_medidor(sim_corte.h.salida);
            std::string linea;
            while (por_que.empty() && transferencia.tomados < objetivo) {
                if (registro_medidor.Leer(linea, 100)) {
                    transferencia.Linea(linea);
                    if (transferencia.terminada) por_que = "the FPGA transfer was over before 10 %";
                } else if (registro_medidor.cerrado()) {
                    por_que = "the simulated meter ended before the pull";
                } else if (!Sigue(uc.pid)) {
                    por_que = "z82-update ended before the FPGA transfer reached 10 %";
                } else if (Segundos(c0, Reloj::now()) > 120) {
                    por_que = "the FPGA transfer did not reach 10 % within 120 s";
                }
            }
            const bool durante = por_que.empty() && Sigue(uc.pid);
            if (por_que.empty() && !durante) por_que = "z82-update had ended before the pull";
            // A run that missed the transfer may be waiting out a long limit: it is ended.
            if (!por_que.empty() && Sigue(uc.pid)) kill(uc.pid, SIGTERM);
            const double cpu_antes = Cpu_hasta_ahora(uc.pid);
            const auto corte = Reloj::now();
            sim_corte.Parar();
            const Medida mc = Esperar(uc.pid, corte);
            if (por_que.empty() && !(mc.ok && mc.codigo == 1)) {
                por_que = "z82-update exited with code " + std::to_string(mc.codigo) +
                          " after the pull, not 1 (a failed update)";
            }
            if (por_que.empty() && cpu_antes < 0) por_que = "no CPU time of z82-update to read";
            Fila(que,
                 por_que.empty() ? Formato("%.2f s (exit 1)", mc.pared_s) : "FAILED: " + por_que);
            Fila("  meter's FPGA area when the cable was pulled",
                 std::to_string(transferencia.tomados) + " of " +
                     std::to_string(transferencia.total) + " bytes");
            Fila("  z82-update CPU time from the cut to its exit",
                 !por_que.empty() ? std::string("not measured")
                                  : Formato("%.3f s", mc.cpu_s - cpu_antes) +
                                        Formato(" (%.2f%% of that time)",
                                                100 * (mc.cpu_s - cpu_antes) / mc.pared_s));
            if (!por_que.empty()) {
                std::fprintf(stderr, "z82-update's output in the cable-pull run:\n");
                std::system(("cat " + registro_corte + " >&2").c_str());
            }
        }
        if (!por_que.empty()) {
            ++fallos;
            if (!iniciado) Fila(que, "FAILED: " + por_que);
            std::fprintf(stderr, "cable-pull row measured nothing: %s\n", por_que.c_str());
        }
    }

#ifdef Z82_UPDATE_GUI
    {
        // The window offscreen on the meter's port, idle on its first page for 3 s.
        Simulador sim_gui;
        if (sim_gui.Iniciar({})) {
            const auto g0 = Reloj::now();
            const std::string env_plataforma = "QT_QPA_PLATFORM=offscreen";
            const Hijo g = Lanzar({Z82_UPDATE_GUI, "--port", sim_gui.ruta}, false,
                                  (carpeta / "gui.txt").string(), {env_plataforma, xdg});
            sleep(3);
            kill(g.pid, SIGTERM);
            const Medida mg = Esperar(g.pid, g0);
            sim_gui.Parar();
            Fila("z82-update-gui offscreen, started and idle 3 s: max RSS",
                 mg.ok ? Formato("%.1f MB", static_cast<double>(mg.max_rss_kb) / 1024.0)
                       : "did not run");
        }
    }
#else
    Fila("z82-update-gui", "not built (Qt 6 missing)");
#endif
    fs::remove_all(carpeta, ec);
    return fallos == 0 ? 0 : 1;
}
