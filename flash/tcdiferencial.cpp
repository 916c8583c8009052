#include "flash/tcdiferencial.h"

#include <algorithm>

#include "app/contexto.h"
#include "graphics/tgraficos.h"
#include "link/tcpuerto.h"
#include "protocol/espera.h"
#include "queries/tconsultas.h"

namespace z82 {

namespace {

constexpr size_t TAMANO_BLOQUE[3] = {32, 144, 972};
constexpr int PAUSA_CARGA_MS = 100;
constexpr int PAUSA_BYTE_MS = 1;
constexpr int PAUSA_TRAS_972_MS = 2000;
constexpr uint32_t TROZO_972 = 4;
constexpr int MAX_BARRA_PROGRAMAR = 64;

}  // namespace

TCDiferencial::TCDiferencial(Contexto& ctx) : bloques(ctx.bloques), ctx_(ctx) {}

bool TCDiferencial::esperar_byte(uint8_t& b, int64_t inicio, int64_t limite_s, Limite cuando) {
    Espera espera(*ctx_.puerto, ctx_.entorno);
    espera.reiniciar_en(inicio);
    return espera.byte(b, limite_s, cuando);
}

bool TCDiferencial::Cargar_arranque() {
    if (ctx_.graficos) ctx_.graficos->habilitado = false;
    // Counted from the start of this load: the run clock is not set when the connection
    // handshake calls it.
    const int64_t inicio = ctx_.entorno.segundos();
    const auto& b0 = bloques.bloque[0];
    const auto& b2 = bloques.bloque[2];
    if (b0.size() != TAMANO_BLOQUE[0] || b2.size() != TAMANO_BLOQUE[2]) return false;

    TCPuerto& puerto = *ctx_.puerto;
    puerto.Vaciar_entrada();
    puerto.Escribir(b0.data(), static_cast<uint32_t>(b0.size()));
    ctx_.entorno.dormir(PAUSA_CARGA_MS);
    puerto.Vaciar_entrada();
    puerto.Escribir(b2.data(), static_cast<uint32_t>(b2.size()));
    ctx_.entorno.dormir(PAUSA_CARGA_MS);

    uint8_t respuesta = 0;
    if (!esperar_byte(respuesta, inicio, LIMITE_ARRANQUE_S)) return false;
    if (respuesta == RESP_CODIGO_CARGADO) return true;
    ctx_.entorno.pitar();
    return false;
}

bool TCDiferencial::Cargar_bloque_144() {
    const auto& b1 = bloques.bloque[1];
    if (b1.size() != TAMANO_BLOQUE[1]) return false;
    if (ctx_.consultas) ctx_.consultas->Activar_dispositivo();

    TCPuerto& puerto = *ctx_.puerto;
    puerto.Vaciar_entrada();
    puerto.Escribir({CMD_CARGAR_BLOQUE, 0x90, 0x00});
    puerto.Escribir(b1.data(), static_cast<uint32_t>(b1.size()));

    uint8_t respuesta = 0;
    if (!esperar_byte(respuesta, ctx_.hora_inicio, LIMITE_BLOQUE_S)) return false;

    // The meter that can show pictures answers 0x4A with the place of its frame buffer.
    TGraficos* g = ctx_.graficos;
    if (g) g->habilitado = false;
    if (respuesta == RESP_BLOQUE_144) {
        uint8_t dato[3] = {0, 0, 0};
        for (uint8_t& d : dato)
            esperar_byte(d, ctx_.hora_inicio, LIMITE_BLOQUE_S, Limite::alcanzado);
        if (g) {
            g->habilitado = true;
            g->pagina_inicio = dato[0];
            g->direccion_base = static_cast<uint16_t>((dato[1] << 8) | dato[2]);
        }
    }
    ctx_.entorno.dormir(PAUSA_CARGA_MS);
    return true;
}

bool TCDiferencial::Cargar_bloque_972() {
    const auto& b2 = bloques.bloque[2];
    if (b2.size() != TAMANO_BLOQUE[2]) return false;

    TCPuerto& puerto = *ctx_.puerto;
    puerto.Vaciar_entrada();
    ctx_.hora_inicio = ctx_.entorno.segundos();
    // The loader takes this block slowly: the header byte by byte, the code four at a time.
    for (uint8_t c : {CMD_CARGAR_BLOQUE, uint8_t{0xCC}, uint8_t{0x03}}) {
        puerto.Escribir(&c, 1);
        ctx_.entorno.dormir(PAUSA_BYTE_MS);
    }
    for (size_t i = 0; i < b2.size(); i += TROZO_972) {
        puerto.Escribir(b2.data() + i, TROZO_972);
        ctx_.entorno.dormir(PAUSA_BYTE_MS);
    }
    ctx_.hora_inicio = ctx_.entorno.segundos();
    ctx_.entorno.dormir(PAUSA_CARGA_MS);

    uint8_t respuesta = 0;
    // The first byte is not the answer.
    if (!esperar_byte(respuesta, ctx_.hora_inicio, LIMITE_BLOQUE_S)) return false;
    do {
        if (!esperar_byte(respuesta, ctx_.hora_inicio, LIMITE_BLOQUE_S)) return false;
    } while (respuesta != RESP_CODIGO_CARGADO);
    ctx_.entorno.dormir(PAUSA_TRAS_972_MS);
    return true;
}

bool TCDiferencial::Preparar_flash() {
    if (!Despertar(ctx_, formas::despertar)) return false;
    return Borrar_paginas(ctx_, PRIMERA_PAGINA_FIRMWARE, ULTIMA_PAGINA_FIRMWARE,
                          formas::borrado_controlador);
}

bool TCDiferencial::Enviar_bloque(int n, uint16_t direccion, uint8_t pagina_bloque,
                                  const uint8_t* datos) {
    return z82::Enviar_bloque(ctx_, formas::bloque_controlador, n, direccion, pagina_bloque, datos);
}

bool TCDiferencial::Programar() {
    fase_borrado = false;
    fase_grabado = false;
    ctx_.Barra_progreso.Min(0);
    ctx_.Barra_progreso.Position(0);
    ctx_.Barra_progreso.Max(MAX_BARRA_PROGRAMAR);

    Mapa_segmentos m = mapa;
    if (ctx_.Check_fpga) {
        for (int s = SEGMENTO_AREA_FPGA; s <= ULTIMO_SEGMENTO_FPGA; ++s) m[s] = 1;
    }
    Programar_mapa(ctx_, m);
    ctx_.hora_inicio = ctx_.entorno.segundos();

    // Ten minutes for the whole stream; there is no stop once the command has gone.
    return Seguir_progreso(ctx_, ctx_.hora_inicio, LIMITE_PROGRESO_S,
                           [this](Suceso_progreso s, uint8_t b) {
                               switch (s) {
                                   case Suceso_progreso::fase_borrado:
                                       fase_borrado = true;
                                       fase_grabado = false;
                                       break;
                                   case Suceso_progreso::fase_grabado:
                                       fase_grabado = true;
                                       fase_borrado = false;
                                       break;
                                   case Suceso_progreso::marcador:
                                   case Suceso_progreso::valor:
                                       Mostrar_progreso(b);
                                       break;
                               }
                           });
}

void TCDiferencial::Mostrar_progreso(uint8_t b) {
    if (b == MARCA_BORRADO || b == MARCA_GRABADO) return;
    if (b == MARCA_FIN && fase_grabado && ctx_.ultimo_progreso >= 0) return;
    int posicion = 0;
    if (fase_grabado) {
        posicion = b - PRIMERA_PAGINA_FIRMWARE;  // the segment being written
    } else if (fase_borrado) {
        posicion = b <= 7 ? 0 : b - 6;
    } else {
        return;  // before any phase a lone marker says nothing about progress
    }
    poner_barra(posicion);
    ctx_.ultimo_progreso = posicion;
    ctx_.entorno.procesar_mensajes();
}

void TCDiferencial::poner_barra(int posicion) {
    // The bar keeps its position within its range.
    ctx_.Barra_progreso.Position(
        std::clamp(posicion, ctx_.Barra_progreso.Min(), ctx_.Barra_progreso.Max()));
}

void TCDiferencial::Fin_comunicacion() { z82::Fin_comunicacion(ctx_); }

}  // namespace z82
