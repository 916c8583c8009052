// The image generator run as the build runs it: deterministic output equal to what the
// programs embed, and a stopped build when the sources or real images are wrong.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "data/imagenes.h"

namespace z82 {
namespace {

namespace fs = std::filesystem;

std::string Leer(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void Escribir(const fs::path& p, const std::string& t) {
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f << t;
}

std::string Como_texto(std::span<const uint8_t> b) {
    return {reinterpret_cast<const char*>(b.data()), b.size()};
}

class Generador : public ::testing::Test {
  protected:
    void SetUp() override {
        programa_ = fs::path(Z82_BUILD_DIR) / "data" / "z82_generador";
        if (!fs::exists(programa_)) GTEST_SKIP() << "no generator at " << programa_;
        // Unique per run: other runs of the tests may share the machine.
        dir_ = fs::temp_directory_path() /
               ("z82_generador_test_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
                std::to_string(std::random_device{}()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        if (!dir_.empty()) fs::remove_all(dir_);
    }

    // Runs the generator; returns its exit status and leaves its messages in salida.
    int Ejecutar(const fs::path& fuentes, const fs::path& destino, const fs::path& reales = {}) {
        std::string orden =
            programa_.string() + " --fuentes " + fuentes.string() + " --salida " + destino.string();
        if (!reales.empty()) orden += " --reales " + reales.string();
        orden += " > " + (dir_ / "mensajes.txt").string() + " 2>&1";
        const int r = std::system(orden.c_str());
        salida = Leer(dir_ / "mensajes.txt");
        return r;
    }

    // A copy of the data sources that a test may spoil.
    fs::path Copia_fuentes() {
        const fs::path copia = dir_ / "fuentes";
        fs::create_directories(copia);
        fs::copy(fs::path(Z82_SOURCE_DIR) / "data" / "planes", copia / "planes");
        fs::copy_file(fs::path(Z82_SOURCE_DIR) / "data" / "idiomas.ini", copia / "idiomas.ini");
        return copia;
    }

    fs::path programa_, dir_;
    std::string salida;
};

TEST_F(Generador, WritesExactlyWhatTheProgramsCarry) {
    const fs::path fuera = dir_ / "imagenes";
    ASSERT_EQ(Ejecutar(fs::path(Z82_SOURCE_DIR) / "data", fuera), 0) << salida;
    EXPECT_EQ(Leer(fuera / "firmware.hex"), datos::imagen_hex());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Leer(fuera / ("cargador" + std::to_string(i) + ".bin")),
                  Como_texto(datos::bloque_cargador(i)));
    }
    for (int t = 0; t < 5; ++t) {
        EXPECT_EQ(Leer(fuera / ("planes" + std::to_string(t) + ".bin")),
                  Como_texto(datos::imagen_planes(t)));
    }
    EXPECT_EQ(Leer(fuera / "fpga_tv.bin"), Como_texto(datos::configuracion_fpga(0)));
    EXPECT_EQ(Leer(fuera / "fpga_dft.bin"), Como_texto(datos::configuracion_fpga(1)));
    EXPECT_EQ(Leer(fuera / "fpga_mer.bin"), Como_texto(datos::configuracion_fpga(2)));
    EXPECT_EQ(Leer(fuera / "mpeg4.bin"), Como_texto(datos::imagen_mpeg4()));
    EXPECT_EQ(Leer(fuera / "transferencia.bin"), Como_texto(datos::programa_transferencia()));
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(Leer(fuera / ("grafico" + std::to_string(n) + ".bin")),
                  Como_texto(datos::grafico(n)));
    }
    EXPECT_EQ(Leer(fuera / "idiomas.ini"), datos::idiomas_ini_muestra());
}

TEST_F(Generador, StopsWhenAPlanTableDoesNotMatchItsListing) {
    const fs::path f = Copia_fuentes();
    std::string t = Leer(f / "planes" / "imagenes.txt");
    t.replace(t.find("plan stdl 59"), 12, "plan stdl 58");
    Escribir(f / "planes" / "imagenes.txt", t);
    EXPECT_NE(Ejecutar(f, dir_ / "fuera"), 0);
    EXPECT_NE(salida.find("table stdl has 59 channels, not 58"), std::string::npos) << salida;
}

TEST_F(Generador, StopsWhenAnImageDoesNotComeOutAtItsSize) {
    const fs::path f = Copia_fuentes();
    // One more test channel everywhere: every count still matches its listing, but the
    // images grow. Image 0 absorbs it in its gap before the second sector; image 1 cannot.
    std::string t = Leer(f / "planes" / "terrestres.txt");
    t.replace(t.find("canal B 750000 0 2500"), 21, "canal B 750000 0 2500\ncanal C 800000 0 2500");
    Escribir(f / "planes" / "terrestres.txt", t);
    std::string im = Leer(f / "planes" / "imagenes.txt");
    for (size_t p = 0; (p = im.find("plan tstgen1 2", p)) != std::string::npos; ++p) {
        im.replace(p, 14, "plan tstgen1 3");
    }
    Escribir(f / "planes" / "imagenes.txt", im);
    EXPECT_NE(Ejecutar(f, dir_ / "fuera"), 0);
    EXPECT_NE(salida.find("plan image 1: laid out as 22718 bytes instead of 22692"),
              std::string::npos)
        << salida;
}

TEST_F(Generador, RealImagesAreCheckedBeforeTheyAreCarried) {
    const fs::path buenas = dir_ / "buenas";
    ASSERT_EQ(Ejecutar(fs::path(Z82_SOURCE_DIR) / "data", buenas), 0) << salida;
    fs::remove(buenas / "idiomas.ini");  // not an image
    const fs::path src = fs::path(Z82_SOURCE_DIR) / "data";

    EXPECT_EQ(Ejecutar(src, dir_ / "a", buenas), 0) << salida;
    EXPECT_NE(salida.find("checked"), std::string::npos);

    const fs::path malas = dir_ / "malas";
    auto preparar = [&] {
        fs::remove_all(malas);
        fs::copy(buenas, malas);
    };

    preparar();
    fs::remove(malas / "planes3.bin");
    EXPECT_NE(Ejecutar(src, dir_ / "b", malas), 0);
    EXPECT_NE(salida.find("missing"), std::string::npos) << salida;
    EXPECT_NE(salida.find("planes3.bin"), std::string::npos) << salida;

    preparar();
    std::string hex = Leer(malas / "firmware.hex");
    hex[hex.find(":020000040018E2") + 13] = 'e';  // the checksum's E in lower case
    Escribir(malas / "firmware.hex", hex);
    EXPECT_NE(Ejecutar(src, dir_ / "c", malas), 0);
    EXPECT_NE(salida.find("the start-up scan fails: La linea: "), std::string::npos) << salida;
    EXPECT_NE(salida.find("tiene un formato incorrecto"), std::string::npos) << salida;

    preparar();
    std::string plan = Leer(malas / "planes2.bin");
    plan[4] = 3;
    Escribir(malas / "planes2.bin", plan);
    EXPECT_NE(Ejecutar(src, dir_ / "d", malas), 0);
    EXPECT_NE(salida.find("header says type 3, expected 2"), std::string::npos) << salida;

    preparar();
    Escribir(malas / "cargador1.bin", "short");
    EXPECT_NE(Ejecutar(src, dir_ / "e", malas), 0);
    EXPECT_NE(salida.find("the meter needs 144"), std::string::npos) << salida;
}

}  // namespace
}  // namespace z82
