// The wizard's side of an update run: the questions on the attention panel, the counter on
// the third line, the user's stop, and the run over the session.
#include <algorithm>
#include <string>

#include "app/ventana_cargador.h"

namespace z82 {

void Tventana_cargador::Texto_contador(int contador, int total) {
    vista.info(3,
               Texto("PASO4_L3") + ": " + std::to_string(contador) + "/" + std::to_string(total));
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

void Tventana_cargador::Detener() { sesion.senales.parada.request_stop(); }

bool Tventana_cargador::Firmware_programado() const {
    return ejecucion_ != nullptr && ejecucion_->firmware_programado;
}

bool Tventana_cargador::Observador_asistente::preguntar(Pregunta pregunta) {
    if (pregunta == Pregunta::planes_nuevos) {
        return v_.Preguntar({v_.Texto("AVISO_HEAD"), v_.Texto("AVISOPLAN1"), v_.Texto("AVISOPLAN2"),
                             v_.Texto("AVISOPLAN3"), v_.Texto("AVISOSI"), v_.Texto("AVISONO")});
    }
    return v_.Preguntar({v_.Texto("AVISO_HEAD"), v_.Texto("AVISOMEM1"), v_.Texto("AVISOMEM2"),
                         v_.Texto("AVISOMEM3"), "OK", "CANCEL"});
}

Desenlace_actualizacion Tventana_cargador::Actualizar_medidor() {
    ocupado = true;
    Ejecucion_actualizacion ejecucion(sesion, plan, observador_,
                                      {fuente_hex, lector_hex, segmentos});
    // A memory erase that finds the link down connects as the wizard does, plan reads
    // included.
    ejecucion.conectar = [this] { Boton_ConectarClick(); };
    ejecucion_ = &ejecucion;
    const Desenlace_actualizacion d = ejecucion.Ejecutar();
    ejecucion_ = nullptr;
    plan = ejecucion.plan;
    segmentos = ejecucion.Imagen().segmentos;
    // The zone owed to this meter was written; or the firmware was programmed without it:
    // the meter runs the new firmware over its old zone block, and the next run on it (in
    // this program) owes it the zone.
    if (std::find(d.escritos.begin(), d.escritos.end(), Elemento::zona) != d.escritos.end())
        zona_pendiente = false;
    if (d.fin == Fin_actualizacion::zona_no_escrita) zona_pendiente = true;
    ocupado = false;
    return d;
}

}  // namespace z82
