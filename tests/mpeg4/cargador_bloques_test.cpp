#include "mpeg4/cargador_bloques.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "apoyo/banco.h"

namespace z82 {
namespace {

using prueba::Banco;
using V = std::vector<uint8_t>;

// The meter's loader answers once the whole frame is in, after the given delay.
void Responder_tras_trama(Banco& b, size_t largo, uint8_t respuesta, int64_t retraso_us) {
    b.medidor.al_recibir = [=](sim::Extremo_guion& m, uint8_t, int64_t t) {
        if (m.recibidos.size() == largo) m.responder(respuesta, t + retraso_us);
    };
}

TEST(Tramas_cargador, FramesCarryBigEndianFieldsAndTheirXor) {
    uint8_t datos[Trama_bloque::DATOS];
    for (size_t i = 0; i < Trama_bloque::DATOS; ++i) datos[i] = static_cast<uint8_t>(i);
    const Trama_bloque bloque(0x012345, datos);
    EXPECT_EQ(bloque.bytes[0], 0x5A);
    EXPECT_EQ(bloque.bytes[1], 0x01);
    EXPECT_EQ(bloque.bytes[2], 0x23);
    EXPECT_EQ(bloque.bytes[3], 0x45);
    EXPECT_EQ(bloque.bytes[131], 127);
    // XOR of 0..127 is 0, so the check is the XOR of the offset bytes.
    EXPECT_EQ(bloque.bytes[132], 0x01 ^ 0x23 ^ 0x45);

    const Trama_orden orden(0x000180, 0x1E, 0x3C);
    EXPECT_EQ(orden.bytes, (std::array<uint8_t, 12>{0x5B, 0, 0, 0, 0x00, 0x01, 0x80, 0x1E, 0, 0,
                                                    0x3C, 0x01 ^ 0x80 ^ 0x1E ^ 0x3C}));
}

TEST(Vaciar_sector, SendsTheEraseOrderByteByByteAndAcceptsB5) {
    Banco b;
    Responder_tras_trama(b, 12, 0xB5, 50000);
    EXPECT_TRUE(Vaciar_sector(b.ctx.canal(), 32));
    EXPECT_EQ(b.medidor.recibidos, (V{0x5B, 0, 0, 0, 0, 0, 0, 0x20, 0, 0, 0, 0x20}));
    // One byte at a time, at least a millisecond apart.
    for (size_t i = 1; i < b.medidor.tiempos_recibidos.size(); ++i) {
        EXPECT_GE(b.medidor.tiempos_recibidos[i] - b.medidor.tiempos_recibidos[i - 1], 1000);
    }
    EXPECT_EQ(b.entorno.lineas_diagnostico, (std::vector<std::string>{"ack: B5\n"}));
    // The reply is read only after the fixed pause.
    EXPECT_GE(b.reloj.ms(), 1012);
}

TEST(Vaciar_sector, OtherReplyPrintsTheLineAndFailsWhileSilenceFailsQuietly) {
    Banco b;
    Responder_tras_trama(b, 12, 0x4A, 3000);
    EXPECT_FALSE(Vaciar_sector(b.ctx.canal(), 30));
    EXPECT_EQ(b.entorno.lineas_diagnostico, (std::vector<std::string>{"ack: 4A\n"}));

    Banco silencio;
    EXPECT_FALSE(Vaciar_sector(silencio.ctx.canal(), 30));
    EXPECT_TRUE(silencio.entorno.lineas_diagnostico.empty());
    EXPECT_GE(silencio.reloj.ms(), 9000);
    EXPECT_LE(silencio.reloj.ms(), 10200);
}

TEST(Sincronizar_datos, SendsOneBlockOfFFWithXorZeroAndAcceptsA5) {
    Banco b;
    Responder_tras_trama(b, 133, 0xA5, 2000);
    EXPECT_TRUE(Sincronizar_datos(b.ctx.canal()));
    // The header 5A and offset 0, 128 bytes of FF, their XOR 00. Filled in place: growing a
    // four-byte vector here makes GCC 12 at -O3 warn about a copy it never does.
    V esperado(133, 0xFF);
    std::fill_n(esperado.begin(), 4, uint8_t{0});
    esperado[0] = 0x5A;
    esperado[132] = 0x00;
    EXPECT_EQ(b.medidor.recibidos, esperado);
    EXPECT_TRUE(b.entorno.lineas_diagnostico.empty());

    Banco otro;
    Responder_tras_trama(otro, 133, 0x5A, 2000);
    EXPECT_FALSE(Sincronizar_datos(otro.ctx.canal()));
}

TEST(Sincronizar_datos, A5IsAcceptedWithFiveSecondsElapsedButNotSix) {
    // The clock starts just after a seconds boundary; the reply comes 5.5 s or 6.3 s later.
    for (int64_t retraso_ms : {5500, 6300}) {
        Banco b;
        b.entorno.origen_ms = (1000 - b.reloj.ms() % 1000) % 1000;
        const int64_t inicio_us = b.reloj.us();
        b.medidor.al_recibir = [=](sim::Extremo_guion& m, uint8_t, int64_t) {
            if (m.recibidos.size() == 133) m.responder(0xA5, inicio_us + retraso_ms * 1000);
        };
        EXPECT_EQ(Sincronizar_datos(b.ctx.canal()), retraso_ms < 6000) << retraso_ms;
    }
}

}  // namespace
}  // namespace z82
