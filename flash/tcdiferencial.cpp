#include "flash/tcdiferencial.h"

#include <algorithm>

#include "app/contexto.h"
#include "link/tcpuerto.h"

namespace z82 {

namespace {

constexpr int MAX_BARRA_PROGRAMAR = 64;

}  // namespace

TCDiferencial::TCDiferencial(Contexto& ctx) : ctx_(ctx) {}

bool TCDiferencial::Preparar_flash() {
    if (!Despertar(ctx_.canal(), formas::despertar)) return false;
    return Borrar_paginas(ctx_.canal(), PRIMERA_PAGINA_FIRMWARE, ULTIMA_PAGINA_FIRMWARE,
                          formas::borrado_controlador);
}

bool TCDiferencial::Enviar_bloque(int n, uint16_t direccion, uint8_t pagina_bloque,
                                  const uint8_t* datos) {
    return z82::Enviar_bloque(ctx_.canal(), formas::bloque_controlador, n, direccion, pagina_bloque,
                              datos);
}

bool TCDiferencial::Programar() {
    fase_borrado = false;
    fase_grabado = false;
    ctx_.Barra_progreso.Min(0);
    ctx_.Barra_progreso.Position(0);
    ctx_.Barra_progreso.Max(MAX_BARRA_PROGRAMAR);

    Mapa_segmentos m = mapa;
    if (con_area_fpga) {
        for (int s = SEGMENTO_AREA_FPGA; s <= ULTIMO_SEGMENTO_FPGA; ++s) m[s] = 1;
    }
    Programar_mapa(ctx_.canal(), m);
    ctx_.hora_inicio = ctx_.entorno.segundos();

    // Ten minutes for the whole stream; there is no stop once the command has gone.
    return Seguir_progreso(ctx_.canal(), ctx_.hora_inicio, LIMITE_PROGRESO_S,
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

void TCDiferencial::Fin_comunicacion() { z82::Fin_comunicacion(ctx_.canal()); }

}  // namespace z82
