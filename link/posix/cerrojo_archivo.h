// The port lock "Mutex_Puerto" on Linux: one lock file per serial device in the user's
// runtime folder, held with flock() while an operation on that device runs. A second copy of
// the program on the same device waits for it; copies on other devices go on side by side.
// Inside one process it is recursive for the thread that holds it.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "link/dispositivo_serie.h"

namespace z82 {

class Cerrojo_archivo : public Cerrojo_puerto {
  public:
    static constexpr const char* NOMBRE = "Mutex_Puerto";
    // The device path of a port number, empty when the number names no device.
    using Ruta_puerto = std::function<std::string(uint32_t)>;

    // Lock files <folder>/Mutex_Puerto.<device> in $XDG_RUNTIME_DIR, or in /tmp/z82-<uid>/
    // when there is none.
    explicit Cerrojo_archivo(Ruta_puerto ruta_puerto);
    // Lock files <base>.<device> (tests, another folder).
    Cerrojo_archivo(std::string base, Ruta_puerto ruta_puerto);
    ~Cerrojo_archivo() override;
    Cerrojo_archivo(const Cerrojo_archivo&) = delete;
    Cerrojo_archivo& operator=(const Cerrojo_archivo&) = delete;

    // Takes the lock of port n's device; nested calls keep the device of the outermost.
    void bloquear_puerto(uint32_t numero_puerto) override;
    // The device of the last bloquear_puerto.
    void bloquear() override;
    void desbloquear() override;

    // False when the lock file of the last device could not be made (or no device was
    // named): the lock then only serialises threads.
    bool entre_procesos() const { return fd_ >= 0; }
    // The lock file of the last device, empty when there is none.
    const std::string& ruta() const { return ruta_; }
    // The folder the first constructor uses, empty when none is safe to use.
    static std::string carpeta_usuario();
    // A device path as a file name: its real path (links followed) with every character
    // other than letters, digits, '-' and '.' written out, so that two devices never share
    // a name and no name leaves the folder.
    static std::string nombre_dispositivo(const std::string& dispositivo);

  private:
    void tomar(uint32_t numero_puerto);
    void cambiar_dispositivo(const std::string& dispositivo);

    std::recursive_mutex hilos_;
    int cuenta_ = 0;
    int fd_ = -1;
    uint32_t numero_ = 0;
    std::string base_;
    std::string dispositivo_;
    std::string ruta_;
    Ruta_puerto ruta_puerto_;
};

}  // namespace z82
