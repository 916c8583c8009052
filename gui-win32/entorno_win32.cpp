#include "gui-win32/entorno_win32.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>

namespace z82::win32 {
namespace {

thread_local Entorno_win32* activo = nullptr;

}  // namespace

bool Despachar_mensajes(bool solo_pintar) {
    MSG m;
    const UINT filtro = PM_REMOVE | (solo_pintar ? PM_QS_PAINT : 0U);
    while (::PeekMessageW(&m, nullptr, 0, 0, filtro) != FALSE) {
        if (m.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(m.wParam));
            return true;
        }
        ::TranslateMessage(&m);
        ::DispatchMessageW(&m);
    }
    return false;
}

Entorno_win32::Entorno_win32(Enlace_sistema& enlace) : Entorno_sistema(enlace) {
    activo = this;
    // Between the user's clicks nothing in the engine pumps messages: the link watch and
    // posted work still have to run.
    reposo_ = ::SetTimer(nullptr, 0, kReposo, &Entorno_win32::Al_reposo);
}

Entorno_win32::~Entorno_win32() {
    if (reposo_ != 0) ::KillTimer(nullptr, reposo_);
    if (activo == this) activo = nullptr;
}

void CALLBACK Entorno_win32::Al_reposo(HWND, UINT, UINT_PTR, DWORD) {
    if (activo != nullptr && !activo->en_pausa_) activo->atender();
}

void Entorno_win32::procesar_mensajes() {
    Despachar_mensajes();
    atender();
}

void Entorno_win32::dormir(int ms) {
    if (ms < kPausaLarga || en_pausa_) {
        Entorno_sistema::dormir(ms);
        return;
    }
    en_pausa_ = true;
    const int64_t fin = milisegundos() + ms;
    for (;;) {
        Despachar_mensajes(true);
        const int64_t resta = fin - milisegundos();
        if (resta <= 0) break;
        Entorno_sistema::dormir(static_cast<int>(std::min<int64_t>(resta, kRebanada)));
    }
    en_pausa_ = false;
}

}  // namespace z82::win32
