#include "app/decidir_plan.h"

#include "fpga/area_fpga.h"
#include "plans/planes.h"

namespace z82 {
namespace {

// Character i (from 0) of a text, 0 past its end.
signed char Caracter(const std::string& s, size_t i) {
    return i < s.size() ? static_cast<signed char>(s[i]) : 0;
}

// First difference of the first n characters: true when the meter's is the smaller.
bool Medidor_menor(const std::string& medidor, const std::string& imagen, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const signed char a = Caracter(medidor, i), b = Caracter(imagen, i);
        if (a != b) return a < b;
    }
    return false;
}

bool Build_cero(const std::string& version) {
    for (size_t i = 5; i < 10; ++i) {
        if (Caracter(version, i) != '0') return false;
    }
    return true;
}

bool Mpeg4_necesario(const std::optional<Version_mpeg4>& v) {
    // Not asked, still starting (version 0) or silent: the module is left alone.
    if (!v || v->version_sw == 0) return false;
    if (v->version_boot == Version_mpeg4::SIN_RESPUESTA_8 ||
        v->version_decoders == Version_mpeg4::SIN_RESPUESTA_8)
        return false;
    if (v->version_sw < 0x6F) return true;
    return v->build != 0;
}

}  // namespace

Carga_llevada Carga_de_este_programa(const std::string& version_firmware) {
    Carga_llevada c;
    c.version_firmware = version_firmware;
    c.version_fpga = Version_fpga_llevada();
    for (int tipo = 0; tipo < 5; ++tipo)
        c.version_planes[static_cast<size_t>(tipo)] = Version_plan_llevada(tipo);
    return c;
}

bool Firmware_nuevo(const std::string& medidor, const std::string& llevada) {
    // A meter that runs any build other than 00000 always takes the carried firmware.
    if (!Build_cero(medidor)) return true;
    if (Build_cero(llevada)) return Medidor_menor(medidor, llevada, 4);
    return Medidor_menor(medidor, llevada, 10);
}

Decision_plan Decidir_plan(const Lectura_plan& l, const Carga_llevada& carga, bool zona_pendiente) {
    Decision_plan d;
    Plan& p = d.plan;
    d.version_legible = l.firmware_en_marcha && l.version_conforme && l.cabecera_conforme;
    // A version that did not read the same twice decides nothing.
    p.Check_firmware = l.firmware_en_marcha && l.version_conforme &&
                       Firmware_nuevo(l.version, carga.version_firmware);
    p.Check_fpga = l.version_fpga && *l.version_fpga != carga.version_fpga;
    d.plan_esperado = carga.version_planes[static_cast<size_t>(l.tipo_plan)];
    p.Check_planes = l.tipo_plan != l.tipo_plan_primero || l.plan_medidor != d.plan_esperado;
    d.planes_distintos = p.Check_planes;
    p.Check_mpeg4_apl = Mpeg4_necesario(l.mpeg4);

    if (p.Check_firmware) {
        // The FPGA configurations and the zone always go with the main firmware.
        p.Check_fpga = true;
        p.Check_configuracion = true;
    } else {
        // Plans and the erase only travel with the main firmware.
        p.Check_planes = false;
        p.Check_borrar = false;
        // A meter that runs the carried firmware without its zone: the version rules cannot
        // see it, so the zone owed to it goes alone.
        if (zona_pendiente && d.version_legible && l.version == carga.version_firmware)
            p.Check_configuracion = true;
    }
    return d;
}

Impedimento Impedimento_actualizacion(const Plan& plan, bool opciones_bit5_libre,
                                      bool version_legible, bool es_usa) {
    if (opciones_bit5_libre) return Impedimento::opciones;
    if (!version_legible) return Impedimento::version_ilegible;
    if (es_usa) return Impedimento::modelo_usa;
    return plan.alguno() ? Impedimento::ninguno : Impedimento::nada_que_hacer;
}

}  // namespace z82
