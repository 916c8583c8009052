// The default-parameter block and the measurement profiles.
#include <gtest/gtest.h>

#include <string>

#include "apoyo/banco.h"
#include "defaults/tfparam_defecto.h"
#include "queries/tconsultas.h"

namespace z82 {
namespace {

using prueba::Banco;
using V = std::vector<uint8_t>;

V Tramo(const uint8_t* p, size_t desde, size_t n) { return V(p + desde, p + desde + n); }

uint8_t Xor(const uint8_t* p, size_t n) {
    uint8_t x = 0;
    for (size_t i = 0; i < n; ++i) x = static_cast<uint8_t>(x ^ p[i]);
    return x;
}

struct Param : ::testing::Test {
    Banco b;
    TConsultas consultas{b.ctx.canal()};
    TFParam_defecto f{b.ctx.canal(), consultas, b.ctx.Barra_progreso, b.ctx.medidor};
    const uint8_t* p() { return f.parametros.data(); }
    int u16(size_t o) { return f.parametros[o] | (f.parametros[o + 1] << 8); }
};

TEST_F(Param, PlainBlockIs231BytesWithItsHeadAndEnd) {
    f.parametros.fill(0x77);
    f.Construir_parametros(0);
    EXPECT_EQ(Tramo(p(), 0, 22),
              (V{0xA0, 0xE7, 0x00, 0x4D, 0x05, 0x00, 0x01, 0x00, 0x01, 0x0A, 0x32,
                 0x32, 0x32, 0x01, 0x00, 0x32, 0x32, 0x00, 0x52, 0xF2, 0x06, 0x00}));
    EXPECT_EQ(Tramo(p(), 228, 3), (V{0xFF, 0xFA, 0x94}));
    EXPECT_EQ(Xor(p(), 231), 0);
    // The rest of the buffer is not touched.
    for (size_t i = 231; i < 256; ++i) EXPECT_EQ(f.parametros[i], 0x77) << i;
    EXPECT_EQ(f.parametros[35], 2);  // P
    EXPECT_EQ(f.parametros[51], 0);  // S
    EXPECT_EQ(u16(59), 5500);        // W
    EXPECT_EQ(u16(113), 1680);       // table T, other languages
    EXPECT_EQ(u16(117), 2040);
    EXPECT_EQ(u16(127), 1210);
    EXPECT_EQ(u16(172), 95);
    EXPECT_EQ(u16(190), 2100);
    EXPECT_EQ(Tramo(p(), 81, 4), (V{0x0A, 0x06, 0x00, 0x00}));
}

TEST_F(Param, UsaBlockIs245Bytes) {
    b.ctx.medidor.es_usa = true;
    f.Construir_parametros(0);
    EXPECT_EQ(Tramo(p(), 0, 8), (V{0xA0, 0xF5, 0x00, 0x4D, 0x05, 0x0F, 0x01, 0x01}));
    EXPECT_EQ(Tramo(p(), 242, 3), (V{0xFF, 0xFA, 0x6B}));
    EXPECT_EQ(Xor(p(), 245), 0);
    EXPECT_EQ(f.parametros[34], 0);
    EXPECT_EQ(f.parametros[35], 11);
    EXPECT_EQ(f.parametros[51], 6);
    EXPECT_EQ(u16(59), 4500);
    EXPECT_EQ(f.parametros[181], 0x01);
    EXPECT_EQ(u16(114), 1680);
    EXPECT_EQ(u16(186), 95);
}

TEST_F(Param, PlanSelectorFollowsLanguageAndPlanVersions) {
    struct Caso {
        int idioma, tipo, plan, esperado, p;
    };
    for (const Caso& k : {Caso{7, 0, 0, 0, 8}, Caso{3, 0, 0, 112, 25}, Caso{3, 2, 0, 112, 13},
                          Caso{3, 0, 109, 109, 13}, Caso{1, 0, 120, 0, 2}, Caso{0, 0, 110, 0, 11},
                          Caso{9, 4, 110, 110, 2}}) {
        b.ctx.medidor.tipo_plan_medidor = k.tipo;
        b.ctx.medidor.plan_medidor = k.plan;
        b.ctx.medidor.plan_esperado = k.esperado;
        f.Construir_parametros(k.idioma);
        EXPECT_EQ(f.parametros[35], k.p) << k.idioma << " " << k.tipo << " " << k.esperado;
        EXPECT_EQ(f.parametros[14], k.idioma);
        EXPECT_EQ(Xor(p(), 231), 0);
    }
}

TEST_F(Param, SoundSelectorRegionAndTableFollowTheMeterFacts) {
    f.Construir_parametros(7);
    EXPECT_EQ(f.parametros[51], 1);
    EXPECT_EQ(Tramo(p(), 59, 2), (V{0x64, 0x19}));
    EXPECT_EQ(f.parametros[34], 2);

    b.ctx.medidor.dato_232_ok = true;
    b.ctx.medidor.dato_232 = 0x2C;
    b.ctx.medidor.dato_23b = 0x1357;
    f.Construir_parametros(7);
    EXPECT_EQ(f.parametros[51], 0x2C);
    EXPECT_EQ(u16(59), 0x1357);

    f.Construir_parametros(4);
    EXPECT_EQ(f.parametros[34], 1);
    EXPECT_EQ(f.parametros[66], 9);
    f.Construir_parametros(5);
    EXPECT_EQ(f.parametros[34], 3);
    EXPECT_EQ(u16(113), 1210);
    EXPECT_EQ(u16(119), 2040);
    f.Construir_parametros(2);
    EXPECT_EQ(u16(113), 1178);
    EXPECT_EQ(u16(127), 1892);
    EXPECT_EQ(f.parametros[66], 0);

    b.ctx.medidor.tipo_plan_medidor = 4;
    b.ctx.medidor.opciones_bit5_libre = true;
    f.Construir_parametros(1);
    EXPECT_EQ(f.parametros[66], 9);
    EXPECT_EQ(Tramo(p(), 67, 2), (V{0x06, 0x07}));
    EXPECT_EQ(Xor(p(), 231), 0);
}

struct Perfil : Param {
    const uint8_t* s(int slot) { return f.perfiles.data() + slot * 256; }
    std::string nombre(int slot) {
        return std::string(reinterpret_cast<const char*>(s(slot) + 4), 8);
    }
    int v(int slot, size_t i) { return int16_t(s(slot)[12 + 2 * i] | (s(slot)[13 + 2 * i] << 8)); }
};

TEST_F(Perfil, PlainProfileIs166BytesAndKeepsTheRestOfItsSlot) {
    f.perfiles.fill(0x77);
    f.Construir_perfil(0, 0);
    EXPECT_EQ(Tramo(s(0), 0, 4), (V{0xBA, 0xA6, 0x00, 0x0B}));
    EXPECT_EQ(nombre(0), std::string("Toma\0", 5) + "\x77\x77\x77");
    EXPECT_EQ(v(0, 0), 570);
    EXPECT_EQ(v(0, 1), 750);
    EXPECT_EQ(v(0, 34), 250);  // second group
    EXPECT_EQ(v(0, 41), 200);
    EXPECT_EQ(v(0, 42), 190);  // third group
    EXPECT_EQ(v(0, 70), -15);  // last group
    EXPECT_EQ(v(0, 75), 900);
    EXPECT_EQ(s(0)[164], 0xCA);
    EXPECT_EQ(Xor(s(0), 166), 0);
    for (size_t i = 166; i < 256; ++i) EXPECT_EQ(s(0)[i], 0x77) << i;
    for (size_t i = 256; i < 1024; ++i) ASSERT_EQ(f.perfiles[i], 0x77) << i;
}

TEST_F(Perfil, SlotOneUsesItsOwnValuesAndSlotsAboveThreeAreSlotZero) {
    f.Construir_perfil(1, 0);
    EXPECT_EQ(v(1, 1), 1150);
    EXPECT_EQ(v(1, 3), 1200);
    EXPECT_EQ(v(1, 31), 1200);
    EXPECT_EQ(v(1, 0), 570);
    f.Construir_perfil(5, 0);
    EXPECT_EQ(s(0)[0], 0xBA);
    EXPECT_EQ(v(0, 1), 750);
    EXPECT_EQ(s(2)[0], 0x00);
    EXPECT_EQ(s(3)[0], 0x00);
}

TEST_F(Perfil, NamesAreCutToEightBytesWithOrWithoutNul) {
    f.Construir_perfil(1, 4);
    EXPECT_EQ(nombre(1), "Station ");
    f.Construir_perfil(2, 0);
    EXPECT_EQ(Tramo(s(2), 4, 8), (V{'P', 'e', 'r', 'f', 'i', 'l', '1', 0}));
    f.Construir_perfil(3, 1);
    EXPECT_EQ(nombre(3), "Profile2");
    f.Construir_perfil(0, 2);
    EXPECT_EQ(nombre(0), "Steckdos");
    f.Construir_perfil(0, 7);
    EXPECT_EQ(Tramo(s(0), 4, 8), (V{0xC0, 0xDE, 0xD7, 0xD5, 0xE2, 0xDA, 0xD0, 0x00}));
    f.Construir_perfil(3, 7);
    EXPECT_EQ(Tramo(s(3), 4, 8), (V{0xBF, 0xE0, 0xDE, 0xE4, 0xD8, 0xDB, 0xEC, '2'}));
    f.Construir_perfil(1, 8);
    EXPECT_EQ(nombre(1), "Stacja c");
    EXPECT_EQ(Xor(s(1), 166), 0);
}

TEST_F(Perfil, UsaProfileIs174BytesAndLeavesTwoValuesAsTheyWere) {
    b.ctx.medidor.es_usa = true;
    f.perfiles.fill(0x55);
    f.Construir_perfil(2, 1);
    EXPECT_EQ(s(2)[1], 0xAE);
    EXPECT_EQ(v(2, 39), 170);
    EXPECT_EQ(Tramo(s(2), 12 + 2 * 40, 4), (V{0x55, 0x55, 0x55, 0x55}));
    EXPECT_EQ(v(2, 42), 190);
    EXPECT_EQ(v(2, 68), 590);  // the USA-only group
    EXPECT_EQ(v(2, 71), 30);
    EXPECT_EQ(v(2, 72), 20);
    EXPECT_EQ(s(2)[172], 0xCA);
    EXPECT_EQ(Xor(s(2), 174), 0);
    EXPECT_EQ(s(2)[174], 0x55);
}

}  // namespace
}  // namespace z82
