#include "cli/informe.h"

#include <cstdio>

#include "cli/json.h"
#include "fpga/area_fpga.h"
#include "plans/planes.h"
#include "queries/tconsultas.h"

namespace z82 {

namespace {

const char* Nombre_tipo(int tipo) {
    static const char* const kRegiones[] = {"0", "1", "2", "3", "4"};
    return tipo >= 0 && tipo <= 4 ? kRegiones[tipo] : "?";
}

bool Modulo_responde(const Version_mpeg4& m) {
    return m.version_boot != 0xFF && m.version_decoders != 0xFF;
}

}  // namespace

std::vector<std::string> Elementos(const Actualizador& v) {
    std::vector<std::string> r;
    const std::pair<bool, const char*> items[] = {
        {v.plan.Check_borrar, "memory erase"},
        {v.plan.Check_mpeg4_apl, "MPEG4 module application"},
        {v.plan.Check_fpga, "FPGA configurations"},
        {v.plan.Check_firmware, "main firmware"},
        {v.plan.Check_planes, "channel plans"},
        {v.plan.Check_configuracion, "zone configuration"},
    };
    for (const auto& [marcado, nombre] : items) {
        if (marcado) r.emplace_back(nombre);
    }
    return r;
}

namespace {

// The meter as --plan reads it.
void Json_medidor(Escritor_json& j, const Actualizador& v) {
    const Version_mpeg4& m = v.sesion.consultas->version;
    const Datos_medidor& d = v.sesion.medidor;
    j.abrir_objeto();
    j.clave("port").entero(v.numero_puerto);
    j.clave("firmware").cadena(v.version_medidor);
    j.clave("usa").logico(d.es_usa);
    j.clave("plan_type").entero(d.tipo_plan_medidor);
    j.clave("plan_version").entero(d.plan_medidor);
    j.clave("fpga").cadena(v.version_fpga_medidor);
    j.clave("mpeg4");
    if (Modulo_responde(m)) {
        j.abrir_objeto();
        j.clave("software").entero(m.version_sw);
        j.clave("build").entero(m.build);
        j.clave("boot").entero(m.version_boot);
        j.clave("decoders").entero(m.version_decoders);
        j.cerrar_objeto();
    } else {
        j.nulo();
    }
    j.clave("language");
    if (d.idioma_ok) {
        j.entero(d.idioma_medidor);
    } else {
        j.nulo();  // no two replies agreed
    }
    j.cerrar_objeto();
}

void Json_llevado(Escritor_json& j, const Actualizador& v) {
    j.abrir_objeto();
    j.clave("firmware").cadena(v.version_hex);
    j.clave("fpga").cadena(Version_fpga_llevada());
    j.clave("plans").abrir_lista();
    for (int tipo = 0; tipo <= 4; ++tipo) j.entero(Version_plan_llevada(tipo));
    j.cerrar_lista();
    j.cerrar_objeto();
}

void Json_lista(Escritor_json& j, const std::vector<std::string>& elementos) {
    j.abrir_lista();
    for (const std::string& e : elementos) j.cadena(e);
    j.cerrar_lista();
}

}  // namespace

void Imprimir_plan(const Actualizador& v) {
    const Version_mpeg4& m = v.sesion.consultas->version;
    std::printf("Meter on port %d\n", v.numero_puerto);
    std::printf("  firmware      %s%s (program carries %s)\n", v.version_medidor.c_str(),
                v.sesion.medidor.es_usa ? " USA" : "", v.version_hex.c_str());
    std::printf("  channel plans type %s version %d (program carries %d)\n",
                Nombre_tipo(v.sesion.medidor.tipo_plan_medidor), v.sesion.medidor.plan_medidor,
                Version_plan_llevada(v.sesion.medidor.tipo_plan_medidor));
    std::printf("  FPGA          %s (program carries %s)\n", v.version_fpga_medidor.c_str(),
                Version_fpga_llevada().c_str());
    if (!Modulo_responde(m)) {
        std::printf("  MPEG4 module  not answering\n");
    } else {
        std::printf("  MPEG4 module  software 0x%04X build %u boot %u decoders %u\n", m.version_sw,
                    m.build, m.version_boot, m.version_decoders);
    }
    if (v.sesion.medidor.idioma_ok) {
        std::printf("  language index %d\n", v.sesion.medidor.idioma_medidor);
    } else {
        std::printf("  language index unreadable (no two replies agreed)\n");
    }
    std::printf("Items an update would write:\n");
    const std::vector<std::string> elementos = Elementos(v);
    for (const std::string& e : elementos) {
        std::printf("  - %s%s\n", e.c_str(),
                    e == "channel plans" ? " (with the firmware; the plan question decides)" : "");
    }
    if (elementos.empty()) std::printf("  (none: the meter is up to date)\n");
}

void Imprimir_resumen(const std::vector<Tramo_hecho>& tramos, double segundos_en_total) {
    if (tramos.empty()) return;
    std::printf("Summary:\n");
    for (const Tramo_hecho& t : tramos) {
        // A stream that never moved (a phase the meter went straight through) says nothing.
        if (t.hecho == 0 && t.segundos < 1.0) continue;
        // A stream whose length the meter decides shows what it did, without a total that
        // was never due.
        const std::string de = t.total_debido ? "of " + Cifra(t.total) : "";
        std::printf("  %-26s %11s %-14s %-8s %8.1f s\n", t.nombre.c_str(), Cifra(t.hecho).c_str(),
                    de.c_str(), t.unidad.c_str(), t.segundos);
    }
    std::printf("  %-26s %43.1f s\n", "in all", segundos_en_total);
}

std::string Json_plan(const Actualizador& v, bool permitido) {
    Escritor_json j;
    j.abrir_objeto();
    j.clave("program").cadena("z82-update");
    j.clave("meter");
    Json_medidor(j, v);
    j.clave("carried");
    Json_llevado(j, v);
    j.clave("items");
    Json_lista(j, Elementos(v));
    j.clave("update_allowed").logico(permitido);
    j.clave("reason").cadena(Motivo_no_permitido(v));
    j.cerrar_objeto();
    return j.texto();
}

void Json_campos_desenlace(Escritor_json& j, const Desenlace& d, const std::string& firmware_antes,
                           const std::vector<Tramo_hecho>& tramos, double segundos_en_total) {
    j.clave("result").cadena(d.clave);
    j.clave("exit_code").entero(d.codigo);
    j.clave("message").cadena(d.texto);
    j.clave("warnings");
    Json_lista(j, d.avisos);
    // The item that failed and what the meter did, or null; the items the meter now holds
    // from this run, and those of the plan it does not hold (or holds in part).
    j.clave("failed_item");
    if (d.elemento_fallido.empty()) {
        j.nulo();
    } else {
        j.cadena(d.elemento_fallido);
    }
    j.clave("reason");
    if (d.motivo.empty()) {
        j.nulo();
    } else {
        j.cadena(d.motivo);
    }
    j.clave("written");
    Json_lista(j, d.escritos);
    j.clave("not_written");
    Json_lista(j, d.no_escritos);
    j.clave("firmware_before").cadena(firmware_antes);
    j.clave("streams").abrir_lista();
    for (const Tramo_hecho& t : tramos) {
        j.abrir_objeto();
        j.clave("name").cadena(t.nombre);
        j.clave("unit").cadena(t.unidad);
        j.clave("done").entero(t.hecho);
        // A total the meter decides was never due.
        j.clave("total");
        if (t.total_debido) {
            j.entero(t.total);
        } else {
            j.nulo();
        }
        j.clave("seconds").decimal(t.segundos, 3);
        j.cerrar_objeto();
    }
    j.cerrar_lista();
    j.clave("seconds").decimal(segundos_en_total, 3);
}

std::string Json_desenlace(const Actualizador& v, const Desenlace& d,
                           const std::vector<Tramo_hecho>& tramos, double segundos_en_total) {
    Escritor_json j;
    j.abrir_objeto();
    j.clave("program").cadena("z82-update");
    Json_campos_desenlace(j, d, v.version_medidor, tramos, segundos_en_total);
    j.cerrar_objeto();
    return j.texto();
}

}  // namespace z82
