#include "hex/fuente_lineas.h"

#include <cstring>

namespace z82 {

bool TFuente_lineas::Leer_linea(char (&linea)[256]) {
    const size_t largo = texto_.size();
    const size_t desde = static_cast<size_t>(posicion_);
    if (desde >= largo) return false;
    const char* inicio = texto_.data() + desde;
    const void* lf = std::memchr(inicio, '\n', largo - desde);
    if (lf == nullptr) {
        // The text ends inside this line: it is never handed out.
        posicion_ = static_cast<int32_t>(largo);
        return false;
    }
    const size_t n = static_cast<size_t>(static_cast<const char*>(lf) - inicio) + 1;
    const size_t copiados = n < sizeof(linea) - 1 ? n : sizeof(linea) - 1;
    std::memcpy(linea, inicio, copiados);
    linea[copiados] = '\0';
    posicion_ = static_cast<int32_t>(desde + n);
    return true;
}

void TFuente_lineas::Posicionar(int32_t p) {
    if (p >= 0 && static_cast<uint64_t>(p) <= texto_.size()) posicion_ = p;
}

}  // namespace z82
