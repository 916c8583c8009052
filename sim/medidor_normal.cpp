// Handshake and normal mode: the probe and its answers, the disconnect byte, the closing
// pair, and the dispatch of the requests the meter understands while connected.
#include <cstdio>

#include "sim/medidor_simulado.h"

namespace z82::sim {

namespace {
// Length of the request that starts the frame; 0 while it cannot be known yet, and
// SIZE_MAX for a byte that starts no request.
size_t largo_normal(const std::vector<uint8_t>& t) {
    switch (t[0]) {
        case 0x00:
        case 0x0A:
        case 0xBF:
        case 0xC0:
            return 1;
        case 0x0F:
            return 2;
        case 0x01:
            return 5;
        case 0x02:
            return t.size() < 2 ? 0 : size_t{2} + t[1];
        case 0x04:
            return t.size() < 3 ? 0 : size_t{3} + (t[1] | (size_t{t[2]} << 8));
        case 0x5A:
            return 133;
        case 0x5B:
            return 12;
        default:
            return SIZE_MAX;
    }
}
}  // namespace

void Medidor_simulado::contestar_sonda(int64_t t_us) {
    trama_.clear();
    if (config.sonda_muda) {
        anotar(t_us, "sonda muda");
        return;
    }
    char texto[16];
    std::snprintf(texto, sizeof texto, "sonda %02X", respuesta_sonda_);
    anotar(t_us, texto);
    responder(respuesta_sonda_, t_us);
    switch (respuesta_sonda_) {
        case 0x5D:
            modo_ = Modo::normal;
            break;
        case 0xD5:
            // Only the boot loader runs: it waits for the 32-byte and 972-byte blocks.
            modo_ = Modo::arranque;
            fase_arranque_ = 0;
            break;
        default:
            modo_ = Modo::espera;
            break;
    }
}

void Medidor_simulado::procesar_espera(int64_t t_us) {
    if (!config.exigir_sonda) {
        modo_ = Modo::normal;
        procesar_normal(t_us);
        return;
    }
    const uint8_t b = trama_[0];
    trama_.clear();
    if (b == 0x00) {
        contestar_sonda(t_us);
    } else {
        ignorar(b, t_us);
    }
}

void Medidor_simulado::procesar_normal(int64_t t_us) {
    const size_t largo = largo_normal(trama_);
    if (largo == SIZE_MAX) {
        const uint8_t b = trama_[0];
        trama_.clear();
        ignorar(b, t_us);
        return;
    }
    if (largo == 0 || trama_.size() < largo) return;
    switch (trama_[0]) {
        case 0x00:
            contestar_sonda(t_us);
            return;
        case 0x0A:
            anotar(t_us, "desconexion");
            ++sesiones_cerradas;
            modo_ = Modo::espera;
            break;
        case 0x0F:
            if (trama_[1] != 0xF0) {
                // Not the closing pair: the second byte may start a request of its own.
                const uint8_t b = trama_[1];
                trama_.clear();
                trama_.push_back(b);
                procesar_normal(t_us);
                return;
            }
            anotar(t_us, "cierre");
            ++sesiones_cerradas;
            break;
        case 0x01:
            if (trama_[1] == 0x50) {
                lectura_dispositivo(t_us);
            } else {
                lectura(t_us);
            }
            break;
        case 0x02:
            escritura_peticion(t_us);
            break;
        case 0x04:
            carga_bloque(t_us);
            break;
        case 0x5A:
            trama_bloque(t_us);
            break;
        case 0x5B:
            trama_orden(t_us);
            break;
        case 0xBF:
            identidad_mpeg4(t_us);
            break;
        case 0xC0:
            serie_mpeg4(t_us);
            break;
    }
    trama_.clear();
}

}  // namespace z82::sim
