#include "hex/lector_hex.h"

#include <cstring>

namespace z82 {
namespace {

int Digito(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;  // lower case, the line end and the NUL are not digits
}

// Reads the pair at linea[i], i+1; false on a character that is not a digit. The pair
// never runs past the NUL, because the NUL stops it first.
bool Par(const char* linea, size_t i, uint8_t& valor) {
    const int alto = Digito(linea[i]);
    if (alto < 0) return false;
    const int bajo = Digito(linea[i + 1]);
    if (bajo < 0) return false;
    valor = static_cast<uint8_t>(alto * 16 + bajo);
    return true;
}

}  // namespace

uint8_t TLector_hex::Leer_registro(Registro_hex& r) {
    char linea[256];
    if (!fuente_.Leer_linea(linea)) return HEX_FIN;
    if (linea[0] != ':') return HEX_NO_ES_REGISTRO;

    // A line that did not fit the buffer has lost its end: refuse it.
    if (std::strchr(linea, '\n') == nullptr) return HEX_FORMATO;

    uint8_t n = 0, alto = 0, bajo = 0, tipo = 0;
    if (!Par(linea, 1, n) || !Par(linea, 3, alto) || !Par(linea, 5, bajo) || !Par(linea, 7, tipo)) {
        return HEX_FORMATO;
    }
    r.count = n;
    r.address = static_cast<uint16_t>(alto << 8 | bajo);
    r.type = tipo;

    unsigned suma = n + alto + bajo + tipo;
    size_t i = 9;
    for (unsigned k = 0; k < n; ++k, i += 2) {
        uint8_t b = 0;
        if (!Par(linea, i, b)) return HEX_FORMATO;
        if (r.data != nullptr) r.data[k] = b;
        suma += b;
    }
    uint8_t checksum = 0;
    if (!Par(linea, i, checksum)) return HEX_FORMATO;
    if (static_cast<uint8_t>(0x100 - (suma & 0xFF)) != checksum) return HEX_CHECKSUM;
    return HEX_OK;
}

}  // namespace z82
