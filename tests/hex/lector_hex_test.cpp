#include "hex/lector_hex.h"

#include <gtest/gtest.h>

#include <string>

namespace z82 {
namespace {

// Reads one record from the given text.
struct Lectura {
    explicit Lectura(std::string t) : texto(std::move(t)), fuente(texto), lector(fuente) {
        r.data = datos;
    }
    uint8_t Leer() { return lector.Leer_registro(r); }
    std::string texto;
    TFuente_lineas fuente;
    TLector_hex lector;
    uint8_t datos[256] = {};
    Registro_hex r;
};

// A well-formed record line of n data bytes (0, 1, 2 ...) at address 0x1234.
std::string Registro_de(size_t n) {
    static const char H[] = "0123456789ABCDEF";
    std::string s = ":";
    unsigned suma = static_cast<unsigned>(n) + 0x12 + 0x34;
    auto par = [&](unsigned b) {
        s += H[(b >> 4) & 15];
        s += H[b & 15];
    };
    par(static_cast<unsigned>(n));
    par(0x12);
    par(0x34);
    par(0);
    for (size_t i = 0; i < n; ++i) {
        par(static_cast<unsigned>(i & 0xFF));
        suma += static_cast<unsigned>(i & 0xFF);
    }
    par((0x100 - (suma & 0xFF)) & 0xFF);
    return s + "\r\n";
}

TEST(LectorHex, WellFormedRecordsGiveTheirFields) {
    Lectura fin(":00000001FF\r\n");
    EXPECT_EQ(fin.Leer(), HEX_OK);
    EXPECT_EQ(fin.r.count, 0);
    EXPECT_EQ(fin.r.address, 0);
    EXPECT_EQ(fin.r.type, 1);

    Lectura ela(":020000040002F8\r\n");
    EXPECT_EQ(ela.Leer(), HEX_OK);
    EXPECT_EQ(ela.r.type, 4);
    EXPECT_EQ(ela.r.count, 2);
    EXPECT_EQ(ela.datos[0], 0x00);
    EXPECT_EQ(ela.datos[1], 0x02);

    // Address high byte first; data in order; any type value is accepted.
    Lectura d(
        ":03ABCD07FF0102"
        "7C\r\n");
    EXPECT_EQ(d.Leer(), HEX_OK);
    EXPECT_EQ(d.r.address, 0xABCD);
    EXPECT_EQ(d.r.type, 7);
    EXPECT_EQ(d.datos[0], 0xFF);
    EXPECT_EQ(d.datos[1], 0x01);
    EXPECT_EQ(d.datos[2], 0x02);

    // What follows the checksum pair is not looked at.
    Lectura cola(":00000001FFxyz\r\n");
    EXPECT_EQ(cola.Leer(), HEX_OK);
}

TEST(LectorHex, BadRecordsGiveTheirCodes) {
    EXPECT_EQ(Lectura(":020000040002F9\r\n").Leer(), HEX_CHECKSUM);
    EXPECT_EQ(Lectura(":020000040002f8\r\n").Leer(), HEX_FORMATO);  // lower case
    EXPECT_EQ(Lectura(":02000004000aF8\r\n").Leer(), HEX_FORMATO);
    EXPECT_EQ(Lectura("020000040002F8\r\n").Leer(), HEX_NO_ES_REGISTRO);
    EXPECT_EQ(Lectura(" :00000001FF\r\n").Leer(), HEX_NO_ES_REGISTRO);
    EXPECT_EQ(Lectura(":0200\r\n").Leer(), HEX_FORMATO);
    EXPECT_EQ(Lectura(":\r\n").Leer(), HEX_FORMATO);
    // A count larger than the line carries runs into the line end.
    EXPECT_EQ(Lectura(":04000000AABB"
                      "97\r\n")
                  .Leer(),
              HEX_FORMATO);
    // A NUL inside the line is not a digit, and nothing past it is read.
    EXPECT_EQ(Lectura(std::string(":0000\0"
                                  "0001FF\r\n",
                                  14))
                  .Leer(),
              HEX_FORMATO);
    EXPECT_EQ(Lectura("").Leer(), HEX_FIN);
}

TEST(LectorHex, ReadsEveryLineThenReportsTheEnd) {
    Lectura l(":020000040002F8\r\n:00000001FF\r\n");
    EXPECT_EQ(l.Leer(), HEX_OK);
    EXPECT_EQ(l.Leer(), HEX_OK);
    EXPECT_EQ(l.r.type, 1);
    EXPECT_EQ(l.Leer(), HEX_FIN);
    EXPECT_EQ(l.Leer(), HEX_FIN);
}

TEST(LectorHex, LastLineWithoutLineFeedIsNeverHandedOut) {
    Lectura l(":020000040002F8\r\n:00000001FF");
    EXPECT_EQ(l.Leer(), HEX_OK);
    EXPECT_EQ(l.Leer(), HEX_FIN);
}

TEST(LectorHex, LinesAtTheBufferLimit) {
    // 121 data bytes make a line of exactly 255 characters with its CR LF: it fits.
    const std::string justa = Registro_de(121);
    ASSERT_EQ(justa.size(), 255u);
    Lectura l(justa + ":00000001FF\r\n");
    EXPECT_EQ(l.Leer(), HEX_OK);
    EXPECT_EQ(l.r.count, 121);
    EXPECT_EQ(l.datos[120], 120);
    EXPECT_EQ(l.Leer(), HEX_OK);
    EXPECT_EQ(l.r.type, 1);

    // One byte more no longer fits: refused, never written past the buffer, and the
    // next line is read from its start.
    const std::string larga = Registro_de(122);
    ASSERT_EQ(larga.size(), 257u);
    Lectura m(larga + ":00000001FF\r\n");
    EXPECT_EQ(m.Leer(), HEX_FORMATO);
    EXPECT_EQ(m.Leer(), HEX_OK);
    EXPECT_EQ(m.r.type, 1);

    // A well-formed record followed by a long tail is refused as well.
    Lectura n(":00000001FF" + std::string(400, ' ') + "\r\n");
    EXPECT_EQ(n.Leer(), HEX_FORMATO);
    EXPECT_EQ(n.Leer(), HEX_FIN);
}

TEST(FuenteLineas, HandsOutLinesWithTheirLineEnds) {
    const std::string t = "ab\r\nc\n\nxyz";
    TFuente_lineas f(t);
    char linea[256];
    ASSERT_TRUE(f.Leer_linea(linea));
    EXPECT_STREQ(linea, "ab\r\n");
    EXPECT_EQ(f.Posicion(), 4);
    ASSERT_TRUE(f.Leer_linea(linea));
    EXPECT_STREQ(linea, "c\n");
    ASSERT_TRUE(f.Leer_linea(linea));
    EXPECT_STREQ(linea, "\n");
    EXPECT_FALSE(f.Leer_linea(linea));  // "xyz" has no line feed
    EXPECT_FALSE(f.Leer_linea(linea));
    f.Rebobinar();
    ASSERT_TRUE(f.Leer_linea(linea));
    EXPECT_STREQ(linea, "ab\r\n");
}

TEST(FuenteLineas, PositionsOnlyInsideTheText) {
    const std::string t = ":00000001FF\r\n";
    const auto largo = static_cast<int32_t>(t.size());
    TFuente_lineas f(t);
    f.Posicionar(5);
    EXPECT_EQ(f.Posicion(), 5);
    f.Posicionar(-1);
    EXPECT_EQ(f.Posicion(), 5);
    f.Posicionar(largo + 1);
    EXPECT_EQ(f.Posicion(), 5);
    f.Posicionar(0);
    char linea[256];
    ASSERT_TRUE(f.Leer_linea(linea));
    EXPECT_STREQ(linea, t.c_str());
    f.Posicionar(largo);
    EXPECT_EQ(f.Posicion(), largo);
    EXPECT_FALSE(f.Leer_linea(linea));
}

}  // namespace
}  // namespace z82
