// The letters the pictures carry, drawn as shapes: each is laid out upright on its
// baseline (y = 0, upwards negative), in pixels of a 40 pixel bold face, then slanted and
// moved into place.
#include "pictures/piezas.h"

namespace z82::dibujos {
namespace {

// Slant of the italic letters, as the run over the rise, and how far the slant moves them
// back at the baseline.
constexpr double kInclinacion = 0.195;
constexpr double kRetroceso = 2.83;
// The capitals stand 30 pixels tall on the screen, a little over the face's own height.
constexpr double kEstirado = 30.0 / 29.2;

// Advances of Z and 8.
constexpr double kAvanceZ = 29.0;
constexpr double kAvance8 = 27.83;

void Letra_Z(Camino& c, double x) {
    c.Poligono({{x + 2.0, -29.2},
                {x + 27.2, -29.2},
                {x + 27.2, -23.9},
                {x + 11.5, -5.7},
                {x + 27.3, -5.7},
                {x + 27.3, 0},
                {x + 1.8, 0},
                {x + 1.8, -5.4},
                {x + 17.3, -23.5},
                {x + 2.0, -23.5}});
}

// Two rings, the lower one the wider; their holes turn the other way.
void Letra_8(Camino& c, double x) {
    c.Elipse({x + 14.1, -22.3}, 10.2, 7.4);
    c.Elipse({x + 14.0, -21.5}, 4.1, 3.6, true);
    c.Elipse({x + 13.9, -7.9}, 11.5, 8.5);
    c.Elipse({x + 13.6, -8.6}, 4.6, 4.5, true);
}

void Letra_2(Camino& c, double x) {
    const Camino trazo = Camino()
                             .Mover({x + 4.2, -25.0})
                             .Curva({x + 7.0, -26.3}, {x + 10.0, -26.5}, {x + 12.8, -26.5})
                             .Curva({x + 17.8, -26.5}, {x + 21.0, -24.2}, {x + 21.0, -20.6})
                             .Curva({x + 21.0, -17.6}, {x + 19.4, -15.6}, {x + 15.8, -12.2})
                             .Linea({x + 6.0, -3.0});
    c.Agregar(Contorno(trazo, {6.4, Extremo::plano}));
    c.Poligono({{x + 3.2, -5.6}, {x + 24.4, -5.6}, {x + 24.4, 0}, {x + 3.2, 0}});
}

}  // namespace

Camino Letras_Z82(double x, double y) {
    Camino c;
    Letra_Z(c, 0);
    Letra_8(c, kAvanceZ);
    Letra_2(c, kAvanceZ + kAvance8);
    return c.Transformar(1, -kInclinacion * kEstirado, x - kRetroceso, 0, kEstirado, y);
}

Camino Signo_pregunta(double x, double y) {
    Camino c;
    const Camino gancho = Camino()
                              .Mover({4.6, -26.0})
                              .Curva({7.3, -27.6}, {10.0, -27.8}, {12.3, -27.8})
                              .Curva({16.3, -27.8}, {18.3, -25.8}, {18.3, -23.0})
                              .Curva({18.3, -20.4}, {16.8, -19.0}, {14.6, -17.4})
                              .Curva({12.3, -15.7}, {11.3, -14.6}, {11.3, -12.2})
                              .Linea({11.3, -9.0});
    c.Agregar(Contorno(gancho, {6.8, Extremo::plano}));
    c.Rectangulo({7.6, -6.8, 7.4, 6.8});
    return c.Transformar(1, 0, x, 0, 1, y);
}

}  // namespace z82::dibujos
