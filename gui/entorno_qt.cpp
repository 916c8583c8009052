#include "gui/entorno_qt.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>

namespace z82::gui {

Entorno_qt::Entorno_qt(Enlace_sistema& enlace)
    : Entorno_sistema(enlace), reposo_(std::make_unique<QTimer>()) {
    // Between the user's clicks nothing in the engine pumps messages: the link watch and
    // posted work still have to run.
    reposo_->setInterval(kReposo);
    QObject::connect(reposo_.get(), &QTimer::timeout, [this] {
        if (!en_pausa_) atender();
    });
    reposo_->start();
}

Entorno_qt::~Entorno_qt() = default;

void Entorno_qt::procesar_mensajes() {
    QCoreApplication::processEvents();
    atender();
}

void Entorno_qt::dormir(int ms) {
    if (ms < kPausaLarga || en_pausa_) {
        Entorno_sistema::dormir(ms);
        return;
    }
    en_pausa_ = true;
    const int64_t fin = milisegundos() + ms;
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        const int64_t resta = fin - milisegundos();
        if (resta <= 0) break;
        Entorno_sistema::dormir(static_cast<int>(std::min<int64_t>(resta, kRebanada)));
    }
    en_pausa_ = false;
}

void Entorno_qt::pitar() {
    QApplication::beep();
    dormir(500);
}

}  // namespace z82::gui
