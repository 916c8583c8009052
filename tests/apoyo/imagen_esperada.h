// What the meter's flash must hold after a firmware update: every data byte of the carried
// HEX image, by segment, read with the program's own HEX reader.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "data/imagenes.h"
#include "hex/fuente_lineas.h"
#include "hex/lector_hex.h"

namespace z82::prueba {

struct Byte_imagen {
    uint16_t direccion;
    uint8_t valor;
};

// Data bytes of the carried image, by segment.
inline std::map<int, std::vector<Byte_imagen>> Datos_imagen_hex() {
    std::map<int, std::vector<Byte_imagen>> r;
    TFuente_lineas fuente(datos::imagen_hex());
    TLector_hex lector(fuente);
    uint8_t buffer[256];
    Registro_hex reg;
    reg.data = buffer;
    int segmento = 0;
    while (lector.Leer_registro(reg) == HEX_OK) {
        if (reg.type == HEX_TIPO_DIRECCION_LINEAL) segmento = reg.data[1];
        if (reg.type == HEX_TIPO_FIN) break;
        if (reg.type != HEX_TIPO_DATOS) continue;
        for (int i = 0; i < reg.count; ++i) {
            r[segmento].push_back(
                {static_cast<uint16_t>(reg.address + i), reg.data[static_cast<size_t>(i)]});
        }
    }
    return r;
}

// Bytes of the segment that differ from the image (0 when the segment holds it all).
template <typename Flash>
long Diferencias(const Flash& flash_segmento, const std::vector<Byte_imagen>& esperados) {
    long d = 0;
    for (const Byte_imagen& b : esperados) {
        if (flash_segmento[b.direccion] != b.valor) ++d;
    }
    return d;
}

}  // namespace z82::prueba
