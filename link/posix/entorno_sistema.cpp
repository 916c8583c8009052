#include "link/posix/entorno_sistema.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace z82 {

namespace {

using Reloj = std::chrono::steady_clock;

}  // namespace

int64_t Entorno_sistema::segundos() {
    return std::chrono::duration_cast<std::chrono::seconds>(Reloj::now().time_since_epoch())
        .count();
}

int64_t Entorno_sistema::milisegundos() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Reloj::now().time_since_epoch())
        .count();
}

void Entorno_sistema::dormir(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void Entorno_sistema::pitar() {
    if (campana && ::isatty(STDERR_FILENO) == 1) {
        const char bell = '\a';
        (void)!::write(STDERR_FILENO, &bell, 1);
    }
    dormir(500);
}

bool Entorno_sistema::existe_puerto(int n) {
    if (n == 1) enlace_.catalogo.actualizar();
    return enlace_.catalogo.existe(n);
}

std::vector<std::string> Entorno_sistema::puertos_registro() {
    std::vector<std::string> nombres;
    for (int n = 1; n <= enlace_.catalogo.cantidad(); ++n) {
        nombres.push_back("COM" + std::to_string(n));
    }
    return nombres;
}

void Entorno_sistema::diagnostico(const std::string& linea) {
    // The line as the meter's protocol writes it; its end of line is added when missing.
    std::fputs(linea.c_str(), stdout);
    if (linea.empty() || linea.back() != '\n') std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace z82
