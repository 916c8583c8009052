#include "link/win32/cerrojo_mutex.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace z82 {

namespace {

void esperar(void* mutex) {
    if (mutex == nullptr) return;
    for (;;) {
        const DWORD r = ::WaitForSingleObject(static_cast<HANDLE>(mutex), INFINITE);
        // An abandoned mutex (its owner died holding it) is owned now all the same. A wait
        // that fails outright would fail forever: go on unlocked rather than hang.
        if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED || r == WAIT_FAILED) return;
    }
}

void soltar(void* mutex) {
    if (mutex != nullptr) ::ReleaseMutex(static_cast<HANDLE>(mutex));
}

}  // namespace

Cerrojo_mutex::Cerrojo_mutex() : mutex_(::CreateMutexA(nullptr, FALSE, NOMBRE)) {}

Cerrojo_mutex::~Cerrojo_mutex() {
    if (mutex_ != nullptr) ::CloseHandle(static_cast<HANDLE>(mutex_));
    for (const auto& [numero, mutex] : puertos_) {
        if (mutex != nullptr) ::CloseHandle(static_cast<HANDLE>(mutex));
    }
}

std::string Cerrojo_mutex::nombre_puerto(uint32_t numero_puerto) {
    return std::string(NOMBRE) + ".COM" + std::to_string(numero_puerto);
}

void Cerrojo_mutex::tomar(uint32_t numero_puerto) {
    void* mutex = nullptr;
    {
        std::lock_guard<std::mutex> g(estado_);
        std::vector<void*>& tomados = tomados_[std::this_thread::get_id()];
        if (!tomados.empty()) {
            mutex = tomados.back();
        } else if (numero_puerto == 0 && ultimo_ == 0) {
            mutex = mutex_;  // before any port was named there is only the user's mutex
        } else {
            if (numero_puerto != 0) ultimo_ = numero_puerto;
            void*& propio = puertos_[ultimo_];
            if (propio == nullptr) {
                propio = ::CreateMutexA(nullptr, FALSE, nombre_puerto(ultimo_).c_str());
            }
            mutex = propio;
        }
        tomados.push_back(mutex);
    }
    esperar(mutex);
}

void Cerrojo_mutex::bloquear_puerto(uint32_t numero_puerto) {
    if (por_puerto_) {
        tomar(numero_puerto);
    } else {
        bloquear();
    }
}

void Cerrojo_mutex::bloquear() {
    if (por_puerto_) {
        tomar(0);
    } else {
        esperar(mutex_);
    }
}

void Cerrojo_mutex::desbloquear() {
    void* mutex = mutex_;
    if (por_puerto_) {
        // A thread that holds nothing here took the user's mutex before the switch.
        std::lock_guard<std::mutex> g(estado_);
        const auto pos = tomados_.find(std::this_thread::get_id());
        if (pos != tomados_.end() && !pos->second.empty()) {
            mutex = pos->second.back();
            pos->second.pop_back();
            if (pos->second.empty()) tomados_.erase(pos);
        }
    }
    soltar(mutex);
}

}  // namespace z82
