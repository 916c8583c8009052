#include "app/textos_asistente.h"

#include "app/idiomas.h"

namespace z82 {
namespace {

// Keys of the wizard and warning texts, in the order they are read.
constexpr const char* kClavesTexto[] = {
    "PASO1_L1",  "PASO1_L3",  "PASO2_L1",  "PASO2_L2",   "PASO2_L3",   "PASO3_L1",   "PASO3_L2",
    "PASO3_L3",  "PASO4_L1",  "PASO4_L2",  "PASO4_L3",   "PASO5_L1",   "PASO5_L2",   "P6_E1_L1",
    "P6_E1_L2",  "P6_E1_L3",  "P6_E2_L1",  "P6_E2_L2",   "P6_E2_L3",   "P6_E3_L1",   "P6_E3_L2",
    "P6_E3_L3",  "P6_E4_L1",  "P6_E4_L2",  "P6_E4_L3",   "P6_E5_L1",   "P6_E5_L2",   "P6_E5_L3",
    "P6_E7_L1",  "P6_E7_L2",  "P6_E7_L3",  "PASO7_L1",   "PASO7_L2",   "PASO7_L3",   "AVISO_HEAD",
    "AVISOMEM1", "AVISOMEM2", "AVISOMEM3", "AVISOPLAN1", "AVISOPLAN2", "AVISOPLAN3", "AVISOSI",
    "AVISONO",   "AVISOACT",  "P6_CAUSA",  "P6_ZONA",    "P6_PARADA",
};

const std::string kVacio;

}  // namespace

Textos_asistente::Textos_asistente(std::string_view idiomas) {
    const Archivo_ini ini(idiomas);
    const std::string idioma = ini.Leer("COMUN", "IDIOMA", "EN");
    menus_.archivo = ini.Leer(idioma, "MENU1", "Archivo");
    menus_.actualizar = ini.Leer(idioma, "MENU1_L1", "Actualizar");
    menus_.salir = ini.Leer(idioma, "MENU1_L2", "Salir");
    menus_.configurar = ini.Leer(idioma, "MENU2", "Configurar");
    menus_.automatico = ini.Leer(idioma, "MENU2_L1", "Auto");
    menus_.manual = ini.Leer(idioma, "MENU2_L2", "Manual");
    for (const char* clave : kClavesTexto) textos_[clave] = ini.Leer(idioma, clave, "");
}

const std::string& Textos_asistente::Texto(const std::string& clave) const {
    auto it = textos_.find(clave);
    return it == textos_.end() ? kVacio : it->second;
}

Pregunta_atencion Textos_asistente::Pregunta_de(Pregunta pregunta) const {
    if (pregunta == Pregunta::planes_nuevos) {
        return {Texto("AVISO_HEAD"), Texto("AVISOPLAN1"), Texto("AVISOPLAN2"),
                Texto("AVISOPLAN3"), Texto("AVISOSI"),    Texto("AVISONO")};
    }
    return {Texto("AVISO_HEAD"),
            Texto("AVISOMEM1"),
            Texto("AVISOMEM2"),
            Texto("AVISOMEM3"),
            "OK",
            "CANCEL"};
}

std::string Textos_asistente::Contador(int n, int total) const {
    return Texto("PASO4_L3") + ": " + std::to_string(n) + "/" + std::to_string(total);
}

}  // namespace z82
