// The pictures' buffers as Qt images: the layouts match, so each is copied as it is.
#include "gui/dibujos.h"

namespace z82::gui {
namespace {

QImage Como_imagen(const dibujos::Imagen& img) {
    if (img.pixeles.empty()) return {};
    return QImage(reinterpret_cast<const uchar*>(img.pixeles.data()), img.ancho, img.alto,
                  img.ancho * 4, QImage::Format_ARGB32_Premultiplied)
        .copy();
}

}  // namespace

QPixmap Dibujar_fondo() { return QPixmap::fromImage(Como_imagen(dibujos::Dibujar_fondo())); }

QImage Dibujar_asistente(int indice) { return Como_imagen(dibujos::Dibujar_asistente(indice)); }

QPixmap Dibujar_boton_asistente() {
    return QPixmap::fromImage(Como_imagen(dibujos::Dibujar_boton_asistente()));
}

QPixmap Dibujar_salida() { return QPixmap::fromImage(Como_imagen(dibujos::Dibujar_salida())); }

QColor Color(std::uint32_t rgb) {
    return QColor(static_cast<int>(rgb >> 16 & 0xff), static_cast<int>(rgb >> 8 & 0xff),
                  static_cast<int>(rgb & 0xff));
}

QFont Letra(int pixeles, bool negrita) {
    QFont f;
    f.setPixelSize(pixeles);
    f.setBold(negrita);
    return f;
}

QPixmap Dibujar_puerto() { return QPixmap::fromImage(Como_imagen(dibujos::Dibujar_puerto())); }

}  // namespace z82::gui
