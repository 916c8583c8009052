#include "graphics/tgraficos.h"

#include <array>

#include "data/imagenes.h"
#include "protocol/trama_flash.h"

namespace z82 {

namespace {

struct Posicion {
    int x, y;
};

// Pictures 1 and 2 (the firmware) sit above pictures 3 and 4 (the MPEG module).
Posicion posicion_grafico(int n) { return n <= 2 ? Posicion{85, 82} : Posicion{85, 132}; }

constexpr int64_t SEGMENTO = BYTES_SEGMENTO;

}  // namespace

void TGraficos::Borrar_graficos(int64_t hora_inicio) {
    if (!habilitado) return;
    // The meter answers 'p'; any other answer beeps, silence passes without a word.
    z82::Borrar_paginas(canal_, pagina_inicio, static_cast<uint8_t>(pagina_inicio + 2),
                        formas::borrado_graficos, hora_inicio);
}

void TGraficos::Enviar_grafico(int n) {
    pagina = pagina_inicio;
    if (!habilitado) return;
    if (n < 1 || n > 4) return;
    const Posicion p = posicion_grafico(n);
    Dibujar(datos::grafico(n), p.x, p.y);
}

void TGraficos::Dibujar(std::span<const uint8_t> imagen, int x0, int y0) {
    pagina = pagina_inicio;
    int64_t k = 0;
    size_t origen = 0;
    if (!habilitado) return;
    // A picture that is not all there is not drawn: it would be read past its end.
    if (imagen.size() < static_cast<size_t>(BYTES_GRAFICO)) return;

    std::array<uint8_t, PIXELES_TROZO * BYTES_PIXEL> trozo{};
    int fallos_seguidos = 0;
    for (int r = 0; r < ALTO; ++r) {
        for (int c = 0; c < ANCHO; c += PIXELES_TROZO) {
            const int64_t a = direccion_base + static_cast<int64_t>(x0 + c) * BYTES_PIXEL +
                              static_cast<int64_t>(y0 + r) * BYTES_LINEA;
            // The page moves on for the first chunk that starts beyond the segment; a chunk
            // that crosses the boundary in its middle is not split.
            if (a - k * SEGMENTO > 0xFFFF) {
                ++pagina;
                ++k;
            }
            const int pixeles = c == 0 ? PIXELES_TROZO : ANCHO - PIXELES_TROZO;
            const size_t bytes = static_cast<size_t>(pixeles * BYTES_PIXEL);
            for (size_t i = 0; i < bytes; ++i) trozo[i] = imagen[origen + i];
            origen += bytes;
            if (canal_.parar()) return;
            // A failed chunk has beeped already; the next one follows. A loader that takes
            // none of several chunks in a row takes no more: the picture is only a banner,
            // and each refused chunk costs about 7.5 s, so the rest is left out.
            if (Enviar_bloque(static_cast<int>(bytes), static_cast<uint16_t>(a & 0xFFFF), pagina,
                              trozo.data())) {
                fallos_seguidos = 0;
            } else if (++fallos_seguidos >= MAX_FALLOS_SEGUIDOS) {
                return;
            }
        }
    }
}

bool TGraficos::Enviar_bloque(int n, uint16_t direccion, uint8_t pagina_bloque,
                              const uint8_t* datos) {
    return z82::Enviar_bloque(canal_, formas::bloque_graficos, n, direccion, pagina_bloque, datos);
}

}  // namespace z82
