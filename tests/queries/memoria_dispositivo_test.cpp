// Memory reads, the level check and the peripheral device exchanges.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "apoyo/banco.h"
#include "queries/guion_peticiones.h"
#include "queries/tconsultas.h"

namespace z82 {
namespace {

using prueba::Banco;
using prueba::Guion_peticiones;
using V = std::vector<uint8_t>;

TEST(Leer_memoria, PlanHeaderReadSendsTheRequestAndTakesLittleEndianWords) {
    Banco b;
    TConsultas c(b.ctx.canal());
    prueba::Segundo_en(b, 900);
    Guion_peticiones g(b, [](sim::Extremo_guion& m, const V&, int64_t t, int) {
        m.responder({0x10, 0x06, 0x00, 0x26, 0x00, 0x70, 0x00, 0x00}, t + 200000);
    });
    bool evento = false;
    b.entorno.publicar([&] { evento = true; });
    uint16_t w[3] = {9, 9, 9};
    c.Leer_memoria(0x0000, 0x1E, 6, w);
    EXPECT_EQ(b.enviados(), (V{0x01, 0x1E, 0x00, 0x00, 0x06}));
    EXPECT_EQ(w[0], 0x2600);
    EXPECT_EQ(w[1], 0x7000);
    EXPECT_EQ(w[2], 0x0000);
    // The waits of a memory read let the window's messages run.
    EXPECT_TRUE(evento);
}

TEST(Leer_memoria, BytesBeforeTheHeaderAreDropped) {
    Banco b;
    TConsultas c(b.ctx.canal());
    Guion_peticiones g(b, [](sim::Extremo_guion& m, const V&, int64_t t, int) {
        m.responder({0x33, 0x44, 0x10, 0x02, 0x34, 0x12}, t + 2000);
    });
    uint16_t w = 0;
    c.Leer_memoria(0x6030, 0x00, 2, &w);
    EXPECT_EQ(w, 0x1234);
    EXPECT_EQ(g.peticiones.size(), 1u);
}

TEST(Leer_memoria, HeaderWithoutDataMakesFiveAttemptsAndLeavesZeros) {
    Banco b;
    TConsultas c(b.ctx.canal());
    Guion_peticiones g(b, [](sim::Extremo_guion& m, const V&, int64_t t, int) {
        m.responder({0x10, 0x10}, t + 2000);
    });
    uint16_t w[8];
    std::fill(std::begin(w), std::end(w), uint16_t{0xBEEF});
    c.Leer_memoria(0x0000, 0x18, 16, w);
    ASSERT_EQ(g.peticiones.size(), 5u);
    for (const auto& p : g.peticiones) EXPECT_EQ(p, (V{0x01, 0x18, 0x00, 0x00, 0x10}));
    for (uint16_t x : w) EXPECT_EQ(x, 0);
    // Each attempt waits up to a second and a bit for its data: about 5 x 2 s at most.
    EXPECT_LT(b.reloj.ms(), 11000);
}

TEST(Leer_memoria, ByteArrivingJustAfterTheSecondsReadingChangedFailsTheAttempt) {
    Banco b;
    TConsultas c(b.ctx.canal());
    // The boundary falls 100 ms into the exchange; the last byte of the first reply comes
    // 3 ms after it, well within a second of the request.
    const int64_t frontera_ms = prueba::Segundo_en(b, 100);
    Guion_peticiones g(b, [&](sim::Extremo_guion& m, const V&, int64_t t, int n) {
        if (n == 1) {
            m.responder({0x10, 0x02, 0x11}, t + 2000);
            m.responder(0x11, frontera_ms * 1000 + 3000);
        } else {
            m.responder({0x10, 0x02, 0x22, 0x22}, t + 2000);
        }
    });
    uint16_t w = 0;
    c.Leer_memoria(0xFEA0, 0x00, 2, &w);
    EXPECT_EQ(g.peticiones.size(), 2u);
    EXPECT_EQ(w, 0x2222);
}

TEST(Leer_memoria, ValuesThatMatterAreReadUntilTwoWholeRepliesAgree) {
    // Replies per request; a reply of one byte is cut short.
    // An empty reply is silence.
    auto leer = [](std::vector<V> respuestas, uint16_t& w, Bytes_usados usados = {}) {
        Banco b;
        TConsultas c(b.ctx.canal());
        Guion_peticiones g(b, [&](sim::Extremo_guion& m, const V&, int64_t t, int n) {
            const V& r = respuestas[std::min(size_t(n), respuestas.size()) - 1];
            if (!r.empty()) m.responder(r, t + 2000);
        });
        const bool ok = c.Leer_memoria_conforme(0x0010, 0x18, 2, &w, usados);
        return std::make_pair(ok, g.peticiones.size());
    };
    const V a{0x10, 0x02, 0x31, 0x2E}, b{0x10, 0x02, 0x31, 0x2F}, c{0x10, 0x02, 0x31, 0x30};
    uint16_t w = 0;
    EXPECT_EQ(leer({a, a}, w), std::make_pair(true, size_t{2}));
    EXPECT_EQ(w, 0x2E31);
    EXPECT_EQ(leer({b, a, a}, w), std::make_pair(true, size_t{3}));
    EXPECT_EQ(w, 0x2E31);
    // A cut reply is retried by the read itself (five attempts), and never counts as one
    // of the two that agree.
    EXPECT_EQ(leer({a, V{0x10, 0x02, 0x31}, V{0x10, 0x02, 0x31}, V{0x10, 0x02, 0x31},
                    V{0x10, 0x02, 0x31}, V{0x10, 0x02, 0x31}, a, a},
                   w),
              std::make_pair(true, size_t{8}));
    // Never the same twice: five reads, and the words hold the last reply.
    EXPECT_EQ(leer({a, b, c, a, b, c}, w), std::make_pair(false, size_t{5}));
    EXPECT_EQ(w, 0x2F31);
    // Only the bytes a decision uses must agree: a RAM block's other bytes move.
    EXPECT_EQ(leer({a, b}, w, {0, 1}), std::make_pair(true, size_t{2}));
    // A meter that sends nothing to the read's five attempts is not asked again.
    EXPECT_EQ(leer({V{}}, w), std::make_pair(false, size_t{5}));
}

TEST(Leer_nivel, AveragesFourReadsOfTheLowByteRoundingDown) {
    Banco b;
    TConsultas c(b.ctx.canal());
    const uint8_t niveles[4] = {40, 41, 42, 43};
    Guion_peticiones g(b, [&](sim::Extremo_guion& m, const V&, int64_t t, int n) {
        m.responder({0x10, 0x02, niveles[n - 1], 0x7F}, t + 2000);
    });
    EXPECT_EQ(c.Leer_nivel(), 41);
    ASSERT_EQ(g.peticiones.size(), 4u);
    for (const auto& p : g.peticiones) EXPECT_EQ(p, (V{0x01, 0x00, 0xA0, 0xFE, 0x02}));
}

TEST(Leer_nivel, SilentMeterReadsZero) {
    Banco b;
    TConsultas c(b.ctx.canal());
    EXPECT_EQ(c.Leer_nivel(), 0);
    EXPECT_EQ(b.enviados().size(), 4u * 5u * 5u);
}

struct Buffer_vigilado {
    uint8_t datos[TConsultas::CAPACIDAD_DISPOSITIVO];
    uint8_t guarda[8];
};

TEST(Leer_dispositivo, ModeAboveSevenSendsNothing) {
    Banco b;
    TConsultas c(b.ctx.canal());
    uint8_t buf[TConsultas::CAPACIDAD_DISPOSITIVO] = {1};
    EXPECT_FALSE(c.Leer_dispositivo(0x3F, buf, 8, 1, 8));
    EXPECT_TRUE(b.enviados().empty());
}

TEST(Leer_dispositivo, ReplyLongerThanTheBufferIsNotStoredAndFailsTheAttempt) {
    Banco b;
    TConsultas c(b.ctx.canal());
    Guion_peticiones g(b, [](sim::Extremo_guion& m, const V&, int64_t t, int n) {
        if (n <= 2) {
            V r{0x10, 0x0C};
            for (uint8_t i = 0; i < 12; ++i) r.push_back(0xA0 + i);
            m.responder(r, t + 2000);
        } else {
            m.responder({0x10, 0x02, 0x05, 0x06}, t + 2000);
        }
    });
    Buffer_vigilado bv{};
    std::fill(std::begin(bv.guarda), std::end(bv.guarda), uint8_t{0xEE});
    bv.datos[0] = 2;
    EXPECT_TRUE(c.Leer_dispositivo(0x3F, bv.datos, 8, 1, 1));
    EXPECT_EQ(g.peticiones.size(), 3u);
    // The retries ask for the count given on entry.
    for (const auto& p : g.peticiones) EXPECT_EQ(p, (V{0x01, 0x50, 0x3F, 0x02, 0x98}));
    EXPECT_EQ(bv.datos[0], 0x05);
    EXPECT_EQ(bv.datos[1], 0x06);
    for (uint8_t x : bv.guarda) EXPECT_EQ(x, 0xEE);
}

TEST(Leer_dispositivo, SilentDeviceFailsAfterFiveAttemptsWithoutRunningMessages) {
    Banco b;
    TConsultas c(b.ctx.canal());
    uint8_t buf[TConsultas::CAPACIDAD_DISPOSITIVO] = {1};
    const long mensajes = b.entorno.mensajes_procesados;
    EXPECT_FALSE(c.Leer_dispositivo(0x3F, buf, 12, 1, 1));
    EXPECT_EQ(b.entorno.mensajes_procesados, mensajes);
    EXPECT_EQ(b.enviados().size(), 25u);
    EXPECT_GE(b.reloj.ms(), 5 * 2000);
    EXPECT_LE(b.reloj.ms(), 5 * 6000);
}

TEST(Comprobar_dispositivo, ReadsSelectorsEightThenTwelveAndTestsTheStatusBits) {
    struct Caso {
        uint8_t sel8, sel12;
        bool esperado;
    };
    for (const Caso& k : {Caso{0x00, 0x00, true}, Caso{0x7F, 0xBF, true}, Caso{0x80, 0x00, false},
                          Caso{0x00, 0x40, false}}) {
        Banco b;
        TConsultas c(b.ctx.canal());
        Guion_peticiones g(b, [&](sim::Extremo_guion& m, const V& p, int64_t t, int) {
            m.responder({0x10, 0x02, 0x01, p[4] == 0x98 ? k.sel8 : k.sel12}, t + 2000);
        });
        EXPECT_EQ(c.Comprobar_dispositivo(), k.esperado) << int(k.sel8) << " " << int(k.sel12);
        EXPECT_EQ(b.enviados(), (V{0x01, 0x50, 0x3F, 0x01, 0x98, 0x01, 0x50, 0x3F, 0x01, 0x9C}));
    }
}

TEST(Escribir_dispositivo, DeviceThatNeverAcknowledgesFailsAfterFiveAttempts) {
    Banco b;
    TConsultas c(b.ctx.canal());
    Guion_peticiones g(b, [](sim::Extremo_guion& m, const V&, int64_t t, int) {
        m.responder({0x21, 0x00}, t + 2000);  // never 0x20
    });
    const uint8_t datos[2] = {0x01, 0x41};
    const long mensajes = b.entorno.mensajes_procesados;
    EXPECT_FALSE(c.Escribir_dispositivo(0x3F, 0x18, datos, 2));
    ASSERT_EQ(g.peticiones.size(), 5u);
    EXPECT_EQ(g.peticiones[0], (V{0x02, 0x05, 0x50, 0x3F, 0x08, 0x01, 0x41}));
    EXPECT_EQ(b.entorno.mensajes_procesados, mensajes);
    EXPECT_GE(b.reloj.ms(), 5 * 2000);
    EXPECT_LE(b.reloj.ms(), 5 * 3000 + 500);
}

TEST(Activar_dispositivo, SetsBitsAndChecksTheReadBack) {
    for (uint8_t final : {uint8_t{0x51}, uint8_t{0x41}}) {
        Banco b;
        TConsultas c(b.ctx.canal());
        int lecturas = 0;
        Guion_peticiones g(b, [&](sim::Extremo_guion& m, const V& p, int64_t t, int) {
            if (p[0] == 0x02) {
                m.responder(0x20, t + 2000);
            } else {
                ++lecturas;
                m.responder({0x10, 0x02, 0x01, lecturas == 1 ? uint8_t{0x02} : final}, t + 2000);
            }
        });
        EXPECT_EQ(c.Activar_dispositivo(), final == 0x51);
        ASSERT_EQ(g.peticiones.size(), 3u);
        EXPECT_EQ(g.peticiones[1], (V{0x02, 0x05, 0x50, 0x3F, 0x08, 0x01, 0x43}));
        EXPECT_EQ(g.peticiones[2], (V{0x01, 0x50, 0x3F, 0x01, 0x98}));
    }
}

}  // namespace
}  // namespace z82
