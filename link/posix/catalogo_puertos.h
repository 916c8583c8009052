// The serial ports of a Linux machine, numbered the way the program numbers COM ports:
// port n is the n-th entry of a stable, sorted list (USB-serial and ACM devices first, then
// other serial devices that have real hardware behind them), followed by the paths that
// were named explicitly (a pseudo-terminal, a device outside the usual places). Each port also
// has a slot name that stays with the hub socket the adapter is plugged into, whatever
// ttyUSB number the kernel hands out this time: the name of its link in <dev>/serial/by-path
// (or by-id), as udev lays them out.
#pragma once

#include <string>
#include <vector>

namespace z82 {

struct Puerto_catalogo {
    std::string ruta{};         // /dev/ttyUSB0
    std::string descripcion{};  // "Maker Product (0403:6001)", the driver's name, or empty
    bool explicito = false;     // registered by path, not found in the system's list
    // Names of the links in <dev>/serial/by-path and <dev>/serial/by-id that lead to this
    // device ("pci-0000:00:14.0-usb-0:2.3:1.0-port0"), empty when there is none.
    std::string por_ruta{};
    std::string por_id{};
};

class Catalogo_puertos {
  public:
    // The folders are parameters so that a test can lay out its own machine.
    explicit Catalogo_puertos(std::string clase_tty = "/sys/class/tty", std::string dev = "/dev");

    // Reads the system's list again. Registered paths stay after the system's devices.
    void actualizar();
    // Gives a path a port number (the one it already has if the system lists it, a link to
    // it, or it was registered before). A name without a folder is a slot name or a device
    // in the dev folder. Returns 0 for an empty path or such a name that names nothing.
    int registrar(const std::string& ruta);

    int cantidad() const { return static_cast<int>(puertos_.size()); }
    // Port n (from 1) or nullptr.
    const Puerto_catalogo* puerto(int n) const;
    // Path of port n, empty when there is no such port.
    std::string ruta(int n) const;
    std::string descripcion(int n) const;
    // True when port n is listed and its device file is still there.
    bool existe(int n) const;
    // The stable name of port n's slot: its by-path link's name, else its by-id link's,
    // else its path. Empty when there is no such port.
    std::string ranura(int n) const;
    // Number of the port with this path, with a link to it, or with this slot name (by-path
    // or by-id); 0 when none.
    int numero(const std::string& ruta) const;

  private:
    std::vector<Puerto_catalogo> explorar() const;
    std::string describir(const std::string& nombre) const;
    // Fills every port's link names from the serial folders as they are now.
    void nombrar_enlaces();

    std::string clase_tty_;
    std::string dev_;
    std::vector<Puerto_catalogo> puertos_;
    std::vector<std::string> registrados_;
};

}  // namespace z82
