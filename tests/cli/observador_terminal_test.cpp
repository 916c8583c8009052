// The terminal's progress lines, as a script or a factory line reads them.
#include "cli/observador_terminal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sim/entorno_virtual.h"
#include "sim/reloj_virtual.h"

namespace z82 {
namespace {

TEST(Observador_terminal, NamedStreamsGiveLabelledTenthsAndTheSummaryKeepsWhatEachMoved) {
    sim::Reloj_virtual reloj;
    sim::Entorno_virtual entorno(reloj);
    const Textos_asistente textos("[COMUN]\nIDIOMA=ES\n[ES]\nPASO4_L3=Paso\n");
    Observador_terminal v(entorno, textos, Respuesta_fija::preguntar, false, false);
    testing::internal::CaptureStdout();
    v.barra(0, 100, 0);  // no stream named: nothing shown
    v.contador(1, 2);
    v.tramo("main firmware", "records", true);
    v.barra(0, 20870, 0);
    v.barra(0, 20870, 10435);
    reloj.avanzar_ms(2000);
    v.barra(0, 20870, 20870);
    v.barra(0, 20870, 0);  // put back at the end: not shown, not counted
    v.tramo("FPGA configurations", "bytes", true);
    v.barra(0, 210, 0);
    v.barra(0, 210, 21);
    reloj.avanzar_ms(500);
    v.fin_elemento(false);  // the item failed: its stream keeps what it moved
    // An item that succeeds: its stream of a due total went the whole way, even when the
    // bar stopped one short of it; a stream whose length the meter decides keeps what it did.
    v.tramo("channel plans", "bytes", true);
    v.barra(0, 100, 99);
    v.tramo("flash erase", "steps", false);
    v.barra(0, 64, 52);
    v.fin_elemento(true);
    const std::vector<Tramo_hecho> tramos = v.tramos();
    std::fflush(stdout);
    const std::string salida = testing::internal::GetCapturedStdout();
    EXPECT_EQ(salida.substr(0, salida.find("  channel plans")),
              "  Paso: 1/2\n"
              "  main firmware: 0% (0/20,870 records)\n"
              "  main firmware: 50% (10,435/20,870 records)\n"
              "  main firmware: 100% (20,870/20,870 records)\n"
              "  main firmware: done, 20,870/20,870 records in 2.0 s\n"
              "  FPGA configurations: 0% (0/210 bytes)\n"
              "  FPGA configurations: 10% (21/210 bytes)\n"
              "  FPGA configurations: done, 21/210 bytes in 0.5 s\n");
    EXPECT_NE(salida.find("  flash erase: done, 52 steps in"), std::string::npos) << salida;
    ASSERT_EQ(tramos.size(), 4u);
    EXPECT_EQ(tramos[0].hecho, 20870);
    EXPECT_DOUBLE_EQ(tramos[0].segundos, 2.0);
    EXPECT_EQ(tramos[1].hecho, 21);
    EXPECT_EQ(tramos[1].total, 210);
    EXPECT_EQ(tramos[2].hecho, 100);
    EXPECT_EQ(tramos[3].hecho, 52);
    EXPECT_FALSE(tramos[3].total_debido);
}

}  // namespace
}  // namespace z82
