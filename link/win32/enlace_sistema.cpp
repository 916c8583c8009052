#include "link/win32/enlace_sistema.h"

#include <algorithm>
#include <cctype>

#include "link/win32/entorno_sistema.h"
#include "link/win32/puertos_com.h"

namespace z82 {

namespace {

bool igual_sin_caso(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

}  // namespace

int Enlace_sistema::numero(const std::string& nombre) {
    if (const int n = numero_com(nombre); n > 0) return n;
    if (nombre.empty()) return 0;
    // A slot's location path, or a device's instance id, of a port plugged in now.
    for (const Puerto_com& p : puertos_com()) {
        if (igual_sin_caso(p.ubicacion, nombre) || igual_sin_caso(p.instancia, nombre)) {
            return p.numero;
        }
    }
    return 0;
}

std::vector<int> Enlace_sistema::numeros() {
    // The ports the registry lists, and any of COM1 to COM32 the system knows of.
    Entorno_sistema entorno(*this);
    std::vector<int> r;
    for (const std::string& nombre : entorno.puertos_registro()) {
        if (const int n = numero_com(nombre); n > 0) r.push_back(n);
    }
    for (int n = 1; n <= 32; ++n) {
        if (entorno.existe_puerto(n)) r.push_back(n);
    }
    std::sort(r.begin(), r.end());
    r.erase(std::unique(r.begin(), r.end()), r.end());
    return r;
}

std::string Enlace_sistema::descripcion(int n) const {
    // The friendly name the device manager shows ("USB Serial Port (COM3)"); just "COMn"
    // when no present device has that port.
    for (const Puerto_com& p : puertos_com()) {
        if (p.numero == n && !p.nombre.empty()) return p.nombre;
    }
    return "COM" + std::to_string(n);
}

std::string Enlace_sistema::ranura(int n) const {
    for (const Puerto_com& p : puertos_com()) {
        if (p.numero == n && !p.ubicacion.empty()) return p.ubicacion;
    }
    return "COM" + std::to_string(n);
}

std::string Enlace_sistema::por_id(int n) const {
    for (const Puerto_com& p : puertos_com()) {
        if (p.numero == n) return p.instancia;
    }
    return {};
}

}  // namespace z82
