// The Windows side of the link, run under Windows or Wine. Empty elsewhere.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "link/tcpuerto.h"
#include "link/win32/entorno_sistema.h"

// After the program's headers: <windows.h> defines macros of the same names.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

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
    // A slot with no adapter in it names no port; a port the system does not describe is
    // its own slot.
    EXPECT_EQ(enlace.numero("PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)#USB(9)"), 0);
    EXPECT_EQ(enlace.ranura(250), "COM250");
    EXPECT_EQ(enlace.por_id(250), "");
}

// Seen from another thread, as a session on another port would: is the named mutex free?
bool Libre(const std::string& nombre) {
    bool libre = false;
    std::thread otro([&] {
        HANDLE h = ::CreateMutexA(nullptr, FALSE, nombre.c_str());
        libre = h != nullptr && ::WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
        if (libre) ::ReleaseMutex(h);
        if (h != nullptr) ::CloseHandle(h);
    });
    otro.join();
    return libre;
}

TEST(CerrojoMutex, OncePerPortEachPortHasItsOwnMutex) {
    Enlace_sistema comun;
    comun.cerrojo.bloquear_puerto(3);
    EXPECT_FALSE(Libre(Cerrojo_mutex::NOMBRE));  // by default one lock for every port
    EXPECT_TRUE(Libre(Cerrojo_mutex::nombre_puerto(3)));
    comun.cerrojo.desbloquear();

    Enlace_sistema banco;
    banco.cerrojo_por_puerto();
    banco.cerrojo.bloquear_puerto(3);
    banco.cerrojo.bloquear_puerto(4);  // nested: stays on the outermost port
    EXPECT_EQ(Cerrojo_mutex::nombre_puerto(3), "Mutex_Puerto.COM3");
    EXPECT_FALSE(Libre("Mutex_Puerto.COM3"));
    EXPECT_TRUE(Libre("Mutex_Puerto.COM4"));
    EXPECT_TRUE(Libre(Cerrojo_mutex::NOMBRE));
    banco.cerrojo.desbloquear();
    EXPECT_FALSE(Libre("Mutex_Puerto.COM3"));
    banco.cerrojo.desbloquear();
    EXPECT_TRUE(Libre("Mutex_Puerto.COM3"));
    banco.cerrojo.bloquear();  // the last port's
    EXPECT_FALSE(Libre("Mutex_Puerto.COM3"));
    banco.cerrojo.desbloquear();
    EXPECT_TRUE(Libre("Mutex_Puerto.COM3"));
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
