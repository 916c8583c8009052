// Faults on the cable of the simulated meter: late, doubled and lost bytes, counted or
// timed, and how the flash loader's recovery copes with them.
#include <gtest/gtest.h>

#include "banco_medidor.h"

namespace z82 {
namespace {

using prueba::Banco_medidor;
using Bytes = std::vector<uint8_t>;

sim::Fallo_byte fallo(sim::Sentido s, sim::Accion a, int64_t n) {
    sim::Fallo_byte f;
    f.sentido = s;
    f.accion = a;
    f.n_byte = n;
    return f;
}

TEST(MedidorFallos, LateAndDoubledAnswers) {
    Banco_medidor b;
    auto f = fallo(sim::Sentido::hacia_pc, sim::Accion::retrasar, 1);
    f.retardo_us = 400'000;
    b.medidor.fallos.bytes.push_back(f);
    b.medidor.fallos.bytes.push_back(fallo(sim::Sentido::hacia_pc, sim::Accion::duplicar, 2));
    b.enviar({0x00});
    EXPECT_EQ(b.recibir(1, 300), Bytes{});  // the answer is late
    EXPECT_EQ(b.recibir(1, 300), Bytes{0x5D});
    EXPECT_GE(b.reloj.us(), 400'000);
    // The second byte towards the PC (the 0x10 of this read) comes twice; the rest follows
    // it in order.
    b.enviar({0x01, 0x00, 0xA0, 0xFE, 0x02});
    EXPECT_EQ(b.recibir(5), (Bytes{0x10, 0x10, 0x02, 40, 0}));
    EXPECT_TRUE(b.medidor.fallos.bytes[0].aplicado && b.medidor.fallos.bytes[1].aplicado);
}

TEST(MedidorFallos, LostAcknowledgementAndDoubledFrameByteAreMadeGood) {
    Banco_medidor b;
    ASSERT_TRUE(b.conectar());
    ASSERT_TRUE(b.cargar_cargador());
    // The '0' of the next block write is lost.
    sim::Fallo_byte f;
    f.sentido = sim::Sentido::hacia_pc;
    f.accion = sim::Accion::perder;
    f.desde_us = b.reloj.us();
    b.medidor.fallos.bytes.push_back(f);
    const auto t = Banco_medidor::bloque(0xB0, 0x1000, Bytes(50, 0x77));
    b.enviar(t);
    EXPECT_TRUE(b.recibir(1, 2000).empty());
    EXPECT_EQ(b.medidor.preparado(5)[0x1000], 0x77);  // written all the same
    b.enviar({0xFF});
    EXPECT_EQ(b.recibir(1), Bytes{'?'});
    b.enviar(t);
    EXPECT_EQ(b.recibir(1), Bytes{'0'});

    // A byte doubled on the way in: the frame closes one byte early with a wrong check,
    // its real last byte starts nothing sensible, and the recovery still gets through.
    sim::Fallo_byte d;
    d.sentido = sim::Sentido::hacia_medidor;
    d.accion = sim::Accion::duplicar;
    d.desde_us = b.reloj.us() + 20 * sim::Enlace_simulado::US_POR_BYTE;
    b.medidor.fallos.bytes.push_back(d);
    const auto t2 = Banco_medidor::bloque(0xB0, 0x2000, Bytes(60, 0x99));
    b.enviar(t2);
    const auto r = b.recibir(1, 2000);
    EXPECT_TRUE(r.empty() || r[0] != '0');
    b.puerto.Purgar(true, true);
    b.enviar({0xFF});
    EXPECT_EQ(b.recibir(1), Bytes{'?'});
    b.enviar(t2);
    EXPECT_EQ(b.recibir(1), Bytes{'0'});
    EXPECT_EQ(b.medidor.preparado(5)[0x2000 + 59], 0x99);
    EXPECT_EQ(b.medidor.bloques_rechazados, 1);
}

TEST(MedidorFallos, PowerCycleDropsPendingWorkAndKeepsMemory) {
    Banco_medidor b;
    ASSERT_TRUE(b.conectar());
    ASSERT_TRUE(b.cargar_cargador());
    Bytes mapa(64, 0);
    mapa[0x18] = 1;
    b.enviar(Banco_medidor::trama(0x09, mapa));
    EXPECT_EQ(b.recibir(2), (Bytes{0x8A, 0x8A}));
    // Power lost in the middle of programming: the segment is not replaced.
    b.medidor.reiniciar(b.reloj.us());
    EXPECT_TRUE(b.todo(3000).empty());
    EXPECT_EQ(b.medidor.flash(0x18)[0x10], '1');
    EXPECT_EQ(b.medidor.programaciones, 0);
    EXPECT_TRUE(b.conectar());
}

}  // namespace
}  // namespace z82
