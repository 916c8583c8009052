// The start of either window program, the same for both: its command line, and the updater
// behind the window (the support log, the wizard with the language file found, the window
// model bound to it and to the machine's ports, the port given on the command line).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/modelo_ventana.h"
#include "app/ventana_cargador.h"
#include "cli/registro_ventana.h"

namespace z82 {

// What a window program's command line asks.
struct Orden_ventana {
    enum class Que { ventana, ayuda, version, error };
    Que que = Que::ventana;
    // The port of --port, as given ("3", "COM3", a device path); empty: search them all.
    std::string puerto;
    std::string error;
};
// The arguments after the program's name. Help and version win wherever they are.
Orden_ventana Leer_orden_ventana(const std::vector<std::string>& argumentos);

// The machine's side as a window uses it.
struct Maquina_ventana {
    Dispositivo_serie& serie;
    Cerrojo_puerto* cerrojo;
    // The port number for what the user typed (0: no port); the system's ports now; words
    // about port n for the port panel.
    std::function<int(const std::string&)> numero;
    std::function<std::vector<int>()> numeros;
    std::function<std::string(int)> descripcion;
};

class Arranque_ventana {
  public:
    static constexpr const char* kPrograma = "z82-update-gui";

    Arranque_ventana(Entorno& entorno, const Maquina_ventana& maquina);
    // Unbinds the model and writes the outcome of the last run to the log.
    ~Arranque_ventana();
    Arranque_ventana(const Arranque_ventana&) = delete;
    Arranque_ventana& operator=(const Arranque_ventana&) = delete;

    // Manual mode on the port the command line gave; false, with a line in the log, when
    // it names no port.
    bool Elegir_puerto(const std::string& puerto);

    Modelo_ventana modelo;
    Registro_ventana registro;
    Tventana_cargador ventana;

  private:
    std::function<int(const std::string&)> numero_;
};

}  // namespace z82
