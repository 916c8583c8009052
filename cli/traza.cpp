#include "cli/traza.h"

#include <cstdio>

namespace z82 {

Dispositivo_traza::Dispositivo_traza(Dispositivo_serie& real, Entorno& entorno,
                                     const std::string& ruta)
    : real_(real),
      entorno_(entorno),
      propio_(ruta),
      archivo_(propio_),
      origen_ms_(entorno.milisegundos()) {
    cabecera();
}

Dispositivo_traza::Dispositivo_traza(Dispositivo_serie& real, Entorno& entorno,
                                     std::ostream& salida)
    : real_(real), entorno_(entorno), archivo_(salida), origen_ms_(entorno.milisegundos()) {
    cabecera();
}

void Dispositivo_traza::cabecera() {
    if (archivo_) archivo_ << "# ms     dir bytes (PC>M: to the meter, M>PC: from the meter)\n";
}

void Dispositivo_traza::nota(const std::string& texto) {
    if (!archivo_) return;
    char t[32];
    std::snprintf(t, sizeof t, "%9lld",
                  static_cast<long long>(entorno_.milisegundos() - origen_ms_));
    archivo_ << t << " --- " << texto << '\n';
    archivo_.flush();
}

void Dispositivo_traza::linea(const char* direccion, const uint8_t* bytes, uint32_t n) {
    if (!archivo_ || n == 0) return;
    char t[32];
    std::snprintf(t, sizeof t, "%9lld",
                  static_cast<long long>(entorno_.milisegundos() - origen_ms_));
    archivo_ << t << ' ' << direccion;
    for (uint32_t i = 0; i < n; ++i) {
        char h[4];
        std::snprintf(h, sizeof h, " %02X", bytes[i]);
        archivo_ << h;
    }
    archivo_ << '\n';
}

bool Dispositivo_traza::abrir(uint32_t numero_puerto) {
    const bool ok = real_.abrir(numero_puerto);
    nota("open port " + std::to_string(numero_puerto) + (ok ? " ok" : " failed"));
    return ok;
}

void Dispositivo_traza::cerrar() {
    nota("close");
    real_.cerrar();
}

bool Dispositivo_traza::purgar(uint32_t mascara) {
    nota("purge " + std::to_string(mascara));
    return real_.purgar(mascara);
}

bool Dispositivo_traza::leer(uint8_t* destino, uint32_t n, uint32_t& leidos) {
    const bool ok = real_.leer(destino, n, leidos);
    linea("M>PC", destino, leidos);
    return ok;
}

bool Dispositivo_traza::escribir(const uint8_t* origen, uint32_t n, uint32_t& escritos) {
    const bool ok = real_.escribir(origen, n, escritos);
    linea("PC>M", origen, escritos);
    return ok;
}

}  // namespace z82
