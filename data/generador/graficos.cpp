// The four banner pictures the program draws on the meter's screen while it writes:
// 150 x 75 pixels, RGB565, each pixel stored low byte first, row by row.
#include "data/generador/comun.h"
#include "data/generador/letra.h"

namespace z82::generador {
namespace {

constexpr int ANCHO = 150, ALTO = 75;

constexpr uint16_t Rgb565(int r, int g, int b) {
    return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}

struct Lienzo {
    uint16_t px[ALTO][ANCHO];
    void Poner(int x, int y, uint16_t c) {
        if (x >= 0 && x < ANCHO && y >= 0 && y < ALTO) px[y][x] = c;
    }
};

// Letters twice their size, one column apart.
constexpr int ESCALA = 2, AVANCE = 5 * ESCALA + 1;

int Ancho_texto(const char* t) {
    int n = 0;
    for (const char* p = t; *p; ++p) ++n;
    return n * AVANCE - 1;
}

void Escribir(Lienzo& l, const char* t, int y, uint16_t color) {
    int x = (ANCHO - Ancho_texto(t)) / 2;
    for (const char* p = t; *p; ++p, x += AVANCE) {
        const auto* g = Glifo(*p);
        if (g == nullptr) Fallo(std::string("the banner font has no '") + *p + "'");
        for (int f = 0; f < 8; ++f) {
            for (int c = 0; c < 5; ++c) {
                if ((*g)[f][c] != '#') continue;
                for (int dy = 0; dy < ESCALA; ++dy) {
                    for (int dx = 0; dx < ESCALA; ++dx) {
                        l.Poner(x + c * ESCALA + dx, y + f * ESCALA + dy, color);
                    }
                }
            }
        }
    }
}

}  // namespace

Bytes Generar_grafico(int numero) {
    static const char* const LINEAS[4][2] = {{"Z82 firmware", "loading..."},
                                             {"Z82 firmware", "updating..."},
                                             {"MPEG firmware", "loading..."},
                                             {"MPEG firmware", "updating..."}};
    if (numero < 1 || numero > 4) Fallo("no banner picture " + std::to_string(numero));
    const bool mpeg = numero >= 3;
    Lienzo l{};
    // A vertical blend as background and a light frame.
    for (int y = 0; y < ALTO; ++y) {
        const int k = y * 255 / (ALTO - 1);
        const uint16_t c =
            mpeg ? Rgb565(10, 40 + k / 4, 30 + k / 5) : Rgb565(8, 24 + k / 6, 60 + k / 3);
        for (int x = 0; x < ANCHO; ++x) l.px[y][x] = c;
    }
    const uint16_t marco = Rgb565(230, 230, 230);
    for (int x = 0; x < ANCHO; ++x)
        l.px[0][x] = l.px[1][x] = l.px[ALTO - 1][x] = l.px[ALTO - 2][x] = marco;
    for (int y = 0; y < ALTO; ++y)
        l.px[y][0] = l.px[y][1] = l.px[y][ANCHO - 1] = l.px[y][ANCHO - 2] = marco;
    Escribir(l, LINEAS[numero - 1][0], 14, Rgb565(255, 255, 255));
    Escribir(l, LINEAS[numero - 1][1], 44, Rgb565(255, 214, 0));

    Bytes b;
    b.reserve(ANCHO * ALTO * 2);
    for (int y = 0; y < ALTO; ++y) {
        for (int x = 0; x < ANCHO; ++x) {
            b.push_back(static_cast<uint8_t>(l.px[y][x]));
            b.push_back(static_cast<uint8_t>(l.px[y][x] >> 8));
        }
    }
    return b;
}

}  // namespace z82::generador
