#include "cli/version.h"

#include "data/imagenes.h"
#include "fpga/area_fpga.h"
#include "hex/escaneo_hex.h"
#include "plans/planes.h"

#ifndef Z82_VERSION
#error "Z82_VERSION must give the program's version"
#endif

namespace z82 {

std::string Texto_version(std::string_view programa) {
    TFuente_lineas fuente(datos::imagen_hex());
    TLector_hex lector(fuente);
    const Resultado_escaneo escaneo = Escanear_hex(fuente, lector);
    std::string texto = std::string(programa) + " " + Z82_VERSION + "\nImages carried:\n";
    texto += "  firmware       " + (escaneo.ok ? escaneo.version : "damaged") + "\n";
    texto += "  FPGA           " + Version_fpga_llevada() + "\n";
    texto += "  channel plans ";
    for (int tipo = 0; tipo <= 4; ++tipo) {
        texto += (tipo == 0 ? " type " : ", type ") + std::to_string(tipo) + " version " +
                 std::to_string(Version_plan_llevada(tipo));
    }
    return texto + "\n";
}

}  // namespace z82
