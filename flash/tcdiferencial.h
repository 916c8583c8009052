// TCDiferencial: puts the main firmware into the meter. Loads the meter's loader code,
// wakes the loader and erases the firmware pages, streams the HEX image and the plan image
// of the meter's region as block writes, and has the meter program its flash while the
// progress bar follows it.
#pragma once

#include <cstdint>
#include <span>

#include "protocol/espera.h"
#include "protocol/trama_flash.h"

namespace z82 {

class Contexto;
struct Bloques_cargador;

class TCDiferencial {
  public:
    // Limit of the wait for the boot loader's answer, counted from the start of the load.
    static constexpr int64_t LIMITE_ARRANQUE_S = 30;
    // Limit of the loader block answers, counted from hora_inicio.
    static constexpr int64_t LIMITE_BLOQUE_S = 20;
    // A pending block goes out once it holds more than this.
    static constexpr int UMBRAL_BLOQUE = 200;
    // Blocks of the region's plan image.
    static constexpr int BLOQUE_REGION = 128;

    explicit TCDiferencial(Contexto& ctx);
    TCDiferencial(const TCDiferencial&) = delete;
    TCDiferencial& operator=(const TCDiferencial&) = delete;

    // Boot load after the meter answered the connection probe with 0xD5.
    bool Cargar_arranque();
    bool Cargar_bloque_144();
    bool Cargar_bloque_972();
    // Wakes the loader and erases the firmware pages 0xAB .. 0xC9.
    bool Preparar_flash();
    bool Enviar_imagen();
    bool Enviar_region();
    // Streams a plan image to pages 0xC9 and 0xCA in blocks of 128 bytes.
    bool Enviar_plan(std::span<const uint8_t> imagen);
    // The flash controller's block write, on the page given.
    bool Enviar_bloque(int n, uint16_t direccion, uint8_t pagina_bloque, const uint8_t* datos);
    // Orders the meter to program the segments of the map and follows its progress.
    bool Programar();
    void Mostrar_progreso(uint8_t b);
    void Fin_comunicacion();

    Bloques_cargador& bloques;
    uint8_t pagina = 0;
    bool fase_borrado = false;
    bool fase_grabado = false;
    Mapa_segmentos mapa{};

  private:
    // Waits for one byte while the whole seconds since inicio stay within the limit (at
    // most limite_s, or below it with Limite::alcanzado). False when none came in time.
    bool esperar_byte(uint8_t& b, int64_t inicio, int64_t limite_s,
                      Limite cuando = Limite::superado);
    void poner_barra(int posicion);

    Contexto& ctx_;
};

}  // namespace z82
