// The background, the buttons' pictures and the pieces the wizard images share.
#include "gui/dibujos.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

namespace z82::gui {
namespace {

QPixmap Lienzo(int ancho, int alto) {
    QPixmap pm(ancho, alto);
    pm.fill(Qt::transparent);
    return pm;
}

// A spectrum trace as the meter draws it: noise floor with a few carriers.
QPainterPath Espectro(const QRectF& r, int puntos) {
    QPainterPath camino;
    for (int i = 0; i <= puntos; ++i) {
        const double x = static_cast<double>(i) / puntos;
        double y = 0.12 + 0.05 * std::sin(x * 97.0) * std::sin(x * 13.0);
        for (const double centro : {0.18, 0.42, 0.47, 0.71, 0.88}) {
            const double d = (x - centro) * 38.0;
            y += (centro == 0.42 ? 0.75 : 0.55) * std::exp(-d * d);
        }
        const QPointF punto(r.left() + x * r.width(), r.bottom() - y * r.height());
        if (i == 0) {
            camino.moveTo(punto);
        } else {
            camino.lineTo(punto);
        }
    }
    return camino;
}

}  // namespace

void Pintar_ficha(QPainter& p, const QColor& arriba, const QColor& abajo) {
    QLinearGradient g(0, 0, 0, kLadoAsistente);
    g.setColorAt(0, arriba);
    g.setColorAt(1, abajo);
    p.setPen(QPen(QColor(255, 255, 255, 90), 2));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(3, 3, kLadoAsistente - 6, kLadoAsistente - 6), 18, 18);
}

