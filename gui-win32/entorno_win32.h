// The engine's environment inside the Windows window: the machine's clock, ports and
// diagnostic line, with the window's messages handled wherever the engine lets them run.
#pragma once

// The engine's headers before the system's: some of its names are macros there.
#include "link/win32/enlace_sistema.h"
#include "link/win32/entorno_sistema.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace z82::win32 {

// Runs the thread's pending window messages. Only painting when solo_pintar: the user's
// input and the timers wait. A quit request is put back for the program's own loop, and
// then nothing more is run; the result says whether it came.
bool Despachar_mensajes(bool solo_pintar = false);

class Entorno_win32 : public Entorno_sistema {
  public:
    // One per thread: a thread timer services the engine while the window waits for the user.
    explicit Entorno_win32(Enlace_sistema& enlace);
    ~Entorno_win32() override;
    Entorno_win32(const Entorno_win32&) = delete;
    Entorno_win32& operator=(const Entorno_win32&) = delete;

    // The window's pending messages, then the engine's posted events and due timers.
    void procesar_mensajes() override;
    // Long pauses (the waits between update steps last seconds) keep the window painted in
    // short slices, but hold user input and the engine's own events back until the engine
    // lets messages run, so no handler runs in the middle of an exchange.
    void dormir(int ms) override;

    // How often the engine's timers are looked at while the window is idle.
    static constexpr int kReposo = 10;

  private:
    static void CALLBACK Al_reposo(HWND, UINT, UINT_PTR, DWORD);
    UINT_PTR reposo_ = 0;
    Pausa_de_ventana pausa_;
};

}  // namespace z82::win32
