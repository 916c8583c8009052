#include "cli/arranque_ventana.h"

#include "cli/archivo_idiomas.h"

namespace z82 {

Orden_ventana Leer_orden_ventana(const std::vector<std::string>& argumentos) {
    Orden_ventana o;
    for (const std::string& a : argumentos) {
        if (a == "--help" || a == "-h" || a == "/?") return {Orden_ventana::Que::ayuda, {}, {}};
    }
    for (const std::string& a : argumentos) {
        if (a == "--version") return {Orden_ventana::Que::version, {}, {}};
    }
    for (size_t i = 0; i < argumentos.size() && o.error.empty(); ++i) {
        const std::string& a = argumentos[i];
        if (a == "--port") {
            o.puerto = i + 1 < argumentos.size() ? argumentos[++i] : std::string();
            if (o.puerto.empty()) o.error = "--port needs a port";
        } else if (a.rfind("--port=", 0) == 0) {
            o.puerto = a.substr(7);
        } else {
            o.error = "unknown argument: " + a;
        }
    }
    if (!o.error.empty()) o.que = Orden_ventana::Que::error;
    return o;
}

Arranque_ventana::Arranque_ventana(Entorno& entorno, const Maquina_ventana& maquina)
    : modelo(entorno),
      // The run's trace and outcome, in a log for support.
      registro(kPrograma, maquina.serie, entorno),
      ventana(entorno, modelo, registro.dispositivo(), maquina.cerrojo,
              Buscar_idiomas(Rutas_idiomas()).texto),
      numero_(maquina.numero) {
    modelo.numeros_puertos = maquina.numeros;
    modelo.describir_puerto = maquina.descripcion;
    modelo.enlazar(&ventana);
}

Arranque_ventana::~Arranque_ventana() {
    modelo.enlazar(nullptr);
    registro.cerrar(ventana);
}

bool Arranque_ventana::Elegir_puerto(const std::string& puerto) {
    const int n = numero_ ? numero_(puerto) : 0;
    if (n <= 0) {
        registro.resultado(std::string(kPrograma) + ": no such port: " + puerto);
        return false;
    }
    modelo.Puerto_manual(n);
    return true;
}

}  // namespace z82