void Pintar_medidor(QPainter& p, const QRectF& r) {
    p.save();
    // Body with its strap lugs.
    QLinearGradient cuerpo(r.topLeft(), r.bottomLeft());
    cuerpo.setColorAt(0, QColor(0xe8, 0xec, 0xf0));
    cuerpo.setColorAt(1, QColor(0x9a, 0xa4, 0xae));
    p.setPen(QPen(QColor(0x2b, 0x33, 0x3b), 2));
    p.setBrush(cuerpo);
    p.drawRoundedRect(r, r.width() * 0.12, r.width() * 0.12);
    // Screen with a spectrum.
    const QRectF pantalla(r.left() + r.width() * 0.12, r.top() + r.height() * 0.1, r.width() * 0.76,
                          r.height() * 0.42);
    p.setBrush(QColor(0x10, 0x3a, 0x2a));
    p.drawRect(pantalla);
    p.setPen(QPen(QColor(0x6f, 0xff, 0x9a), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(Espectro(pantalla.adjusted(3, 3, -3, -3), 60));
    // Keys and the dial.
    p.setPen(QPen(QColor(0x2b, 0x33, 0x3b), 1));
    const double lado = r.width() * 0.13;
    for (int fila = 0; fila < 2; ++fila) {
        for (int col = 0; col < 3; ++col) {
            const QRectF tecla(r.left() + r.width() * 0.12 + col * lado * 1.35,
                               r.top() + r.height() * 0.62 + fila * lado * 1.35, lado, lado);
            p.setBrush(fila == 0 && col == 0 ? QColor(0xe0, 0x5a, 0x2b) : QColor(0x45, 0x4f, 0x59));
            p.drawRoundedRect(tecla, 2, 2);
        }
    }
    const double radio = r.width() * 0.14;
    const QPointF centro(r.right() - r.width() * 0.24, r.top() + r.height() * 0.74);
    QRadialGradient dial(centro, radio);
    dial.setColorAt(0, QColor(0x70, 0x7a, 0x84));
    dial.setColorAt(1, QColor(0x2b, 0x33, 0x3b));
    p.setBrush(dial);
    p.drawEllipse(centro, radio, radio);
    p.restore();
}

void Pintar_conector(QPainter& p, const QRectF& r, const QColor& color) {
    // A USB plug seen from the side: metal shell, grip and cable going down.
    p.save();
    p.setPen(QPen(QColor(0x2b, 0x33, 0x3b), 2));
    p.setBrush(QColor(0xc8, 0xcf, 0xd6));
    const QRectF carcasa(r.left() + r.width() * 0.3, r.top(), r.width() * 0.4, r.height() * 0.28);
    p.drawRect(carcasa);
    p.setBrush(QColor(0x2b, 0x33, 0x3b));
    p.drawRect(QRectF(carcasa.left() + carcasa.width() * 0.2,
                      carcasa.top() + carcasa.height() * 0.2, carcasa.width() * 0.2,
                      carcasa.height() * 0.25));
    p.drawRect(QRectF(carcasa.left() + carcasa.width() * 0.6,
                      carcasa.top() + carcasa.height() * 0.2, carcasa.width() * 0.2,
                      carcasa.height() * 0.25));
    p.setBrush(color);
    const QRectF agarre(r.left() + r.width() * 0.22, carcasa.bottom(), r.width() * 0.56,
                        r.height() * 0.38);
    p.drawRoundedRect(agarre, 5, 5);
    p.setPen(QPen(color.darker(140), r.width() * 0.12, Qt::SolidLine, Qt::RoundCap));
    QPainterPath cable(QPointF(agarre.center().x(), agarre.bottom()));
    cable.cubicTo(QPointF(agarre.center().x(), r.bottom() - r.height() * 0.1),
                  QPointF(r.left(), r.bottom() - r.height() * 0.2), QPointF(r.left(), r.bottom()));
    p.setBrush(Qt::NoBrush);
    p.drawPath(cable);
    p.restore();
}

QPixmap Dibujar_fondo() {
    QPixmap pm = Lienzo(kAnchoFondo, kAltoFondo);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, kAnchoFondo, kAltoFondo);
    g.setColorAt(0, QColor(0x0b, 0x24, 0x40));
    g.setColorAt(0.6, QColor(0x10, 0x3d, 0x5c));
    g.setColorAt(1, QColor(0x0f, 0x55, 0x66));
    p.fillRect(pm.rect(), g);

    // Signal arcs behind the title, from a dish in the top right corner.
    p.setPen(QPen(QColor(255, 255, 255, 28), 3));
    for (int k = 1; k <= 5; ++k) {
        const double radio = 40.0 * k;
        p.drawArc(QRectF(470 - radio, -60 - radio, 2 * radio, 2 * radio), 200 * 16, 70 * 16);
    }
    // The spectrum across the bottom, faint.
    QPainterPath espectro = Espectro(QRectF(0, 250, kAnchoFondo, 140), 240);
    QPainterPath relleno = espectro;
    relleno.lineTo(kAnchoFondo, kAltoFondo);
    relleno.lineTo(0, kAltoFondo);
    relleno.closeSubpath();
    p.fillPath(relleno, QColor(0x4f, 0xd1, 0xc5, 26));
    p.setPen(QPen(QColor(0x4f, 0xd1, 0xc5, 70), 1.5));
    p.drawPath(espectro);

    // The title: product name with a band under it.
    QFont titulo("DejaVu Sans");
    titulo.setPixelSize(40);
    titulo.setBold(true);
    titulo.setItalic(true);
    p.setFont(titulo);
    p.setPen(QColor(0xff, 0xff, 0xff));
    p.drawText(QRectF(24, 10, 200, 52), Qt::AlignLeft | Qt::AlignVCenter, "Z82");
    QLinearGradient banda(24, 0, 560, 0);
    banda.setColorAt(0, QColor(0xf5, 0xa6, 0x23));
    banda.setColorAt(1, QColor(0xf5, 0xa6, 0x23, 0));
    p.fillRect(QRectF(24, 66, 536, 3), banda);
    return pm;
}

QPixmap Dibujar_boton_asistente() {
    QPixmap pm = Lienzo(kLadoAsistente, kLadoAsistente);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(64, 64);
    QRadialGradient g(QPointF(52, 46), 70);
    g.setColorAt(0, QColor(0x7b, 0xe0, 0x7f));
    g.setColorAt(1, QColor(0x1d, 0x8a, 0x3a));
    p.setPen(QPen(QColor(255, 255, 255, 200), 4));
    p.setBrush(g);
    p.drawEllipse(c, 56, 56);
    // The arrow: go on.
    QPainterPath flecha;
    flecha.moveTo(40, 52);
    flecha.lineTo(68, 52);
    flecha.lineTo(68, 34);
    flecha.lineTo(98, 64);
    flecha.lineTo(68, 94);
    flecha.lineTo(68, 76);
    flecha.lineTo(40, 76);
    flecha.closeSubpath();
    p.setPen(QPen(QColor(0x14, 0x5c, 0x27), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(flecha);
    return pm;
}

QPixmap Dibujar_salida() {
    QPixmap pm = Lienzo(kLadoSalida, kLadoSalida);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(16, 14), 26);
    g.setColorAt(0, QColor(0xf0, 0x6a, 0x5a));
    g.setColorAt(1, QColor(0xa8, 0x24, 0x1c));
    p.setPen(QPen(QColor(255, 255, 255, 190), 2));
    p.setBrush(g);
    p.drawEllipse(QRectF(2, 2, 36, 36));
    // The power sign.
    p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(11, 12, 18, 18), 120 * 16, 300 * 16);
    p.drawLine(QPointF(20, 9), QPointF(20, 20));
    return pm;
}

QPixmap Dibujar_puerto() {
    QPixmap pm = Lienzo(kLadoPuerto, kLadoPuerto);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x5f, 0x9e));
    p.drawRoundedRect(QRectF(1, 1, 54, 54), 8, 8);
    // The USB trident: a stem, a circle, a square and an arrow head.
    const QPen trazo(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(trazo);
    p.drawLine(QPointF(28, 46), QPointF(28, 14));
    p.drawLine(QPointF(28, 38), QPointF(16, 30));
    p.drawLine(QPointF(16, 30), QPointF(16, 24));
    p.drawLine(QPointF(28, 34), QPointF(40, 26));
    p.drawLine(QPointF(40, 26), QPointF(40, 22));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 21), 3.5, 3.5);
    p.drawRect(QRectF(37, 16, 6, 6));
    QPainterPath punta;
    punta.moveTo(28, 6);
    punta.lineTo(34, 15);
    punta.lineTo(22, 15);
    punta.closeSubpath();
    p.drawPath(punta);
    p.drawEllipse(QPointF(28, 46), 4, 4);
    return pm;
}

}  // namespace z82::gui
