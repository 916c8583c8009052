#include "link/tcpuerto.h"

#include <gtest/gtest.h>

#include "apoyo/banco.h"
#include "protocol/trama_flash.h"

namespace z82 {
namespace {

using prueba::Banco;

TEST(TCPuerto, PortThatDoesNotExistStaysClosedAndOperationsAreHarmless) {
    Banco b;
    b.puerto.Cerrar();
    EXPECT_FALSE(b.puerto.Abrir(7, b.ctx.config_puerto));
    EXPECT_FALSE(b.puerto.Abierto());
    uint8_t x[4] = {9, 9, 9, 9};
    EXPECT_EQ(b.puerto.Escribir(x, 4), 0);
    EXPECT_EQ(b.puerto.Leer(x, 1), 0);
    EXPECT_EQ(x[0], 9);  // untouched on a closed port
    EXPECT_EQ(b.puerto.Libre_salida(), TCPuerto::LIBRE_ERROR);
}

TEST(TCPuerto, OpenAppliesTheMeterLineSettingsAndTimeouts) {
    Banco b;
    EXPECT_TRUE(b.puerto.Abrir(1, b.ctx.config_puerto));
    const Dcb& d = b.enlace.ultimo_dcb;
    EXPECT_EQ(d.DCBlength, 28u);
    EXPECT_EQ(d.BaudRate, 115200u);
    EXPECT_EQ(d.ByteSize, 8);
    EXPECT_EQ(d.Parity, 0);
    EXPECT_EQ(d.StopBits, 2);
    EXPECT_EQ(d.fDtrControl, 1);
    EXPECT_EQ(d.fRtsControl, 0);
    EXPECT_TRUE(d.fBinary);
    EXPECT_TRUE(d.fTXContinueOnXoff);
    EXPECT_EQ(d.XonLim, 512);
    EXPECT_EQ(d.XoffLim, 1);
    EXPECT_EQ(b.enlace.ultimos_tiempos.ReadIntervalTimeout, 0xFFFFFFFFu);
    EXPECT_EQ(b.enlace.ultimos_tiempos.ReadTotalTimeoutMultiplier, 10u);
    EXPECT_EQ(b.enlace.ultimos_tiempos.ReadTotalTimeoutConstant, 15u);
    // Opening twice closes and reopens.
    EXPECT_TRUE(b.puerto.Abrir(1, b.ctx.config_puerto));
    EXPECT_EQ(b.enlace.aperturas.size(), 3u);
}

TEST(TCPuerto, PurgeMasks) {
    Banco b;
    b.enlace.purgas.clear();
    b.puerto.Purgar(true, false);
    b.puerto.Purgar(false, true);
    b.puerto.Purgar(true, true);
    EXPECT_EQ(b.enlace.purgas, (std::vector<uint32_t>{10, 5, 15}));
}

TEST(TCPuerto, OneByteReadWithNothingPendingWaits25msAndLeavesZero) {
    Banco b;
    uint8_t x = 0x77;
    const int64_t t0 = b.reloj.ms();
    EXPECT_EQ(b.puerto.Leer(&x, 1), 0);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(b.reloj.ms() - t0, 25);
}

TEST(TCPuerto, ReadReturnsAsSoonAsTheByteArrives) {
    Banco b;
    b.medidor.responder(0x5D, b.reloj.us() + 3000);
    uint8_t x = 0;
    EXPECT_EQ(b.puerto.Leer(&x, 1), 1);
    EXPECT_EQ(x, 0x5D);
    EXPECT_LT(b.reloj.ms(), 4);
}

TEST(TCPuerto, ReadAllOnesAsksForTheInputSize) {
    Banco b;
    std::vector<uint8_t> muchos(3000, 0xAB);
    b.medidor.responder(muchos, b.reloj.us());
    std::vector<uint8_t> dest(4096, 0);
    EXPECT_EQ(b.puerto.Leer(dest.data(), TCPuerto::TODOS), 2048);
}

TEST(TCPuerto, LongWriteIsPacedByTheOutputQueue) {
    Banco b;
    std::vector<uint8_t> datos(5000);
    for (size_t i = 0; i < datos.size(); ++i) datos[i] = static_cast<uint8_t>(i);
    EXPECT_EQ(b.puerto.Escribir(datos.data(), 5000), 5000);
    EXPECT_EQ(b.medidor.recibidos, datos);
    // 5000 bytes cannot be queued at once: the write waited for the wire.
    EXPECT_GT(b.reloj.ms(), 200);
}

TEST(TCPuerto, ClosedPortReadsTakeAOneByteTimeOutSoWaitsPollAtTheirPaceAndDoNotSpin) {
    Banco b;
    b.puerto.Cerrar();
    uint8_t x = 9;
    int64_t t0 = b.reloj.ms();
    EXPECT_EQ(b.puerto.Leer(&x, 1), 0);
    EXPECT_EQ(x, 9);
    EXPECT_EQ(b.reloj.ms() - t0, 25);

    // The wake-up's answer wait on a port that closed (a lost reconnection): it fails at its
    // limits as with a silent meter, polling every 25 ms rather than every message pump.
    t0 = b.reloj.ms();
    const long pumps = b.entorno.mensajes_procesados;
    EXPECT_FALSE(Despertar(b.ctx.canal(), formas::despertar));
    const int64_t ms = b.reloj.ms() - t0;
    EXPECT_GE(ms, 5 * 2000);
    EXPECT_LE(ms, 5 * (3000 + 500) + 100);
    EXPECT_LE(b.entorno.mensajes_procesados - pumps, ms / 25 + 10);
}

TEST(TCPuerto, ReadsOfADeviceThatWentAwayTakeAOneByteTimeOut) {
    Banco b;
    b.enlace.adaptador_fuera_desde_us = b.reloj.us();  // the USB adapter is pulled
    ASSERT_TRUE(b.puerto.Abierto());
    uint8_t x[4] = {9, 9, 9, 9};
    const int64_t t0 = b.reloj.ms();
    EXPECT_EQ(b.puerto.Leer(x, 4), 0);
    EXPECT_EQ(b.reloj.ms() - t0, 25);
    EXPECT_EQ(b.puerto.Escribir(x, 1), -1);
}

TEST(TCPuerto, WriteFailsWhenTheDeviceReportsAnError) {
    Banco b;
    b.enlace.desenchufado = true;
    uint8_t x = 1;
    EXPECT_EQ(b.puerto.Escribir(&x, 1), -1);
}

TEST(TCPuerto, DrainReadsUntilNothingComes) {
    Banco b;
    b.medidor.responder({1, 2, 3}, b.reloj.us());
    b.puerto.Vaciar_entrada();
    uint8_t x = 5;
    EXPECT_EQ(b.puerto.Leer(&x, 1), 0);
}

}  // namespace
}  // namespace z82
