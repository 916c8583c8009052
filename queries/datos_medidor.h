// What the program learns about the meter: the language and sound values read at
// connection, the region, plans and options read by the plan rules. The zone blocks are
// built from it.
#pragma once

#include <cstdint>

namespace z82 {

struct Datos_medidor {
    int idioma_medidor = 0;
    bool idioma_ok = false;    // the language index read the same twice
    bool dato_232_ok = false;  // the meter's own sound values were read
    uint8_t dato_232 = 0;
    uint16_t dato_23b = 0;
    int tipo_plan_medidor = 0;
    int plan_medidor = 0;
    int plan_esperado = 0;
    bool version_legible = false;
    bool es_usa = false;
    bool opciones_bit5_libre = false;
};

}  // namespace z82
