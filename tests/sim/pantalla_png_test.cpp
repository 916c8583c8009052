// The PNG writer and a whole banner drawn into the simulated meter's frame buffer.
#include <gtest/gtest.h>

#include <cstring>

#include "banco_medidor.h"
#include "sim/png.h"

namespace z82 {
namespace {

using prueba::Banco_medidor;
using Bytes = std::vector<uint8_t>;

uint32_t leer32(const Bytes& v, size_t i) {
    return (uint32_t{v[i]} << 24) | (uint32_t{v[i + 1]} << 16) | (uint32_t{v[i + 2]} << 8) |
           v[i + 3];
}

TEST(PngMedidor, ChecksumsMatchKnownValues) {
    const char* texto = "123456789";
    EXPECT_EQ(sim::crc32_png(reinterpret_cast<const uint8_t*>(texto), 9), 0xCBF43926u);
    const char* wiki = "Wikipedia";
    EXPECT_EQ(sim::adler32(reinterpret_cast<const uint8_t*>(wiki), 9), 0x11E60398u);
    EXPECT_EQ(sim::adler32(nullptr, 0), 1u);
}

// Walks the chunks, checks every CRC, and undoes the stored zlib blocks.
TEST(PngMedidor, StoredBlocksCarryTheScanlinesExactly) {
    const uint32_t ancho = 300, alto = 100;  // 90,100 bytes of scanlines: two stored blocks
    Bytes rgb(size_t(ancho) * alto * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 31 + i / 7);
    const Bytes png = sim::codificar_png(ancho, alto, rgb);
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(Bytes(png.begin(), png.begin() + 8),
              (Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}));
    Bytes idat;
    std::vector<std::string> tipos;
    for (size_t i = 8; i + 12 <= png.size();) {
        const uint32_t n = leer32(png, i);
        ASSERT_LE(i + 12 + n, png.size());
        tipos.emplace_back(reinterpret_cast<const char*>(&png[i + 4]), 4);
        EXPECT_EQ(sim::crc32_png(&png[i + 4], n + 4), leer32(png, i + 8 + n)) << tipos.back();
        if (tipos.back() == "IHDR") {
            EXPECT_EQ(leer32(png, i + 8), ancho);
            EXPECT_EQ(leer32(png, i + 12), alto);
            EXPECT_EQ(png[i + 16], 8);
            EXPECT_EQ(png[i + 17], 2);
        }
        if (tipos.back() == "IDAT") idat.insert(idat.end(), &png[i + 8], &png[i + 8 + n]);
        i += 12 + n;
    }
    EXPECT_EQ(tipos, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    ASSERT_GE(idat.size(), 6u);
    EXPECT_EQ((idat[0] * 256 + idat[1]) % 31, 0);  // valid zlib header
    Bytes crudo;
    size_t p = 2;
    int bloques = 0;
    for (bool ultimo = false; !ultimo;) {
        ASSERT_LT(p + 5, idat.size());
        ultimo = idat[p] & 1;
        const size_t n = idat[p + 1] | (size_t{idat[p + 2]} << 8);
        EXPECT_EQ(n ^ 0xFFFF, idat[p + 3] | (size_t{idat[p + 4]} << 8));
        crudo.insert(crudo.end(), idat.begin() + static_cast<std::ptrdiff_t>(p + 5),
                     idat.begin() + static_cast<std::ptrdiff_t>(p + 5 + n));
        p += 5 + n;
        ++bloques;
    }
    EXPECT_EQ(bloques, 2);
    ASSERT_EQ(crudo.size(), size_t(alto) * (ancho * 3 + 1));
    EXPECT_EQ(leer32(idat, p), sim::adler32(crudo.data(), crudo.size()));
    for (uint32_t y = 0; y < alto; ++y) {
        const size_t fila = size_t(y) * (ancho * 3 + 1);
        ASSERT_EQ(crudo[fila], 0);
        ASSERT_EQ(std::memcmp(&crudo[fila + 1], &rgb[size_t(y) * ancho * 3], ancho * 3), 0);
    }
}

// A 150 x 75 banner sent as the graphics upload does: two chunks a row, the page moving on
// only for the first chunk that starts past a 64 KiB boundary.
TEST(PngMedidor, WholeBannerLandsAtItsPlace) {
    Banco_medidor b;
    ASSERT_TRUE(b.conectar());
    ASSERT_TRUE(b.cargar_cargador());
    b.enviar({0x07, 0x03, 0x90, 0x92, 0x90 ^ 0x92 ^ 0x03});
    ASSERT_EQ(b.recibir(1), Bytes{'p'});
    auto color = [](uint32_t x, uint32_t y) { return static_cast<uint16_t>(x * 37 + y * 1000); };
    const uint32_t x0 = 85, y0 = 132;
    uint8_t pagina = 0x90;
    uint32_t k = 0;
    for (uint32_t r = 0; r < 75; ++r) {
        for (uint32_t c : {0u, 100u}) {
            const uint32_t a = (x0 + c) * 2 + (y0 + r) * 640;
            if (a - k * 65536 > 0xFFFF) {
                ++pagina;
                ++k;
            }
            Bytes trozo;
            for (uint32_t i = 0; i < (c == 0 ? 100u : 50u); ++i) {
                const uint16_t v = color(c + i, r);
                trozo.push_back(static_cast<uint8_t>(v));
                trozo.push_back(static_cast<uint8_t>(v >> 8));
            }
            b.enviar(Banco_medidor::bloque(pagina, static_cast<uint16_t>(a), trozo));
            ASSERT_EQ(b.recibir(1), Bytes{'0'}) << r << " " << c;
        }
    }
    EXPECT_EQ(pagina, 0x92);
    int distintos = 0;
    for (uint32_t y = 0; y < 75; ++y)
        for (uint32_t x = 0; x < 150; ++x)
            distintos += b.medidor.pantalla().pixel(x0 + x, y0 + y) != color(x, y);
    EXPECT_EQ(distintos, 0);
    EXPECT_EQ(b.medidor.pantalla().pixel(x0 - 1, y0), 0xFFFF);
    EXPECT_EQ(b.medidor.pantalla().pixel(x0 + 150, y0 + 74), 0xFFFF);
    const auto rgb = b.medidor.pantalla().rgb();
    EXPECT_EQ(rgb.size(), size_t(320) * 240 * 3);
}

}  // namespace
}  // namespace z82
