#include "plans/planes.h"

#include <cstdio>
#include <cstring>

#include "data/imagenes.h"
#include "plans/imagen_planes.h"

namespace z82 {
namespace {

std::string Clase(uint16_t clase) {
    switch (clase) {
        case formato_planes::CLASE_TERRESTRE:
            return "terrestrial";
        case formato_planes::CLASE_SATELITE:
            return "satellite";
        default:
            return "satellite/" + std::to_string(clase);
    }
}

// Pads a UTF-8 text with spaces to the given number of characters.
std::string Ajustar(const std::string& s, size_t ancho) {
    size_t caracteres = 0;
    for (const char c : s) caracteres += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return caracteres >= ancho ? s : s + std::string(ancho - caracteres, ' ');
}

}  // namespace

bool Necesita_dos_sectores(int tipo) { return tipo == 0; }

int Version_plan_llevada(int tipo) {
    if (tipo < 0 || tipo >= formato_planes::TIPOS) return 0;
    const auto imagen = datos::imagen_planes(tipo);
    return imagen.size() < 4 ? 0 : imagen[2] * 256 + imagen[3];
}

std::string Listado_planes(int tipo) {
    if (tipo < 0 || tipo >= formato_planes::TIPOS) return {};
    const auto imagen = datos::imagen_planes(tipo);
    std::string error;
    const auto planes = Decodificar_planes(imagen, &error);
    char linea[160];
    std::snprintf(linea, sizeof linea, "Plan type %d: %zu bytes", tipo, imagen.size());
    std::string texto = linea;
    if (!planes) return texto + ", unreadable: " + error + "\n";
    std::snprintf(linea, sizeof linea, ", version %u, %zu plans\n", planes->version,
                  planes->planes.size());
    texto += linea;
    for (const Plan_canales& p : planes->planes) {
        std::snprintf(linea, sizeof linea, "  %2u ", p.numero);
        texto += linea;
        texto += Ajustar(Latin1_a_utf8(p.nombre), 12);
        std::snprintf(linea, sizeof linea, "%-14s %3zu channels  at 0x%06X\n",
                      Clase(p.clase).c_str(), p.canales.size(), p.direccion);
        texto += linea;
    }
    return texto;
}

}  // namespace z82
