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

    // The port number for what the user typed: "3", "COM3", "COM3:" or "\\.\COM3"; 0 otherwise.
    int numero(const std::string& nombre);
    // The numbers of the ports the system has now, in order (for a list of ports).
    std::vector<int> numeros();
    // Words about port n for a list shown to the user.
    std::string descripcion(int n) const;
};

}  // namespace z82
