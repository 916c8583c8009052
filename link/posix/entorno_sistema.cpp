#include "link/posix/entorno_sistema.h"

#include <unistd.h>

#include <cctype>
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

int Enlace_sistema::numero(const std::string& nombre) {
    if (nombre.empty()) return 0;
    std::string cifras = nombre;
    if (cifras.size() > 3 && (cifras.rfind("COM", 0) == 0 || cifras.rfind("com", 0) == 0)) {
        cifras = cifras.substr(3);
    }
    bool solo_cifras = !cifras.empty() && cifras.size() < 9;
    for (const char c : cifras)
        solo_cifras = solo_cifras && std::isdigit(static_cast<unsigned char>(c));
    if (solo_cifras) return std::stoi(cifras);
    return catalogo.registrar(nombre);
}

std::vector<int> Enlace_sistema::numeros() {
    catalogo.actualizar();
    std::vector<int> r;
    for (int n = 1; n <= catalogo.cantidad(); ++n) {
        if (catalogo.existe(n)) r.push_back(n);
    }
    return r;
}

std::string Enlace_sistema::descripcion(int n) const {
    const Puerto_catalogo* p = catalogo.puerto(n);
    if (p == nullptr) return {};
    return p->descripcion.empty() ? p->ruta : p->ruta + " - " + p->descripcion;
}

}  // namespace z82
