// The per-user port lock "Mutex_Puerto" on Windows: a named mutex, recursive for the thread
// that owns it, shared by every program of the logged-on user that names it.
#pragma once

#include "link/dispositivo_serie.h"

namespace z82 {

class Cerrojo_mutex : public Cerrojo_puerto {
  public:
    static constexpr const char* NOMBRE = "Mutex_Puerto";

    Cerrojo_mutex();
    ~Cerrojo_mutex() override;
    Cerrojo_mutex(const Cerrojo_mutex&) = delete;
    Cerrojo_mutex& operator=(const Cerrojo_mutex&) = delete;

    void bloquear() override;
    void desbloquear() override;
    // False when the system would not give a mutex: the port then runs unlocked.
    bool existe() const { return mutex_ != nullptr; }

  private:
    void* mutex_ = nullptr;  // HANDLE
};

}  // namespace z82
