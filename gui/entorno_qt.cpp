#include "gui/entorno_qt.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>

namespace z82::gui {

void Entorno_qt::procesar_mensajes() {
    QCoreApplication::processEvents();
    atender();
}

void Entorno_qt::dormir(int ms) {
    if (ms < kPausaLarga) {
        Entorno_sistema::dormir(ms);
        return;
    }
    const int64_t fin = milisegundos() + ms;
    for (int64_t resta = ms; resta > 0; resta = fin - milisegundos()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        resta = fin - milisegundos();
        if (resta <= 0) break;
        Entorno_sistema::dormir(static_cast<int>(std::min<int64_t>(resta, kRebanada)));
    }
}

void Entorno_qt::pitar() {
    QApplication::beep();
    dormir(500);
}

}  // namespace z82::gui
