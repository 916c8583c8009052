// The update run: item order and counter, pauses and reconnections between items, the two
// questions, and how a failing item ends the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "apoyo/banco_ventana.h"
#include "apoyo/observador_mudo.h"
#include "link/tcpuerto.h"
#include "sim/medidor_simulado.h"

namespace z82 {
namespace {

using prueba::Banco_ventana;
using sim::Config_medidor;
using sim::Medidor_simulado;

struct Banco_run : Banco_ventana {
    std::unique_ptr<Medidor_simulado> medidor;
    explicit Banco_run(const Config_medidor& c = {}) {
        idiomas("[COMUN]\nIDIOMA=EN\n[EN]\nPASO4_L3=Item\n");
        medidor = std::make_unique<Medidor_simulado>(c);
        poner(1, medidor.get());
        crear();
    }
    ~Banco_run() { ventana.reset(); }
    Resultado_asistente correr(std::initializer_list<bool> respuestas) {
        vista.respuestas.assign(respuestas.begin(), respuestas.end());
        ventana->Button_buscar_puertoClick();
        ventana->Button_buscar_puertoClick();
        return ventana->resultado;
    }
    std::vector<std::string> contadores() const {
        std::vector<std::string> r;
        for (const auto& s : vista.sucesos) {
            if (s.rfind("info3=Item: ", 0) == 0) r.push_back(s.substr(12));
        }
        return r;
    }
    // Index in the meter's record of the first entry starting with texto at or after desde.
    size_t buscar(const std::string& texto, size_t desde = 0) const {
        const auto& r = medidor->registro;
        for (size_t i = desde; i < r.size(); ++i) {
            if (r[i].texto.rfind(texto, 0) == 0) return i;
        }
        return r.size();
    }
    size_t contar_desde(const std::string& texto, size_t desde) const {
        size_t n = 0;
        for (size_t i = desde; i < medidor->registro.size(); ++i) {
            if (medidor->registro[i].texto.rfind(texto, 0) == 0) ++n;
        }
        return n;
    }
};

TEST(Actualizacion, FirmwareFpgaAndZoneCountThreeAndReconnectOnlyAfterTheFirmware) {
    Banco_run b;
    // Cancel on the plan question: no plans, no erase.
    ASSERT_EQ(b.correr({false}), Resultado_asistente::actualizado);
    EXPECT_EQ(b.contadores(), (std::vector<std::string>{"1/3", "2/3", "3/3"}));
    EXPECT_EQ(b.vista.preguntas.size(), 1u);
    EXPECT_FALSE(b.ventana->plan.Check_planes);
    EXPECT_FALSE(b.ventana->segmentos[30]);
    EXPECT_FALSE(b.ventana->segmentos[31]);

    // The FPGA area goes to the meter's loader and the firmware follows without a new
    // handshake; one handshake after the firmware; none after the zone.
    const size_t conexion = b.buscar("sonda 5D");
    const size_t programa = b.buscar("programa ");
    ASSERT_LT(programa, b.medidor->registro.size());
    EXPECT_EQ(b.contar_desde("sonda 5D", conexion + 1) - b.contar_desde("sonda 5D", programa), 0u);
    EXPECT_EQ(b.contar_desde("sonda 5D", programa), 1u);
    const size_t reconexion = b.buscar("sonda 5D", programa);
    EXPECT_LT(reconexion, b.buscar("eeprom 0300"));
    // The closing pair after the zone, and again at the end of the run.
    EXPECT_GE(b.contar_desde("cierre", b.buscar("eeprom 0200")), 2u);
    EXPECT_FALSE(b.ventana->ocupado);
    EXPECT_FALSE(b.ventana->sesion.conectado);
}

TEST(Actualizacion, PlanQuestionOkAddsTheEraseWithItsWarningAndBothPlanSegments) {
    Banco_run b;
    ASSERT_EQ(b.correr({true, true}), Resultado_asistente::actualizado);
    ASSERT_EQ(b.vista.preguntas.size(), 2u);
    EXPECT_EQ(b.vista.preguntas[1].boton_ok, "OK");
    EXPECT_EQ(b.vista.preguntas[1].boton_cancelar, "CANCEL");
    EXPECT_EQ(b.contadores(), (std::vector<std::string>{"1/4", "2/4", "3/4", "4/4"}));
    EXPECT_TRUE(b.ventana->segmentos[30]);
    EXPECT_TRUE(b.ventana->segmentos[31]);
    EXPECT_LT(b.buscar("orden ["), b.buscar("despertar"));
}

TEST(Actualizacion, FailingFpgaSkipsTheFirmwareButTheZoneStillCountsAndCloses) {
    Banco_run b;
    // The graphics pages take the first erase, the FPGA area its five attempts.
    b.medidor->fallos.borrados_fallidos = 6;
    ASSERT_EQ(b.correr({false}), Resultado_asistente::fallo);
    EXPECT_EQ(b.contadores(), (std::vector<std::string>{"1/3", "2/3"}));
    EXPECT_EQ(b.medidor->programaciones, 0);
    EXPECT_EQ(b.buscar("eeprom"), b.medidor->registro.size());  // no configuration written
    EXPECT_GE(b.contar_desde("cierre", 0), 1u);
    EXPECT_EQ(b.vista.imagen_actual, IMG_FALLO);
    EXPECT_FALSE(b.ventana->sesion.conectado);
}

TEST(Actualizacion, Mpeg4ItemIsFollowedBy15SecondsAndAReconnection) {
    Config_medidor c;
    c.mpeg4.version_sw = 0x006E;
    c.us_programacion_mpeg4 = 20'000'000;
    Banco_run b(c);
    ASSERT_EQ(b.correr({false}), Resultado_asistente::actualizado);
    EXPECT_EQ(b.contadores(), (std::vector<std::string>{"1/4", "2/4", "3/4", "4/4"}));
    const size_t fin = b.buscar("mpeg4 fin");
    ASSERT_LT(fin, b.medidor->registro.size());
    const size_t sonda = b.buscar("sonda 5D", fin);
    ASSERT_LT(sonda, b.medidor->registro.size());
    EXPECT_GE(b.medidor->registro[sonda].t_us - b.medidor->registro[fin].t_us, 15'000'000);
}

TEST(Actualizacion, EraseThatNeverAnswersFailsTheRun) {
    Banco_run b;
    // The meter falls silent as the erase starts.
    b.entorno.publicar([] {});
    b.vista.respuestas = {true, true};
    b.ventana->Button_buscar_puertoClick();
    b.vista.responder = [&](bool ok) {
        if (b.vista.preguntas.size() == 2) b.medidor->fallos.silencio_desde_us = b.reloj.us();
        if (ok) {
            b.ventana->Button_atencion_okClick();
        } else {
            b.ventana->Button_atencion_cancelClick();
        }
    };
    b.ventana->Button_buscar_puertoClick();
    EXPECT_EQ(b.ventana->resultado, Resultado_asistente::fallo);
    EXPECT_EQ(b.contadores(), (std::vector<std::string>{"1/4", "2/4"}));  // erase, then zone
    EXPECT_EQ(b.buscar("orden ["), b.medidor->registro.size());
    EXPECT_EQ(b.medidor->programaciones, 0);
}

TEST(Actualizacion, FirmwareStepWithoutALinkFailsInsteadOfSucceeding) {
    prueba::Observador_mudo observador;
    Banco_run b;
    auto& v = *b.ventana;
    v.sesion.conectado = false;
    Ejecucion_actualizacion run(v.sesion, v.plan, observador, {v.fuente_hex, v.lector_hex});
    EXPECT_FALSE(run.Grabar_firmware());
    EXPECT_TRUE(b.enlace.enviados().empty());
}

}  // namespace
}  // namespace z82
