// TGraficos: the banner pictures drawn straight into the meter's frame buffer while it is
// being written, through the loader's block writes.
#pragma once

#include <cstdint>
#include <span>

#include "protocol/canal.h"

namespace z82 {

class TGraficos {
  public:
    // The frame buffer: 320 pixels of 2 bytes a line.
    static constexpr int BYTES_LINEA = 640;
    static constexpr int BYTES_PIXEL = 2;
    // Every picture is 150 x 75 pixels, stored row by row.
    static constexpr int ANCHO = 150;
    static constexpr int ALTO = 75;
    static constexpr int BYTES_GRAFICO = ANCHO * ALTO * BYTES_PIXEL;
    // A row goes out as two chunks: 100 pixels from column 0 and 50 from column 100.
    static constexpr int PIXELES_TROZO = 100;
    // Chunks refused in a row after which a picture is given up.
    static constexpr int MAX_FALLOS_SEGUIDOS = 3;

    explicit TGraficos(Canal canal) : canal_(canal) {}
    TGraficos(const TGraficos&) = delete;
    TGraficos& operator=(const TGraficos&) = delete;

    // Erases the three frame buffer pages, waiting for the answer while no more than 30 s
    // have passed since the run clock hora_inicio. Nothing is reported: pictures are
    // cosmetic.
    void Borrar_graficos(int64_t hora_inicio);
    // Draws picture 1 .. 4 at its place on the meter's screen.
    void Enviar_grafico(int n);
    // Draws a 150 x 75 picture with its top-left corner at (x0, y0) of the screen.
    void Dibujar(std::span<const uint8_t> imagen, int x0, int y0);
    // The graphics form of the block write: low pages are skipped, a cancel ends the wait.
    bool Enviar_bloque(int n, uint16_t direccion, uint8_t pagina_bloque, const uint8_t* datos);

    uint8_t pagina = 0;
    bool habilitado = false;
    uint8_t pagina_inicio = 0;
    uint16_t direccion_base = 0;

  private:
    Canal canal_;
};

}  // namespace z82
