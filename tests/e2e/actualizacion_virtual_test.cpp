// Whole updates under virtual time: the wizard against the simulated meter, then a byte by
// byte look at what the meter holds, and a second connection that reads the new versions.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <set>

#include "apoyo/banco_ventana.h"
#include "apoyo/imagen_esperada.h"
#include "data/imagenes.h"
#include "defaults/tfparam_defecto.h"
#include "fpga/tcfpga.h"
#include "link/tcpuerto.h"
#include "sim/medidor_simulado.h"

namespace z82 {
namespace {

using prueba::Banco_ventana;
using sim::Config_medidor;
using sim::Medidor_simulado;

struct Banco_actualizacion : Banco_ventana {
    std::unique_ptr<Medidor_simulado> medidor;

    explicit Banco_actualizacion(const Config_medidor& c = {}) {
        medidor = std::make_unique<Medidor_simulado>(c);
        poner(1, medidor.get());
    }
    ~Banco_actualizacion() { ventana.reset(); }

    // Both wizard clicks, with the attention panel answered from the script.
    Resultado_asistente Actualizar(std::initializer_list<bool> respuestas = {true, true}) {
        if (!ventana) crear();
        vista.respuestas.assign(respuestas.begin(), respuestas.end());
        ventana->Button_buscar_puertoClick();
        ventana->Button_buscar_puertoClick();
        return ventana->resultado;
    }

