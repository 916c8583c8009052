#include "protocol/causa.h"

#include <cstdio>

namespace z82 {

std::string Miles(int64_t n) {
    std::string cifras = std::to_string(n < 0 ? -n : n);
    std::string r;
    for (size_t i = 0; i < cifras.size(); ++i) {
        if (i > 0 && (cifras.size() - i) % 3 == 0) r += ',';
        r += cifras[i];
    }
    return n < 0 ? "-" + r : r;
}

std::string Hex(uint32_t v, int cifras) {
    char texto[16];
    std::snprintf(texto, sizeof texto, "0x%0*X", cifras, static_cast<unsigned>(v));
    return texto;
}

std::string Byte_visto(uint8_t b) {
    if (b > 0x20 && b < 0x7F) return std::string("'") + static_cast<char>(b) + "'";
    return Hex(b);
}

std::string Duracion(int64_t segundos) {
    // Ten minutes and more read better in minutes; shorter limits as the program sets them.
    if (segundos >= 600 && segundos % 60 == 0) return std::to_string(segundos / 60) + " minutes";
    return std::to_string(segundos) + " s";
}

void Precisar(const Canal& canal, std::string_view contexto) {
    if (canal.senales.causa == CAUSA_DETENIDA) {
        canal.fallar(std::string(CAUSA_DETENIDA) + " during " + std::string(contexto));
    } else {
        canal.fallar(std::string(contexto) + ": " + canal.senales.causa);
    }
}

std::string Respuestas::describir(const Intento& i) {
    switch (i.tipo) {
        case Tipo::nada:
            return "nothing";
        case Tipo::tarde:
            return Byte_visto(i.byte) + " too late";
        case Tipo::otra:
            break;
    }
    return Byte_visto(i.byte);
}

std::string Respuestas::causa(std::string_view peticion, uint8_t esperada) const {
    if (puerto_fallido_) return std::string(CAUSA_PUERTO);
    const std::string a = std::string(peticion);
    const size_t n = intentos_.size();
    if (n == 0) return "no try of " + a;
    const std::string en_n = n == 1 ? "" : " in " + std::to_string(n) + " tries";
    bool iguales = n > 0;
    for (const Intento& i : intentos_) iguales = iguales && i == intentos_.front();
    if (iguales && intentos_.front().tipo == Tipo::nada) return "no answer to " + a + en_n;
    if (iguales) {
        return "the meter answered " + describir(intentos_.front()) + " to " + a +
               (n == 1 ? "" : ", " + std::to_string(n) + " tries");
    }
    std::string lista;
    for (const Intento& i : intentos_) lista += (lista.empty() ? "" : ", ") + describir(i);
    return "the meter did not answer " + Byte_visto(esperada) + " to " + a + en_n + " (" + lista +
           ")";
}

}  // namespace z82
