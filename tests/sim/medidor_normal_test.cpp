// The simulated meter in normal mode: handshake answers, queries, EEPROM and device
// requests, the MPEG4 identity and the block loader frames.
#include <gtest/gtest.h>

#include "banco_medidor.h"

namespace z82 {
namespace {

using prueba::Banco_medidor;
using Bytes = std::vector<uint8_t>;

TEST(MedidorSimulado, HandshakeAnswersAndDisconnect) {
    Banco_medidor b;
    // Before a probe the meter does not serve queries.
    b.enviar({0x01, 0x42, 0x0E, 0x02, 0x04});
    EXPECT_TRUE(b.todo().empty());
    EXPECT_TRUE(b.conectar());
    EXPECT_EQ(b.medidor.modo(), sim::Medidor_simulado::Modo::normal);
    b.enviar({0x01, 0x00, 0xA0, 0xFE, 0x02});
    EXPECT_EQ(b.recibir(4), (Bytes{0x10, 0x02, 40, 0x00}));
    // 0x0A from the PC: back to waiting for a probe.
    b.enviar({0x0A});
    b.enviar({0x01, 0x42, 0x0E, 0x02, 0x04});
    EXPECT_TRUE(b.todo().empty());
    EXPECT_TRUE(b.medidor.hay("desconexion"));
    EXPECT_TRUE(b.conectar());
    // The closing pair in normal mode is noted and changes nothing.
    b.enviar({0x0F, 0xF0});
    b.enviar({0x01, 0x00, 0xA0, 0xFE, 0x02});
    EXPECT_EQ(b.recibir(4).size(), 4u);
    EXPECT_EQ(b.medidor.sesiones_cerradas, 2);

    sim::Config_medidor c;
    c.respuesta_sonda = 0x6D;
    Banco_medidor rechazo(c);
    rechazo.enviar({0x00});
    EXPECT_EQ(rechazo.recibir(1), Bytes{0x6D});
    rechazo.enviar({0x01, 0x42, 0x0E, 0x02, 0x04});
    EXPECT_TRUE(rechazo.todo().empty());

    c.sonda_muda = true;
    Banco_medidor mudo(c);
    mudo.enviar({0x00});
    EXPECT_TRUE(mudo.todo(500).empty());
}

TEST(MedidorSimulado, BootLoaderOnlyMeterTakesTheRawBlocksThenServesQueries) {
    sim::Config_medidor c;
    c.respuesta_sonda = 0xD5;
    Banco_medidor b(c);
    b.enviar({0x00});
    EXPECT_EQ(b.recibir(1), Bytes{0xD5});
    b.enviar(Bytes(32, 0x33));
    b.entorno.dormir(100);
    EXPECT_TRUE(b.todo(50).empty());
    b.enviar(Bytes(972, 0x44));
    EXPECT_EQ(b.recibir(1, 500), Bytes{0xAD});
    EXPECT_EQ(b.medidor.bloque_cargado(0), Bytes(32, 0x33));
    EXPECT_EQ(b.medidor.bloque_cargado(2), Bytes(972, 0x44));
    b.enviar({0x01, 0x42, 0x0E, 0x02, 0x04});
    EXPECT_EQ(b.recibir(6).size(), 6u);
    // Until it has been programmed it keeps answering 0xD5.
    EXPECT_EQ(b.medidor.respuesta_sonda(), 0xD5);
}

TEST(MedidorSimulado, MemoryBanksHoldVersionsPlanFpgaAndSettings) {
    sim::Config_medidor c;
    c.plan_version = 0x70;
    c.region = "USA";
    Banco_medidor b(c);
    ASSERT_TRUE(b.conectar());
    // Plan header of plan image 0.
    b.enviar({0x01, 0x1E, 0x00, 0x00, 0x06});
    EXPECT_EQ(b.recibir(8), (Bytes{0x10, 0x06, 0x00, 0x26, 0x00, 0x70, 0x00, 0x00}));
    // Firmware version text in two parts, each ending with a zero byte.
    b.enviar({0x01, 0x18, 0x10, 0x00, 0x06});
    EXPECT_EQ(b.recibir(8), (Bytes{0x10, 0x06, '1', '.', '8', '7', 0, 0}));
    b.enviar({0x01, 0x18, 0x16, 0x00, 0x06});
    EXPECT_EQ(b.recibir(8), (Bytes{0x10, 0x06, '0', '0', '0', '0', '0', 0}));
    b.enviar({0x01, 0x18, 0x00, 0x00, 0x10});
    auto r = b.recibir(18);
    ASSERT_EQ(r.size(), 18u);
    EXPECT_EQ(std::string(r.begin() + 14, r.begin() + 17), "USA");
    // FPGA version 2.0: byte 11 major, byte 10 minor.
    b.enviar({0x01, 0x30, 0x00, 0x00, 0x10});
    r = b.recibir(18);
    ASSERT_EQ(r.size(), 18u);
    EXPECT_EQ(r[2 + 11], 2);
    EXPECT_EQ(r[2 + 10], 0);
    // Options (byte 26 bit 0x20) and the readable version block (byte 1 zero).
    b.enviar({0x01, 0x00, 0x10, 0x60, 0x20});
    r = b.recibir(34);
    ASSERT_EQ(r.size(), 34u);
    EXPECT_EQ(r[2 + 26] & 0x20, 0x20);
    b.enviar({0x01, 0x00, 0x30, 0x60, 0x10});
    r = b.recibir(18);
    ASSERT_EQ(r.size(), 18u);
    EXPECT_EQ(r[2 + 1], 0);
    // Identity queries on the EEPROM, which answers a read at A from A - 2 on: language at
    // 0x020E, sound selector at 0x0233, word at 0x023B.
    b.enviar({0x01, 0x42, 0x0E, 0x02, 0x04});
    EXPECT_EQ(b.recibir(6)[4], 1);
    b.enviar({0x01, 0x42, 0x32, 0x02, 0x04});
    EXPECT_EQ(b.recibir(6)[5], c.dato_233);
    b.enviar({0x01, 0x42, 0x3B, 0x02, 0x04});
    r = b.recibir(6);
    EXPECT_EQ(r[4] | (r[5] << 8), c.dato_23b);
    EXPECT_EQ(b.medidor.contar("lectura"), 10u);
}

TEST(MedidorSimulado, DeviceStatusAndActivation) {
    Banco_medidor b;
    ASSERT_TRUE(b.conectar());
    b.enviar({0x01, 0x50, 0x3F, 0x01, 0x98});
    EXPECT_EQ(b.recibir(4), (Bytes{0x10, 0x02, 0x00, 0x10}));
    b.enviar({0x01, 0x50, 0x3F, 0x01, 0x9C});
    EXPECT_EQ(b.recibir(4), (Bytes{0x10, 0x02, 0x00, 0x00}));
    // The activation sets bits 0x41 and reads back 0x51.
    b.enviar({0x02, 0x05, 0x50, 0x3F, 0x08, 0x00, 0x51});
    EXPECT_EQ(b.recibir(1), Bytes{0x20});
    b.enviar({0x01, 0x50, 0x3F, 0x01, 0x98});
    EXPECT_EQ(b.recibir(4), (Bytes{0x10, 0x02, 0x00, 0x51}));
    // Nobody else is on the bus.
    b.enviar({0x01, 0x50, 0x3E, 0x01, 0x98});
    EXPECT_TRUE(b.todo().empty());

    sim::Config_medidor c;
    c.registro_sel12[1] = 0x40;  // status bit set
    Banco_medidor ocupado(c);
    ASSERT_TRUE(ocupado.conectar());
    ocupado.enviar({0x01, 0x50, 0x3F, 0x01, 0x9C});
    EXPECT_EQ(ocupado.recibir(4), (Bytes{0x10, 0x02, 0x00, 0x40}));
}

TEST(MedidorSimulado, EepromWritesAreAcknowledgedStoredAndReadBack) {
    Banco_medidor b;
    ASSERT_TRUE(b.conectar());
    Bytes peticion{0x02, 0x83, 0x50, 0x52, 0x08, 0x01, 0x80};
    for (int i = 0; i < 126; ++i) peticion.push_back(static_cast<uint8_t>(i));
    b.enviar(peticion);
    EXPECT_EQ(b.recibir(1), Bytes{0x20});
    EXPECT_EQ(b.medidor.eeprom()[0x0180], 0);
    EXPECT_EQ(b.medidor.eeprom()[0x0180 + 125], 125);
    EXPECT_EQ(b.medidor.eeprom()[0x0180 + 126], 0xFF);
    EXPECT_TRUE(b.medidor.hay("eeprom 0180 126"));
    // Read back from two bytes before the address asked.
    b.enviar({0x01, 0x42, 0x82, 0x01, 0x04});
    EXPECT_EQ(b.recibir(6), (Bytes{0x10, 0x04, 0, 1, 2, 3}));
}

TEST(MedidorSimulado, Mpeg4IdentityAndSerialOrSilenceWithoutModule) {
    Banco_medidor b;
    ASSERT_TRUE(b.conectar());
    b.enviar({0xBF});
    EXPECT_EQ(b.recibir(8), (Bytes{0xFB, 0x00, 0x00, 0x70, 0x00, 0x00, 0x05, 0x02}));
    b.enviar({0xC0});
    const auto r = b.recibir(66);
    ASSERT_EQ(r.size(), 66u);
    EXPECT_EQ(r[0], 0x0C);
    EXPECT_EQ(r[2], 'Z');

    sim::Config_medidor c;
    c.mpeg4_presente = false;
    Banco_medidor sin_modulo(c);
    ASSERT_TRUE(sin_modulo.conectar());
    sin_modulo.enviar({0xBF});
    EXPECT_TRUE(sin_modulo.todo(500).empty());
}

TEST(MedidorSimulado, BlockLoaderSynchronisesAndErasesSectors) {
    Banco_medidor b;
    ASSERT_TRUE(b.conectar());
    // Synchronisation: 128 bytes 0xFF at offset 0, XOR 0, sent a byte at a time.
    Bytes z{0x5A, 0, 0, 0};
    z.resize(132, 0xFF);
    z.push_back(0);
    for (uint8_t x : z) {
        b.enviar({x});
        b.entorno.dormir(1);
    }
    EXPECT_EQ(b.recibir(1), Bytes{0xA5});
    // A bad XOR gets no answer.
    z.back() = 1;
    b.enviar(z);
    EXPECT_TRUE(b.todo(1000).empty());
    // Erase of sector 0x1E: the plan header reads erased.
    b.enviar({0x5B, 0, 0, 0, 0, 0, 0, 0x1E, 0, 0, 0, 0x1E});
    b.entorno.dormir(1000);
    EXPECT_EQ(b.recibir(1), Bytes{0xB5});
    EXPECT_EQ(b.medidor.flash(0x1E)[4], 0xFF);
    b.enviar({0x01, 0x1E, 0x00, 0x00, 0x06});
    EXPECT_EQ(b.recibir(8), (Bytes{0x10, 0x06, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    // A damaged order is refused and erases nothing.
    b.enviar({0x5B, 0, 0, 0, 0, 0, 0, 0x18, 0, 0, 0, 0x19});
    EXPECT_TRUE(b.todo(1000).empty());
    EXPECT_EQ(b.medidor.flash(0x18)[0x10], '1');
}

TEST(MedidorSimulado, OwnDisconnectByteAtItsInstant) {
    sim::Config_medidor c;
    c.us_desconexion_propia = 3'000'000;
    Banco_medidor b(c);
    ASSERT_TRUE(b.conectar());
    const auto r = b.recibir(1, 5000);
    EXPECT_EQ(r, Bytes{0x0A});
    EXPECT_GE(b.reloj.us(), 3'000'000);
    EXPECT_LT(b.reloj.us(), 3'100'000);
    b.enviar({0x01, 0x42, 0x0E, 0x02, 0x04});
    EXPECT_TRUE(b.todo().empty());
    EXPECT_TRUE(b.medidor.hay("desconexion propia"));
}

}  // namespace
}  // namespace z82
