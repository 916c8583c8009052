#include "mpeg4/tmpeg4.h"

#include <algorithm>
#include <array>

#include "base/entorno.h"
#include "data/imagenes.h"
#include "flash/codigo_cargador.h"
#include "graphics/tgraficos.h"
#include "link/tcpuerto.h"
#include "protocol/causa.h"
#include "protocol/espera.h"
#include "protocol/trama_flash.h"

namespace z82 {

namespace {

constexpr int PAUSA_TRAS_BORRADO_MS = 200;
constexpr int PAUSA_ESPERA_FIN_MS = 1;
constexpr int GRAFICO_CARGANDO = 3;
constexpr int GRAFICO_ACTUALIZANDO = 4;

bool leer_byte(const Canal& canal, uint8_t& b) { return canal.puerto.Leer(&b, 1) > 0; }

}  // namespace

TMpeg4::TMpeg4(Canal canal, Barra_de_progreso& barra, Bloques_cargador& bloques_cargador,
               TGraficos* graficos, bool es_usa)
    : bloques(bloques_cargador),
      imagen(datos::imagen_mpeg4()),
      programa(datos::programa_transferencia()),
      canal_(canal),
      barra_(barra),
      graficos_(graficos),
      es_usa_(es_usa) {}

bool TMpeg4::Parchear_bloque_972() {
    auto& bloque = bloques.bloque[2];
    if (bloque.size() < POSICION_PARCHE + 3) {
        canal_.fallar("the loader code's block 2 (" + std::to_string(bloque.size()) +
                      " bytes) is too short to take the transfer program's entry");
        return false;
    }
    bloque[POSICION_PARCHE] = SEGMENTO_TRANSFERENCIA;
    bloque[POSICION_PARCHE + 1] = static_cast<uint8_t>(ENTRADA_TRANSFERENCIA & 0xFF);
    bloque[POSICION_PARCHE + 2] = static_cast<uint8_t>(ENTRADA_TRANSFERENCIA >> 8);
    return true;
}

bool TMpeg4::Actualizar_mpeg4(uint32_t p) {
    parametro = p;
    if (!Grabar_aplicacion()) return false;
    if (!Grabar_transferencia()) return false;
    if (graficos_) graficos_->Enviar_grafico(GRAFICO_ACTUALIZANDO);
    if (canal_.parar()) {
        canal_.fallar(std::string(CAUSA_DETENIDA) + " before the transfer program was started");
        return false;
    }
    if (!Arrancar_transferencia()) return false;
    if (!Ordenar_transferencia()) return false;
    return Esperar_fin_mpeg4();
}

bool TMpeg4::Borrar_area_mpeg4() {
    if (!Despertar(canal_, formas::despertar)) return false;
    return Borrar_paginas(canal_, PAGINA_APLICACION, ULTIMA_PAGINA_APLICACION,
                          formas::borrado_mpeg4);
}

bool TMpeg4::Grabar_aplicacion() {
    total = 0;
    // The graphics erase counts its limit from here.
    const int64_t hora_inicio = canal_.entorno.segundos();
    if (!Borrar_area_mpeg4()) return false;

    canal_.entorno.dormir(PAUSA_TRAS_BORRADO_MS);
    if (graficos_) {
        graficos_->Borrar_graficos(hora_inicio);
        graficos_->Enviar_grafico(GRAFICO_CARGANDO);
    }
    if (canal_.parar()) {
        canal_.fallar(std::string(CAUSA_DETENIDA) + " before the application was sent");
        return false;
    }

    tamano_imagen = static_cast<uint32_t>(imagen.size());
    pagina = PAGINA_APLICACION;
    barra_.Tramo("MPEG4 application", "blocks",
                 static_cast<int>(tamano_imagen / BYTES_BLOQUE_APLICACION));
    return Enviar_flujo(imagen, BYTES_BLOQUE_APLICACION, true, "application");
}

bool TMpeg4::Grabar_transferencia() {
    barra_.Tramo("MPEG4 transfer program", "bytes", static_cast<int>(programa.size()));
    total = 0;
    pagina = PAGINA_TRANSFERENCIA;
    return Enviar_flujo(programa, BYTES_BLOQUE_TRANSFERENCIA, false, "transfer program");
}

bool TMpeg4::Enviar_flujo(std::span<const uint8_t> datos, int bytes_bloque, bool barra_en_bloques,
                          const char* nombre) {
    uint32_t desplazamiento = 0;
    int enviados = 0;
    for (size_t posicion = 0; posicion < datos.size();) {
        const size_t n = std::min(static_cast<size_t>(bytes_bloque), datos.size() - posicion);
        if (!Enviar_bloque(canal_, formas::bloque_mpeg4, static_cast<int>(n),
                           static_cast<uint16_t>(desplazamiento), pagina,
                           datos.data() + posicion)) {
            Precisar(canal_, std::string(nombre) + " block " + Miles(enviados + 1) + " (page " +
                                 Hex(pagina) + ", address " + Hex(desplazamiento, 4) + ")");
            return false;
        }
        // A block may run over the end of a segment; the next one starts in the following.
        if (desplazamiento + n > 0xFFFF) pagina = static_cast<uint8_t>(pagina + 1);
        desplazamiento = static_cast<uint32_t>((desplazamiento + n) & 0xFFFFu);
        total += static_cast<uint32_t>(n);
        posicion += n;
        barra_.Position(barra_en_bloques ? enviados : static_cast<int>(posicion));
        ++enviados;

        if (Cancelado_tras_pausa(canal_)) {
            canal_.fallar(std::string(CAUSA_DETENIDA) + " after " + nombre + " block " +
                          Miles(enviados));
            return false;
        }
    }
    return true;
}

bool TMpeg4::Arrancar_transferencia() {
    canal_.puerto.Vaciar_entrada();
    if (canal_.puerto.Escribir({ARRANQUE_1, ARRANQUE_2}) == 2) return true;
    canal_.fallar(std::string(CAUSA_PUERTO));
    return false;
}

bool TMpeg4::Ordenar_transferencia() {
    // Any byte tells that the transfer program is running; the window stays live meanwhile.
    Espera espera(canal_.puerto, canal_.entorno);
    uint8_t listo = 0;
    if (!espera.byte(listo, LIMITE_LISTO_S)) {
        canal_.fallar("the transfer program did not answer its start command " + Hex(ARRANQUE_1) +
                      " " + Hex(ARRANQUE_2) + " within " + Duracion(LIMITE_LISTO_S));
        return false;
    }
    const uint32_t t = tamano_imagen;
    const std::array<uint8_t, 9> orden{es_usa_ ? ORDEN_TRANSFERENCIA_USA : ORDEN_TRANSFERENCIA,
                                       0x00,
                                       0x00,
                                       0x20,
                                       0x00,
                                       static_cast<uint8_t>(t & 0xFF),
                                       static_cast<uint8_t>((t >> 8) & 0xFF),
                                       static_cast<uint8_t>((t >> 16) & 0xFF),
                                       static_cast<uint8_t>((t >> 24) & 0xFF)};
    if (canal_.puerto.Escribir(orden.data(), static_cast<uint32_t>(orden.size())) ==
        static_cast<int>(orden.size())) {
        return true;
    }
    canal_.fallar(std::string(CAUSA_PUERTO));
    return false;
}

bool TMpeg4::Esperar_fin_mpeg4() {
    barra_.Tramo("MPEG4 module programming", "s", PASOS_BARRA_FIN, false);
    barra_.Position(0);
    const int64_t inicio = canal_.entorno.segundos();
    bool terminado = false;
    // Other bytes the module sent meanwhile, for the cause of a failure.
    int otros = 0;
    uint8_t ultimo = 0;
    while (!terminado && canal_.entorno.segundos() - inicio < LIMITE_FIN_S) {
        const int64_t transcurrido = canal_.entorno.segundos() - inicio;
        if (transcurrido < PASOS_BARRA_FIN) {
            barra_.Position(static_cast<int>(transcurrido));
        }
        canal_.entorno.procesar_mensajes();
        uint8_t b = 0;
        const bool llego = leer_byte(canal_, b);
        terminado = llego && b == FIN_MPEG4;
        if (llego && !terminado) {
            ++otros;
            ultimo = b;
        }
        canal_.entorno.dormir(PAUSA_ESPERA_FIN_MS);
    }
    if (terminado) return true;
    std::string causa = "the module did not report the end of its programming (" + Hex(FIN_MPEG4) +
                        ") within " + Duracion(LIMITE_FIN_S);
    if (otros > 0) {
        causa += " (" + Miles(otros) + (otros == 1 ? " other byte came, " : " other bytes came, ") +
                 Hex(ultimo) + (otros == 1 ? ")" : " last)");
    }
    canal_.fallar(causa);
    return false;
}

}  // namespace z82
