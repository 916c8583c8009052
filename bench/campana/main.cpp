// z82-campana: the fault campaign. Whole updates under virtual time against the simulated
// meter, each with faults drawn from its seed; prints the counts and the seed of every run
// that breaks the rule "updated only when the meter holds everything".
//
//   z82-campana --runs 1000               the long form
//   z82-campana --runs 20 --seed 1        the short form (CTest)
//   z82-campana --replay 123 --verbose    one run again, with what it drew and what the
//                                        meter did (add --in-process)
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "campana/campana.h"

namespace {

using namespace z82::campana;

struct Opciones {
    uint64_t semilla = 1;
    long corridas = 20;
    bool repetir = false;
    bool aislar = true;
    bool detallado = false;
    int trabajos = 1;
    int limite_real_s = 120;
    std::string traza;  // --protocol-trace FILE
};

void ayuda() {
    std::printf(
        "z82-campana: whole updates against the simulated meter under virtual time, each\n"
        "with faults drawn from its seed.\n\n"
        "  --runs N         number of runs (default 20)\n"
        "  --seed S         seed of the first run; run i uses S + i (default 1)\n"
        "  --replay S       run seed S alone and say what it drew\n"
        "  --jobs J         runs at the same time, 1 or 2 (default 1)\n"
        "  --in-process     no child process per run (no crash isolation)\n"
        "  --real-limit S   real seconds after which a run counts as hung (default 120)\n"
        "  --verbose        one line per run\n"
        "  --protocol-trace FILE  write the bytes of a whole update without faults (every\n"
        "                   item) to FILE, without times, and run nothing else\n");
}

struct Resultado {
    Desenlace desenlace;
    double virtual_s = 0;
    double real_s = 0;
    std::string detalle;
};

// A running child and the pipe of its report.
struct Hijo {
    pid_t pid;
    int tubo;
    uint64_t semilla;
    std::chrono::steady_clock::time_point inicio;
};

Hijo Lanzar(uint64_t semilla, const Opciones_corrida& oc, int limite_real_s) {
    int fd[2];
    if (pipe(fd) != 0) {
        std::perror("pipe");
        std::exit(3);
    }
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        std::exit(3);
    }
    if (pid == 0) {
        close(fd[0]);
        alarm(static_cast<unsigned>(limite_real_s));
        const Informe inf = Ejecutar(Sortear(semilla), oc);
        char linea[600];
        const int n = std::snprintf(linea, sizeof linea, "%d %.3f %s", int(inf.desenlace),
                                    inf.segundos_virtuales, inf.detalle.c_str());
        const ssize_t w = write(fd[1], linea, static_cast<size_t>(std::min(n, 599)));
        (void)w;
        _exit(0);
    }
    close(fd[1]);
    return {pid, fd[0], semilla, std::chrono::steady_clock::now()};
}

