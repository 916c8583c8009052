// The window's pictures as Qt takes them: the buffers of pictures/dibujos.h, shown as they
// are drawn there.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <cstdint>

#include "pictures/dibujos.h"
#include "pictures/disposicion.h"

namespace z82::gui {

// Sizes the window lays out with.
using dibujos::kAltoFondo;
using dibujos::kAnchoFondo;
using dibujos::kImagenesAsistente;
using dibujos::kLadoAsistente;
using dibujos::kLadoPuerto;
using dibujos::kLadoSalida;

QPixmap Dibujar_fondo();
// Wizard image 0 .. 7 (see pictures/dibujos.h). An index outside gives a null image.
QImage Dibujar_asistente(int indice);
QPixmap Dibujar_boton_asistente();
QPixmap Dibujar_salida();
QPixmap Dibujar_puerto();
// A colour of the layout (0xRRGGBB).
QColor Color(std::uint32_t rgb);
// A place of the layout.
inline QRect Rect(const dibujos::Caja& c) { return {c.x, c.y, c.ancho, c.alto}; }
// The window's letter of this height in pixels.
QFont Letra(int pixeles, bool negrita = false);

}  // namespace z82::gui
