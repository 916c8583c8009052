// The HEX line source, the record reader and the start-up scan over arbitrary text taken as
// the firmware image. Besides staying inside their buffers, each record the reader accepts
// must be exactly what the line says, and a second scan must give the same result.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "hex/escaneo_hex.h"
#include "hex/fuente_lineas.h"
#include "hex/lector_hex.h"

namespace {

void Fallo(const char* que) {
    std::fprintf(stderr, "fuzz_hex: %s\n", que);
    std::abort();
}

// The record written back as a HEX line, without its line end.
std::string Linea_de(const z82::Registro_hex& r) {
    static const char* const digitos = "0123456789ABCDEF";
    std::string s = ":";
    unsigned suma = 0;
    auto par = [&](uint8_t b) {
        s += digitos[b >> 4];
        s += digitos[b & 15];
        suma += b;
    };
    par(r.count);
    par(static_cast<uint8_t>(r.address >> 8));
    par(static_cast<uint8_t>(r.address & 0xFF));
    par(r.type);
    for (unsigned k = 0; k < r.count; ++k) par(r.data[k]);
    par(static_cast<uint8_t>(0x100 - (suma & 0xFF)));
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n) {
    const std::string_view texto(reinterpret_cast<const char*>(datos), n);

    // Line by line: every record read is checked against the text it came from.
    {
        z82::TFuente_lineas fuente(texto);
        z82::TLector_hex lector(fuente);
        uint8_t buffer[255];
        z82::Registro_hex r;
        r.data = buffer;
        for (;;) {
            const int32_t antes = fuente.Posicion();
            const uint8_t codigo = lector.Leer_registro(r);
            const int32_t despues = fuente.Posicion();
            if (despues < antes || static_cast<size_t>(despues) > n) Fallo("position out of text");
            if (codigo == z82::HEX_FIN) break;
            if (despues == antes) Fallo("a record read consumed nothing");
            if (codigo == z82::HEX_OK) {
                const std::string esperada = Linea_de(r);
                const std::string_view linea =
                    texto.substr(static_cast<size_t>(antes), static_cast<size_t>(despues - antes));
                if (linea.size() > 255 || linea.substr(0, esperada.size()) != esperada) {
                    Fallo("accepted record differs from its line");
                }
            } else if (codigo != z82::HEX_NO_ES_REGISTRO && codigo != z82::HEX_FORMATO &&
                       codigo != z82::HEX_CHECKSUM) {
                Fallo("unknown reader code");
            }
        }
        // Positioning anywhere inside the text and reading on stays inside it.
        if (n > 0) {
            fuente.Posicionar(static_cast<int32_t>(datos[0] % (n + 1)));
            char linea[256];
            while (fuente.Leer_linea(linea)) {
                if (std::strlen(linea) > 255) Fallo("line longer than the buffer");
            }
        }
        fuente.Posicionar(-1);
        fuente.Posicionar(static_cast<int32_t>(n + 1));
    }

    // The start-up scan, twice over the same source.
    z82::TFuente_lineas fuente(texto);
    z82::TLector_hex lector(fuente);
    const auto a = z82::Escanear_hex(fuente, lector);
    const auto b = z82::Escanear_hex(fuente, lector);
    if (a.ok != b.ok || a.version != b.version || a.segmentos != b.segmentos ||
        a.registros != b.registros || a.mensaje != b.mensaje) {
        Fallo("the scan is not repeatable");
    }
    if (a.version.size() > 10) Fallo("version longer than ten characters");
    if (a.segmentos[0]) Fallo("segment 0 marked");
    if (a.ok != a.mensaje.empty()) Fallo("success and message disagree");
    if (a.ok && lector.registros != a.registros) Fallo("record count not stored");
    return 0;
}
