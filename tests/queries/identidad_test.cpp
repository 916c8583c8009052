// The identity queries made after connecting and the MPEG4 module's versions.
#include <gtest/gtest.h>

#include "apoyo/banco.h"
#include "queries/guion_peticiones.h"
#include "queries/tconsultas.h"

namespace z82 {
namespace {

using prueba::Banco;
using prueba::Guion_peticiones;
using V = std::vector<uint8_t>;

TEST(Identidad, QueriesSendTheirFiveBytesAndTakeTheirReplyBytes) {
    Banco b;
    TConsultas c(b.ctx.canal());
    Guion_peticiones g(b, [](sim::Extremo_guion& m, const V& p, int64_t t, int) {
        if (p[2] == 0x0E) m.responder({0x10, 0x04, 0x00, 0x00, 0x03, 0x00}, t + 2000);
        if (p[2] == 0x32) m.responder({0x10, 0x04, 0x00, 0x00, 0x00, 0x5A}, t + 2000);
        if (p[2] == 0x3B) m.responder({0x10, 0x04, 0x00, 0x00, 0x34, 0x12}, t + 2000);
    });
    EXPECT_EQ(c.Leer_idioma().valor, 3);
    const auto d232 = c.Leer_dato_232();
    const auto d23b = c.Leer_dato_23b();
    EXPECT_EQ(d232.estado, 0);
    EXPECT_TRUE(d232.ok);
    EXPECT_EQ(d232.valor, 0x5A);
    EXPECT_EQ(d23b.estado, 0);
    EXPECT_TRUE(d23b.ok);
    EXPECT_EQ(d23b.valor, 0x1234);
    ASSERT_EQ(g.peticiones.size(), 3u);
    EXPECT_EQ(g.peticiones[0], (V{0x01, 0x42, 0x0E, 0x02, 0x04}));
    EXPECT_EQ(g.peticiones[1], (V{0x01, 0x42, 0x32, 0x02, 0x04}));
    EXPECT_EQ(g.peticiones[2], (V{0x01, 0x42, 0x3B, 0x02, 0x04}));
}

TEST(Identidad, LanguageIsTakenPositionallyWhileTheDataQueriesWaitForTheHeader) {
    Banco b;
    TConsultas c(b.ctx.canal());
    // One stray byte before the reply: the language query counts it as reply byte 0.
    Guion_peticiones g(b, [](sim::Extremo_guion& m, const V&, int64_t t, int) {
        m.responder({0x77, 0x10, 0x04, 0x00, 0x00, 0x08, 0x09}, t + 2000);
    });
    EXPECT_EQ(c.Leer_idioma().valor, 0x00);
    const auto d = c.Leer_dato_232();
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.valor, 0x09);
}

TEST(Identidad, ReplyByteAfterTheSecondsReadingChangedFailsTheAttempt) {
    Banco b;
    TConsultas c(b.ctx.canal());
    const int64_t frontera_ms = prueba::Segundo_en(b, 200);
    Guion_peticiones g(b, [&](sim::Extremo_guion& m, const V&, int64_t t, int n) {
        if (n == 1) {
            m.responder({0x10, 0x04, 0x00, 0x00, 0x00}, t + 2000);
            m.responder(0x66, frontera_ms * 1000 + 3000);
        } else {
            m.responder({0x10, 0x04, 0x00, 0x00, 0x00, 0x44}, t + 2000);
        }
    });
    const auto d = c.Leer_dato_232();
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.valor, 0x44);
    EXPECT_EQ(g.peticiones.size(), 2u);
}

TEST(Identidad, SilentMeterGivesTheLastAttemptsBytesWithoutSuccess) {
    Banco b;
    TConsultas c(b.ctx.canal());
    Guion_peticiones g(b, [](sim::Extremo_guion& m, const V& p, int64_t t, int) {
        if (p[2] == 0x32) m.responder({0x10, 0x04, 0x00, 0x00, 0x00, 0x01}, t + 2000);
        // 0x023B is answered without its header.
        if (p[2] == 0x3B) m.responder({0x04, 0x00, 0x00, 0x34, 0x12}, t + 2000);
    });
    const auto d232 = c.Leer_dato_232();
    ASSERT_TRUE(d232.ok);
    const auto d23b = c.Leer_dato_23b();
    EXPECT_EQ(d23b.estado, 0);
    EXPECT_FALSE(d23b.ok);
    EXPECT_EQ(d23b.valor, 0);
    EXPECT_EQ(g.peticiones.size(), 1u + 5u);
}

