// The termios link over a real pseudo-terminal, driven through the port object as the
// program drives it. The test holds the master side: the meter's end of the cable.
#include "link/posix/serie_termios.h"

#include <gtest/gtest.h>
#include <termios.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <thread>

#include "link/posix/entorno_sistema.h"
#include "link/posix/pty.h"
#include "link/tcpuerto.h"

namespace z82 {
namespace {

using prueba::Pty;
using prueba::reloj_ms;

std::string carpeta_temporal() {
    std::string plantilla = ::testing::TempDir() + "z82_serie_XXXXXX";
    const char* r = ::mkdtemp(plantilla.data());
    return r != nullptr ? std::string(r) : std::string();
}

std::vector<uint8_t> patron(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 7 + i / 256);
    return v;
}

// A machine with no serial devices of its own and the pty registered as port 1.
class SerieTermios : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(pty.valido());
        ASSERT_FALSE(vacia.empty());
        ASSERT_EQ(enlace.catalogo.registrar(pty.esclavo()), 1);
        ASSERT_TRUE(puerto.Abrir(1, Config_puerto{})) << enlace.serie.ultimo_error();
    }

    std::string vacia = carpeta_temporal();
    Pty pty;
    Enlace_sistema enlace{vacia, vacia, vacia + "/Mutex_Puerto"};
    Entorno_sistema entorno{enlace};
    TCPuerto puerto{enlace.serie, &enlace.cerrojo, entorno};
};

TEST_F(SerieTermios, OpenPutsTheLineInRawModeWithTheMeterSettings) {
    termios t{};
    // On a pseudo-terminal the master reports the slave's settings.
    ASSERT_EQ(::tcgetattr(pty.maestro(), &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B115200));
    EXPECT_EQ(::cfgetispeed(&t), static_cast<speed_t>(B115200));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_NE(t.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(t.c_cflag & PARENB, 0u);
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INPCK), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);

    // One stop bit and 7 data bits reach the line too (a pseudo-terminal keeps no parity).
    Dcb dcb = puerto.dcb();
    dcb.StopBits = 0;
    EXPECT_TRUE(enlace.serie.configurar(dcb));
    ASSERT_EQ(::tcgetattr(pty.maestro(), &t), 0);
    EXPECT_EQ(t.c_cflag & CSTOPB, 0u);
    dcb.BaudRate = 12345;
    EXPECT_FALSE(enlace.serie.configurar(dcb));
    dcb.BaudRate = 115200;
    dcb.ByteSize = 9;
    EXPECT_FALSE(enlace.serie.configurar(dcb));
}

TEST_F(SerieTermios, ModemLinesAndPurgesAreAcceptedOnAPseudoTerminal) {
    EXPECT_TRUE(enlace.serie.escape(ESCAPE_SETRTS));
    EXPECT_TRUE(enlace.serie.escape(ESCAPE_CLRRTS));
    EXPECT_TRUE(enlace.serie.purgar(PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT));
    EXPECT_FALSE(enlace.serie.escape(99));
    for (int i = 0; i < 16; ++i) puerto.Poner_rts(i % 2 == 0);
    EXPECT_TRUE(puerto.Abierto());
    EXPECT_EQ(puerto.Libre_salida(), 2048);
}

TEST_F(SerieTermios, OneByteReadWithNothingPendingWaitsAbout25msAndLeavesZero) {
    uint8_t x = 0x77;
    const int64_t t0 = reloj_ms();
    EXPECT_EQ(puerto.Leer(&x, 1), 0);
    const int64_t transcurrido = reloj_ms() - t0;
    EXPECT_EQ(x, 0);
    EXPECT_GE(transcurrido, 20);
    EXPECT_LE(transcurrido, 500);
}

TEST_F(SerieTermios, BytesGoBothWays) {
    EXPECT_EQ(puerto.Escribir({0x00, 0x5A, 0x0A}), 3);
    EXPECT_EQ(pty.leer(3), (std::vector<uint8_t>{0x00, 0x5A, 0x0A}));

    ASSERT_TRUE(pty.escribir({0x5D, 0x0D, 0x0A, 0x11}));
    uint8_t r[4] = {};
    ASSERT_EQ(puerto.Leer(r, 1), 1);  // returns as soon as a byte is there
    EXPECT_EQ(r[0], 0x5D);
    // Nothing is translated: carriage return, line feed and XON arrive as sent.
    ASSERT_EQ(puerto.Leer(r, 3), 3);
    EXPECT_EQ(r[0], 0x0D);
    EXPECT_EQ(r[1], 0x0A);
    EXPECT_EQ(r[2], 0x11);
    // Draining ends once nothing more comes.
    puerto.Vaciar_entrada();
    EXPECT_EQ(puerto.Leer(r, 1), 0);
}

TEST_F(SerieTermios, LongWriteIsPacedByTheQueueAndArrivesWhole) {
    const std::vector<uint8_t> datos = patron(5000);
    std::vector<uint8_t> recibido;
    std::thread lector([&] { recibido = pty.leer(datos.size()); });
    EXPECT_EQ(puerto.Escribir(datos.data(), static_cast<uint32_t>(datos.size())), 5000);
    lector.join();
    EXPECT_EQ(recibido, datos);
}

