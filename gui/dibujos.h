// The window's pictures, drawn at run time: the background, the eight wizard images, the
// wizard button, the exit button and the port panel's picture.
#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QRectF>

class QPainter;

namespace z82::gui {

// Sizes the window lays out with.
inline constexpr int kAnchoFondo = 600;
inline constexpr int kAltoFondo = 400;
inline constexpr int kLadoAsistente = 128;
inline constexpr int kLadoSalida = 40;
inline constexpr int kLadoPuerto = 56;
inline constexpr int kImagenesAsistente = 8;

QPixmap Dibujar_fondo();
// Wizard image 0 .. 7: start, instructions, searching, not found, updating, success,
// failure, stopped by a check. An index outside gives an empty picture.
QImage Dibujar_asistente(int indice);
QPixmap Dibujar_boton_asistente();
QPixmap Dibujar_salida();
QPixmap Dibujar_puerto();

// Pieces shared by the pictures.
void Pintar_medidor(QPainter& p, const QRectF& r);
void Pintar_conector(QPainter& p, const QRectF& r, const QColor& color);
void Pintar_ficha(QPainter& p, const QColor& arriba, const QColor& abajo);

}  // namespace z82::gui
