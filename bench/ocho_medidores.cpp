#include "ocho_medidores.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "procesos.h"

namespace z82::banco {

namespace {

constexpr int kMedidores = 8;
// What the run must meet: no meter later than a tenth over the meter updated alone, under
// 2 % of one core for each meter, and the program's own 15 MB plus 2 MB a meter.
constexpr double kMax_razon = 1.10;
constexpr double kMax_cpu_por_medidor = 2.0;
constexpr double kMax_memoria_mb = 15.0 + 2.0 * kMedidores;

size_t Saltar_blancos(std::string_view s, size_t i) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
    return i;
}

// Just past the closing quote of the string that opens at s[i].
size_t Tras_cadena(std::string_view s, size_t i) {
    for (++i; i < s.size(); ++i) {
        if (s[i] == '\\') {
            ++i;
        } else if (s[i] == '"') {
            return i + 1;
        }
    }
    return s.size();
}

// Where the value of the key clave starts at the top level of the object, or npos. Keys of
// the objects and lists inside (a stream's "seconds") are not its own.
size_t Valor_de(std::string_view s, std::string_view clave) {
    int profundidad = 0;
    for (size_t i = 0; i < s.size();) {
        const char c = s[i];
        if (c == '"') {
            const size_t fin = Tras_cadena(s, i);
            const size_t j = Saltar_blancos(s, fin);
            if (profundidad == 1 && j < s.size() && s[j] == ':' &&
                s.substr(i + 1, fin - i - 2) == clave) {
                return Saltar_blancos(s, j + 1);
            }
            i = fin;
            continue;
        }
        if (c == '{' || c == '[') ++profundidad;
        if (c == '}' || c == ']') --profundidad;
        ++i;
    }
    return std::string_view::npos;
}

// One meter's end, from its outcome line.
struct Desenlace_medidor {
    bool visto = false;
    std::string ranura;
    std::string resultado;
    double t = -1;
    double segundos = -1;
};

}  // namespace

bool Texto_json(std::string_view texto, std::string_view clave, std::string& valor) {
    size_t i = Valor_de(texto, clave);
    if (i >= texto.size() || texto[i] != '"') return false;
    // An escape stands for the character after the backslash: the names, paths and results
    // read here carry none of the others.
    valor.clear();
    for (++i; i < texto.size() && texto[i] != '"'; ++i) {
        if (texto[i] == '\\' && i + 1 < texto.size()) ++i;
        valor += texto[i];
    }
    return i < texto.size();
}

bool Numero_json(std::string_view texto, std::string_view clave, double& valor) {
    const size_t i = Valor_de(texto, clave);
    if (i >= texto.size()) return false;
    const std::string resto(texto.substr(i, 32));
    char* fin = nullptr;
    const double v = std::strtod(resto.c_str(), &fin);
    if (fin == resto.c_str()) return false;
    valor = v;
    return true;
}

