#include "flash/tcdiferencial.h"

#include <algorithm>

#include "base/entorno.h"
#include "link/tcpuerto.h"
#include "protocol/causa.h"

namespace z82 {

namespace {

constexpr int MAX_BARRA_PROGRAMAR = 64;

}  // namespace

TCDiferencial::TCDiferencial(Canal canal, Barra_de_progreso& barra, int& ultimo_progreso)
    : canal_(canal), barra_(barra), ultimo_progreso_(ultimo_progreso) {}

bool TCDiferencial::Preparar_flash() {
    if (!Despertar(canal_, formas::despertar)) return false;
    return Borrar_paginas(canal_, PRIMERA_PAGINA_FIRMWARE, ULTIMA_PAGINA_FIRMWARE,
                          formas::borrado_controlador);
}

bool TCDiferencial::Enviar_bloque(int n, uint16_t direccion, uint8_t pagina_bloque,
                                  const uint8_t* datos) {
    ++bloques_;
    if (z82::Enviar_bloque(canal_, formas::bloque_controlador, n, direccion, pagina_bloque,
                           datos)) {
        return true;
    }
    Precisar(canal_, std::string(flujo_) + "block " + Miles(bloques_) + " (page " +
                         Hex(pagina_bloque) + ", address " + Hex(direccion, 4) + ")");
    return false;
}

bool TCDiferencial::Programar() {
    fase_borrado = false;
    fase_grabado = false;
    barra_.Tramo("flash programming", "steps", MAX_BARRA_PROGRAMAR, false);

    Mapa_segmentos m = mapa;
    if (con_area_fpga) {
        for (int s = SEGMENTO_AREA_FPGA; s <= ULTIMO_SEGMENTO_FPGA; ++s) m[s] = 1;
    }
    const bool enviado = Programar_mapa(canal_, m);
    // Ten minutes for the whole stream; there is no stop once the command has gone.
    const bool ok = Seguir_progreso(canal_, canal_.entorno.segundos(), LIMITE_PROGRESO_S,
                                    [this](Suceso_progreso s, uint8_t b) {
                                        switch (s) {
                                            case Suceso_progreso::fase_borrado:
                                                if (!fase_borrado)
                                                    barra_.Tramo("flash erase", "steps");
                                                fase_borrado = true;
                                                fase_grabado = false;
                                                break;
                                            case Suceso_progreso::fase_grabado:
                                                if (!fase_grabado)
                                                    barra_.Tramo("flash write", "steps");
                                                fase_grabado = true;
                                                fase_borrado = false;
                                                break;
                                            case Suceso_progreso::marcador:
                                            case Suceso_progreso::valor:
                                                Mostrar_progreso(b);
                                                break;
                                        }
                                    });
    if (!ok && !enviado) canal_.fallar(std::string(CAUSA_PUERTO));
    return ok;
}

void TCDiferencial::Mostrar_progreso(uint8_t b) {
    if (b == MARCA_BORRADO || b == MARCA_GRABADO) return;
    if (b == MARCA_FIN && fase_grabado && ultimo_progreso_ >= 0) return;
    int posicion = 0;
    if (fase_grabado) {
        posicion = b - PRIMERA_PAGINA_FIRMWARE;  // the segment being written
    } else if (fase_borrado) {
        posicion = b <= 7 ? 0 : b - 6;
    } else {
        return;  // before any phase a lone marker says nothing about progress
    }
    poner_barra(posicion);
    ultimo_progreso_ = posicion;
    canal_.entorno.procesar_mensajes();
}

void TCDiferencial::poner_barra(int posicion) {
    // The bar keeps its position within its range.
    barra_.Position(std::clamp(posicion, barra_.Min(), barra_.Max()));
}

void TCDiferencial::Fin_comunicacion() { z82::Fin_comunicacion(canal_); }

}  // namespace z82
