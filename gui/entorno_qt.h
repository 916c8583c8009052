// The engine's environment inside the Qt window: the machine's clock, ports and diagnostic
// line, with the window's messages handled wherever the engine lets them run.
#pragma once

#include <memory>

#ifdef _WIN32
#include "link/win32/enlace_sistema.h"
#include "link/win32/entorno_sistema.h"
#else
#include "link/posix/enlace_sistema.h"
#include "link/posix/entorno_sistema.h"
#endif

class QTimer;

namespace z82::gui {

class Entorno_qt : public Entorno_sistema {
  public:
    // Needs the application object: the engine's timers are also serviced while the window
    // waits for the user.
    explicit Entorno_qt(Enlace_sistema& enlace);
    ~Entorno_qt() override;

    // The window's pending events, then the engine's posted events and due timers.
    void procesar_mensajes() override;
    // Long pauses (the waits between update steps last seconds) keep the window painted:
    // they repaint in short slices but hold user input and the engine's own events back
    // until the engine lets messages run, so no handler runs in the middle of an exchange.
    void dormir(int ms) override;
    // The system's beep, then the beep's 500 ms.
    void pitar() override;

    // How often the engine's timers are looked at while the window is idle.
    static constexpr int kReposo = 10;

  private:
    std::unique_ptr<QTimer> reposo_;
    Pausa_de_ventana pausa_;
};

}  // namespace z82::gui
