#include "hex/escaneo_hex.h"

#include <gtest/gtest.h>

#include "data/imagenes.h"
#include "hex/texto_hex.h"

namespace z82 {
namespace {

using namespace prueba;

Resultado_escaneo Escanear(const std::string& texto, uint32_t* registros = nullptr) {
    TFuente_lineas fuente(texto);
    TLector_hex lector(fuente);
    fuente.Posicionar(static_cast<int32_t>(texto.size()));  // the scan rewinds first
    Resultado_escaneo r = Escanear_hex(fuente, lector);
    if (registros != nullptr) *registros = lector.registros;
    return r;
}

// A small image with the version block in segment 0x18.
std::string Con_version() {
    return Segmento_hex(0x02) + Datos_hex(0x0000, "abcdefgh") + Segmento_hex(0x18) +
           Datos_hex(0x0010, std::string("1.88\0\0", 6)) +
           Datos_hex(0x0016, std::string("00004\0", 6)) + FIN_HEX;
}

TEST(EscaneoHex, ReadsVersionSegmentsAndRecordCount) {
    uint32_t registros = 0;
    const auto r = Escanear(Con_version(), &registros);
    ASSERT_TRUE(r.ok) << r.mensaje;
    EXPECT_EQ(r.version, "1.88.00004");
    EXPECT_EQ(r.registros, 6u);
    EXPECT_EQ(registros, 6u);
    EXPECT_TRUE(r.mensaje.empty());
    for (size_t s = 0; s < 64; ++s) EXPECT_EQ(r.segmentos[s], s == 0x02 || s == 0x18) << s;
}

TEST(EscaneoHex, SegmentFlagsFollowTheAddressRecords) {
    // Segment 0 is never flagged; 0x40 and above are accepted without a flag.
    const std::string t = Segmento_hex(0x00) + Segmento_hex(0x3F) + Segmento_hex(0x40) +
                          Segmento_hex(0xFF) + Segmento_hex(0x05) + FIN_HEX;
    const auto r = Escanear(t);
    ASSERT_TRUE(r.ok);
    EXPECT_FALSE(r.segmentos[0]);
    EXPECT_TRUE(r.segmentos[0x3F]);
    EXPECT_TRUE(r.segmentos[0x05]);
    int marcados = 0;
    for (bool b : r.segmentos) marcados += b;
    EXPECT_EQ(marcados, 2);
}

TEST(EscaneoHex, VersionIsTakenOnlyFromSegment18) {
    const std::string v = Datos_hex(0x0010, "9.99") + Datos_hex(0x0016, "77777");
    // Before any address record, and in another segment, the records are plain data.
    EXPECT_EQ(Escanear(v + Segmento_hex(0x19) + v + FIN_HEX).version, "");
    // Once segment 0x18 is left, a record at 0x0010 is plain data again.
    const auto r =
        Escanear(Segmento_hex(0x18) + v + Segmento_hex(0x19) + Datos_hex(0x0010, "1.00") + FIN_HEX);
    EXPECT_EQ(r.version, "9.99.77777");
}

TEST(EscaneoHex, ShortVersionRecordDoesNotPickUpThePreviousRecord) {
    const std::string t = Segmento_hex(0x18) + Datos_hex(0x0000, "ABCDEFGHIJ") +
                          Datos_hex(0x0010, "1.") + Datos_hex(0x0016, "000") + FIN_HEX;
    const auto r = Escanear(t);
    ASSERT_TRUE(r.ok);
    // "1." then zeros: the text ends there, nothing of "ABCD" leaks in.
    EXPECT_EQ(r.version, "1.");
}

TEST(EscaneoHex, FailuresGiveTheScanMessages) {
    uint32_t registros = 99;
    auto r = Escanear("020000040002F8\r\n" + FIN_HEX, &registros);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.mensaje, "La linea: 0 NO es un record");
    EXPECT_EQ(registros, 0u);  // the reader keeps no count after a failure

    // Line 4 (counting from 0) with a bad checksum.
    std::string t = Con_version();
    const size_t p = t.find(":06001600");
    t[p + 9] = '1';
    r = Escanear(t);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.mensaje, "La linea: 4 tiene un checksum incorrecto");
    EXPECT_EQ(r.version, "1.88.");  // what was extracted before the failure stays
    EXPECT_EQ(r.registros, 4u);

    r = Escanear(Segmento_hex(2) + ":020000040002f8\r\n" + FIN_HEX);
    EXPECT_EQ(r.mensaje, "La linea: 1 tiene un formato incorrecto");

    r = Escanear(Segmento_hex(2) + Datos_hex(0, "xy"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.mensaje, "El fichero ha terminado antes de lo esperado");

    r = Escanear(":00000001FF");  // an end record without its line end is never read
    EXPECT_EQ(r.mensaje, "El fichero ha terminado antes de lo esperado");

    r = Escanear(":00000001FF" + std::string(300, '0') + "\r\n");
    EXPECT_EQ(r.mensaje, "La linea: 0 tiene un formato incorrecto");
}

TEST(EscaneoHex, StopsAtTheEndRecord) {
    const auto r = Escanear(Segmento_hex(3) + FIN_HEX + "garbage\r\n");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.registros, 2u);
}

TEST(EscaneoHex, CarriedImageScansCleanly) {
    const std::string_view texto = datos::imagen_hex();
    TFuente_lineas fuente(texto);
    TLector_hex lector(fuente);
    const auto r = Escanear_hex(fuente, lector);
    ASSERT_TRUE(r.ok) << r.mensaje;
    EXPECT_EQ(r.version, "1.88.00004");
    EXPECT_EQ(r.registros, 56'381u);
    EXPECT_EQ(lector.registros, 56'381u);
    EXPECT_FALSE(r.segmentos[0]);
    EXPECT_FALSE(r.segmentos[0x1E]);
    EXPECT_FALSE(r.segmentos[0x1F]);
    EXPECT_TRUE(r.segmentos[0x18]);
    // A second scan of the same source gives the same result.
    const auto otra = Escanear_hex(fuente, lector);
    EXPECT_EQ(otra.segmentos, r.segmentos);
    EXPECT_EQ(otra.registros, r.registros);
}

}  // namespace
}  // namespace z82
