#include "app/idiomas.h"

#include <algorithm>
#include <cstdint>
#include <set>

namespace z82 {
namespace {

bool Igual_sin_mayusculas(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto baja = [](char c) {
            return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (baja(a[i]) != baja(b[i])) return false;
    }
    return true;
}

std::string Minusculas(std::string_view s) {
    std::string m(s);
    for (char& c : m) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return m;
}

std::string_view Recortar(std::string_view s) {
    auto espacio = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && espacio(s.front())) s.remove_prefix(1);
    while (!s.empty() && espacio(s.back())) s.remove_suffix(1);
    return s;
}

// Length of the valid UTF-8 sequence starting at p, or 0.
size_t Secuencia_utf8(const unsigned char* p, size_t resto) {
    const unsigned char c = p[0];
    size_t n = 0;
    uint32_t minimo = 0;
    if (c < 0x80) return 1;
    if ((c & 0xE0) == 0xC0) {
        n = 2;
        minimo = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        n = 3;
        minimo = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        n = 4;
        minimo = 0x10000;
    } else {
        return 0;
    }
    if (resto < n) return 0;
    uint32_t cp = c & (0x7Fu >> n);
    for (size_t i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (p[i] & 0x3Fu);
    }
    if (cp < minimo || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

bool Es_utf8(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    for (size_t i = 0; i < s.size();) {
        const size_t n = Secuencia_utf8(p + i, s.size() - i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

void Poner_utf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Windows-1252 characters 0x80 .. 0x9F; undefined ones map to U+FFFD.
constexpr uint16_t kCp1252[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                  0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

}  // namespace

std::string A_utf8(std::string_view texto) {
    if (Es_utf8(texto)) return std::string(texto);
    std::string out;
    out.reserve(texto.size() * 2);
    for (char ch : texto) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else if (c < 0xA0) {
            Poner_utf8(out, kCp1252[c - 0x80]);
        } else {
            Poner_utf8(out, c);
        }
    }
    return out;
}

Archivo_ini::Archivo_ini(std::string_view contenido) {
    if (contenido.size() > MAXIMO_ARCHIVO) contenido = contenido.substr(0, MAXIMO_ARCHIVO);
    if (contenido.substr(0, 3) == "\xEF\xBB\xBF") contenido.remove_prefix(3);
    const std::string texto = A_utf8(contenido);
    std::string_view resto = texto;
    std::string seccion;
    bool en_seccion = false;
    // Only the first section of a name is read, as the profile reader does.
    std::vector<std::string> vistas;
    bool seccion_repetida = false;
    while (!resto.empty()) {
        const size_t fin = resto.find_first_of("\r\n");
        std::string_view linea = Recortar(resto.substr(0, fin));
        resto = fin == std::string_view::npos ? std::string_view{} : resto.substr(fin + 1);
        // Whatever follows a NUL on a line is not text.
        linea = Recortar(linea.substr(0, linea.find('\0')));
        if (linea.empty()) continue;
        if (linea.front() == '[') {
            const size_t cierre = linea.find(']');
            seccion = std::string(Recortar(linea.substr(
                1, cierre == std::string_view::npos ? std::string_view::npos : cierre - 1)));
            seccion_repetida = std::any_of(vistas.begin(), vistas.end(), [&](const auto& v) {
                return Igual_sin_mayusculas(v, seccion);
            });
            if (!seccion_repetida) vistas.push_back(seccion);
            en_seccion = true;
            continue;
        }
        if (!en_seccion || seccion_repetida || linea.front() == ';') continue;
        const size_t igual = linea.find('=');
        if (igual == std::string_view::npos) continue;
        std::string_view clave = Recortar(linea.substr(0, igual));
        std::string_view valor = Recortar(linea.substr(igual + 1));
        if (valor.size() >= 2 && (valor.front() == '"' || valor.front() == '\'') &&
            valor.back() == valor.front()) {
            valor = valor.substr(1, valor.size() - 2);
        }
        if (valor.size() > MAXIMO_VALOR) {
            // The text is UTF-8 by now: cut before the character that does not fit whole.
            size_t corte = MAXIMO_VALOR;
            while (corte > 0 && (static_cast<unsigned char>(valor[corte]) & 0xC0) == 0x80) --corte;
            valor = valor.substr(0, corte);
        }
        entradas_.push_back({seccion, std::string(clave), std::string(valor)});
    }
}

std::string Archivo_ini::Leer(std::string_view seccion, std::string_view clave,
                              std::string_view por_defecto) const {
    for (const auto& e : entradas_) {
        if (Igual_sin_mayusculas(e.seccion, seccion) && Igual_sin_mayusculas(e.clave, clave)) {
            return e.valor;
        }
    }
    return std::string(por_defecto);
}

std::vector<std::pair<std::string, std::string>> Archivo_ini::Valores(
    std::string_view seccion) const {
    std::vector<std::pair<std::string, std::string>> valores;
    std::set<std::string> vistas;
    for (const auto& e : entradas_) {
        if (!Igual_sin_mayusculas(e.seccion, seccion)) continue;
        if (vistas.insert(Minusculas(e.clave)).second) valores.emplace_back(e.clave, e.valor);
    }
    return valores;
}

std::string Completar_idiomas(std::string_view archivo, std::string_view llevado) {
    const Archivo_ini hallado(archivo);
    const Archivo_ini propio(llevado);
    std::string idioma = hallado.Leer("COMUN", "IDIOMA", "EN");
    // A name the file cannot hold as a section has no texts of its own.
    if (idioma.empty() || idioma.find(']') != std::string::npos) idioma = "EN";
    // Every value between quotes, so that the reader gives it back as it is.
    std::string texto = "[COMUN]\nIDIOMA=\"" + idioma + "\"\n";
    if (!Igual_sin_mayusculas(idioma, "COMUN")) texto += "[" + idioma + "]\n";
    std::set<std::string> puestas;
    auto poner = [&](const Archivo_ini& ini, std::string_view seccion) {
        for (const auto& [clave, valor] : ini.Valores(seccion)) {
            if (valor.empty() || !puestas.insert(Minusculas(clave)).second) continue;
            texto += clave + "=\"" + valor + "\"\n";
        }
    };
    poner(hallado, idioma);
    poner(propio, idioma);
    poner(propio, "EN");
    return texto;
}

}  // namespace z82
