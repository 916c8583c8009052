// Stand-ins for the binary images: the meter's loader code blocks, the FPGA
// configurations, the MPEG4 module's application and the meter's transfer program.
#include <cstring>

#include "data/generador/comun.h"

namespace z82::generador {
namespace {

void Texto(Bytes& b, size_t o, const char* t) { std::memcpy(b.data() + o, t, std::strlen(t)); }

void Le32(Bytes& b, size_t o, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[o + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

Bytes Programa(uint64_t semilla, size_t n) {
    Aleatorio a(semilla);
    Bytes b;
    Codigo(a, b, n);
    return b;
}

// A configuration bitstream: a header naming it, then frames of configuration words,
// mostly empty as in a lightly used device.
Bytes Configuracion(uint64_t semilla, size_t n, const char* nombre) {
    Aleatorio a(semilla);
    Bytes b(n, 0x00);
    for (size_t i = 0; i < 16; ++i) b[i] = 0xFF;
    Texto(b, 16, "Z82-FPGA ");
    Texto(b, 25, nombre);
    Le32(b, 36, static_cast<uint32_t>(n));
    for (size_t i = 64; i < n; ++i) {
        if ((i & 0x3FF) < 8)
            b[i] = static_cast<uint8_t>(0xA0 | (i >> 10 & 0xF));  // frame marks
        else if (a.Entre(0, 9) < 3)
            b[i] = a.Byte();
    }
    return b;
}

}  // namespace

void Generar_binarios(Imagenes& im) {
    // The loader blocks: the boot stub, the loader's set-up and the flash loader itself.
    // Bytes 249 to 251 of the third are the jump (segment, entry low, entry high) that
    // the MPEG4 step rewrites.
    im.cargador[0] = Programa(0xB0070001, 32);
    im.cargador[1] = Programa(0xB0070002, 144);
    im.cargador[2] = Programa(0xB0070003, 972);
    im.cargador[2][248] = 0xDA;  // far jump
    im.cargador[2][249] = 0x01;
    im.cargador[2][250] = 0x00;
    im.cargador[2][251] = 0x20;

    static const char* const NOMBRES[3] = {"TV", "DFT", "MER"};
    static const size_t TAMANOS[3] = {92'293, 93'007, 90'148};
    for (size_t i = 0; i < 3; ++i)
        im.fpga[i] = Configuracion(0xF96A0000 + i, TAMANOS[i], NOMBRES[i]);

    // The module's application: a header with its size, then code and data.
    {
        constexpr size_t TAMANO = 1'181'672;
        Aleatorio a(0x3E640A91);
        Bytes b;
        b.reserve(TAMANO);
        b.resize(64, 0);
        Texto(b, 0, "Z82 MPEG4 APL");
        Le32(b, 16, TAMANO);
        Le32(b, 20, 0x00010004);  // application version 1.4
        while (b.size() < TAMANO) {
            if (a.Entre(0, 4) == 0) {
                for (uint32_t k = 0, m = a.Entre(16, 256); k < m; ++k) b.push_back(a.Byte());
            } else {
                Codigo(a, b, a.Entre(64, 512));
            }
        }
        b.resize(TAMANO);
        im.mpeg4 = std::move(b);
    }
    im.transferencia = Programa(0x7A4E5F3C, 20'870);
}

}  // namespace z82::generador
