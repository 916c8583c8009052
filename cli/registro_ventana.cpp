#include "cli/registro_ventana.h"

#include "cli/desenlace.h"

namespace z82 {

Registro_ventana::Registro_ventana(const std::string& programa, Dispositivo_serie& serie,
                                   Entorno& entorno)
    : serie_(serie) {
    Abrir_registro(registro_, programa);
    if (registro_.abierto()) {
        traza_ = std::make_unique<Dispositivo_traza>(serie, entorno, registro_.salida());
    }
}

void Registro_ventana::cerrar(const Tventana_cargador& ventana) {
    if (ventana.resultado == Resultado_asistente::ninguno) {
        registro_.resultado("Result: no update was run.\n");
    } else {
        registro_.resultado(
            Texto_desenlace(Desenlace_de(ventana, ventana.resultado, ventana.desenlace)));
    }
}

}  // namespace z82
