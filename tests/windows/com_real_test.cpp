// The Windows link on a real COM port: under Wine, COM<n> is the simulated meter's
// pseudo-terminal (tests/windows/run_wine_tests.sh sets Z82_PUERTO_COM=n and maps the port).
// Without Z82_PUERTO_COM these tests are skipped. Empty outside Windows.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "link/tcpuerto.h"
#include "link/win32/entorno_sistema.h"

// After the program's headers: <windows.h> defines macros of the same names.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace z82 {
namespace {

uint32_t Puerto_de_prueba() {
    const char* v = std::getenv("Z82_PUERTO_COM");
    if (v == nullptr) return 0;
    return static_cast<uint32_t>(std::strtoul(v, nullptr, 10));
}

// The real COM device, with every purge mask and escape function it was handed and what
// the system answered.
class Serie_con_registro : public Serie_win32 {
  public:
    bool purgar(uint32_t mascara) override {
        const bool ok = Serie_win32::purgar(mascara);
        purgas.emplace_back(mascara, ok);
        return ok;
    }
    bool escape(int funcion) override {
        const bool ok = Serie_win32::escape(funcion);
        escapes.emplace_back(funcion, ok);
        return ok;
    }
    std::vector<std::pair<uint32_t, bool>> purgas;
    std::vector<std::pair<int, bool>> escapes;
};

double Milisegundos_desde(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// The median time of a few reads of n bytes with nothing pending; every read must bring 0.
double Mediana_lectura_vacia(TCPuerto& puerto, uint32_t n, const char* que) {
    std::vector<double> tiempos;
    uint8_t b[8] = {0x77};
    for (int i = 0; i < 9; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_EQ(puerto.Leer(b, n), 0);
        tiempos.push_back(Milisegundos_desde(t0));
        EXPECT_EQ(b[0], 0);  // the port clears the first byte when nothing comes
    }
    std::sort(tiempos.begin(), tiempos.end());
    std::printf("  %s: min %.1f ms, median %.1f ms, max %.1f ms\n", que, tiempos.front(),
                tiempos[tiempos.size() / 2], tiempos.back());
    return tiempos[tiempos.size() / 2];
}

// Reads single bytes until one comes or about two seconds (80 empty reads) have gone.
int Esperar_byte(TCPuerto& puerto) {
    for (int i = 0; i < 80; ++i) {
        uint8_t b = 0;
        if (puerto.Leer(&b, 1) == 1) return b;
    }
    return -1;
}

TEST(ComReal, ReadsWithNothingPendingLastTheTimeOutsTheProgramSets) {
    const uint32_t n = Puerto_de_prueba();
    if (n == 0) GTEST_SKIP() << "Z82_PUERTO_COM not set";
    Enlace_sistema enlace;
    Entorno_sistema entorno(enlace);
    TCPuerto puerto(enlace.serie, &enlace.cerrojo, entorno);
    ASSERT_TRUE(puerto.Abrir(n, Config_puerto{})) << enlace.serie.ultimo_error();
    puerto.Vaciar_entrada();
    // 10 ms a byte plus 15 ms: 25 ms for one byte, 55 ms for four.
    const double uno = Mediana_lectura_vacia(puerto, 1, "1-byte read");
    EXPECT_GE(uno, 20.0);
    EXPECT_LE(uno, 60.0);
    const double cuatro = Mediana_lectura_vacia(puerto, 4, "4-byte read");
    EXPECT_GE(cuatro, 48.0);
    EXPECT_LE(cuatro, 100.0);
    EXPECT_GT(cuatro - uno, 20.0);
    puerto.Cerrar();
}

TEST(ComReal, PurgeMasksAndRtsReachTheSystem) {
    const uint32_t n = Puerto_de_prueba();
    if (n == 0) GTEST_SKIP() << "Z82_PUERTO_COM not set";
    Enlace_sistema enlace;
    Entorno_sistema entorno(enlace);
    Serie_con_registro serie;
    TCPuerto puerto(serie, &enlace.cerrojo, entorno);
    ASSERT_TRUE(puerto.Abrir(n, Config_puerto{})) << serie.ultimo_error();
    puerto.Vaciar_entrada();

    // The link works: the meter answers the probe.
    ASSERT_EQ(puerto.Escribir({0x00}), 1);
    EXPECT_EQ(Esperar_byte(puerto), 0x5D);

    // An answer that has arrived is dropped by the purge of the receiving side.
    ASSERT_EQ(puerto.Escribir({0x00}), 1);
    ::Sleep(300);
    puerto.Purgar(true, false);
    uint8_t b = 0x77;
    EXPECT_EQ(puerto.Leer(&b, 1), 0);

    puerto.Purgar(false, true);
    puerto.Purgar(true, true);
    puerto.Poner_rts(true);
    puerto.Poner_rts(false);
    // The meter goes back to waiting for a probe.
    ASSERT_EQ(puerto.Escribir({0x0A}), 1);
    puerto.Cerrar();

    const std::vector<std::pair<uint32_t, bool>> purgas = {
        {15, true}, {10, true}, {5, true}, {15, true}};
    EXPECT_EQ(serie.purgas, purgas);
    // A pseudo-terminal has no modem lines: the system refuses, the link goes on.
    const std::vector<std::pair<int, bool>> escapes = {{ESCAPE_SETRTS, true},
                                                       {ESCAPE_CLRRTS, true}};
    EXPECT_EQ(serie.escapes, escapes);
}

}  // namespace
}  // namespace z82

#endif  // _WIN32
