// What the real-time benchmarks need around their programs: starting z82-update and
// z82-meter-sim as children, measuring a child's wall time, CPU time and peak memory, and
// printing the rows of the table.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace z82::banco {

using Reloj = std::chrono::steady_clock;

double Segundos(Reloj::time_point a, Reloj::time_point b);

// One row of the table: | what | value |.
void Fila(const std::string& que, const std::string& valor);

// v written with the printf format f.
std::string Formato(const char* f, double v);

// The niceness the children start with (0 leaves theirs); -10 by default.
extern int prioridad;

struct Hijo {
    pid_t pid = -1;
    int salida = -1;   // the child's standard output, when asked for
    int entrada = -1;  // the child's standard input, when asked for
};

// Starts a program; its output goes to a pipe (con_tubo, standard error too with
// error_al_tubo) or to the file registro, and its standard error to registro_error when
// one is given.
Hijo Lanzar(const std::vector<std::string>& args, bool con_tubo, const std::string& registro,
            const std::vector<std::string>& entorno_extra = {}, bool error_al_tubo = false,
            const std::string& registro_error = "");

struct Medida {
    bool ok = false;
    int codigo = -1;
    double pared_s = 0;
    double cpu_s = 0;
    double usuario_s = 0;
    long max_rss_kb = 0;
};

// Waits for the child and measures it, its wall time from inicio.
Medida Esperar(pid_t pid, Reloj::time_point inicio);

// z82-meter-sim on a pseudo-terminal of its own.
struct Simulador {
    Hijo h;
    std::string ruta;
    // con_registro: the meter lists the commands it understood (--verbose) on the same pipe,
    // after the path.
    bool Iniciar(const std::vector<std::string>& opciones, bool con_registro = false);
    // Closing its standard input ends it.
    void Parar();
    ~Simulador() { Parar(); }
};

}  // namespace z82::banco
