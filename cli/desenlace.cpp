#include "cli/desenlace.h"

#include "plans/planes.h"
#include "queries/tconsultas.h"

namespace z82 {
namespace {

std::vector<std::string> Nombres(const std::vector<Elemento>& elementos) {
    std::vector<std::string> r;
    for (Elemento e : elementos) r.emplace_back(Nombre_elemento(e));
    return r;
}

// "a, b and c"
std::string Enumerar(const std::vector<std::string>& nombres) {
    std::string r;
    for (size_t i = 0; i < nombres.size(); ++i) {
        if (i > 0) r += i + 1 == nombres.size() ? " and " : ", ";
        r += nombres[i];
    }
    return r;
}

// What the meter holds after a run that did not end as planned. An item that failed or
// was stopped half-way may be partly written.
std::string Escrito_y_no(const Desenlace& d) {
    std::string r =
        d.escritos.empty() ? " No item was written." : " Written: " + Enumerar(d.escritos) + ".";
    if (!d.no_escritos.empty())
        r += " Not written (or only in part): " + Enumerar(d.no_escritos) + ".";
    return r;
}

// What an up-to-date meter is told: only what is true of it.
std::string Nada_que_hacer(const Actualizador& v) {
    std::string r = "nothing to do: the firmware (" + v.version_medidor + ") is current";
    bool todo = true;
    if (v.planes_distintos) {
        todo = false;
        r += "; its channel plans (type " + std::to_string(v.sesion.medidor.tipo_plan_medidor) +
             ", version " + std::to_string(v.sesion.medidor.plan_medidor) +
             ") differ from the carried (" +
             std::to_string(Version_plan_llevada(v.sesion.medidor.tipo_plan_medidor)) +
             "), but plans are written only with a firmware update";
    }
    if (v.sesion.consultas->respuesta_mpeg4 != TConsultas::Respuesta_modulo::completa) {
        todo = false;
        r += "; the MPEG4 module did not answer, so its application was not checked (a meter "
             "without a module never answers)";
    }
    return r + (todo ? ", and every item is up to date." : ".");
}

}  // namespace

std::string Motivo_no_permitido(const Actualizador& v) {
    switch (v.impedimento) {
        case Impedimento::opciones:
            return "the meter's options do not allow an update";
        case Impedimento::version_ilegible:
            return "the meter's versions cannot be read (or never read the same twice)";
        case Impedimento::modelo_usa:
            return "the meter is a USA model";
        case Impedimento::ninguno:
        case Impedimento::nada_que_hacer:
            break;
    }
    return "";
}

Desenlace Desenlace_de(const Actualizador& v, Resultado_asistente r,
                       const Desenlace_actualizacion& a) {
    Desenlace d;
    d.escritos = Nombres(a.escritos);
    d.no_escritos = Nombres(a.no_escritos);
    if (a.fallido) {
        d.elemento_fallido = Nombre_elemento(*a.fallido);
        d.motivo = a.motivo;
    }
    const std::string nada = " Nothing was written.";
    switch (r) {
        case Resultado_asistente::actualizado:
            d.codigo = 0;
            d.clave = "updated";
            d.texto = "the meter was updated (" + Enumerar(d.escritos) + ").";
            if (a.planes_rechazados)
                d.texto += " It keeps its own channel plans: you declined the new ones.";
            d.texto += " You may unplug it.";
            return d;
        case Resultado_asistente::nada_que_hacer:
            d.codigo = 0;
            d.clave = "nothing_to_do";
            d.texto = Nada_que_hacer(v);
            return d;
        case Resultado_asistente::no_permitido:
            d.codigo = 10;
            d.clave = "not_allowed";
            d.texto = "not updated: " + Motivo_no_permitido(v) + ".";
            return d;
        case Resultado_asistente::detenido_nivel:
            d.codigo = 11;
            d.clave = "stopped_by_level";
            d.texto =
                "stopped by the level check: charge the meter's battery, then run it again." + nada;
            return d;
        case Resultado_asistente::detenido_dispositivo:
            d.codigo = 11;
            d.clave = "stopped_by_device";
            d.texto =
                "stopped by the device status check: switch the meter off and on, then run "
                "it again." +
                nada;
            return d;
        case Resultado_asistente::no_encontrado:
            d.codigo = 12;
            d.clave = "no_meter";
            d.texto = std::string("no meter found") +
                      (v.rechazo_en_busqueda ? " (a meter answered but refused the connection: "
                                               "switch it off and on with the cable in)"
                                             : "") +
                      ".";
            d.avisos = v.sesion.avisos_puertos;
            return d;
        case Resultado_asistente::enlace_perdido:
            d.codigo = 12;
            d.clave = "link_lost";
            d.texto =
                "the meter stopped answering during the checks (it left its USB screen or "
                "the cable came out). Check the cable and run it again." +
                nada;
            return d;
        case Resultado_asistente::borrado_rechazado:
            d.codigo = 13;
            d.clave = "erase_refused";
            d.texto = "the memory erase was refused; nothing was written.";
            return d;
        case Resultado_asistente::detenido:
            d.codigo = 1;
            d.clave = "stopped";
            d.texto = d.escritos.empty() && d.no_escritos.empty()
                          ? "stopped at your request, nothing written."
                          : "the update was STOPPED at your request." + Escrito_y_no(d) +
                                " Run it again to finish the update.";
            return d;
        case Resultado_asistente::firmware_sin_zona:
            d.codigo = 14;
            d.clave = "zone_not_written";
            d.texto = "firmware written; zone configuration NOT written (" + d.motivo +
                      "). The meter runs the new firmware over its old zone settings: run "
                      "`z82-update --zone` now to write them.";
            return d;
        case Resultado_asistente::fallo:
            d.codigo = 1;
            d.clave = "failed";
            d.texto = "the update FAILED: " + d.elemento_fallido + ": " + d.motivo + "." +
                      Escrito_y_no(d) + " Run it again: it starts from the beginning.";
            return d;
        case Resultado_asistente::ninguno:
            break;
    }
    d.codigo = 1;
    d.clave = "failed";
    d.texto = "no update was run.";
    return d;
}

std::string Texto_desenlace(const Desenlace& d) {
    std::string r = "Result: " + d.texto + "\n";
    for (const std::string& a : d.avisos) r += "  " + a + "\n";
    return r;
}

}  // namespace z82
