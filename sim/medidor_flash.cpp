// The flash loader: wake-up, page erase, block writes into the staging pages or the frame
// buffer, the answer to filler bytes during a recovery, the program command with its
// progress stream, and the closing pair that returns to normal mode.
#include <algorithm>
#include <cstdio>

#include "sim/medidor_simulado.h"

namespace z82::sim {

namespace {
constexpr uint8_t PAGINA_SEGMENTO_0 = 0xAB;
constexpr int64_t US_ESCRITURA_BLOQUE = 200;
constexpr int64_t US_CAMBIO_FASE = 10'000;

uint8_t xor_de(const std::vector<uint8_t>& t, size_t desde, size_t hasta) {
    uint8_t x = 0;
    for (size_t i = desde; i < hasta; ++i) x ^= t[i];
    return x;
}
}  // namespace

void Medidor_simulado::procesar_cargador(int64_t t_us) {
    const uint8_t orden = trama_[0];
    // A two-byte command whose second byte is wrong: that byte may start a command itself.
    auto par = [&](uint8_t segundo) {
        if (trama_.size() < 2) return false;
        if (trama_[1] == segundo) return true;
        const uint8_t b = trama_[1];
        trama_.assign(1, b);
        procesar_cargador(t_us);
        return false;
    };
    switch (orden) {
        case 0xAA:
            anotar(t_us, "despertar");
            responder('f', t_us);
            break;
        case 0xFF:
            // Filler of a recovery: ask for the last block again.
            anotar(t_us, "relleno");
            if (config.respuesta_relleno != 0) responder(config.respuesta_relleno, t_us);
            break;
        case 0x0F:
            if (!par(0xF0)) return;
            anotar(t_us, "cierre");
            ++sesiones_cerradas;
            modo_ = Modo::normal;
            break;
        case 0x0D:
            if (!par(0xD0)) return;
            trama_.clear();
            arrancar_transferencia(t_us);
            return;
        case 0x03:
        case 0x07:
        case 0x09:
            if (trama_.size() < 2 || trama_.size() < size_t{trama_[1]} + 2) return;
            if (orden == 0x03) escribir_bloque(t_us);
            if (orden == 0x07) borrar_paginas(t_us);
            if (orden == 0x09) programar_mapa(t_us);
            break;
        case 0x04:
            if (trama_.size() < 3 || trama_.size() < 3 + (trama_[1] | (size_t{trama_[2]} << 8)))
                return;
            carga_bloque(t_us);
            break;
        default:
            trama_.clear();
            ignorar(orden, t_us);
            return;
    }
    trama_.clear();
}

bool Medidor_simulado::es_pagina_pantalla(uint8_t pagina) const {
    return pantalla_activa_ && ((pagina - pagina_pantalla_) & 0xFF) < 3;
}

void Medidor_simulado::escribir_lineal(uint8_t pagina, uint32_t direccion, const uint8_t* datos,
                                       size_t n) {
    if (es_pagina_pantalla(pagina)) {
        const int64_t k = (pagina - pagina_pantalla_) & 0xFF;
        for (size_t i = 0; i < n; ++i) {
            const int64_t lineal = k * 65536 + direccion + int64_t(i) - base_pantalla_;
            if (lineal >= 0) pantalla_.escribir(static_cast<uint32_t>(lineal), datos[i]);
        }
        return;
    }
    // A block that runs past the end of a segment goes on into the next one.
    const uint32_t segmento = (pagina - PAGINA_SEGMENTO_0) & 0xFF;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t pos = direccion + static_cast<uint32_t>(i);
        const uint8_t s = static_cast<uint8_t>(segmento + pos / 65536);
        const uint32_t off = pos % 65536;
        segmento_preparado(s)[off] = datos[i];
        escrito_hasta_[s] = std::max(escrito_hasta_[s], off + 1);
    }
}

