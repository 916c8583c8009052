#include "fpga/area_fpga.h"

#include <algorithm>

namespace z82 {

namespace {

uint8_t byte_de(uint32_t v, int desplazamiento) {
    return static_cast<uint8_t>((v >> desplazamiento) & 0xFFu);
}

// Directory entry i: number, size in the order middle-high-low, 0x30 + start segment,
// start offset within it, the version (minor, major), four description bytes of configuration i +
// 1, FF FF.
void escribir_entrada(uint8_t* e, uint32_t i, uint32_t tamano, uint32_t inicio,
                      const Descripciones_fpga& descripciones) {
    e[0] = byte_de(i, 0);
    e[1] = byte_de(i, 8);
    e[2] = byte_de(tamano, 8);
    e[3] = byte_de(tamano, 16);
    e[4] = byte_de(tamano, 0);
    e[5] = static_cast<uint8_t>(SEGMENTO_AREA_FPGA + inicio / BYTES_SEGMENTO);
    e[6] = byte_de(inicio, 0);
    e[7] = byte_de(inicio, 8);
    e[8] = VERSION_FPGA_MENOR;
    e[9] = VERSION_FPGA_MAYOR;
    const auto& d = descripciones[i + 1];
    for (int k = 0; k < 4; ++k) e[10 + k] = static_cast<uint8_t>(d[static_cast<size_t>(k)]);
    e[14] = 0xFF;
    e[15] = 0xFF;
}

}  // namespace

std::string Version_fpga_llevada() {
    return std::to_string(VERSION_FPGA_MAYOR) + "." + std::to_string(VERSION_FPGA_MENOR);
}

bool Construir_area_fpga(std::span<const std::span<const uint8_t>> configuraciones,
                         const Descripciones_fpga& descripciones, Area_fpga& area) {
    area = Area_fpga{};
    const size_t n = configuraciones.size();
    if (n == 0 || n > static_cast<size_t>(ENTRADAS_DIRECTORIO_FPGA)) return false;

    // Check the whole layout before anything is allocated.
    uint64_t fin = INICIO_CONFIGURACIONES_FPGA;
    for (const auto& c : configuraciones) {
        if (c.empty()) return false;
        fin = ((fin + 1) & ~uint64_t{1}) + c.size();
    }
    if (fin > TAMANO_AREA_FPGA) return false;

    area.datos.assign(TAMANO_AREA_FPGA, 0xFF);
    uint8_t* datos = area.datos.data();
    datos[0] = byte_de(static_cast<uint32_t>(n), 0);
    datos[1] = byte_de(static_cast<uint32_t>(n), 8);
    area.inicio = INICIO_CONFIGURACIONES_FPGA;
    for (size_t i = 0; i < n; ++i) {
        const auto& c = configuraciones[i];
        area.tamano = static_cast<uint32_t>(c.size());
        escribir_entrada(datos + 2 + BYTES_ENTRADA_FPGA * i, static_cast<uint32_t>(i), area.tamano,
                         area.inicio, descripciones);
        area.total = area.inicio;
        std::copy(c.begin(), c.end(), datos + area.total);
        area.total += area.tamano;
        area.inicio = (area.total + 1u) & ~1u;
    }
    return true;
}

std::vector<uint8_t> Imagen_area_fpga(std::span<const std::span<const uint8_t>> configuraciones,
                                      const Descripciones_fpga& descripciones) {
    Area_fpga area;
    if (!Construir_area_fpga(configuraciones, descripciones, area)) return {};
    return std::vector<uint8_t>(area.datos.begin(), area.datos.begin() + area.total);
}

}  // namespace z82
