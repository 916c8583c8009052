// The per-user port lock "Mutex_Puerto": a lock file in the user's runtime folder held with
// flock() while any operation of the port runs. A second copy of the program waits for it;
// inside one process it is recursive for the thread that holds it.
#pragma once

#include <mutex>
#include <string>

#include "link/dispositivo_serie.h"

namespace z82 {

class Cerrojo_archivo : public Cerrojo_puerto {
  public:
    static constexpr const char* NOMBRE = "Mutex_Puerto";

    // The lock file in $XDG_RUNTIME_DIR, or in /tmp/z82-<uid>/ when there is none.
    Cerrojo_archivo();
    // The lock file at this path (tests).
    explicit Cerrojo_archivo(const std::string& ruta);
    ~Cerrojo_archivo() override;
    Cerrojo_archivo(const Cerrojo_archivo&) = delete;
    Cerrojo_archivo& operator=(const Cerrojo_archivo&) = delete;

    void bloquear() override;
    void desbloquear() override;

    // False when the lock file could not be made: the lock then only serialises threads.
    bool entre_procesos() const { return fd_ >= 0; }
    const std::string& ruta() const { return ruta_; }
    // The folder the default constructor uses, empty when none is safe to use.
    static std::string carpeta_usuario();

  private:
    void abrir_archivo();

    std::recursive_mutex hilos_;
    int cuenta_ = 0;
    int fd_ = -1;
    std::string ruta_;
};

}  // namespace z82
