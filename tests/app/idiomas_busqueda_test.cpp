// Where the faces find the language file, and the carried texts that fill its gaps.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/idiomas.h"
#include "cli/archivo_idiomas.h"
#include "data/imagenes.h"

namespace z82 {
namespace {

namespace fs = std::filesystem;

// The texts the window reads from what it is given: the language, then each key.
std::string Texto(const std::string& dado, const std::string& clave) {
    const Archivo_ini ini(dado);
    return ini.Leer(ini.Leer("COMUN", "IDIOMA", "EN"), clave, "");
}

TEST(Buscar_idiomas, FirstFileOfTheOrderIsReadAndItsGapsComeFromTheCarriedTexts) {
    const fs::path raiz =
        fs::temp_directory_path() / ("z82_idiomas_" + std::to_string(std::random_device{}()));
    fs::remove_all(raiz);
    const std::vector<fs::path> lugares = {raiz / "trabajo", raiz / "programa", raiz / "datos"};
    const std::vector<std::string> rutas = {(lugares[0] / "idiomas.ini").string(),
                                            (lugares[1] / "idiomas.ini").string(),
                                            (lugares[2] / "idiomas.ini").string()};
    // German with one text of its own (spaces kept by the quotes) and one left empty.
    const std::string aleman = "[COMUN]\nIDIOMA=de\n[DE]\nPASO4_L3 = \"  Stufe\"\nAVISOSI=\n";
    // A language the program does not carry: the rest in English.
    const std::string italiano = "[COMUN]\r\nIDIOMA=IT\r\n[IT]\r\nAVISOSI=S\xEC\r\n";
    // No language named: English.
    const std::string ingles = "[EN]\nPASO4_L3=Item\n";
    const std::string carpeta = "dir";  // a folder where the file should be: not a file

    struct Caso {
        const char* nombre;
        std::vector<std::string> contenidos;  // per place; "" nothing, "dir" a folder
        int hallada;                          // index of rutas; -1 the carried copy
        std::map<std::string, std::string> textos;
    };
    const std::vector<Caso> casos = {
        {"working folder first",
         {aleman, italiano, ingles},
         0,
         {{"PASO4_L3", "  Stufe"},
          {"AVISOSI", "Ja"},
          {"PASO1_L3",
           "Zum Starten die Taste dr\xC3\xBC"
           "cken"}}},
        {"then beside the program",
         {"", italiano, ingles},
         1,
         {{"AVISOSI", "S\xC3\xAC"}, {"PASO4_L3", "Step"}}},
        {"then the data folder", {"", "", ingles}, 2, {{"PASO4_L3", "Item"}, {"AVISONO", "No"}}},
        {"a folder is passed over", {carpeta, "", ingles}, 2, {{"PASO4_L3", "Item"}}},
        {"none: the carried copy",
         {"", "", ""},
         -1,
         {{"AVISOSI", "S\xC3\xAD"}, {"PASO1_L3", "Pulse el bot\xC3\xB3n para empezar"}}},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        fs::remove_all(raiz);
        for (size_t i = 0; i < lugares.size(); ++i) {
            fs::create_directories(lugares[i]);
            if (c.contenidos[i] == carpeta) {
                fs::create_directories(rutas[i]);
            } else if (!c.contenidos[i].empty()) {
                std::ofstream(rutas[i], std::ios::binary) << c.contenidos[i];
            }
        }
        const Idiomas_hallados h = Buscar_idiomas(rutas);
        EXPECT_EQ(h.ruta, c.hallada < 0 ? "" : rutas[static_cast<size_t>(c.hallada)]);
        for (const auto& [clave, valor] : c.textos)
            EXPECT_EQ(Texto(h.texto, clave), valor) << clave;
        // Whatever the file lacks, every text the program carries is there.
        for (const auto& [clave, valor] : Archivo_ini(datos::idiomas_ini_muestra()).Valores("EN")) {
            EXPECT_FALSE(Texto(h.texto, clave).empty()) << clave;
        }
    }
    fs::remove_all(raiz);
}

}  // namespace
}  // namespace z82
