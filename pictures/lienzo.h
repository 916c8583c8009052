// The pictures' rasterizer: fills paths with the nonzero rule, anti-aliased, with a solid
// colour or a linear or radial gradient, and lays them over the picture (source over, in
// premultiplied colour).
#pragma once

#include <cstdint>
#include <vector>

#include "pictures/camino.h"
#include "pictures/dibujos.h"

namespace z82::dibujos {

// A colour as a person gives it: red, green, blue, and how opaque, 0 .. 255.
struct Color {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 255;
};

// 0xRRGGBB, with an opacity.
constexpr Color Rgb(std::uint32_t rgb, std::uint8_t alfa = 255) {
    return {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
            static_cast<std::uint8_t>(rgb), alfa};
}

// The colour with its brightness divided by factor / 100, hue and saturation kept.
Color Oscurecer(Color c, int factor);

struct Parada {
    double posicion = 0;
    Color color;
};

// What a fill or a stroke lays down. Gradients run from desde to hasta (linear) or from
// the centre desde out to radio (radial), and keep their end colours beyond.
struct Pintura {
    enum class Tipo { solida, lineal, radial };
    Tipo tipo = Tipo::solida;
    Color color;
    Punto desde;
    Punto hasta;
    double radio = 0;
    std::vector<Parada> paradas;

    Pintura(Color c) : color(c) {}  // not explicit: a colour is a paint
    static Pintura Lineal(Punto desde, Punto hasta, std::vector<Parada> paradas);
    static Pintura Radial(Punto centro, double radio, std::vector<Parada> paradas);
};

class Lienzo {
  public:
    // A transparent picture of ancho by alto units, each escala pixels wide: paths and
    // paints are given in units.
    Lienzo(int ancho, int alto, double escala = 1.0);

    void Rellenar(const Camino& camino, const Pintura& pintura);
    void Trazar(const Camino& camino, const Trazo& trazo, const Pintura& pintura) {
        Rellenar(Contorno(camino, trazo), pintura);
    }
    // A shape with a fill and a pen: the fill first, the pen over its edge.
    void Figura(const Camino& camino, const Pintura& relleno, const Trazo& trazo,
                const Pintura& borde) {
        Rellenar(camino, relleno);
        Trazar(camino, trazo, borde);
    }

    Imagen Terminar() const;

  private:
    void Rellenar_pixeles(const Camino& camino, const Pintura& pintura);
    void Componer(int x, int y, float cobertura, const Pintura& pintura);

    int ancho_;
    int alto_;
    double escala_;
    std::vector<float> pixeles_;  // premultiplied red, green, blue, alpha, 0 .. 1
};

}  // namespace z82::dibujos
