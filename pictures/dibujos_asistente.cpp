// The eight wizard images, 128 by 128, in the order of the image list: start,
// instructions, searching, not found, updating, success, failure, stopped by a check.
#include "pictures/dibujos.h"
#include "pictures/piezas.h"

namespace z82::dibujos {
namespace {

constexpr Color kAzulClaro = Rgb(0x2f7dc4);
constexpr Color kAzulOscuro = Rgb(0x153f6e);
constexpr Color kAmbar = Rgb(0xf5a623);
constexpr Color kBlanco = Rgb(0xffffff);
constexpr Color kGrisConector = Rgb(0x3b444d);

// A round sign (success, failure) with a thick white border.
void Disco(Lienzo& l, Color claro, Color oscuro) {
    l.Figura(Camino().Elipse({64, 64}, 56, 56),
             Pintura::Lineal({0, 10}, {0, 118}, {{0, claro}, {1, oscuro}}), {6}, kBlanco);
}

void Inicio(Lienzo& l) {
    Pintar_ficha(l, kAzulClaro, kAzulOscuro);
    Pintar_medidor(l, {30, 16, 68, 100});
}

void Instrucciones(Lienzo& l) {
    Pintar_ficha(l, kAzulClaro, kAzulOscuro);
    // Meter on the left, a PC screen on the right, the cable between them.
    Pintar_medidor(l, {12, 36, 46, 70});
    const Color claro = Rgb(0xdde3e8);
    l.Figura(Camino().Rectangulo_redondeado({70, 30, 48, 38}, 3), claro, {2}, kContorno);
    l.Figura(Camino().Rectangulo({74, 34, 40, 28}), Rgb(0x3a8fd8), {2}, kContorno);
    l.Figura(Camino().Rectangulo({89, 68, 10, 8}), claro, {2}, kContorno);
    l.Figura(Camino().Rectangulo_redondeado({80, 76, 28, 5}, 2), claro, {2}, kContorno);
    const Camino cable = Camino().Mover({35, 106}).Curva({35, 122}, {94, 122}, {94, 81});
    l.Trazar(cable, {4, Extremo::redondo}, kAmbar);
    // The plug at the PC end.
    l.Rellenar(Camino().Elipse({94, 96}, 6, 6), kAmbar);
}

void Buscando(Lienzo& l) {
    Pintar_ficha(l, kAzulClaro, kAzulOscuro);
    Pintar_conector(l, {20, 18, 50, 92}, kGrisConector);
    // A magnifying glass over the plug, with search waves.
    l.Trazar(Camino().Arco({48, 20, 60, 60}, 20, 120), {3}, Rgb(0xffffff, 120));
    l.Trazar(Camino().Arco({38, 10, 80, 80}, 30, 100), {3}, Rgb(0xffffff, 120));
    l.Trazar(Segmento({92, 92}, {112, 112}), {10, Extremo::redondo}, kContorno);
    l.Figura(Camino().Elipse({76, 74}, 22, 22), Rgb(0xffffff, 70), {7}, kAmbar);
}

void No_encontrado(Lienzo& l) {
    Pintar_ficha(l, Rgb(0x6b7b8a), Rgb(0x343f4a));
    Pintar_conector(l, {16, 18, 50, 92}, kGrisConector);
    // A question mark in an amber disc: nothing answered.
    l.Figura(Camino().Elipse({88, 70}, 28, 28), Rgb(0xf08c1a), {3}, kBlanco);
    l.Rellenar(Signo_pregunta(75.3, 85), kBlanco);
}

void Actualizando(Lienzo& l) {
    Pintar_ficha(l, kAzulClaro, kAzulOscuro);
    Pintar_medidor(l, {14, 30, 60, 88});
    // A green arrow going down into the meter.
    const Camino flecha = Camino().Poligono(
        {{90, 12}, {108, 12}, {108, 52}, {120, 52}, {99, 78}, {78, 52}, {90, 52}});
    l.Figura(flecha, Rgb(0x2eb84f), {2.5, Extremo::redondo, Junta::redonda}, kBlanco);
    // Data blocks on their way.
    for (int k = 0; k < 3; ++k) {
        l.Rellenar(Camino().Rectangulo({84.0 + 7 * k, 86.0 + 9 * k, 22, 6}),
                   Rgb(0xffffff, static_cast<std::uint8_t>(230 - 60 * k)));
    }
}

void Exito(Lienzo& l) {
    Disco(l, Rgb(0x5cd66e), Rgb(0x1a8a34));
    const Camino marca = Camino().Mover({36, 66}).Linea({56, 86}).Linea({94, 44});
    l.Trazar(marca, {13, Extremo::redondo, Junta::redonda}, kBlanco);
}

void Fallo(Lienzo& l) {
    Disco(l, Rgb(0xf05b4f), Rgb(0xa81c14));
    const Trazo trazo{13, Extremo::redondo};
    l.Trazar(Segmento({42, 42}, {86, 86}), trazo, kBlanco);
    l.Trazar(Segmento({86, 42}, {42, 86}), trazo, kBlanco);
}

void Detenido(Lienzo& l) {
    // A warning triangle: the meter did not pass a check.
    const Camino triangulo = Camino().Poligono({{64, 10}, {121, 112}, {7, 112}});
    l.Figura(triangulo,
             Pintura::Lineal({0, 10}, {0, 112}, {{0, Rgb(0xffd34d)}, {1, Rgb(0xf09a12)}}),
             {6, Extremo::redondo, Junta::redonda}, kBlanco);
    const Color tinta = Rgb(0x2b2310);
    l.Trazar(Segmento({64, 44}, {64, 78}), {11, Extremo::redondo}, tinta);
    l.Rellenar(Camino().Elipse({64, 96}, 6.5, 6.5), tinta);
}

}  // namespace

Imagen Dibujar_asistente(int indice, double escala) {
    if (indice < 0 || indice >= kImagenesAsistente) return {};
    static void (*const kDibujos[kImagenesAsistente])(Lienzo&) = {
        Inicio, Instrucciones, Buscando, No_encontrado, Actualizando, Exito, Fallo, Detenido};
    Lienzo l(kLadoAsistente, kLadoAsistente, escala);
    kDibujos[indice](l);
    return l.Terminar();
}

}  // namespace z82::dibujos
