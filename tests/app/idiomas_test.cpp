#include "app/idiomas.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "app/ventana_cargador.h"

namespace z82 {
namespace {

TEST(Archivo_ini, NamesMatchWithoutCaseAndValuesAreTrimmed) {
    const Archivo_ini ini(
        "; comment\r\n"
        "[Comun]\r\n"
        "  idioma =  DE  \r\n"
        "[de]\n"
        "MENU1=Datei\n"
        "paso2_l1 = \"  Schritt zwei  \"\n"
        "SinIgual\n"
        "[DE]\n"
        "MENU1=Zweite Sektion\n"
        "MENU2=Nur in der zweiten\n");
    EXPECT_EQ(ini.Leer("COMUN", "IDIOMA", "EN"), "DE");
    EXPECT_EQ(ini.Leer("DE", "menu1", "x"), "Datei");
    // Quotes keep inner spaces.
    EXPECT_EQ(ini.Leer("DE", "PASO2_L1", ""), "  Schritt zwei  ");
    // Only the first section of a name is read.
    EXPECT_EQ(ini.Leer("DE", "MENU2", "Configurar"), "Configurar");
    EXPECT_EQ(ini.Leer("FR", "MENU1", "Archivo"), "Archivo");
    EXPECT_EQ(ini.Leer("DE", "SinIgual", "d"), "d");
}

TEST(Archivo_ini, Latin1TextsBecomeUtf8AndUtf8StaysAsItIs) {
    const Archivo_ini latin1("[ES]\nA=Actualizaci\xF3n\nB=\x80uro\n");
    EXPECT_EQ(latin1.Leer("ES", "A", ""), "Actualizaci\xC3\xB3n");
    EXPECT_EQ(latin1.Leer("ES", "B", ""),
              "\xE2\x82\xAC"
              "uro");
    const Archivo_ini utf8("\xEF\xBB\xBF[FR]\nA=Mise \xC3\xA0 jour\n");
    EXPECT_EQ(utf8.Leer("FR", "A", ""), "Mise \xC3\xA0 jour");
}

TEST(Archivo_ini, BinaryHugeOrBrokenFilesNeverCrashAndYieldReadableParts) {
    std::mt19937 azar(7);
    std::string basura(300000, '\0');
    for (char& c : basura) c = static_cast<char>(azar());
    const Archivo_ini binario(basura);
    EXPECT_EQ(binario.Leer("EN", "MENU1", "Archivo"), "Archivo");

    // A readable part after garbage, a line with a NUL, an unterminated section name.
    using namespace std::string_literals;
    const std::string mezcla = basura.substr(0, 1000) + "\n[EN]\nMENU1=File\0junk\n[FR\nX=1\n"s;
    const Archivo_ini parte(mezcla);
    EXPECT_EQ(parte.Leer("EN", "MENU1", "Archivo"), "File");
    EXPECT_EQ(parte.Leer("FR", "X", ""), "1");

    // Larger than the reader takes: the first part is still read.
    std::string enorme = "[EN]\nMENU1=File\n" + std::string(Archivo_ini::MAXIMO_ARCHIVO, 'x');
    EXPECT_EQ(Archivo_ini(enorme).Leer("EN", "MENU1", ""), "File");

    // A value longer than the reader's buffer is cut, not overrun.
    const Archivo_ini largo("[EN]\nA=" + std::string(10000, 'v') + "\n");
    EXPECT_EQ(largo.Leer("EN", "A", "").size(), Archivo_ini::MAXIMO_VALOR);
}

TEST(Etiqueta_version, BuildZeroIsNotShown) {
    EXPECT_EQ(Texto_etiqueta_version("1.88.00000"), "Version 1.88");
    EXPECT_EQ(Texto_etiqueta_version("1.88.00004"), "Version 1.88.00004");
    EXPECT_EQ(Texto_etiqueta_version(""), "Version ");
}

}  // namespace
}  // namespace z82
