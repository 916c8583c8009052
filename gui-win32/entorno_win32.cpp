#include "gui-win32/entorno_win32.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

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
    if (activo != nullptr && !activo->pausa_.en_curso()) activo->atender();
}

void Entorno_win32::procesar_mensajes() {
    Despachar_mensajes();
    atender();
}

void Entorno_win32::dormir(int ms) {
    pausa_.dormir(
        *this, ms, [] { Despachar_mensajes(true); }, [this](int t) { Entorno_sistema::dormir(t); });
}

}  // namespace z82::win32