int Principal(int argc, char** argv) {
    Opciones o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto valor = [&]() -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "z82-campana: %s needs a value\n", a.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--runs") {
            o.corridas = std::strtol(valor(), nullptr, 0);
        } else if (a == "--seed") {
            o.semilla = std::strtoull(valor(), nullptr, 0);
        } else if (a == "--replay") {
            o.semilla = std::strtoull(valor(), nullptr, 0);
            o.corridas = 1;
            o.repetir = true;
        } else if (a == "--jobs") {
            o.trabajos = std::strtol(valor(), nullptr, 0) >= 2 ? 2 : 1;
        } else if (a == "--in-process") {
            o.aislar = false;
        } else if (a == "--real-limit") {
            o.limite_real_s = static_cast<int>(std::strtol(valor(), nullptr, 0));
        } else if (a == "--verbose") {
            o.detallado = true;
        } else if (a == "--protocol-trace") {
            o.traza = valor();
        } else if (a == "--help" || a == "-h") {
            ayuda();
            return 0;
        } else {
            std::fprintf(stderr, "z82-campana: unknown option %s\n", a.c_str());
            return 2;
        }
    }
    if (o.corridas < 1 || o.limite_real_s < 1) {
        std::fprintf(stderr, "z82-campana: bad --runs or --real-limit\n");
        return 2;
    }

    Opciones_corrida oc;
    oc.fuentes = Z82_SOURCE_DIR;
    // A replayed seed with --verbose also shows what the meter did.
    oc.bitacora = o.repetir && o.detallado;
    if (!o.traza.empty()) {
        std::FILE* f = std::fopen(o.traza.c_str(), "w");
        if (f == nullptr) {
            std::fprintf(stderr, "z82-campana: cannot write %s\n", o.traza.c_str());
            return 2;
        }
        for (const auto& l : Traza_protocolo(oc)) std::fprintf(f, "%s\n", l.c_str());
        return std::fclose(f) == 0 ? 0 : 2;
    }
    if (!Preparar(oc)) {
        std::fprintf(stderr, "z82-campana: the reference update without faults failed\n");
        return 3;
    }

    const auto inicio = std::chrono::steady_clock::now();
    std::map<Desenlace, long> cuentas;
    std::vector<std::pair<uint64_t, Resultado>> malos;
    std::map<std::string, long> motivos;      // how the failures were reported
    std::map<std::string, long> verificados;  // items verified in the meter after a success
    double virtual_total = 0, virtual_max = 0, real_max = 0;

    auto anotar = [&](uint64_t semilla, const Resultado& r) {
        ++cuentas[r.desenlace];
        virtual_total += r.virtual_s;
        virtual_max = std::max(virtual_max, r.virtual_s);
        real_max = std::max(real_max, r.real_s);
        const bool malo = r.desenlace != Desenlace::exito_verificado &&
                          r.desenlace != Desenlace::fallo_informado &&
                          r.desenlace != Desenlace::modulo_no_oido;
        if (malo) malos.emplace_back(semilla, r);
        if (r.desenlace == Desenlace::fallo_informado) ++motivos[r.detalle];
        if (r.desenlace == Desenlace::exito_verificado) {
            const Corrida c = Sortear(semilla);
            const Plan_esperado& p = c.plan;
            if (p.firmware) ++verificados["firmware"];
            if (p.planes) ++verificados["plans type " + std::to_string(c.config.plan_tipo)];
            if (p.fpga) ++verificados["FPGA"];
            if (p.mpeg4) ++verificados["MPEG4"];
            if (p.borrado) ++verificados["erase"];
            if (p.zona) ++verificados["zone"];
            if (c.fallos.empty()) ++verificados["(runs without faults)"];
        }
        if (o.detallado || o.repetir || malo || r.desenlace == Desenlace::modulo_no_oido) {
            std::printf("seed %llu: %s (%.1f s virtual, %.2f s real) %s\n  %s\n",
                        static_cast<unsigned long long>(semilla), Nombre(r.desenlace), r.virtual_s,
                        r.real_s, r.detalle.c_str(), Sortear(semilla).descripcion.c_str());
            std::fflush(stdout);
        }
    };

    if (!o.aislar) {
        for (long i = 0; i < o.corridas; ++i) {
            const uint64_t s = o.semilla + static_cast<uint64_t>(i);
            const auto t0 = std::chrono::steady_clock::now();
            const Informe inf = Ejecutar(Sortear(s), oc);
            for (const auto& l : inf.bitacora) std::printf("    meter %s\n", l.c_str());
            Resultado r{
                inf.desenlace, inf.segundos_virtuales,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(),
                inf.detalle};
            anotar(s, r);
        }
    } else {
        std::vector<Hijo> hijos;
        long siguiente = 0;
        while (siguiente < o.corridas || !hijos.empty()) {
            while (siguiente < o.corridas && static_cast<int>(hijos.size()) < o.trabajos) {
                hijos.push_back(
                    Lanzar(o.semilla + static_cast<uint64_t>(siguiente++), oc, o.limite_real_s));
            }
            // The first child to finish: wait for any, then find it.
            int estado = 0;
            const pid_t fin = waitpid(-1, &estado, WNOHANG);
            if (fin == 0) {
                usleep(2000);
                continue;
            }
            for (size_t i = 0; i < hijos.size(); ++i) {
                if (hijos[i].pid != fin) continue;
                // Already reaped: read the report and judge by the status we got.
                Hijo h = hijos[i];
                hijos.erase(hijos.begin() + static_cast<long>(i));
                std::string texto;
                char buf[700];
                ssize_t n;
                while ((n = read(h.tubo, buf, sizeof buf)) > 0)
                    texto.append(buf, static_cast<size_t>(n));
                close(h.tubo);
                Resultado r{};
                r.real_s =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - h.inicio)
                        .count();
                int d = 0, usados = 0;
                double vs = 0;
                if (WIFSIGNALED(estado)) {
                    const int sg = WTERMSIG(estado);
                    r.desenlace = sg == SIGALRM ? Desenlace::colgado : Desenlace::caido;
                    r.detalle = sg == SIGALRM ? "past the bound of real time"
                                              : std::string("signal ") + strsignal(sg);
                } else if (texto.empty() ||
                           std::sscanf(texto.c_str(), "%d %lf %n", &d, &vs, &usados) < 2) {
                    r.desenlace = Desenlace::caido;
                    r.detalle = "the run ended without a report";
                } else {
                    r.desenlace = static_cast<Desenlace>(d);
                    r.virtual_s = vs;
                    r.detalle = texto.substr(static_cast<size_t>(usados));
                }
                anotar(h.semilla, r);
                break;
            }
        }
    }

    const double real_total =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
    const long n = o.corridas;
    std::printf(
        "runs %ld, successes verified %ld, failures reported %ld, false successes %ld, "
        "failures misreported %ld, hangs %ld, crashes %ld; modules unheard (a limit of the "
        "protocol) %ld\n",
        n, cuentas[Desenlace::exito_verificado], cuentas[Desenlace::fallo_informado],
        cuentas[Desenlace::exito_falso], cuentas[Desenlace::fallo_mal_informado],
        cuentas[Desenlace::colgado], cuentas[Desenlace::caido], cuentas[Desenlace::modulo_no_oido]);
    std::printf(
        "virtual time %.0f s in all, longest run %.0f s; real time %.0f s, longest run %.1f s\n",
        virtual_total, virtual_max, real_total, real_max);
    std::printf("failures reported:");
    for (const auto& [m, k] : motivos) std::printf(" %s %ld;", m.c_str(), k);
    std::printf("\nitems verified after a success:");
    for (const auto& [m, k] : verificados) std::printf(" %s %ld;", m.c_str(), k);
    std::printf("\n");
    if (!malos.empty()) {
        std::printf("seeds that break the rule (replay with --replay SEED):");
        for (const auto& m : malos) std::printf(" %llu", static_cast<unsigned long long>(m.first));
        std::printf("\n");
    }
    return malos.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) { return Principal(argc, argv); }
