// The language file reader over arbitrary bytes. Whatever the file holds, every value read
// back is valid UTF-8 no longer than the profile reader's buffer, a name the file cannot
// hold reads as its default, and A_utf8 leaves UTF-8 alone and turns anything else into it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/idiomas.h"

namespace {

void Fallo(const char* que) {
    std::fprintf(stderr, "fuzz_idiomas: %s\n", que);
    std::abort();
}

bool Es_utf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t n = 0;
        uint32_t cp = 0, minimo = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            n = 2, cp = c & 0x1Fu, minimo = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            n = 3, cp = c & 0x0Fu, minimo = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            n = 4, cp = c & 0x07u, minimo = 0x10000;
        } else {
            return false;
        }
        if (s.size() - i < n) return false;
        for (size_t k = 1; k < n; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = cp << 6 | (d & 0x3Fu);
        }
        if (cp < minimo || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += n;
    }
    return true;
}

// Section and key names the file itself uses, so that lookups hit its entries.
void Nombres(std::string_view texto, std::vector<std::string>& secciones,
             std::vector<std::string>& claves) {
    size_t i = 0;
    while (i < texto.size() && (secciones.size() < 4 + 4 || claves.size() < 12)) {
        size_t fin = texto.find_first_of("\r\n", i);
        if (fin == std::string_view::npos) fin = texto.size();
        std::string_view linea = texto.substr(i, fin - i);
        i = fin + 1;
        const size_t a = linea.find('['), c = linea.find(']');
        if (a != std::string_view::npos && c != std::string_view::npos && c > a &&
            secciones.size() < 8) {
            secciones.emplace_back(linea.substr(a + 1, c - a - 1));
        }
        const size_t igual = linea.find('=');
        if (igual != std::string_view::npos && claves.size() < 12)
            claves.emplace_back(linea.substr(0, igual));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* datos, size_t n) {
    const std::string_view contenido(reinterpret_cast<const char*>(datos), n);
    const z82::Archivo_ini ini(contenido);

    std::vector<std::string> secciones{"COMUN", "ES", "EN", ""};
    std::vector<std::string> claves{"IDIOMA", "MENU1", "PASO1_L1", ""};
    Nombres(contenido, secciones, claves);
    const std::string defecto = "\x01por defecto\x02";
    for (const auto& s : secciones) {
        for (const auto& c : claves) {
            const std::string v = ini.Leer(s, c, defecto);
            if (v == defecto) continue;
            if (v.size() > z82::Archivo_ini::MAXIMO_VALOR) Fallo("value longer than the buffer");
            if (!Es_utf8(v)) Fallo("value is not UTF-8");
        }
    }
    // A name the file cannot hold (it has a line feed) always gives the default.
    if (ini.Leer("COMUN\n", "IDIOMA", defecto) != defecto) Fallo("impossible section found");

    const std::string u = z82::A_utf8(contenido);
    if (!Es_utf8(u)) Fallo("A_utf8 gave invalid UTF-8");
    if (Es_utf8(contenido) && u != contenido) Fallo("A_utf8 changed UTF-8 text");
    return 0;
}
