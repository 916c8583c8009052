#include "link/posix/enlace_sistema.h"

#include <cctype>

namespace z82 {

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

std::string Enlace_sistema::ranura(int n) const { return catalogo.ranura(n); }

std::string Enlace_sistema::por_id(int n) const {
    const Puerto_catalogo* p = catalogo.puerto(n);
    return p != nullptr ? p->por_id : std::string();
}

}  // namespace z82
