#include "link/win32/cerrojo_mutex.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace z82 {

Cerrojo_mutex::Cerrojo_mutex() : mutex_(::CreateMutexA(nullptr, FALSE, NOMBRE)) {}

Cerrojo_mutex::~Cerrojo_mutex() {
    if (mutex_ != nullptr) ::CloseHandle(static_cast<HANDLE>(mutex_));
}

void Cerrojo_mutex::bloquear() {
    if (mutex_ == nullptr) return;
    for (;;) {
        const DWORD r = ::WaitForSingleObject(static_cast<HANDLE>(mutex_), INFINITE);
        // An abandoned mutex (its owner died holding it) is owned now all the same. A wait
        // that fails outright would fail forever: go on unlocked rather than hang.
        if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED || r == WAIT_FAILED) return;
    }
}

void Cerrojo_mutex::desbloquear() {
    if (mutex_ != nullptr) ::ReleaseMutex(static_cast<HANDLE>(mutex_));
}

}  // namespace z82
