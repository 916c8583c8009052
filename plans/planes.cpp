#include "plans/planes.h"

#include <cstdio>
#include <cstring>

#include "data/imagenes.h"
#include "plans/imagen_planes.h"

namespace z82 {

void Llenar_planes(uint8_t* buffer) { std::memset(buffer, 0xFF, TAMANO_BUFFER_PLANES); }

bool Necesita_dos_sectores(const uint8_t* /*buffer*/, int tipo) { return tipo == 0; }

std::string Listado_planes(int tipo) {
    if (tipo < 0 || tipo > 4) return {};
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
        const char* clase = p.clase == 0 ? "terrestrial" : "satellite";
        std::snprintf(linea, sizeof linea, "  %2u %-12s %-11s %3zu channels  at 0x%06X\n", p.numero,
                      Latin1_a_utf8(p.nombre).c_str(), clase, p.canales.size(), p.direccion);
        texto += linea;
    }
    return texto;
}

}  // namespace z82
