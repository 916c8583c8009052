#include "cli/informe.h"

#include <cstdio>

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

// The items an update would write, in the order it writes them.
std::vector<std::string> Elementos(const Tventana_cargador& v) {
    std::vector<std::string> r;
    const std::pair<bool, const char*> items[] = {
        {v.Check_borrar, "memory erase"},      {v.Check_mpeg4_apl, "MPEG4 module application"},
        {v.Check_fpga, "FPGA configurations"}, {v.Check_firmware, "main firmware"},
        {v.Check_planes, "channel plans"},     {v.Check_configuracion, "zone configuration"},
    };
    for (const auto& [marcado, nombre] : items) {
        if (marcado) r.emplace_back(nombre);
    }
    return r;
}

// A JSON string with its quotes; the texts are UTF-8 or plain ASCII.
std::string Cadena(const std::string& s) {
    std::string r = "\"";
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            r += '\\';
            r += c;
        } else if (u < 0x20) {
            char e[8];
            std::snprintf(e, sizeof e, "\\u%04x", u);
            r += e;
        } else {
            r += c;
        }
    }
    return r + "\"";
}

std::string Lista(const std::vector<std::string>& elementos) {
    std::string r = "[";
    for (size_t i = 0; i < elementos.size(); ++i) {
        if (i > 0) r += ',';
        r += Cadena(elementos[i]);
    }
    return r + "]";
}

std::string Numero(double x) {
    char t[32];
    std::snprintf(t, sizeof t, "%.3f", x);
    return t;
}

// The meter as --plan reads it.
std::string Json_medidor(const Tventana_cargador& v) {
    const Version_mpeg4& m = v.consultas->version;
    const Datos_medidor& d = v.medidor;
    std::string mpeg4 = "null";
    if (Modulo_responde(m)) {
        mpeg4 = "{\"software\":" + std::to_string(m.version_sw) +
                ",\"build\":" + std::to_string(m.build) +
                ",\"boot\":" + std::to_string(m.version_boot) +
                ",\"decoders\":" + std::to_string(m.version_decoders) + "}";
    }
    return "{\"port\":" + std::to_string(v.numero_puerto) +
           ",\"firmware\":" + Cadena(v.version_medidor) +
           ",\"usa\":" + (d.es_usa ? "true" : "false") +
           ",\"plan_type\":" + std::to_string(d.tipo_plan_medidor) +
           ",\"plan_version\":" + std::to_string(d.plan_medidor) +
           ",\"fpga\":" + Cadena(v.version_fpga_medidor) + ",\"mpeg4\":" + mpeg4 +
           ",\"language\":" + std::to_string(d.idioma_medidor) + "}";
}

std::string Json_llevado(const Tventana_cargador& v) {
    std::string planes = "[";
    for (int tipo = 0; tipo <= 4; ++tipo) {
        if (tipo > 0) planes += ',';
        planes += std::to_string(Version_plan_llevada(tipo));
    }
    return "{\"firmware\":" + Cadena(v.version_hex) +
           ",\"fpga\":" + Cadena(Version_fpga_llevada()) + ",\"plans\":" + planes + "]}";
}

}  // namespace

void Imprimir_plan(const Tventana_cargador& v) {
    const Version_mpeg4& m = v.consultas->version;
    std::printf("Meter on port %d\n", v.numero_puerto);
    std::printf("  firmware      %s%s (program carries %s)\n", v.version_medidor.c_str(),
                v.medidor.es_usa ? " USA" : "", v.version_hex.c_str());
    std::printf("  channel plans type %s version %d (program carries %d)\n",
                Nombre_tipo(v.medidor.tipo_plan_medidor), v.medidor.plan_medidor,
                Version_plan_llevada(v.medidor.tipo_plan_medidor));
    std::printf("  FPGA          %s (program carries %s)\n", v.version_fpga_medidor.c_str(),
                Version_fpga_llevada().c_str());
    if (!Modulo_responde(m)) {
        std::printf("  MPEG4 module  not answering\n");
    } else {
        std::printf("  MPEG4 module  software 0x%04X build %u boot %u decoders %u\n", m.version_sw,
                    m.build, m.version_boot, m.version_decoders);
    }
    std::printf("  language index %d\n", v.medidor.idioma_medidor);
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

std::string Json_plan(const Tventana_cargador& v, bool permitido) {
    return "{\"program\":\"z82-update\",\"meter\":" + Json_medidor(v) +
           ",\"carried\":" + Json_llevado(v) + ",\"items\":" + Lista(Elementos(v)) +
           ",\"update_allowed\":" + (permitido ? "true" : "false") +
           ",\"reason\":" + Cadena(Motivo_no_permitido(v)) + "}";
}

std::string Json_desenlace(const Tventana_cargador& v, const Desenlace& d,
                           const std::vector<Tramo_hecho>& tramos, double segundos_en_total) {
    std::string flujos = "[";
    for (size_t i = 0; i < tramos.size(); ++i) {
        const Tramo_hecho& t = tramos[i];
        flujos += std::string(i ? "," : "") + "{\"name\":" + Cadena(t.nombre) +
                  ",\"unit\":" + Cadena(t.unidad) + ",\"done\":" + std::to_string(t.hecho) +
                  ",\"total\":" + (t.total_debido ? std::to_string(t.total) : "null") +
                  ",\"seconds\":" + Numero(t.segundos) + "}";
    }
    return "{\"program\":\"z82-update\",\"result\":" + Cadena(d.clave) +
           ",\"exit_code\":" + std::to_string(d.codigo) + ",\"message\":" + Cadena(d.texto) +
           ",\"warnings\":" + Lista(d.avisos) + ",\"failed_item\":" +
           (d.elemento_fallido.empty() ? "null" : Cadena(d.elemento_fallido)) +
           ",\"reason\":" + (d.motivo.empty() ? "null" : Cadena(d.motivo)) +
           ",\"written\":" + Lista(d.escritos) + ",\"not_written\":" + Lista(d.no_escritos) +
           ",\"firmware_before\":" + Cadena(v.version_medidor) + ",\"streams\":" + flujos + "]" +
           ",\"seconds\":" + Numero(segundos_en_total) + "}";
}

}  // namespace z82
