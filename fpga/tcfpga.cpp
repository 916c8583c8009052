#include "fpga/tcfpga.h"

#include <algorithm>

#include "base/entorno.h"
#include "data/imagenes.h"
#include "protocol/causa.h"
#include "protocol/trama_flash.h"

namespace z82 {

TCFpga::TCFpga(Canal canal, Barra_de_progreso& barra) : canal_(canal), barra_(barra) {
    for (int i = 0; i < CONFIGURACIONES_CARGADAS; ++i) {
        configuraciones[static_cast<size_t>(i)] = datos::configuracion_fpga(i);
    }
}

bool TCFpga::Construir(Area_fpga& area) const {
    // Entries beyond the carried configurations would have no data: refuse the count.
    if (n_configuraciones <= 0 || n_configuraciones > CONFIGURACIONES_CARGADAS) {
        canal_.fallar("cannot write " + std::to_string(n_configuraciones) +
                      " FPGA configurations: the program carries " +
                      std::to_string(CONFIGURACIONES_CARGADAS));
        return false;
    }
    const auto elegidas = std::span<const std::span<const uint8_t>>(configuraciones)
                              .first(static_cast<size_t>(n_configuraciones));
    if (Construir_area_fpga(elegidas, descripciones, area)) return true;
    const auto vacia = std::find_if(elegidas.begin(), elegidas.end(),
                                    [](const std::span<const uint8_t>& c) { return c.empty(); });
    canal_.fallar(vacia != elegidas.end()
                      ? "FPGA configuration " + std::to_string(vacia - elegidas.begin()) +
                            " has no data"
                      : "the FPGA configurations do not fit in the " +
                            std::to_string(TAMANO_AREA_FPGA / (1024 * 1024)) + " MiB area");
    return false;
}

std::vector<uint8_t> TCFpga::Imagen() const {
    Area_fpga area;
    if (!Construir(area)) return {};
    return std::vector<uint8_t>(area.datos.begin(), area.datos.begin() + area.total);
}

bool TCFpga::Grabar_configuraciones(bool programar) {
    grabado_ok = false;
    Area_fpga area;  // the 2 MiB buffer lives only for this call
    if (!Construir(area)) return false;
    total = area.total;
    inicio = area.inicio;
    tamano = area.tamano;

    // One page beyond the last one that holds data; the loader needs no wake-up here.
    const auto ultima =
        static_cast<uint8_t>((total / BYTES_SEGMENTO + PAGINA_AREA_FPGA + 1u) & 0xFFu);
    if (!Borrar_paginas(canal_, PAGINA_AREA_FPGA, ultima, formas::borrado_fpga)) return false;

    if (!Enviar_area(area)) return false;

    if (programar && !Programar_area()) return false;

    grabado_ok = true;
    return true;
}

bool TCFpga::Enviar_area(const Area_fpga& area) {
    barra_.Tramo("FPGA configurations", "bytes", static_cast<int>(total));
    barra_.Position(0);
    for (uint32_t p = 0; p < total; p += BYTES_BLOQUE) {
        canal_.entorno.procesar_mensajes();
        pagina = static_cast<uint8_t>((PAGINA_AREA_FPGA + p / BYTES_SEGMENTO) & 0xFFu);
        const uint32_t n = std::min(BYTES_BLOQUE, total - p);
        if (!Enviar_bloque(canal_, formas::bloque_fpga, static_cast<int>(n),
                           static_cast<uint16_t>(p & 0xFFFFu), pagina, area.datos.data() + p)) {
            Precisar(canal_, "block " + Miles(p / BYTES_BLOQUE + 1) + " (page " + Hex(pagina) +
                                 ", address " + Hex(p & 0xFFFFu, 4) + ")");
            return false;
        }
        barra_.Position(static_cast<int>(p));
    }
    return true;
}

bool TCFpga::Programar_area() {
    Mapa_segmentos mapa{};
    for (uint32_t s = SEGMENTO_AREA_FPGA; s <= SEGMENTO_AREA_FPGA + total / BYTES_SEGMENTO; ++s) {
        if (s < mapa.size()) mapa[s] = 1;
    }
    const bool enviado = Programar_mapa(canal_, mapa);
    // The meter's stream is given the same budget as the firmware's program command; the
    // single markers carry nothing for this step.
    if (!Seguir_progreso(canal_, canal_.entorno.segundos(), LIMITE_PROGRESO_S, nullptr)) {
        if (!enviado) canal_.fallar(std::string(CAUSA_PUERTO));
        return false;
    }
    Fin_comunicacion(canal_);
    return true;
}

}  // namespace z82
