// TMpeg4: the staged update of the meter's MPEG4 decoder module. The program cannot reach
// the module itself: it stores the module application and a transfer program in the
// meter's flash through the loader, starts the transfer program, tells it the image size
// and waits while the meter programs the module.
#pragma once

#include <cstdint>
#include <span>

#include "base/mapa_flash.h"
#include "base/progreso.h"
#include "protocol/canal.h"

namespace z82 {

struct Bloques_cargador;
class TGraficos;

class TMpeg4 {
  public:
    // Application area: erased from page 0xD0 to 0xE8, written from 0xD0 on.
    static constexpr uint8_t PAGINA_APLICACION = PAGINA_APLICACION_MPEG4;
    static constexpr uint8_t ULTIMA_PAGINA_APLICACION = ULTIMA_PAGINA_APLICACION_MPEG4;
    static constexpr int BYTES_BLOQUE_APLICACION = 200;
    // The transfer program goes to segment 3, that is page 3 + 126 = 0x81, from offset 0.
    static constexpr uint8_t SEGMENTO_TRANSFERENCIA = SEGMENTO_TRANSFERENCIA_MPEG4;
    static constexpr uint8_t PAGINA_TRANSFERENCIA = PAGINA_TRANSFERENCIA_MPEG4;
    static constexpr int BYTES_BLOQUE_TRANSFERENCIA = 32;
    // The loader's jump into the transfer program, patched into block 2 at offset 249.
    static constexpr uint16_t ENTRADA_TRANSFERENCIA = 0x4120;
    static constexpr size_t POSICION_PARCHE = 249;
    // Start command of the transfer program, and its order (first byte 0x4C for USA).
    static constexpr uint8_t ARRANQUE_1 = 0x0D;
    static constexpr uint8_t ARRANQUE_2 = 0xD0;
    static constexpr uint8_t ORDEN_TRANSFERENCIA = 0xCC;
    static constexpr uint8_t ORDEN_TRANSFERENCIA_USA = 0x4C;
    // The module reports the end of its programming with 0xBB.
    static constexpr uint8_t FIN_MPEG4 = 0xBB;
    static constexpr int64_t LIMITE_FIN_S = 420;
    static constexpr int PASOS_BARRA_FIN = 210;
    // Longest wait for the transfer program's ready byte: as long as the module is given
    // for its programming, so that a slow but healthy module is never failed.
    static constexpr int64_t LIMITE_LISTO_S = LIMITE_FIN_S;

    // es_usa: the meter is of region "USA" (the transfer order differs); graficos may be
    // null when the meter shows no pictures.
    TMpeg4(Canal canal, Barra_de_progreso& barra, Bloques_cargador& bloques_cargador,
           TGraficos* graficos, bool es_usa);
    TMpeg4(const TMpeg4&) = delete;
    TMpeg4& operator=(const TMpeg4&) = delete;

    // Points the loader's jump (block 2 of the program-wide loader blocks) at the transfer
    // program. The change stays for every later load of block 2. False only when block 2
    // is too short to hold it, and then nothing is changed.
    bool Parchear_bloque_972();
    // The whole update; the parameter is kept and changes nothing.
    bool Actualizar_mpeg4(uint32_t parametro);

    // The steps of the update.
    bool Borrar_area_mpeg4();
    bool Grabar_aplicacion();
    bool Grabar_transferencia();
    bool Arrancar_transferencia();
    bool Ordenar_transferencia();
    bool Esperar_fin_mpeg4();

    uint32_t tamano_imagen = 0;
    Bloques_cargador& bloques;
    uint32_t total = 0;
    uint8_t pagina = 0;
    uint32_t parametro = 0;

    // The data written; the carried application and transfer program unless replaced.
    std::span<const uint8_t> imagen;
    std::span<const uint8_t> programa;

  private:
    // Block writes of a whole stream from offset 0 of `pagina`, the page moving on at each
    // 64 KiB boundary. The bar shows the blocks sent before the current one, or the bytes.
    // nombre: the stream, for the cause of a failure.
    bool Enviar_flujo(std::span<const uint8_t> datos, int bytes_bloque, bool barra_en_bloques,
                      const char* nombre);

    Canal canal_;
    Barra_de_progreso& barra_;
    TGraficos* graficos_;
    bool es_usa_;
};

}  // namespace z82
