// The firmware image the program carries: its structure as the meter and the flash
// controller rely on it, and a second opinion from srec_info.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "data/imagenes.h"
#include "hex/escaneo_hex.h"

namespace z82 {
namespace {

struct Tramo {
    uint32_t desde, hasta;  // inclusive
    bool operator==(const Tramo&) const = default;
};

struct Recorrido {
    std::map<uint8_t, uint32_t> por_tipo;
    uint32_t registros = 0, bytes_datos = 0, max_datos = 0;
    std::set<uint16_t> palabras_altas;
    std::set<uint8_t> segmentos_con_datos;
    std::vector<Tramo> tramos;  // contiguous address ranges, in file order
    std::map<uint32_t, std::vector<uint8_t>> registros_version;
};

Recorrido Recorrer(std::string_view texto) {
    Recorrido rec;
    TFuente_lineas fuente(texto);
    TLector_hex lector(fuente);
    uint8_t datos[256];
    Registro_hex r;
    r.data = datos;
    uint32_t alto = 0;
    for (;;) {
        EXPECT_EQ(lector.Leer_registro(r), HEX_OK) << "record " << rec.registros;
        ++rec.registros;
        ++rec.por_tipo[r.type];
        if (r.type == HEX_TIPO_DIRECCION_LINEAL) {
            alto = static_cast<uint32_t>(datos[0] << 8 | datos[1]);
            rec.palabras_altas.insert(static_cast<uint16_t>(alto));
        } else if (r.type == HEX_TIPO_DATOS) {
            rec.bytes_datos += r.count;
            rec.max_datos = std::max<uint32_t>(rec.max_datos, r.count);
            rec.segmentos_con_datos.insert(static_cast<uint8_t>(alto));
            const uint32_t d = alto << 16 | r.address;
            if (!rec.tramos.empty() && rec.tramos.back().hasta + 1 == d) {
                rec.tramos.back().hasta = d + r.count - 1;
            } else {
                rec.tramos.push_back({d, d + r.count - 1});
            }
            if (alto == 0x18 && (r.address == 0x10 || r.address == 0x16)) {
                rec.registros_version[r.address].assign(datos, datos + r.count);
            }
        } else if (r.type == HEX_TIPO_FIN) {
            break;
        }
    }
    return rec;
}

TEST(ImagenHex, HasTheFirmwareShape) {
    const std::string_view t = datos::imagen_hex();
    ASSERT_EQ(t.size(), 4'283'917u);
    EXPECT_EQ(t.substr(0, 17), ":020000040002F8\r\n");
    EXPECT_EQ(t.substr(t.size() - 13), ":00000001FF\r\n");

    // Lines: CR LF everywhere, at most 77 characters, upper-case hex digits only.
    size_t lineas = 0, mas_larga = 0, inicio = 0;
    bool solo_mayusculas = true, crlf = true;
    for (size_t i = 0; i < t.size(); ++i) {
        const char c = t[i];
        if (c == '\n') {
            ++lineas;
            mas_larga = std::max(mas_larga, i + 1 - inicio);
            crlf = crlf && i > 0 && t[i - 1] == '\r';
            inicio = i + 1;
        } else if (c != '\r' && c != ':' && !(c >= '0' && c <= '9') && !(c >= 'A' && c <= 'F')) {
            solo_mayusculas = false;
        }
    }
    EXPECT_EQ(lineas, 56'381u);
    EXPECT_EQ(mas_larga, 77u);
    EXPECT_TRUE(solo_mayusculas);
    EXPECT_TRUE(crlf);

    const Recorrido rec = Recorrer(t);
    EXPECT_EQ(rec.registros, 56'381u);
    EXPECT_EQ(rec.por_tipo.at(HEX_TIPO_DATOS), 55'772u);
    EXPECT_EQ(rec.por_tipo.at(HEX_TIPO_DIRECCION_LINEAL), 608u);
    EXPECT_EQ(rec.por_tipo.at(HEX_TIPO_FIN), 1u);
    EXPECT_EQ(rec.por_tipo.size(), 3u);
    EXPECT_EQ(rec.max_datos, 32u);
    EXPECT_EQ(*rec.palabras_altas.begin(), 0x0000);
    EXPECT_EQ(*rec.palabras_altas.rbegin(), 0x002F);
    // The channel plans' sectors hold no firmware.
    EXPECT_EQ(rec.segmentos_con_datos.count(0x1E), 0u);
    EXPECT_EQ(rec.segmentos_con_datos.count(0x1F), 0u);

    // The version block as the meter's memory read of bank 0x18 takes it.
    const auto& v1 = rec.registros_version.at(0x10);
    const auto& v2 = rec.registros_version.at(0x16);
    ASSERT_GE(v1.size(), 5u);
    ASSERT_GE(v2.size(), 6u);
    EXPECT_EQ(std::string(v1.begin(), v1.begin() + 5), std::string("1.88\0", 5));
    EXPECT_EQ(std::string(v2.begin(), v2.begin() + 6), std::string("00004\0", 6));
}

TEST(ImagenHex, ScanFlagsEverySegmentOfTheAddressRecordsButZero) {
    const std::string_view t = datos::imagen_hex();
    TFuente_lineas fuente(t);
    TLector_hex lector(fuente);
    const auto r = Escanear_hex(fuente, lector);
    ASSERT_TRUE(r.ok) << r.mensaje;
    EXPECT_EQ(r.version, "1.88.00004");
    const Recorrido rec = Recorrer(t);
    for (uint16_t s = 0; s < 64; ++s) {
        EXPECT_EQ(r.segmentos[s], s != 0 && rec.palabras_altas.count(s) == 1) << s;
    }
}

// Asks srec_info about the image and compares its address ranges with ours.
TEST(ImagenHex, SrecInfoAgreesOnTheAddressRanges) {
    if (std::system("srec_info -VERSion > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "srec_info (package srecord) is not installed";
    }
    // Unique per run: other runs of the tests may share the machine.
    const auto dir = std::filesystem::temp_directory_path() /
                     ("z82_imagen_hex_test_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    const auto fichero = dir / "firmware.hex";
    const auto salida = dir / "srec_info.txt";
    {
        std::ofstream f(fichero, std::ios::binary);
        const auto t = datos::imagen_hex();
        f.write(t.data(), static_cast<std::streamsize>(t.size()));
    }
    const std::string orden =
        "srec_info " + fichero.string() + " -Intel > " + salida.string() + " 2>&1";
    ASSERT_EQ(std::system(orden.c_str()), 0) << orden;

    std::ifstream in(salida);
    std::stringstream todo;
    todo << in.rdbuf();
    const std::string texto = todo.str();
    EXPECT_EQ(texto.find("warning"), std::string::npos) << texto;
    // Lines "Data:   002000 - 0020FF" and continuation lines "        002200 - 0022FF".
    std::vector<Tramo> suyos;
    std::istringstream lineas(texto);
    std::string linea;
    bool en_datos = false;
    while (std::getline(lineas, linea)) {
        if (linea.rfind("Data:", 0) == 0) {
            en_datos = true;
            linea = linea.substr(5);
        } else if (!en_datos || linea.empty() || linea[0] != ' ') {
            en_datos = false;
            continue;
        }
        unsigned desde = 0, hasta = 0;
        if (std::sscanf(linea.c_str(), " %x - %x", &desde, &hasta) == 2) {
            suyos.push_back({desde, hasta});
        }
    }
    const Recorrido rec = Recorrer(datos::imagen_hex());
    ASSERT_FALSE(suyos.empty()) << texto;
    EXPECT_EQ(suyos.size(), rec.tramos.size());
    EXPECT_TRUE(suyos == rec.tramos);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace z82
