// The eight wizard images, 128 by 128, in the order of the image list: start,
// instructions, searching, not found, updating, success, failure, stopped by a check.
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "gui/dibujos.h"

namespace z82::gui {
namespace {

// A round sign (success, failure) with a thick white border.
void Disco(QPainter& p, const QColor& claro, const QColor& oscuro) {
    QLinearGradient g(0, 10, 0, 118);
    g.setColorAt(0, claro);
    g.setColorAt(1, oscuro);
    p.setPen(QPen(Qt::white, 6));
    p.setBrush(g);
    p.drawEllipse(QPointF(64, 64), 56, 56);
}

void Inicio(QPainter& p) {
    Pintar_ficha(p, QColor(0x2f, 0x7d, 0xc4), QColor(0x15, 0x3f, 0x6e));
    Pintar_medidor(p, QRectF(30, 16, 68, 100));
}

void Instrucciones(QPainter& p) {
    Pintar_ficha(p, QColor(0x2f, 0x7d, 0xc4), QColor(0x15, 0x3f, 0x6e));
    // Meter on the left, a PC screen on the right, the cable between them.
    Pintar_medidor(p, QRectF(12, 36, 46, 70));
    p.setPen(QPen(QColor(0x2b, 0x33, 0x3b), 2));
    p.setBrush(QColor(0xdd, 0xe3, 0xe8));
    p.drawRoundedRect(QRectF(70, 30, 48, 38), 3, 3);
    p.setBrush(QColor(0x3a, 0x8f, 0xd8));
    p.drawRect(QRectF(74, 34, 40, 28));
    p.setBrush(QColor(0xdd, 0xe3, 0xe8));
    p.drawRect(QRectF(89, 68, 10, 8));
    p.drawRoundedRect(QRectF(80, 76, 28, 5), 2, 2);
    p.setPen(QPen(QColor(0xf5, 0xa6, 0x23), 4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath cable(QPointF(35, 106));
    cable.cubicTo(QPointF(35, 122), QPointF(94, 122), QPointF(94, 81));
    p.drawPath(cable);
    // The plug at the PC end.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf5, 0xa6, 0x23));
    p.drawEllipse(QPointF(94, 96), 6, 6);
}

void Buscando(QPainter& p) {
    Pintar_ficha(p, QColor(0x2f, 0x7d, 0xc4), QColor(0x15, 0x3f, 0x6e));
    Pintar_conector(p, QRectF(20, 18, 50, 92), QColor(0x3b, 0x44, 0x4d));
    // A magnifying glass over the plug, with search waves.
    p.setPen(QPen(QColor(255, 255, 255, 120), 3));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(48, 20, 60, 60), 20 * 16, 120 * 16);
    p.drawArc(QRectF(38, 10, 80, 80), 30 * 16, 100 * 16);
    p.setPen(QPen(QColor(0x2b, 0x33, 0x3b), 10, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(92, 92), QPointF(112, 112));
    p.setPen(QPen(QColor(0xf5, 0xa6, 0x23), 7));
    p.setBrush(QColor(255, 255, 255, 70));
    p.drawEllipse(QPointF(76, 74), 22, 22);
}

void No_encontrado(QPainter& p) {
    Pintar_ficha(p, QColor(0x6b, 0x7b, 0x8a), QColor(0x34, 0x3f, 0x4a));
    Pintar_conector(p, QRectF(16, 18, 50, 92), QColor(0x3b, 0x44, 0x4d));
    // A question mark in an amber disc: nothing answered.
    p.setPen(QPen(Qt::white, 3));
    p.setBrush(QColor(0xf0, 0x8c, 0x1a));
    p.drawEllipse(QPointF(88, 70), 28, 28);
    QFont f("DejaVu Sans");
    f.setPixelSize(42);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(60, 42, 56, 56), Qt::AlignCenter, "?");
}

void Actualizando(QPainter& p) {
    Pintar_ficha(p, QColor(0x2f, 0x7d, 0xc4), QColor(0x15, 0x3f, 0x6e));
    Pintar_medidor(p, QRectF(14, 30, 60, 88));
    // A green arrow going down into the meter.
    QPainterPath flecha;
    flecha.moveTo(90, 12);
    flecha.lineTo(108, 12);
    flecha.lineTo(108, 52);
    flecha.lineTo(120, 52);
    flecha.lineTo(99, 78);
    flecha.lineTo(78, 52);
    flecha.lineTo(90, 52);
    flecha.closeSubpath();
    p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0x2e, 0xb8, 0x4f));
    p.drawPath(flecha);
    // Data blocks on their way.
    p.setPen(Qt::NoPen);
    for (int k = 0; k < 3; ++k) {
        p.setBrush(QColor(0xff, 0xff, 0xff, 230 - 60 * k));
        p.drawRect(QRectF(84 + 7 * k, 86 + 9 * k, 22, 6));
    }
}

void Exito(QPainter& p) {
    Disco(p, QColor(0x5c, 0xd6, 0x6e), QColor(0x1a, 0x8a, 0x34));
    QPainterPath marca;
    marca.moveTo(36, 66);
    marca.lineTo(56, 86);
    marca.lineTo(94, 44);
    p.setPen(QPen(Qt::white, 13, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(marca);
}

void Fallo(QPainter& p) {
    Disco(p, QColor(0xf0, 0x5b, 0x4f), QColor(0xa8, 0x1c, 0x14));
    p.setPen(QPen(Qt::white, 13, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(42, 42), QPointF(86, 86));
    p.drawLine(QPointF(86, 42), QPointF(42, 86));
}

void Detenido(QPainter& p) {
    // A warning triangle: the meter did not pass a check.
    QPainterPath triangulo;
    triangulo.moveTo(64, 10);
    triangulo.lineTo(121, 112);
    triangulo.lineTo(7, 112);
    triangulo.closeSubpath();
    QLinearGradient g(0, 10, 0, 112);
    g.setColorAt(0, QColor(0xff, 0xd3, 0x4d));
    g.setColorAt(1, QColor(0xf0, 0x9a, 0x12));
    p.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(g);
    p.drawPath(triangulo);
    p.setPen(QPen(QColor(0x2b, 0x23, 0x10), 11, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(64, 44), QPointF(64, 78));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2b, 0x23, 0x10));
    p.drawEllipse(QPointF(64, 96), 6.5, 6.5);
}

}  // namespace

QImage Dibujar_asistente(int indice) {
    if (indice < 0 || indice >= kImagenesAsistente) return {};
    QImage img(kLadoAsistente, kLadoAsistente, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    static void (*const kDibujos[kImagenesAsistente])(QPainter&) = {
        Inicio, Instrucciones, Buscando, No_encontrado, Actualizando, Exito, Fallo, Detenido};
    kDibujos[indice](p);
    return img;
}

}  // namespace z82::gui
