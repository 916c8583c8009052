// TCDiferencial: puts the main firmware into the meter, once the loader code runs (see
// flash/codigo_cargador.h). Wakes the loader and erases the firmware pages, streams the HEX image
// and the plan image of the meter's region as block writes, and has the meter program its flash
// while the progress bar follows it.
#pragma once

#include <cstdint>
#include <span>

#include "base/progreso.h"
#include "protocol/canal.h"
#include "protocol/trama_flash.h"

namespace z82 {

class TFuente_lineas;
class TLector_hex;

class TCDiferencial {
  public:
    // A pending block goes out once it holds more than this.
    static constexpr int UMBRAL_BLOQUE = 200;
    // Blocks of the region's plan image.
    static constexpr int BLOQUE_REGION = 128;

    // ultimo_progreso: the last position the flash programming put on the bar, -1 until the
    // first; it outlives this object (the program keeps it for its whole life).
    TCDiferencial(Canal canal, Barra_de_progreso& barra, int& ultimo_progreso);
    TCDiferencial(const TCDiferencial&) = delete;
    TCDiferencial& operator=(const TCDiferencial&) = delete;

    // Wakes the loader and erases the firmware pages 0xAB .. 0xC9.
    bool Preparar_flash();
    // The firmware's HEX records (false when there is no image).
    bool Enviar_imagen(TFuente_lineas* fuente, TLector_hex* lector);
    // The plan image of the meter's region (plan type 0 to 4).
    bool Enviar_region(int tipo_plan);
    // Streams a plan image to pages 0xC9 and 0xCA in blocks of 128 bytes.
    bool Enviar_plan(std::span<const uint8_t> imagen);
    // The flash controller's block write, on the page given.
    bool Enviar_bloque(int n, uint16_t direccion, uint8_t pagina_bloque, const uint8_t* datos);
    // Orders the meter to program the segments of the map and follows its progress.
    bool Programar();
    void Mostrar_progreso(uint8_t b);
    void Fin_comunicacion();

    uint8_t pagina = 0;
    bool fase_borrado = false;
    bool fase_grabado = false;
    Mapa_segmentos mapa{};
    // The FPGA item ran before in this run: the program command takes its segments too.
    bool con_area_fpga = false;

  private:
    void poner_barra(int posicion);

    Canal canal_;
    // The stream being sent ("" for the firmware image, "channel plans, ") and the block
    // writes of it so far, for the cause of a failure.
    const char* flujo_ = "";
    int bloques_ = 0;
    Barra_de_progreso& barra_;
    int& ultimo_progreso_;
};

}  // namespace z82