    // Every data byte of the HEX image in the segments the run programmed.
    long Diferencias_firmware() const {
        long d = 0;
        for (const auto& [segmento, bytes] : prueba::Datos_imagen_hex()) {
            if (segmento == 0 || segmento == 0x1E || segmento == 0x1F) continue;
            d += prueba::Diferencias(medidor->flash(static_cast<uint8_t>(segmento)), bytes);
        }
        return d;
    }
    // The region's plan image from segment 0x1E on.
    bool Planes_iguales(int tipo) const {
        const auto imagen = datos::imagen_planes(tipo);
        for (size_t i = 0; i < imagen.size(); ++i) {
            const auto seg = static_cast<uint8_t>(0x1E + i / 65536);
            if (medidor->flash(seg)[i % 65536] != imagen[i]) return false;
        }
        return true;
    }
};

// Every memory read the run made is one a real meter is known to answer: the fixed reads of
// its versions, status, level and identity, and EEPROM reads of 34 bytes at a multiple of
// 32 (the profile reads' shape).
void Solo_lecturas_conocidas(const Medidor_simulado& m) {
    static const std::set<std::string> fijas = {
        "lectura 00 FEA0 2", "lectura 00 6010 32", "lectura 00 6030 16", "lectura 18 0000 16",
        "lectura 18 0010 6", "lectura 18 0016 6",  "lectura 1E 0000 6",  "lectura 30 0000 16",
        "lectura 42 020E 4", "lectura 42 0232 4",  "lectura 42 023B 4"};
    size_t lecturas = 0;
    for (const auto& o : m.registro) {
        EXPECT_EQ(o.texto.find("desconocida"), std::string::npos) << o.texto;
        unsigned banco = 0, dir = 0, n = 0;
        if (std::sscanf(o.texto.c_str(), "lectura %x %x %u", &banco, &dir, &n) != 3) continue;
        ++lecturas;
        const bool eeprom =
            banco == 0x42 && n == 34 && dir % 32 == 0 && dir >= 0x0100 && dir <= 0x06E0;
        EXPECT_TRUE(eeprom || fijas.count(o.texto) == 1) << o.texto;
    }
    EXPECT_GT(lecturas, 0u);
}

TEST(Actualizacion_virtual, DefaultMeterGetsFirmwarePlansFpgaAndZoneAndReadsThemBack) {
    // The meter's status blocks change on every read (they are RAM), except the bytes the
    // program uses; its language and sound values stand where the zone block keeps them.
    Config_medidor c;
    c.idioma = 2;
    c.dato_233 = 0x05;
    c.dato_23b = 0x1770;
    Banco_actualizacion b(c);
    const std::vector<uint8_t> antes = b.medidor->eeprom();
    ASSERT_EQ(b.Actualizar(), Resultado_asistente::actualizado);
    auto& v = *b.ventana;
    Solo_lecturas_conocidas(*b.medidor);
    EXPECT_EQ(b.vista.imagen_actual, IMG_EXITO);
    EXPECT_EQ(b.vista.preguntas.size(), 2u);  // the plan question, then the erase warning
    EXPECT_FALSE(v.sesion.puerto->Abierto());
    EXPECT_FALSE(v.ocupado);

    EXPECT_EQ(b.Diferencias_firmware(), 0);
    EXPECT_TRUE(b.Planes_iguales(0));
    // Every sector of the memory erase was emptied before the firmware came back.
    EXPECT_EQ(b.medidor->contar("orden ["), 12u);

    TCFpga fpga{v.sesion.canal(), v.sesion.Barra_progreso};
    fpga.n_configuraciones = 2;
    const auto area = fpga.Imagen();
    ASSERT_EQ(area.size(), 185559u);
    for (size_t i = 0; i < area.size(); i += 997) {
        ASSERT_EQ(b.medidor->flash(static_cast<uint8_t>(0x30 + i / 65536))[i % 65536], area[i])
            << "FPGA area byte " << i;
    }

    // Zone: the factory and default configurations and the four profiles in EEPROM.
    const auto& e = b.medidor->eeprom();
    EXPECT_EQ(e[0x100], 0xA0);
    EXPECT_EQ(e[0x101], 0xE7);
    EXPECT_TRUE(std::equal(e.begin() + 0x100, e.begin() + 0x100 + 254, e.begin() + 0x200));
    // The profiles stand over what was read, each byte at its own place: the bytes that
    // the profiles do not write are those that were there before.
    std::array<std::vector<uint8_t>, 2> construidos;
    for (const uint8_t relleno : {uint8_t{0x00}, uint8_t{0xFF}}) {
        std::array<uint8_t, 1024> perfiles;
        perfiles.fill(relleno);
        for (int slot = 0; slot < 4; ++slot) {
            TFParam_defecto::Construir_perfil(perfiles, slot, c.idioma, false);
        }
        construidos[relleno & 1].assign(perfiles.begin(), perfiles.end());
    }
    for (size_t i = 0; i < 1024; ++i) {
        const bool propio = construidos[0][i] == construidos[1][i];
        ASSERT_EQ(e[0x300 + i], propio ? construidos[0][i] : antes[0x300 + i]) << i;
    }

    // A new connection reads the carried versions back, and the language and sound values
    // that the zone block kept.
    v.Boton_ConectarClick();
    ASSERT_TRUE(v.sesion.conectado);
    EXPECT_EQ(v.sesion.medidor.idioma_medidor, 2);
    EXPECT_TRUE(v.sesion.medidor.dato_232_ok);
    EXPECT_EQ(v.sesion.medidor.dato_232, 0x05);
    EXPECT_EQ(v.sesion.medidor.dato_23b, 0x1770);
    EXPECT_EQ(v.version_medidor, "1.88.00004");
    EXPECT_EQ(v.sesion.medidor.tipo_plan_medidor, 0);
    EXPECT_EQ(v.sesion.medidor.plan_medidor, 112);
    EXPECT_EQ(v.version_fpga_medidor, "3.0");
    EXPECT_FALSE(v.plan.Check_planes);
    EXPECT_FALSE(v.plan.Check_mpeg4_apl);
    // A build other than 00000 always asks for the firmware again.
    EXPECT_TRUE(v.plan.Check_firmware);
}

bool En_mapa(const std::vector<uint8_t>& mapa, uint8_t segmento) {
    return std::find(mapa.begin(), mapa.end(), segmento) != mapa.end();
}

TEST(Actualizacion_virtual, CurrentPlansStayAndOlderPlansOfOtherRegionsComeWithoutQuestions) {
    Config_medidor actual;
    actual.plan_tipo = 4;
    actual.plan_version = 0x6F;
    Banco_actualizacion b(actual);
    ASSERT_EQ(b.Actualizar({}), Resultado_asistente::actualizado);
    EXPECT_EQ(b.vista.preguntas.size(), 0u);
    EXPECT_EQ(b.medidor->contar("orden ["), 0u);
    EXPECT_EQ(b.Diferencias_firmware(), 0);
    EXPECT_TRUE(En_mapa(b.medidor->ultimo_mapa, 0x18));
    EXPECT_FALSE(En_mapa(b.medidor->ultimo_mapa, 30));
    EXPECT_FALSE(En_mapa(b.medidor->ultimo_mapa, 31));
    EXPECT_TRUE(En_mapa(b.medidor->ultimo_mapa, 48));  // the FPGA area goes with it

    Config_medidor antigua;
    antigua.plan_tipo = 1;
    antigua.plan_version = 0x60;
    Banco_actualizacion b1(antigua);
    ASSERT_EQ(b1.Actualizar({}), Resultado_asistente::actualizado);
    EXPECT_EQ(b1.vista.preguntas.size(), 0u);
    EXPECT_TRUE(En_mapa(b1.medidor->ultimo_mapa, 30));
    EXPECT_FALSE(En_mapa(b1.medidor->ultimo_mapa, 31));
    EXPECT_TRUE(b1.Planes_iguales(1));
}

TEST(Actualizacion_virtual, SoundValuesUnreadAtConnectionAreAskedAgainBeforeTheZone) {
    Config_medidor con_datos;
    con_datos.plan_tipo = 4;
    con_datos.plan_version = 0x6F;
    Banco_actualizacion b(con_datos);
    ASSERT_EQ(b.Actualizar({}), Resultado_asistente::actualizado);
    // Read at connection, twice (the two answers must agree).
    EXPECT_EQ(b.medidor->contar("lectura 42 0232"), 2u);

    // A meter without them: five unanswered attempts at connection, five more before the
    // zone is built; the defaults then go in and the update still ends well.
    Config_medidor sin_datos = con_datos;
    sin_datos.sin_datos_sonido = true;
    Banco_actualizacion b1(sin_datos);
    ASSERT_EQ(b1.Actualizar({}), Resultado_asistente::actualizado);
    EXPECT_EQ(b1.medidor->contar("lectura 42 0232"), 10u);
    EXPECT_EQ(b1.medidor->contar("lectura 42 023B"), 0u);
    EXPECT_EQ(b1.medidor->contar("eeprom 0100"), 1u);
    EXPECT_NE(b1.medidor->eeprom(), b.medidor->eeprom());
}

TEST(Actualizacion_virtual, RefusedEraseWritesNothingAndSaysSo) {
    Banco_actualizacion b;
    ASSERT_EQ(b.Actualizar({true, false}), Resultado_asistente::borrado_rechazado);
    EXPECT_EQ(b.vista.imagen_actual, IMG_FALLO);
    EXPECT_EQ(b.medidor->programaciones, 0);
    EXPECT_EQ(b.medidor->contar("orden ["), 0u);
    EXPECT_EQ(b.medidor->flash(0x18)[0x10], 0x31);  // still "1.87"
    EXPECT_EQ(b.medidor->flash(0x18)[0x13], 0x37);
}

TEST(Actualizacion_virtual, FaultsThatTheExchangesRecoverFromStillGiveTheSameFlash) {
    Config_medidor c;
    c.plan_tipo = 2;
    c.plan_version = 0x70;
    Banco_actualizacion b(c);
    // One acknowledgement lost in the middle of the firmware stream, one damaged block,
    // and the first flash erase answered 'q'.
    sim::Fallo_byte perdido;
    perdido.sentido = sim::Sentido::hacia_pc;
    perdido.accion = sim::Accion::perder;
    perdido.desde_us = 60'000'000;
    b.medidor->fallos.bytes.push_back(perdido);
    sim::Fallo_byte danado;
    danado.sentido = sim::Sentido::hacia_medidor;
    danado.accion = sim::Accion::corromper;
    danado.desde_us = 90'000'000;
    b.medidor->fallos.bytes.push_back(danado);
    b.medidor->fallos.borrados_fallidos = 1;
    ASSERT_EQ(b.Actualizar({}), Resultado_asistente::actualizado);
    EXPECT_TRUE(b.medidor->fallos.bytes[0].aplicado);
    EXPECT_TRUE(b.medidor->fallos.bytes[1].aplicado);
    EXPECT_GT(b.medidor->bloques_rechazados, 0);
    EXPECT_EQ(b.medidor->fallos.borrados_fallidos, 0);
    EXPECT_EQ(b.Diferencias_firmware(), 0);
    EXPECT_TRUE(b.Planes_iguales(2));
}

TEST(Actualizacion_virtual, MeterFallingSilentMidStreamFailsTheRunNeverSucceeds) {
    Config_medidor c;
    c.plan_tipo = 4;
    c.plan_version = 0x6F;
    Banco_actualizacion b(c);
    b.medidor->fallos.silencio_desde_us = 70'000'000;
    ASSERT_EQ(b.Actualizar({}), Resultado_asistente::fallo);
    EXPECT_EQ(b.vista.imagen_actual, IMG_FALLO);
    EXPECT_FALSE(b.ventana->ocupado);
    EXPECT_EQ(b.medidor->programaciones, 0);
}

TEST(Actualizacion_virtual, MeterThatNeedsEveryItemHoldsEveryByteAfterwards) {
    Config_medidor c;
    c.mpeg4.version_sw = 0x006E;
    c.us_programacion_mpeg4 = 30'000'000;
    // The transfer program's ready byte is the meter's disconnect byte: the link watch is
    // off during the transfer, so the byte reaches the step.
    c.byte_listo_mpeg4 = 0x0A;
    Banco_actualizacion b(c);
    ASSERT_EQ(b.Actualizar(), Resultado_asistente::actualizado);
    Solo_lecturas_conocidas(*b.medidor);
    const auto app = datos::imagen_mpeg4();
    const auto prog = datos::programa_transferencia();
    EXPECT_TRUE(std::equal(app.begin(), app.end(), b.medidor->mpeg4_aplicacion().begin(),
                           b.medidor->mpeg4_aplicacion().end()));
    EXPECT_TRUE(std::equal(prog.begin(), prog.end(), b.medidor->mpeg4_transferencia().begin(),
                           b.medidor->mpeg4_transferencia().end()));
    EXPECT_EQ(b.Diferencias_firmware(), 0);
    EXPECT_TRUE(b.Planes_iguales(0));

    auto& v = *b.ventana;
    v.Boton_ConectarClick();
    ASSERT_TRUE(v.sesion.conectado);
    EXPECT_FALSE(v.plan.Check_mpeg4_apl);
    EXPECT_EQ(v.version_fpga_medidor, "3.0");
    EXPECT_EQ(v.version_medidor, "1.88.00004");
}

}  // namespace
}  // namespace z82
