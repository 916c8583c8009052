// The other carried images: sizes the meter's protocols fix, the banner pictures, the
// sample language file, and the generator that makes them.
#include "data/imagenes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace z82 {
namespace {

namespace fs = std::filesystem;

TEST(Imagenes, SizesAreTheOnesTheMeterExpects) {
    EXPECT_EQ(datos::bloque_cargador(0).size(), 32u);
    EXPECT_EQ(datos::bloque_cargador(1).size(), 144u);
    EXPECT_EQ(datos::bloque_cargador(2).size(), 972u);
    EXPECT_TRUE(datos::bloque_cargador(3).empty());
    EXPECT_EQ(datos::configuracion_fpga(0).size(), 92'293u);
    EXPECT_EQ(datos::configuracion_fpga(1).size(), 93'007u);
    EXPECT_EQ(datos::configuracion_fpga(2).size(), 90'148u);
    EXPECT_TRUE(datos::configuracion_fpga(3).empty());
    EXPECT_EQ(datos::imagen_mpeg4().size(), 1'181'672u);
    EXPECT_EQ(datos::programa_transferencia().size(), 20'870u);
    const size_t planes[5] = {73'596, 22'692, 30'648, 39'878, 15'022};
    for (int t = 0; t < 5; ++t) EXPECT_EQ(datos::imagen_planes(t).size(), planes[t]) << t;
    EXPECT_TRUE(datos::imagen_planes(5).empty());
    EXPECT_TRUE(datos::imagen_planes(-1).empty());
    for (int n = 1; n <= 4; ++n) EXPECT_EQ(datos::grafico(n).size(), 22'500u) << n;
    EXPECT_TRUE(datos::grafico(0).empty());
    EXPECT_TRUE(datos::grafico(5).empty());
}

TEST(Imagenes, ImagesAreDistinctAndNotBlank) {
    // Each image is its own data: no two share their bytes, none is a constant fill.
    std::vector<std::span<const uint8_t>> todas = {
        datos::bloque_cargador(0),    datos::bloque_cargador(1),      datos::bloque_cargador(2),
        datos::configuracion_fpga(0), datos::configuracion_fpga(1),   datos::configuracion_fpga(2),
        datos::imagen_mpeg4(),        datos::programa_transferencia()};
    for (const auto& a : todas) {
        const std::set<uint8_t> valores(a.begin(), a.end());
        EXPECT_GT(valores.size(), 16u);
    }
    for (size_t i = 0; i < todas.size(); ++i) {
        for (size_t j = i + 1; j < todas.size(); ++j) {
            const size_t n = std::min(todas[i].size(), todas[j].size());
            EXPECT_FALSE(std::equal(todas[i].begin(), todas[i].begin() + static_cast<long>(n),
                                    todas[j].begin()))
                << i << " " << j;
        }
    }
}

// Pixel (x, y) of a banner picture, stored low byte first.
uint16_t Pixel(std::span<const uint8_t> g, int x, int y) {
    const size_t i = static_cast<size_t>(y * 150 + x) * 2;
    return static_cast<uint16_t>(g[i] | g[i + 1] << 8);
}

// Rows [y0, y1) of two pictures are the same.
bool Filas_iguales(std::span<const uint8_t> a, std::span<const uint8_t> b, int y0, int y1) {
    const auto desde = static_cast<long>(y0 * 300), hasta = static_cast<long>(y1 * 300);
    return std::equal(a.begin() + desde, a.begin() + hasta, b.begin() + desde);
}

TEST(Imagenes, BannersDrawTheirTwoLines) {
    // Picture pairs share their first line ("Z82 firmware" for 1 and 2, "MPEG firmware"
    // for 3 and 4) and their second line by purpose (loading for 1 and 3, updating for 2
    // and 4). The lines sit in rows 14 to 29 and 44 to 59, descenders included.
    const auto g1 = datos::grafico(1), g2 = datos::grafico(2);
    const auto g3 = datos::grafico(3), g4 = datos::grafico(4);
    EXPECT_TRUE(Filas_iguales(g1, g2, 0, 40));
    EXPECT_FALSE(Filas_iguales(g1, g2, 40, 75));
    EXPECT_TRUE(Filas_iguales(g3, g4, 0, 40));
    EXPECT_FALSE(Filas_iguales(g3, g4, 40, 75));
    EXPECT_FALSE(Filas_iguales(g1, g3, 10, 30));

    for (int n = 1; n <= 4; ++n) {
        const auto g = datos::grafico(n);
        // Text pixels are white in the first line and yellow in the second.
        int blancos = 0, amarillos = 0;
        for (int y = 0; y < 75; ++y) {
            for (int x = 0; x < 150; ++x) {
                const uint16_t p = Pixel(g, x, y);
                if (p == 0xFFFF && y >= 14 && y < 30) ++blancos;
                if (p == 0xFEA0) {
                    ++amarillos;
                    EXPECT_TRUE(y >= 44 && y < 60) << n;
                }
            }
        }
        EXPECT_GT(blancos, 200) << n;
        EXPECT_GT(amarillos, 150) << n;
        // Nothing is drawn in the empty band between the lines.
        for (int x = 2; x < 148; ++x) EXPECT_EQ(Pixel(g, x, 35), Pixel(g, 2, 35));
    }
}

std::map<std::string, std::map<std::string, std::string>> Leer_ini(std::string_view texto) {
    std::map<std::string, std::map<std::string, std::string>> ini;
    std::istringstream in{std::string(texto)};
    std::string linea, seccion;
    while (std::getline(in, linea)) {
        if (!linea.empty() && linea.back() == '\r') linea.pop_back();
        if (linea.empty() || linea[0] == ';') continue;
        if (linea[0] == '[') {
            seccion = linea.substr(1, linea.find(']') - 1);
            ini[seccion];
            continue;
        }
        const size_t igual = linea.find('=');
        EXPECT_NE(igual, std::string::npos) << linea;
        if (igual != std::string::npos)
            ini[seccion][linea.substr(0, igual)] = linea.substr(igual + 1);
    }
    return ini;
}

TEST(Imagenes, SampleLanguageFileGivesEveryKeyInEveryLanguage) {
    std::vector<std::string> claves = {"MENU1",    "MENU1_L1",   "MENU1_L2", "MENU2",    "MENU2_L1",
                                       "MENU2_L2", "PASO1_L1",   "PASO1_L3", "PASO3_L1", "PASO3_L2",
                                       "PASO3_L3", "PASO4_L1",   "PASO4_L2", "PASO4_L3", "PASO5_L1",
                                       "PASO5_L2", "AVISO_HEAD", "AVISOSI",  "AVISONO",  "AVISOACT",
                                       "P6_CAUSA", "P6_ZONA",    "P6_PARADA"};
    for (int i = 1; i <= 3; ++i) {
        for (const char* p : {"PASO2_L", "PASO7_L", "P6_E1_L", "P6_E2_L", "P6_E3_L", "P6_E4_L",
                              "P6_E5_L", "P6_E7_L", "AVISOMEM", "AVISOPLAN"}) {
            claves.push_back(p + std::to_string(i));
        }
    }
    ASSERT_EQ(claves.size(), 53u);
    const auto ini = Leer_ini(datos::idiomas_ini_muestra());
    ASSERT_TRUE(ini.count("COMUN"));
    const std::string idioma = ini.at("COMUN").at("IDIOMA");
    EXPECT_TRUE(ini.count(idioma)) << idioma;
    for (const char* s : {"ES", "EN", "DE", "FR"}) {
        ASSERT_TRUE(ini.count(s)) << s;
        for (const auto& k : claves) {
            const auto it = ini.at(s).find(k);
            ASSERT_NE(it, ini.at(s).end()) << s << " " << k;
            EXPECT_FALSE(it->second.empty()) << s << " " << k;
            // About 60 characters fit a line of the 600-pixel window.
            EXPECT_LE(it->second.size(), 56u) << s << " " << k;
        }
        EXPECT_EQ(ini.at(s).size(), claves.size()) << s;
    }
    EXPECT_EQ(ini.at("ES").at("MENU1"), "Archivo");
}

TEST(Imagenes, LanguageFileIsCopiedNextToThePrograms) {
    std::ifstream f(fs::path(Z82_BUILD_DIR) / "idiomas.ini", std::ios::binary);
    ASSERT_TRUE(f) << "idiomas.ini missing from the build folder";
    std::stringstream s;
    s << f.rdbuf();
    EXPECT_EQ(s.str(), datos::idiomas_ini_muestra());
}

}  // namespace
}  // namespace z82
