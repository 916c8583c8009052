// The meter, the plug, the card and the spectrum.
#include "pictures/piezas.h"

#include <cmath>

namespace z82::dibujos {

Camino Espectro(const Caja& r, int puntos) {
    Camino camino;
    for (int i = 0; i <= puntos; ++i) {
        const double x = static_cast<double>(i) / puntos;
        double y = 0.12 + 0.05 * std::sin(x * 97.0) * std::sin(x * 13.0);
        for (const double centro : {0.18, 0.42, 0.47, 0.71, 0.88}) {
            const double d = (x - centro) * 38.0;
            y += (centro == 0.42 ? 0.75 : 0.55) * std::exp(-d * d);
        }
        const Punto punto{r.x + x * r.ancho, r.Abajo() - y * r.alto};
        if (i == 0) {
            camino.Mover(punto);
        } else {
            camino.Linea(punto);
        }
    }
    return camino;
}

void Pintar_ficha(Lienzo& l, Color arriba, Color abajo) {
    l.Figura(Camino().Rectangulo_redondeado({3, 3, kLadoAsistente - 6, kLadoAsistente - 6}, 18),
             Pintura::Lineal({0, 0}, {0, kLadoAsistente}, {{0, arriba}, {1, abajo}}), {2},
             Rgb(0xffffff, 90));
}

void Pintar_medidor(Lienzo& l, const Caja& r) {
    // Body with its strap lugs.
    l.Figura(
        Camino().Rectangulo_redondeado(r, r.ancho * 0.12),
        Pintura::Lineal({r.x, r.y}, {r.x, r.Abajo()}, {{0, Rgb(0xe8ecf0)}, {1, Rgb(0x9aa4ae)}}),
        {2}, kContorno);
    // Screen with a spectrum.
    const Caja pantalla{r.x + r.ancho * 0.12, r.y + r.alto * 0.1, r.ancho * 0.76, r.alto * 0.42};
    l.Figura(Camino().Rectangulo(pantalla), Rgb(0x103a2a), {2}, kContorno);
    l.Trazar(Espectro(pantalla.Ajustada(3, 3, -3, -3), 60), {1.5}, Rgb(0x6fff9a));
    // Keys and the dial.
    const double lado = r.ancho * 0.13;
    for (int fila = 0; fila < 2; ++fila) {
        for (int col = 0; col < 3; ++col) {
            const Caja tecla{r.x + r.ancho * 0.12 + col * lado * 1.35,
                             r.y + r.alto * 0.62 + fila * lado * 1.35, lado, lado};
            l.Figura(Camino().Rectangulo_redondeado(tecla, 2),
                     fila == 0 && col == 0 ? Rgb(0xe05a2b) : Rgb(0x454f59), {1}, kContorno);
        }
    }
    const double radio = r.ancho * 0.14;
    const Punto centro{r.Derecha() - r.ancho * 0.24, r.y + r.alto * 0.74};
    l.Figura(Camino().Elipse(centro, radio, radio),
             Pintura::Radial(centro, radio, {{0, Rgb(0x707a84)}, {1, kContorno}}), {1}, kContorno);
}

void Pintar_conector(Lienzo& l, const Caja& r, Color color) {
    const Caja carcasa{r.x + r.ancho * 0.3, r.y, r.ancho * 0.4, r.alto * 0.28};
    l.Figura(Camino().Rectangulo(carcasa), Rgb(0xc8cfd6), {2}, kContorno);
    for (const double x : {0.2, 0.6}) {
        const Caja hueco{carcasa.x + carcasa.ancho * x, carcasa.y + carcasa.alto * 0.2,
                         carcasa.ancho * 0.2, carcasa.alto * 0.25};
        l.Figura(Camino().Rectangulo(hueco), kContorno, {2}, kContorno);
    }
    const Caja agarre{r.x + r.ancho * 0.22, carcasa.Abajo(), r.ancho * 0.56, r.alto * 0.38};
    l.Figura(Camino().Rectangulo_redondeado(agarre, 5), color, {2}, kContorno);
    const double medio = agarre.Centro().x;
    const Camino cable = Camino()
                             .Mover({medio, agarre.Abajo()})
                             .Curva({medio, r.Abajo() - r.alto * 0.1},
                                    {r.x, r.Abajo() - r.alto * 0.2}, {r.x, r.Abajo()});
    l.Trazar(cable, {r.ancho * 0.12, Extremo::redondo}, Oscurecer(color, 140));
}

}  // namespace z82::dibujos
