// The Windows side of the link, run under Windows or Wine. Empty elsewhere.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "link/tcpuerto.h"
#include "link/win32/entorno_sistema.h"

namespace z82 {
namespace {

TEST(SerieWin32, DeviceNamesCarryTheWholePortNumber) {
    EXPECT_EQ(Serie_win32::nombre_dispositivo(1), "\\\\.\\COM1");
    EXPECT_EQ(Serie_win32::nombre_dispositivo(12), "\\\\.\\COM12");
}

TEST(SerieWin32, PortThatDoesNotExistStaysClosedAndOperationsAreHarmless) {
    Enlace_sistema enlace;
    Entorno_sistema entorno(enlace);
    TCPuerto puerto(enlace.serie, &enlace.cerrojo, entorno);
    EXPECT_FALSE(puerto.Abrir(250, Config_puerto{}));
    EXPECT_FALSE(puerto.Abierto());
    EXPECT_FALSE(enlace.serie.ultimo_error().empty());
    uint8_t x[2] = {0x33, 0x33};
    EXPECT_EQ(puerto.Escribir(x, 2), 0);
    EXPECT_EQ(puerto.Leer(x, 1), 0);
    EXPECT_EQ(x[0], 0x33);
    EXPECT_EQ(puerto.Libre_salida(), TCPuerto::LIBRE_ERROR);
}

TEST(SerieWin32, PortNamesTheUserMayType) {
    Enlace_sistema enlace;
    EXPECT_EQ(enlace.numero("COM7"), 7);
    EXPECT_EQ(enlace.numero("\\\\.\\COM12"), 12);
    EXPECT_EQ(enlace.numero("3"), 3);
    EXPECT_EQ(enlace.numero("COM20:"), 20);
    EXPECT_EQ(enlace.numero("COM"), 0);
    EXPECT_EQ(enlace.numero("LPT1"), 0);
    EXPECT_EQ(enlace.numero(""), 0);
}

TEST(CerrojoMutex, RecursiveForItsOwnerAndExclusiveForOthers) {
    Cerrojo_mutex cerrojo;
    ASSERT_TRUE(cerrojo.existe());
    std::atomic<int> dentro{0};
    std::atomic<bool> hilo_tuvo{false};
    cerrojo.bloquear();
    cerrojo.bloquear();
    std::thread otro([&] {
        // A second holder of the same name, as a second copy of the program would be.
        Cerrojo_mutex segundo;
        segundo.bloquear();
        hilo_tuvo = dentro.load() == 0;
        segundo.desbloquear();
    });
    dentro = 1;
    cerrojo.desbloquear();
    dentro = 0;
    cerrojo.desbloquear();
    otro.join();
    EXPECT_TRUE(hilo_tuvo);
}

TEST(EntornoSistemaWin32, ClocksRegistryAndDiagnosticLine) {
    Enlace_sistema enlace;
    Entorno_sistema entorno(enlace);
    const int64_t ms = entorno.milisegundos();
    EXPECT_LE(ms / 1000, entorno.segundos());
    // Whatever the registry lists, reading it creates nothing and does not fail.
    for (const std::string& nombre : entorno.puertos_registro()) EXPECT_FALSE(nombre.empty());
    EXPECT_FALSE(entorno.existe_puerto(250));
    ::testing::internal::CaptureStdout();
    entorno.diagnostico("Sector 3 erased");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Sector 3 erased\n");
}

}  // namespace
}  // namespace z82

#endif  // _WIN32
