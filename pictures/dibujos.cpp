// The background and the buttons' pictures.
#include "pictures/dibujos.h"

#include "pictures/piezas.h"

namespace z82::dibujos {

Imagen Dibujar_fondo(double escala) {
    Lienzo l(kAnchoFondo, kAltoFondo, escala);
    l.Rellenar(Camino().Rectangulo({0, 0, kAnchoFondo, kAltoFondo}),
               Pintura::Lineal({0, 0}, {kAnchoFondo, kAltoFondo},
                               {{0, Rgb(0x0b2440)}, {0.6, Rgb(0x103d5c)}, {1, Rgb(0x0f5566)}}));

    // Signal arcs behind the title, from a dish in the top right corner.
    for (int k = 1; k <= 5; ++k) {
        const double radio = 40.0 * k;
        l.Trazar(Camino().Arco({470 - radio, -60 - radio, 2 * radio, 2 * radio}, 200, 70), {3},
                 Rgb(0xffffff, 28));
    }
    // The spectrum across the bottom, faint.
    const Camino espectro = Espectro({0, 250, kAnchoFondo, 140}, 240);
    Camino relleno = espectro;
    relleno.Linea({kAnchoFondo, kAltoFondo}).Linea({0, kAltoFondo}).Cerrar();
    l.Rellenar(relleno, Rgb(0x4fd1c5, 26));
    l.Trazar(espectro, {1.5}, Rgb(0x4fd1c5, 70));

    // The title: product name with a band under it.
    l.Rellenar(Letras_Z82(24, 50), Rgb(0xffffff));
    l.Rellenar(Camino().Rectangulo({24, 66, 536, 3}),
               Pintura::Lineal({24, 0}, {560, 0}, {{0, Rgb(0xf5a623)}, {1, Rgb(0xf5a623, 0)}}));
    return l.Terminar();
}

Imagen Dibujar_boton_asistente(double escala) {
    Lienzo l(kLadoAsistente, kLadoAsistente, escala);
    l.Figura(Camino().Elipse({64, 64}, 56, 56),
             Pintura::Radial({52, 46}, 70, {{0, Rgb(0x7be07f)}, {1, Rgb(0x1d8a3a)}}), {4},
             Rgb(0xffffff, 200));
    // The arrow: go on.
    const Camino flecha =
        Camino().Poligono({{40, 52}, {68, 52}, {68, 34}, {98, 64}, {68, 94}, {68, 76}, {40, 76}});
    l.Figura(flecha, Rgb(0xffffff), {2, Extremo::redondo, Junta::redonda}, Rgb(0x145c27));
    return l.Terminar();
}

Imagen Dibujar_salida(double escala) {
    Lienzo l(kLadoSalida, kLadoSalida, escala);
    l.Figura(Camino().Elipse({20, 20}, 18, 18),
             Pintura::Radial({16, 14}, 26, {{0, Rgb(0xf06a5a)}, {1, Rgb(0xa8241c)}}), {2},
             Rgb(0xffffff, 190));
    // The power sign.
    const Trazo trazo{3.2, Extremo::redondo};
    l.Trazar(Camino().Arco({11, 12, 18, 18}, 120, 300), trazo, Rgb(0xffffff));
    l.Trazar(Segmento({20, 9}, {20, 20}), trazo, Rgb(0xffffff));
    return l.Terminar();
}

Imagen Dibujar_puerto(double escala) {
    Lienzo l(kLadoPuerto, kLadoPuerto, escala);
    l.Rellenar(Camino().Rectangulo_redondeado({1, 1, 54, 54}, 8), Rgb(0x1f5f9e));
    // The USB trident: a stem, a circle, a square and an arrow head.
    const Trazo trazo{3, Extremo::redondo, Junta::redonda};
    const Pintura blanco = Rgb(0xffffff);
    l.Trazar(Segmento({28, 46}, {28, 14}), trazo, blanco);
    l.Trazar(Segmento({28, 38}, {16, 30}), trazo, blanco);
    l.Trazar(Segmento({16, 30}, {16, 24}), trazo, blanco);
    l.Trazar(Segmento({28, 34}, {40, 26}), trazo, blanco);
    l.Trazar(Segmento({40, 26}, {40, 22}), trazo, blanco);
    l.Figura(Camino().Elipse({16, 21}, 3.5, 3.5), blanco, trazo, blanco);
    l.Figura(Camino().Rectangulo({37, 16, 6, 6}), blanco, trazo, blanco);
    l.Figura(Camino().Poligono({{28, 6}, {34, 15}, {22, 15}}), blanco, trazo, blanco);
    l.Figura(Camino().Elipse({28, 46}, 4, 4), blanco, trazo, blanco);
    return l.Terminar();
}

}  // namespace z82::dibujos
