// What an update must write, decided from what the connection read from the meter and what
// this program carries. The decision reads nothing: the meter's answers come in as values,
// so the rules are the same whichever link, meter or face asked.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "queries/tconsultas.h"

namespace z82 {

// The items of a run, as the hidden check boxes of the window hold them. The keyboard item
// is never ticked (the program carries no keyboard code), so it has no box here.
struct Plan {
    bool Check_firmware = false;
    bool Check_fpga = false;
    bool Check_planes = false;
    bool Check_borrar = false;
    bool Check_configuracion = false;
    bool Check_mpeg4_apl = false;

    bool alguno() const {
        return Check_firmware || Check_fpga || Check_planes || Check_borrar ||
               Check_configuracion || Check_mpeg4_apl;
    }
    int cuantos() const {
        return int(Check_fpga) + int(Check_firmware) + int(Check_borrar) +
               int(Check_configuracion) + int(Check_mpeg4_apl);
    }
    bool operator==(const Plan&) const = default;
};

// What the plan's reads brought back, in the meter's terms.
struct Lectura_plan {
    // The status block said the meter runs its firmware, twice alike: only then are the
    // region and the version asked.
    bool firmware_en_marcha = false;
    // The region, the version number and the build each read the same twice.
    bool version_conforme = false;
    bool es_usa = false;
    std::string version;  // "1.88.00000" as read (empty when not asked)
    // The FPGA directory's version ("3.0"); not asked in the boot loader's mode.
    std::optional<std::string> version_fpga;
    // The plan header's region type, read twice (types above 4 count as 0), and the plans'
    // version of the second read; false when a read did not agree.
    int tipo_plan_primero = 0;
    int tipo_plan = 0;
    int plan_medidor = 0;
    bool cabecera_conforme = false;
    // The module's versions as last asked; none when it could not be asked (no link).
    std::optional<Version_mpeg4> mpeg4;
};

// What this program carries that the rules compare with.
struct Carga_llevada {
    std::string version_firmware;         // "1.88.00004"
    std::string version_fpga;             // "3.0"
    std::array<int, 5> version_planes{};  // by region type 0..4
};
// The carried firmware's version given, the rest as this program carries it.
Carga_llevada Carga_de_este_programa(const std::string& version_firmware);

// The decision and the facts it settled.
struct Decision_plan {
    Plan plan;
    bool version_legible = false;
    int plan_esperado = 0;
    // The meter's plans differ from the carried ones (they travel only with the firmware).
    bool planes_distintos = false;
};

// zona_pendiente: the zone configuration is owed to a meter that runs the carried firmware
// (a run programmed it and could not write the zone, or the user asked for it).
Decision_plan Decidir_plan(const Lectura_plan& lectura, const Carga_llevada& carga,
                           bool zona_pendiente);

// The rule of the firmware's version alone: true when the meter's must be replaced.
bool Firmware_nuevo(const std::string& version_medidor, const std::string& version_llevada);

// What keeps a meter from being updated, in the order the check before a run looks: the
// options (bit 5 free), a version that could not be read, the USA model, nothing to write.
enum class Impedimento { ninguno, opciones, version_ilegible, modelo_usa, nada_que_hacer };
Impedimento Impedimento_actualizacion(const Plan& plan, bool opciones_bit5_libre,
                                      bool version_legible, bool es_usa);

}  // namespace z82
