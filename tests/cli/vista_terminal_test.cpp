// The terminal's progress lines, as a script or a factory line reads them.
#include "cli/vista_terminal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sim/entorno_virtual.h"
#include "sim/reloj_virtual.h"

namespace z82 {
namespace {

TEST(Vista_terminal, NamedStreamsGiveLabelledTenthsAndTheSummaryKeepsWhatEachMoved) {
    sim::Reloj_virtual reloj;
    sim::Entorno_virtual entorno(reloj);
    Vista_terminal v(entorno, Respuesta_fija::preguntar, false, false);
    testing::internal::CaptureStdout();
    v.barra(0, 100, 0);  // no stream named: nothing shown
    v.tramo("main firmware", "records");
    v.barra(0, 20870, 0);
    v.barra(0, 20870, 10435);
    reloj.avanzar_ms(2000);
    v.barra(0, 20870, 20870);
    v.barra(0, 20870, 0);  // put back at the end: not shown, not counted
    v.tramo("FPGA configurations", "bytes");
    v.barra(0, 210, 0);
    v.barra(0, 210, 21);
    reloj.avanzar_ms(500);
    const std::vector<Tramo_hecho> tramos = v.tramos();
    std::fflush(stdout);
    const std::string salida = testing::internal::GetCapturedStdout();
    EXPECT_EQ(salida,
              "  main firmware: 0% (0/20,870 records)\n"
              "  main firmware: 50% (10,435/20,870 records)\n"
              "  main firmware: 100% (20,870/20,870 records)\n"
              "  main firmware: done, 20,870/20,870 records in 2.0 s\n"
              "  FPGA configurations: 0% (0/210 bytes)\n"
              "  FPGA configurations: 10% (21/210 bytes)\n"
              "  FPGA configurations: done, 21/210 bytes in 0.5 s\n");
    ASSERT_EQ(tramos.size(), 2u);
    EXPECT_EQ(tramos[0].hecho, 20870);
    EXPECT_DOUBLE_EQ(tramos[0].segundos, 2.0);
    EXPECT_EQ(tramos[1].hecho, 21);
    EXPECT_EQ(tramos[1].total, 210);
}

}  // namespace
}  // namespace z82
