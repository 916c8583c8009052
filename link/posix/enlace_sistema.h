// The machine's side of the link, in one piece for the program's faces: the port list, the
// serial device and the port lock. The Windows build has a class of the same name.
#pragma once

#include <string>
#include <vector>

#include "link/posix/catalogo_puertos.h"
#include "link/posix/cerrojo_archivo.h"
#include "link/posix/serie_termios.h"

namespace z82 {

class Enlace_sistema {
  public:
    Enlace_sistema() = default;
    // Another machine layout, and lock files <base_cerrojo>.<device> (tests).
    Enlace_sistema(const std::string& clase_tty, const std::string& dev,
                   const std::string& base_cerrojo)
        : catalogo(clase_tty, dev), cerrojo(base_cerrojo, ruta_de_puerto()) {}
    Enlace_sistema(const Enlace_sistema&) = delete;
    Enlace_sistema& operator=(const Enlace_sistema&) = delete;

    Catalogo_puertos catalogo;
    Serie_termios serie{catalogo};
    // One lock per device of the catalogue.
    Cerrojo_archivo cerrojo{ruta_de_puerto()};

    // The port number for what the user typed: "3", "COM3", a slot name as ranura() gives
    // it, a link such as /dev/serial/by-path/..., or a device path (which gets a number of
    // its own if the system does not list it). 0 when it names no port.
    int numero(const std::string& nombre);
    // The numbers of the ports the system has now, in order (for a list of ports).
    std::vector<int> numeros();
    // Words about port n for a list shown to the user (path and maker's description).
    std::string descripcion(int n) const;
    // The name of the hub slot port n is plugged into, which stays when the adapter is
    // plugged in again and gets another ttyUSB number ("pci-0000:00:14.0-usb-0:2.3:1.0-port0");
    // the by-id name or the device path where there is no slot.
    std::string ranura(int n) const;
    // The adapter's own name in /dev/serial/by-id, empty when it has none.
    std::string por_id(int n) const;
    // Sessions on several ports in one process each lock their own port: here the locks
    // already are one per device, so there is nothing to change.
    void cerrojo_por_puerto() {}

  private:
    Cerrojo_archivo::Ruta_puerto ruta_de_puerto() {
        return [this](uint32_t n) { return catalogo.ruta(static_cast<int>(n)); };
    }
};

}  // namespace z82
