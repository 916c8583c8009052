#include "cli/json.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace z82 {

namespace {

constexpr char kReemplazo[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// The bytes of the well-formed UTF-8 character that starts at s[i], or the length of its
// maximal ill-formed part (at least 1) with valido false.
size_t Caracter_utf8(std::string_view s, size_t i, bool& valido) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b = byte(i);
    valido = false;
    size_t n = 0;
    // The range of the second byte, which rules out overlong forms, surrogates and code
    // points above U+10FFFF; every other continuation byte is 0x80..0xBF.
    unsigned char bajo = 0x80, alto = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        if (b == 0xE0) bajo = 0xA0;
        if (b == 0xED) alto = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        if (b == 0xF0) bajo = 0x90;
        if (b == 0xF4) alto = 0x8F;
    } else {
        return 1;  // a continuation byte alone, 0xC0, 0xC1, or 0xF5..0xFF
    }
    size_t k = 1;
    for (; k < n && i + k < s.size(); ++k) {
        const unsigned char c = byte(i + k);
        const bool en_rango = k == 1 ? (c >= bajo && c <= alto) : (c >= 0x80 && c <= 0xBF);
        if (!en_rango) return k;
    }
    valido = k == n;
    return k;
}

}  // namespace

std::string Cadena_json(std::string_view s) {
    std::string r;
    r.reserve(s.size() + 2);
    r += '"';
    for (size_t i = 0; i < s.size();) {
        const auto u = static_cast<unsigned char>(s[i]);
        if (u < 0x80) {
            if (u == '"' || u == '\\') {
                r += '\\';
                r += static_cast<char>(u);
            } else if (u < 0x20) {
                static constexpr char kHex[] = "0123456789abcdef";
                r += "\\u00";
                r += kHex[u >> 4];
                r += kHex[u & 0x0F];
            } else {
                r += static_cast<char>(u);
            }
            ++i;
            continue;
        }
        bool valido = false;
        const size_t n = Caracter_utf8(s, i, valido);
        if (valido) {
            r.append(s.substr(i, n));
        } else {
            r += kReemplazo;
        }
        i += n;
    }
    r += '"';
    return r;
}

void Escritor_json::antes_de_valor() {
    if (tras_clave_) {
        tras_clave_ = false;
        return;
    }
    if (con_algo_.empty()) return;
    if (con_algo_.back()) texto_ += ',';
    con_algo_.back() = true;
}

Escritor_json& Escritor_json::abrir_objeto() {
    antes_de_valor();
    texto_ += '{';
    con_algo_.push_back(false);
    return *this;
}

Escritor_json& Escritor_json::cerrar_objeto() {
    texto_ += '}';
    con_algo_.pop_back();
    return *this;
}

Escritor_json& Escritor_json::abrir_lista() {
    antes_de_valor();
    texto_ += '[';
    con_algo_.push_back(false);
    return *this;
}

Escritor_json& Escritor_json::cerrar_lista() {
    texto_ += ']';
    con_algo_.pop_back();
    return *this;
}

Escritor_json& Escritor_json::clave(std::string_view nombre) {
    antes_de_valor();
    texto_ += Cadena_json(nombre);
    texto_ += ':';
    tras_clave_ = true;
    return *this;
}

Escritor_json& Escritor_json::cadena(std::string_view s) {
    antes_de_valor();
    texto_ += Cadena_json(s);
    return *this;
}

Escritor_json& Escritor_json::entero(int64_t n) {
    antes_de_valor();
    char t[24];
    const auto fin = std::to_chars(t, t + sizeof t, n).ptr;
    texto_.append(t, fin);
    return *this;
}

Escritor_json& Escritor_json::decimal(double x, int decimales) {
    if (!std::isfinite(x)) return nulo();
    antes_de_valor();
    // Enough for any double in fixed notation with a few decimals.
    char t[400];
    const auto r = std::to_chars(t, t + sizeof t, x, std::chars_format::fixed, decimales);
    if (r.ec == std::errc{}) {
        texto_.append(t, r.ptr);
    } else {
        texto_ += "null";
    }
    return *this;
}

Escritor_json& Escritor_json::logico(bool b) {
    antes_de_valor();
    texto_ += b ? "true" : "false";
    return *this;
}

Escritor_json& Escritor_json::nulo() {
    antes_de_valor();
    texto_ += "null";
    return *this;
}

}  // namespace z82