int Ocho_medidores(const std::vector<std::string>& opciones_sim, double pared_sola_s,
                   const std::string& carpeta, const std::string& xdg) {
    int fallos = 0;
    const auto fallo = [&fallos](const std::string& por_que) {
        ++fallos;
        std::fprintf(stderr, "eight meters in one z82-update: %s\n", por_que.c_str());
    };
    Fila("eight of the pty scenario in one z82-update, --port 8 times", "");

    std::array<Simulador, kMedidores> sims;
    for (Simulador& s : sims) {
        if (!s.Iniciar(opciones_sim)) {
            Fila("  simulated meters", "FAILED: one did not start");
            fallo(std::string("cannot start ") + Z82_METER_SIM);
            return fallos;
        }
    }
    std::vector<std::string> args{Z82_UPDATE};
    for (const Simulador& s : sims) {
        args.emplace_back("--port");
        args.push_back(s.ruta);
    }
    args.emplace_back("--yes");
    args.emplace_back("--json");
    const std::string salida = carpeta + "/ocho.jsonl";
    const std::string errores = carpeta + "/ocho.txt";
    const auto t0 = Reloj::now();
    const Hijo u = Lanzar(args, false, salida, {xdg}, false, errores);
    const Medida m = Esperar(u.pid, t0);
    for (Simulador& s : sims) s.Parar();

    // Standard output is one event a line; only the meters' outcomes and the summary count.
    std::array<Desenlace_medidor, kMedidores> desenlaces;
    bool con_resumen = false;
    double codigo_resumen = -1;
    std::ifstream f(salida);
    for (std::string linea; std::getline(f, linea);) {
        std::string evento;
        if (!Texto_json(linea, "event", evento)) continue;
        if (evento == "summary") {
            con_resumen = true;
            Numero_json(linea, "exit_code", codigo_resumen);
        }
        if (evento != "outcome") continue;
        std::string puerto;
        Texto_json(linea, "port", puerto);
        size_t i = 0;
        while (i < sims.size() && sims[i].ruta != puerto) ++i;
        if (i == sims.size()) {
            fallo("an outcome for a port it was not given: " + linea);
            continue;
        }
        Desenlace_medidor& d = desenlaces[i];
        if (d.visto) fallo("a second outcome for " + puerto);
        d.visto = true;
        Texto_json(linea, "slot", d.ranura);
        Texto_json(linea, "result", d.resultado);
        Numero_json(linea, "t", d.t);
        Numero_json(linea, "seconds", d.segundos);
    }

    const bool salio_bien = m.ok && m.codigo == 0;
    if (!salio_bien) fallo("z82-update exited with code " + std::to_string(m.codigo) + ", not 0");
    if (!con_resumen) {
        fallo("no summary line");
    } else if (codigo_resumen != 0) {
        fallo(Formato("the summary's exit code is %.0f, not 0", codigo_resumen));
    }
    Fila("  z82-update: wall time from its start to its exit",
         Formato("%.3f s", m.pared_s) +
             (salio_bien ? " (exit 0)" : " (FAILED code " + std::to_string(m.codigo) + ")"));
    Fila("  z82-update: that wall time / the single run's",
         Formato("%.4f", m.pared_s / pared_sola_s));

    double peor = 0;
    size_t medidos = 0;
    for (size_t i = 0; i < sims.size(); ++i) {
        const Desenlace_medidor& d = desenlaces[i];
        const std::string que = "  meter " + std::to_string(i + 1) +
                                (d.ranura.empty() ? "" : " (" + d.ranura + ")") +
                                ": its t / the single run's wall time";
        std::string por_que;
        if (!d.visto) {
            por_que = "no outcome for " + sims[i].ruta;
        } else if (d.resultado != "updated") {
            por_que = sims[i].ruta + " ended \"" + d.resultado + "\", not \"updated\"";
        } else if (d.t <= 0 || d.segundos <= 0) {
            por_que = "the outcome for " + sims[i].ruta + " has no t or seconds";
        } else if (m.ok && d.t > m.pared_s) {
            // The run's clock started after the program did: no meter ends after the program.
            por_que = Formato("the outcome's t, %.3f s, is later than the program's exit", d.t);
        }
        if (!por_que.empty()) {
            fallo(por_que);
            Fila(que, "FAILED: " + por_que);
            continue;
        }
        const double razon = d.t / pared_sola_s;
        if (razon > peor) peor = razon;
        ++medidos;
        Fila(que, Formato("%.4f", razon) + Formato(" (t %.3f s, ", d.t) +
                      Formato("session %.3f s)", d.segundos));
    }
    const std::string fila_peor = "  slowest meter / the single run (at most 1.10)";
    if (medidos < sims.size()) {
        Fila(fila_peor,
             "not measured: " + std::to_string(sims.size() - medidos) + " meters without a time");
    } else if (peor > kMax_razon) {
        fallo(Formato("the slowest meter took %.4f times the single run, over ", peor) +
              Formato("%.2f", kMax_razon));
        Fila(fila_peor, Formato("%.4f (MISSED)", peor));
    } else {
        Fila(fila_peor, Formato("%.4f", peor));
    }

    if (m.ok && m.pared_s > 0) {
        const double por_medidor = 100 * m.cpu_s / m.pared_s / kMedidores;
        const bool cpu_bien = por_medidor < kMax_cpu_por_medidor;
        if (!cpu_bien) {
            fallo(Formato("CPU time of %.3f %% of one core per meter, not under ", por_medidor) +
                  Formato("%.0f %%", kMax_cpu_por_medidor));
        }
        Fila("  z82-update CPU time (user + system)",
             Formato("%.3f s", m.cpu_s) + Formato(" (%.2f%% of wall)", 100 * m.cpu_s / m.pared_s));
        Fila("  that CPU time per meter, % of one core (under 2 %)",
             Formato("%.3f%%", por_medidor) + (cpu_bien ? "" : " (MISSED)"));
        const double memoria_mb = static_cast<double>(m.max_rss_kb) / 1024.0;
        const bool memoria_bien = memoria_mb <= kMax_memoria_mb;
        if (!memoria_bien) {
            fallo(Formato("peak memory of %.1f MB, over ", memoria_mb) +
                  Formato("%.0f MB", kMax_memoria_mb));
        }
        Fila("  z82-update peak memory (max RSS, at most 15 + 2 x 8 = 31 MB)",
             Formato("%.1f MB", memoria_mb) + (memoria_bien ? "" : " (MISSED)"));
    } else {
        fallo("z82-update could not be waited for");
    }

    if (fallos > 0) {
        std::fprintf(stderr, "z82-update's standard output in the eight-meter run:\n");
        std::system(("cat " + salida + " >&2").c_str());
        std::fprintf(stderr, "and its standard error:\n");
        std::system(("cat " + errores + " >&2").c_str());
    }
    return fallos;
}

}  // namespace z82::banco