TEST_F(SerieTermios, MeterSideGoingAwayFailsWritesAndReadsPromptly) {
    // The far end takes a little and hangs up in the middle of a long transfer.
    const std::vector<uint8_t> datos = patron(400000);
    std::thread lector([&] {
        pty.leer(3000);
        pty.cerrar();
    });
    const int64_t t0 = reloj_ms();
    const int r = puerto.Escribir(datos.data(), static_cast<uint32_t>(datos.size()));
    lector.join();
    EXPECT_EQ(r, -1);
    EXPECT_LT(reloj_ms() - t0, 6000);  // the port object's stall limit is 4 s at most

    uint8_t x = 0x77;
    const int64_t t1 = reloj_ms();
    EXPECT_EQ(puerto.Leer(&x, 1), 0);
    EXPECT_LT(reloj_ms() - t1, 500);
    EXPECT_EQ(puerto.Libre_salida(), TCPuerto::LIBRE_ERROR);
    EXPECT_TRUE(enlace.serie.caido());
    EXPECT_FALSE(enlace.serie.ultimo_error().empty());
}

TEST_F(SerieTermios, MeterThatStopsReadingFailsTheWriteAfterTheStallLimit) {
    // Nobody reads the master: once the pseudo-terminal's buffer is full nothing moves,
    // and the port object gives up after 4 s and closes the port instead of hanging.
    const std::vector<uint8_t> datos = patron(400000);
    const int64_t t0 = reloj_ms();
    EXPECT_EQ(puerto.Escribir(datos.data(), static_cast<uint32_t>(datos.size())), -1);
    const int64_t transcurrido = reloj_ms() - t0;
    EXPECT_GE(transcurrido, 4000);
    EXPECT_LT(transcurrido, 8000);
    EXPECT_FALSE(puerto.Abierto());
    // What did go out arrived in order.
    const std::vector<uint8_t> llegado = pty.leer(datos.size(), 200);
    ASSERT_FALSE(llegado.empty());
    EXPECT_TRUE(std::equal(llegado.begin(), llegado.end(), datos.begin()));
}

TEST_F(SerieTermios, HangUpWhileWaitingForAnswerEndsTheRead) {
    std::thread colgar([&] {
        pty.escribir({0x5D});
        pty.cerrar();
    });
    colgar.join();
    uint8_t r[8] = {};
    const int64_t t0 = reloj_ms();
    // What came before the hang-up may or may not be delivered; the read must not wait the
    // whole 95 ms time-out of an eight-byte read, nor hang.
    EXPECT_LE(puerto.Leer(r, 8), 1);
    EXPECT_LT(reloj_ms() - t0, 90);
    EXPECT_EQ(puerto.Escribir({0x00}), -1);
}

TEST_F(SerieTermios, PortThatDoesNotExistFailsAndLeavesTheObjectHarmless) {
    EXPECT_FALSE(puerto.Abrir(9, Config_puerto{}));
    EXPECT_FALSE(puerto.Abierto());
    EXPECT_NE(enlace.serie.ultimo_error().find("9"), std::string::npos);
    uint8_t x[2] = {0x33, 0x33};
    EXPECT_EQ(puerto.Escribir(x, 2), 0);
    EXPECT_EQ(puerto.Leer(x, 1), 0);
    EXPECT_EQ(x[0], 0x33);

    const int n = enlace.catalogo.registrar(vacia + "/ttyNADA");
    EXPECT_FALSE(puerto.Abrir(static_cast<uint32_t>(n), Config_puerto{}));
    EXPECT_NE(enlace.serie.ultimo_error().find("no serial device"), std::string::npos);

    // A file that is not a terminal is not taken for a port: the last port's lock file.
    ASSERT_FALSE(enlace.cerrojo.ruta().empty());
    const int m = enlace.catalogo.registrar(enlace.cerrojo.ruta());
    EXPECT_FALSE(puerto.Abrir(static_cast<uint32_t>(m), Config_puerto{}));
    EXPECT_NE(enlace.serie.ultimo_error().find("not a serial device"), std::string::npos);
}

TEST_F(SerieTermios, SecondOpenOfTheSamePortIsRefusedUntilTheFirstCloses) {
    Serie_termios otro(enlace.catalogo);
    EXPECT_FALSE(otro.abrir(1));
    EXPECT_NE(otro.ultimo_error().find("in use by another program"), std::string::npos);
    EXPECT_NE(otro.ultimo_error().find("ModemManager"), std::string::npos);

    // Reopening through the port object closes first, so it succeeds.
    EXPECT_TRUE(puerto.Abrir(1, Config_puerto{}));
    puerto.Cerrar();
    EXPECT_TRUE(otro.abrir(1)) << otro.ultimo_error();
    otro.cerrar();
    EXPECT_TRUE(puerto.Abrir(1, Config_puerto{}));
}

}  // namespace
}  // namespace z82
