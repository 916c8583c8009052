// The per-user port lock "Mutex_Puerto" on Windows: a named mutex, recursive for the thread
// that owns it, shared by every program of the logged-on user that names it. A bench that
// runs sessions on several ports in one process turns it into one mutex per port,
// "Mutex_Puerto.COM<n>", so that sessions on different ports never wait for each other.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/dispositivo_serie.h"

namespace z82 {

class Cerrojo_mutex : public Cerrojo_puerto {
  public:
    static constexpr const char* NOMBRE = "Mutex_Puerto";

    Cerrojo_mutex();
    ~Cerrojo_mutex() override;
    Cerrojo_mutex(const Cerrojo_mutex&) = delete;
    Cerrojo_mutex& operator=(const Cerrojo_mutex&) = delete;

    // From now on each operation takes the mutex of its own port.
    void por_puerto() { por_puerto_ = true; }
    // The mutex of port n, or the user's one until por_puerto(). Nested calls keep the port
    // of the outermost.
    void bloquear_puerto(uint32_t numero_puerto) override;
    // The user's mutex; once per port, the mutex of the last port locked.
    void bloquear() override;
    void desbloquear() override;
    // False when the system would not give a mutex: the port then runs unlocked.
    bool existe() const { return mutex_ != nullptr; }
    // "Mutex_Puerto.COM<n>".
    static std::string nombre_puerto(uint32_t numero_puerto);

  private:
    // Once per port: waits for port n's mutex (0: the last port's), or for the one this
    // thread already holds.
    void tomar(uint32_t numero_puerto);

    void* mutex_ = nullptr;  // HANDLE
    std::atomic<bool> por_puerto_{false};
    // Once per port: each port's mutex, the port last locked, and what each thread holds
    // (innermost last), guarded by estado_.
    std::mutex estado_;
    std::map<uint32_t, void*> puertos_;
    uint32_t ultimo_ = 0;
    std::map<std::thread::id, std::vector<void*>> tomados_;
};

}  // namespace z82
