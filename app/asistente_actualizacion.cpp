// The wizard as its updater's observer: the questions on the attention panel, the counter
// on the third line, the port tried on the second.
#include <string>

#include "app/ventana_cargador.h"

namespace z82 {

void Tventana_cargador::contador(int contador, int total) {
    vista.info(3, textos_.Contador(contador, total));
}

bool Tventana_cargador::Preguntar(const Pregunta_atencion& pregunta) {
    vista.mostrar_atencion(pregunta);
    respuesta_atencion = 0;
    while (respuesta_atencion == 0) {
        entorno.procesar_mensajes();
        // Waiting for a person: no need to spin.
        if (respuesta_atencion == 0) entorno.dormir(10);
    }
    return respuesta_atencion == 1;
}

void Tventana_cargador::Button_atencion_okClick() {
    vista.ocultar_atencion();
    respuesta_atencion = 1;
}

void Tventana_cargador::Button_atencion_cancelClick() {
    vista.ocultar_atencion();
    respuesta_atencion = -1;
}

bool Tventana_cargador::preguntar(Pregunta pregunta) {
    return Preguntar(textos_.Pregunta_de(pregunta));
}

void Tventana_cargador::probando_puerto(int n) {
    vista.info(2, Texto("PASO3_L2") + std::to_string(n));
}

}  // namespace z82