void Medidor_simulado::escribir_bloque(int64_t t_us) {
    // 03 L addrLo addrHi page data xor, the xor covering L .. the last data byte.
    const size_t largo = trama_[1];
    if (largo < 4 || xor_de(trama_, 1, largo + 1) != trama_[largo + 1]) {
        ++bloques_rechazados;
        anotar(t_us, "escritura rechazada");
        return;  // no answer: the PC's recovery asks again
    }
    const uint16_t direccion = static_cast<uint16_t>(trama_[2] | (trama_[3] << 8));
    const uint8_t pagina = trama_[4];
    const size_t n = largo - 4;
    escribir_lineal(pagina, direccion, trama_.data() + 5, n);
    ++bloques_aceptados;
    char texto[40];
    std::snprintf(texto, sizeof texto, "escritura %02X %04X %zu", pagina, direccion, n);
    anotar(t_us, texto);
    responder('0', t_us + US_ESCRITURA_BLOQUE);
}

void Medidor_simulado::borrar_paginas(int64_t t_us) {
    if (trama_[1] != 3 || xor_de(trama_, 1, 4) != trama_[4]) {
        anotar(t_us, "borrado rechazado");
        return;
    }
    const uint8_t primera = trama_[2], ultima = trama_[3];
    const int paginas = ((ultima - primera) & 0xFF) + 1;
    char texto[32];
    const int64_t fin = t_us + paginas * config.us_borrado_pagina;
    if (fallos.borrados_fallidos > 0) {
        --fallos.borrados_fallidos;
        std::snprintf(texto, sizeof texto, "borrado %02X-%02X %c", primera, ultima,
                      fallos.byte_fallo_borrado);
        anotar(t_us, texto);
        responder(fallos.byte_fallo_borrado, fin);
        return;
    }
    // The range wraps past page 0xFF to page 0x00.
    for (int i = 0; i < paginas; ++i) {
        const uint8_t p = static_cast<uint8_t>(primera + i);
        if (es_pagina_pantalla(p)) {
            const int64_t k = (p - pagina_pantalla_) & 0xFF;
            pantalla_.borrar(k * 65536 - base_pantalla_, (k + 1) * 65536 - base_pantalla_);
        } else {
            const uint8_t s = static_cast<uint8_t>(p - PAGINA_SEGMENTO_0);
            preparado_[s].assign(TAM_SEGMENTO, 0xFF);
            escrito_hasta_[s] = 0;
        }
    }
    std::snprintf(texto, sizeof texto, "borrado %02X-%02X p", primera, ultima);
    anotar(t_us, texto);
    responder('p', fin);
}

void Medidor_simulado::programar_mapa(int64_t t_us) {
    if (trama_[1] != 0x41 || xor_de(trama_, 1, 66) != trama_[66]) {
        anotar(t_us, "programa rechazado");
        return;
    }
    std::vector<uint8_t> segmentos;
    for (uint8_t s = 0; s < 64; ++s) {
        if (trama_[2 + s] != 0) segmentos.push_back(s);
    }
    ultimo_mapa = segmentos;
    char texto[24];
    std::snprintf(texto, sizeof texto, "programa %zu", segmentos.size());
    anotar(t_us, texto);

    // Progress: 8A 8A, one value per segment erased (6 + segment), 8B 8B, the page byte
    // of each segment written, 80 80.
    int64_t t = t_us + config.us_latencia;
    emitir({0x8A, 0x8A}, t);
    for (uint8_t s : segmentos) {
        t += config.us_fase_borrado;
        emitir({static_cast<uint8_t>(6 + s)}, t);
    }
    t += US_CAMBIO_FASE;
    emitir({0x8B, 0x8B}, t);
    for (uint8_t s : segmentos) {
        t += config.us_fase_escritura;
        emitir({static_cast<uint8_t>(PAGINA_SEGMENTO_0 + s)}, t);
    }
    t += US_CAMBIO_FASE;
    emitir({0x80, 0x80}, t);
    const int64_t fin = std::max(t, fin_linea_us_);
    ocupado_hasta_us_ = fin;
    programar(fin, [this, segmentos, fin] {
        volcar_preparado(segmentos);
        ++programaciones;
        // A meter that had only its boot loader now has firmware: it answers 0x5D.
        if (respuesta_sonda_ == 0xD5 && !segmentos.empty()) respuesta_sonda_ = 0x5D;
        anotar(fin, "programado");
    });
}

void Medidor_simulado::volcar_preparado(const std::vector<uint8_t>& segmentos) {
    for (uint8_t s : segmentos) {
        if (preparado_[s].empty()) {
            flash_[s].assign(TAM_SEGMENTO, 0xFF);
        } else {
            flash_[s] = preparado_[s];
        }
    }
}

}  // namespace z82::sim
