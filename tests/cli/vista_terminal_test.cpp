// The terminal's progress lines, as a script or a factory line reads them.
#include "cli/vista_terminal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "sim/entorno_virtual.h"
#include "sim/reloj_virtual.h"

namespace z82 {
namespace {

TEST(Vista_terminal, ProgressLinesAreTenthsOfTheirOwnRangeAlsoWhenTheRangeChanges) {
    sim::Reloj_virtual reloj;
    sim::Entorno_virtual entorno(reloj);
    Vista_terminal v(entorno, Respuesta_fija::preguntar, false, false);
    testing::internal::CaptureStdout();
    v.barra(0, 20870, 0);
    v.barra(0, 20870, 10435);
    v.barra(0, 20870, 20870);
    // The next bar is set up before its first position: the old position is not shown.
    v.barra(0, 210, 20870);
    v.barra(0, 210, 0);
    v.barra(0, 210, 21);
    std::fflush(stdout);
    const std::string salida = testing::internal::GetCapturedStdout();
    EXPECT_EQ(salida,
              "  progress 0% (0/20870)\n"
              "  progress 50% (10435/20870)\n"
              "  progress 100% (20870/20870)\n"
              "  progress 0% (0/210)\n"
              "  progress 10% (21/210)\n");
}

}  // namespace
}  // namespace z82
