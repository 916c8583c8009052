// The engine's environment inside the Qt window: the Linux machine's clock, ports and
// diagnostic line, with the window's messages handled wherever the engine lets them run.
#pragma once

#include "link/posix/enlace_sistema.h"
#include "link/posix/entorno_sistema.h"

namespace z82::gui {

class Entorno_qt : public Entorno_sistema {
  public:
    using Entorno_sistema::Entorno_sistema;

    // The window's pending events, then the engine's posted events and due timers.
    void procesar_mensajes() override;
    // Long pauses (the waits between update steps last seconds) keep the window painted:
    // they repaint in short slices but hold user input back until the engine lets
    // messages run, so no handler runs in the middle of an exchange.
    void dormir(int ms) override;
    // The system's beep, then the beep's 500 ms.
    void pitar() override;

    // Pauses at least this long are sliced.
    static constexpr int kPausaLarga = 50;
    static constexpr int kRebanada = 20;
};

}  // namespace z82::gui