TEST(Identidad, RequestThatCannotBeWrittenReturnsMinusOneAtOnce) {
    Banco b;
    TConsultas c(b.ctx.canal());
    b.enlace.desenchufado = true;
    EXPECT_EQ(c.Leer_idioma().estado, -1);
    const auto d232 = c.Leer_dato_232();
    EXPECT_EQ(d232.estado, -1);
    EXPECT_FALSE(d232.ok);
    EXPECT_EQ(c.Leer_dato_23b().estado, -1);
    EXPECT_LT(b.reloj.ms(), 1000);
    EXPECT_EQ(b.ctx.senales.causa, "the port failed (cable or USB adapter pulled?)");
}

V Respuesta_mpeg4() { return {0xFB, 0x00, 0x01, 0x23, 0x00, 0x45, 0x07, 0x03}; }

TEST(Version_mpeg4, FullAnswerFillsTheRecordAndReadsTheSerialBlock) {
    Banco b;
    TConsultas c(b.ctx.canal());
    Guion_peticiones g(b, [](sim::Extremo_guion& m, const V& p, int64_t t, int) {
        if (p[0] == 0xBF) m.responder(Respuesta_mpeg4(), t + 2000);
        if (p[0] == 0xC0) {
            V r{0x0C, 0x00};
            r.resize(66, 0x5C);
            r.push_back(0x99);  // one more than the block: left on the link
            m.responder(r, t + 2000);
        }
    });
    c.Leer_version_mpeg4();
    EXPECT_EQ(c.version.version_sw, 0x0123);
    EXPECT_EQ(c.version.build, 0x0045);
    EXPECT_EQ(c.version.version_decoders, 0x07);
    EXPECT_EQ(c.version.version_boot, 0x03);
    EXPECT_EQ(b.enviados(), (V{0xBF, 0xC0}));
    uint8_t x = 0;
    EXPECT_EQ(b.puerto.Leer(&x, 1), 1);
    EXPECT_EQ(x, 0x99);
}

TEST(Version_mpeg4, NoAnswerOrWrongFirstByteLeavesNoAnswerValuesAndSendsNoC0) {
    for (const V& respuesta : {V{}, V{0xFA, 0x00, 0x01, 0x23, 0x00, 0x45, 0x07, 0x03}}) {
        Banco b;
        TConsultas c(b.ctx.canal());
        Guion_peticiones g(b, [&](sim::Extremo_guion& m, const V&, int64_t t, int) {
            if (!respuesta.empty()) m.responder(respuesta, t + 2000);
        });
        c.version.version_sw = 0;
        c.Leer_version_mpeg4();
        EXPECT_EQ(c.version.version_sw, 0x00FF);
        EXPECT_EQ(c.version.build, 0x00FF);
        EXPECT_EQ(c.version.version_boot, 0xFF);
        EXPECT_EQ(c.version.version_decoders, 0xFF);
        EXPECT_EQ(b.enviados(), V{0xBF});
    }
}

TEST(Version_mpeg4, TimeOutKeepsTheFieldsAlreadyComplete) {
    Banco b;
    TConsultas c(b.ctx.canal());
    Guion_peticiones g(b, [](sim::Extremo_guion& m, const V&, int64_t t, int) {
        m.responder({0xFB, 0x00, 0x02, 0x10, 0x00}, t + 2000);
    });
    c.Leer_version_mpeg4();
    EXPECT_EQ(c.version.version_sw, 0x0210);
    EXPECT_EQ(c.version.build, 0x00FF);
    EXPECT_EQ(c.version.version_boot, 0xFF);
    EXPECT_EQ(b.enviados(), V{0xBF});
    EXPECT_LE(b.reloj.ms(), 10500);
}

}  // namespace
}  // namespace z82
