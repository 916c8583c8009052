#include "cli/desenlace.h"

namespace z82 {

std::string Motivo_no_permitido(const Tventana_cargador& v) {
    if (v.medidor.opciones_bit5_libre) return "the meter's options do not allow an update";
    if (!v.medidor.version_legible)
        return "the meter's versions cannot be read (or never read the same twice)";
    if (v.medidor.es_usa) return "the meter is a USA model";
    return "";
}

Desenlace Desenlace_de(const Tventana_cargador& v) {
    const std::string otra_vez = "Run it again: it starts from the beginning.";
    switch (v.resultado) {
        case Resultado_asistente::actualizado:
            return {0, "updated", "the meter was updated.", {}};
        case Resultado_asistente::nada_que_hacer:
            return {0,
                    "nothing_to_do",
                    "nothing to do, every item is up to date (firmware " + v.version_medidor + ").",
                    {}};
        case Resultado_asistente::no_permitido:
            return {10, "not_allowed", "not updated: " + Motivo_no_permitido(v) + ".", {}};
        case Resultado_asistente::detenido_nivel:
            return {11, "stopped_by_level", "stopped by the level check.", {}};
        case Resultado_asistente::detenido_dispositivo:
            return {11, "stopped_by_device", "stopped by the device status check.", {}};
        case Resultado_asistente::no_encontrado:
            return {12, "no_meter",
                    std::string("no meter found") +
                        (v.respuesta_6d ? " (a meter answered but refused the connection)" : "") +
                        ".",
                    v.avisos_puertos};
        case Resultado_asistente::borrado_rechazado:
            return {13, "erase_refused", "the memory erase was refused; nothing was written.", {}};
        case Resultado_asistente::fallo:
            if (v.fin_actualizacion == Fin_actualizacion::detenida) {
                return {1, "stopped", "the update was STOPPED at your request. " + otra_vez, {}};
            }
            break;
        case Resultado_asistente::ninguno:
            break;
    }
    return {1, "failed", "the update FAILED. " + otra_vez, {}};
}

std::string Texto_desenlace(const Desenlace& d) {
    std::string r = "Result: " + d.texto + "\n";
    for (const std::string& a : d.avisos) r += "  " + a + "\n";
    return r;
}

}  // namespace z82
