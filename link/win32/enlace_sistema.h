// The machine's side of the link, in one piece for the program's faces: the COM device and
// the port lock. The Linux build has a class of the same name.
#pragma once

#include <string>
#include <vector>

#include "link/win32/cerrojo_mutex.h"
#include "link/win32/serie_win32.h"

namespace z82 {

class Enlace_sistema {
  public:
    Enlace_sistema() = default;
    Enlace_sistema(const Enlace_sistema&) = delete;
    Enlace_sistema& operator=(const Enlace_sistema&) = delete;

    Serie_win32 serie;
    Cerrojo_mutex cerrojo;

    // The port number for what the user typed: "3", "COM3", "COM3:", "\\.\COM3", or the
    // location path or instance id of a port plugged in now (ranura(), por_id()); 0 otherwise.
    int numero(const std::string& nombre);
    // The numbers of the ports the system has now, in order (for a list of ports).
    std::vector<int> numeros();
    // Words about port n for a list shown to the user.
    std::string descripcion(int n) const;
    // The location path of the hub slot port n is plugged into, which stays when the adapter
    // is plugged in again and gets another COM number
    // ("PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)#USB(3)"); "COMn" when the system gives none.
    std::string ranura(int n) const;
    // The device instance id of port n, empty when no present device has that port.
    std::string por_id(int n) const;
    // Sessions on several ports in one process each lock their own port from now on,
    // instead of all waiting for the one lock of the user.
    void cerrojo_por_puerto() { cerrojo.por_puerto(); }
};

}  // namespace z82
