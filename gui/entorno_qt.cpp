#include "gui/entorno_qt.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace z82::gui {

Entorno_qt::Entorno_qt(Enlace_sistema& enlace)
    : Entorno_sistema(enlace), reposo_(std::make_unique<QTimer>()) {
    // Between the user's clicks nothing in the engine pumps messages: the link watch and
    // posted work still have to run.
    reposo_->setInterval(kReposo);
    QObject::connect(reposo_.get(), &QTimer::timeout, [this] {
        if (!pausa_.en_curso()) atender();
    });
    reposo_->start();
}

Entorno_qt::~Entorno_qt() = default;

void Entorno_qt::procesar_mensajes() {
    QCoreApplication::processEvents();
    atender();
}

void Entorno_qt::dormir(int ms) {
    pausa_.dormir(
        *this, ms, [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); },
        [this](int t) { Entorno_sistema::dormir(t); });
}

void Entorno_qt::pitar() {
    QApplication::beep();
    dormir(500);
}

}  // namespace z82::gui
