// Pieces the pictures share: the spectrum trace, the meter, the USB plug, the wizard
// images' card, and the few letters the pictures carry.
#pragma once

#include "pictures/camino.h"
#include "pictures/lienzo.h"

namespace z82::dibujos {

// Colour of the outlines on the meter and the plug.
inline constexpr Color kContorno = Rgb(0x2b333b);

// A spectrum trace as the meter draws it across caja: noise floor with a few carriers.
Camino Espectro(const Caja& caja, int puntos);

// The meter: body, screen with a spectrum, six keys and the dial.
void Pintar_medidor(Lienzo& l, const Caja& caja);
// A USB plug seen from the side: metal shell, grip of the colour given and cable going
// down to the bottom left.
void Pintar_conector(Lienzo& l, const Caja& caja, Color color);
// The rounded card behind most wizard images, a gradient from arriba to abajo.
void Pintar_ficha(Lienzo& l, Color arriba, Color abajo);

// "Z82" in bold italic letters 40 pixels high, starting at x on the baseline y.
Camino Letras_Z82(double x, double y);
// A bold question mark 42 pixels high, starting at x on the baseline y.
Camino Signo_pregunta(double x, double y);

}  // namespace z82::dibujos
