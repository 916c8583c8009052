// EEPROM writes of the zone configuration and the configuration step.
#include <gtest/gtest.h>

#include "apoyo/banco.h"
#include "defaults/medidor_eeprom.h"
#include "defaults/tfparam_defecto.h"
#include "queries/tconsultas.h"

namespace z82 {
namespace {

using prueba::Banco;
using prueba::Medidor_eeprom;
using V = std::vector<uint8_t>;

struct Eeprom : ::testing::Test {
    Banco b;
    TConsultas consultas{b.ctx.canal()};
    TFParam_defecto f{b.ctx.canal(), consultas, b.ctx.Barra_progreso, b.ctx.medidor};
    Medidor_eeprom medidor{b};
    Eeprom() { b.ctx.consultas = &consultas; }
    // Profiles holding a pattern, stale (they are rewritten); returns the EEPROM as it was.
    std::vector<uint8_t> perfiles_caducados() {
        for (int i = 0; i < 1024; ++i)
            medidor.eeprom[0x0300 + i] = static_cast<uint8_t>(0x80 + i % 64);
        medidor.eeprom[0x0303] = 10;
        return medidor.eeprom;
    }
    V cabecera(size_t k) {
        return V(medidor.escrituras[k].peticion.begin(),
                 medidor.escrituras[k].peticion.begin() + 7);
    }
};

TEST_F(Eeprom, ConfigurationGoesInTwoRequestsAndTheLastTwoBytesStayBehind) {
    for (size_t i = 0; i < 256; ++i) f.parametros[i] = static_cast<uint8_t>(i);
    EXPECT_TRUE(f.Grabar_conf_fabrica());
    EXPECT_TRUE(f.Grabar_conf_defecto());
    ASSERT_EQ(medidor.escrituras.size(), 4u);
    EXPECT_EQ(cabecera(0), (V{0x02, 0x85, 0x50, 0x52, 0x08, 0x01, 0x00}));
    EXPECT_EQ(cabecera(1), (V{0x02, 0x83, 0x50, 0x52, 0x08, 0x01, 0x80}));
    EXPECT_EQ(cabecera(2), (V{0x02, 0x85, 0x50, 0x52, 0x08, 0x02, 0x00}));
    EXPECT_EQ(cabecera(3), (V{0x02, 0x83, 0x50, 0x52, 0x08, 0x02, 0x80}));
    EXPECT_EQ(medidor.escrituras[0].peticion.size(), 135u);
    EXPECT_EQ(medidor.escrituras[1].peticion.size(), 133u);
    EXPECT_EQ(medidor.escrituras[1].peticion.back(), 253);
    for (int i = 0; i < 254; ++i) ASSERT_EQ(medidor.eeprom[0x0100 + i], i);
    EXPECT_EQ(medidor.eeprom[0x01FE], 0);
    // 500 ms after each write, 1000 ms between and after the halves.
    EXPECT_GE(b.reloj.ms(), 2 * (500 + 1000 + 500 + 1000));
}

TEST_F(Eeprom, AcknowledgementJustAfterTheSecondChangedFailsTheAttempt) {
    // Every answer is a 0x20 that comes 3 ms after the next seconds boundary.
    b.medidor.al_recibir = [&, n = size_t{0}](sim::Extremo_guion& m, uint8_t, int64_t t) mutable {
        if (++n % 10 != 0) return;
        const int64_t pared = b.entorno.origen_ms + t / 1000;
        const int64_t frontera_ms = (pared / 1000 + 1) * 1000 - b.entorno.origen_ms;
        m.responder(0x20, frontera_ms * 1000 + 3000);
    };
    const uint8_t datos[3] = {1, 2, 3};
    EXPECT_FALSE(f.Escribir_eeprom(0x0300, datos, 3));
    EXPECT_EQ(b.medidor.recibidos.size(), 5u * 10u);
}

TEST_F(Eeprom, WrongAnswersAreRetriedAndAnOversizeBlockIsRefused) {
    int peticiones = 0;
    b.medidor.al_recibir = [&, n = 0](sim::Extremo_guion& m, uint8_t, int64_t t) mutable {
        if (++n % 9 != 0) return;
        ++peticiones;
        m.responder(peticiones < 3 ? uint8_t{0x21} : uint8_t{0x20}, t + 2000);
    };
    const uint8_t datos[2] = {0xAB, 0xCD};
    EXPECT_TRUE(f.Escribir_eeprom(0x1234, datos, 2));
    EXPECT_EQ(peticiones, 3);
    EXPECT_EQ(V(b.medidor.recibidos.begin(), b.medidor.recibidos.begin() + 9),
              (V{0x02, 0x07, 0x50, 0x52, 0x08, 0x12, 0x34, 0xAB, 0xCD}));

    std::vector<uint8_t> grande(300, 0);
    b.medidor.recibidos.clear();
    EXPECT_FALSE(f.Escribir_eeprom(0x0000, grande.data(), 251));
    EXPECT_TRUE(b.medidor.recibidos.empty());
}

TEST_F(Eeprom, CurrentProfilesOfAPlainMeterAreLeftAlone) {
    medidor.eeprom[0x0303] = 11;
    EXPECT_TRUE(f.Grabar_perfiles());
    // Each of the 32 chunks is read twice, and the two replies agree.
    EXPECT_EQ(medidor.lecturas, 64);
    EXPECT_TRUE(medidor.escrituras.empty());
    EXPECT_EQ(medidor.guion.peticiones.front(), (V{0x01, 0x42, 0x00, 0x03, 0x22}));
    EXPECT_EQ(medidor.guion.peticiones.back(), (V{0x01, 0x42, 0xE0, 0x06, 0x22}));
    EXPECT_EQ(f.perfiles[3], 11);
}

TEST_F(Eeprom, StaleProfilesAreRebuiltOverWhatWasReadAndWrittenInEightChunks) {
    perfiles_caducados();
    b.ctx.medidor.idioma_medidor = 1;
    EXPECT_TRUE(f.Leer_perfiles());
    EXPECT_EQ(f.perfiles[100], 0x80 + 100 % 64);
    EXPECT_EQ(f.perfiles[1023], 0x80 + 1023 % 64);

    EXPECT_TRUE(f.Grabar_perfiles());
    ASSERT_EQ(medidor.escrituras.size(), 8u);
    for (size_t k = 0; k < 8; ++k) {
        EXPECT_EQ(medidor.escrituras[k].direccion, 0x0300 + 0x80 * k);
        EXPECT_EQ(medidor.escrituras[k].peticion.size(), 135u);
    }
    // Profile 1 stands at 0x0400 with its name; the tail of its slot is what was read,
    // at the same place.
    EXPECT_EQ(medidor.eeprom[0x0400], 0xBA);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&medidor.eeprom[0x0404]), 8), "Head-end");
    EXPECT_EQ(medidor.eeprom[0x0400 + 200], 0x80 + (256 + 200) % 64);
    for (int i = 0x0300 + 174; i < 0x0400; ++i) {
        ASSERT_EQ(medidor.eeprom[static_cast<size_t>(i)], 0x80 + (i - 0x0300) % 64) << i;
    }
    // Read again, the profiles are current: a second run writes nothing.
    medidor.escrituras.clear();
    EXPECT_TRUE(f.Grabar_perfiles());
    EXPECT_TRUE(medidor.escrituras.empty());
}

TEST_F(Eeprom, ProfilesThatCouldNotBeReadAreNotWrittenBackAndTheStepFails) {
    // The meter stops answering in the middle of the profile reads (it left the PC mode):
    // the kept bytes of those slots are unknown, so nothing is written.
    const auto antes = perfiles_caducados();
    medidor.responde_lectura = [](uint16_t a) { return a < 0x0460 || a > 0x04E0; };
    f.Construir_parametros(0);
    EXPECT_FALSE(f.Grabar_configuracion());
    EXPECT_FALSE(f.perfiles_leidos);
    EXPECT_TRUE(medidor.escrituras.empty());
    EXPECT_EQ(medidor.eeprom, antes);
    EXPECT_EQ(b.ctx.senales.causa,
              "the measurement profiles could not be read: no answer to the read of 34 bytes at "
              "0x04E0 of bank 0x42 in 5 tries");
}

TEST_F(Eeprom, AProfileByteDamagedOnTheLineIsReadAgainAndNeverWrittenBack) {
    const auto antes = perfiles_caducados();
    // The replies for the chunk at 0x03E0 (slot 0's tail) come with one byte damaged: the
    // first twice, then never again.
    int danadas = 0;
    medidor.danar = [&](uint16_t a, std::vector<uint8_t>& r) {
        if (a == 0x03E0 && danadas < 2) r[2 + 7] ^= static_cast<uint8_t>(++danadas);
    };
    EXPECT_TRUE(f.Grabar_perfiles());
    EXPECT_EQ(danadas, 2);
    // Four reads for the damaged chunk (two damaged, two clean), two for each other one,
    // and one for each 32 bytes read back after the writes.
    EXPECT_EQ(medidor.lecturas, 2 * 32 + 2 + 32);
    ASSERT_EQ(medidor.escrituras.back().direccion, 0x0680);
    for (int i = 0x0300 + 174; i < 0x0400; ++i) {
        ASSERT_EQ(medidor.eeprom[static_cast<size_t>(i)], antes[static_cast<size_t>(i)]) << i;
    }

    // A chunk that never reads the same twice: nothing is written and the step fails.
    medidor.escrituras.clear();
    medidor.eeprom = antes;
    medidor.danar = [&](uint16_t a, std::vector<uint8_t>& r) {
        if (a == 0x0500) r[2] ^= static_cast<uint8_t>(++danadas);
    };
    f.Construir_parametros(0);
    EXPECT_FALSE(f.Grabar_configuracion());
    EXPECT_FALSE(f.perfiles_leidos);
    EXPECT_TRUE(medidor.escrituras.empty());
    EXPECT_EQ(medidor.eeprom, antes);
}

TEST_F(Eeprom, WritesAreReadBackAndWrittenAgainUntilTheEepromHoldsThem) {
    // The write request has no checksum: a byte damaged on its way is stored and
    // acknowledged. The first write of the factory configuration's second half, and every
    // write of the default configuration's first half, store one byte wrong.
    for (size_t i = 0; i < 256; ++i) f.parametros[i] = static_cast<uint8_t>(i);
    int escrituras_0180 = 0;
    medidor.danar_escritura = [&](uint16_t a, std::vector<uint8_t>& e) {
        if (a == 0x0180 && ++escrituras_0180 == 1) e[0x01A0] ^= 0x40;
        if (a == 0x0200) e[0x0210] ^= 0x01;
    };
    EXPECT_TRUE(f.Grabar_conf_fabrica());
    EXPECT_EQ(escrituras_0180, 2);
    for (int i = 0; i < 254; ++i) ASSERT_EQ(medidor.eeprom[0x0100 + i], i) << i;

    medidor.escrituras.clear();
    EXPECT_FALSE(f.Grabar_conf_defecto());
    // Three writes of the first half, none of the second.
    ASSERT_EQ(medidor.escrituras.size(),
              static_cast<size_t>(TFParam_defecto::ESCRITURAS_COMPROBADAS));
    for (const auto& e : medidor.escrituras) EXPECT_EQ(e.direccion, 0x0200);
    EXPECT_EQ(b.ctx.senales.causa,
              "EEPROM block 0x0200 not confirmed after 3 writes: the EEPROM holds 0x11 at 0x0210, "
              "not the 0x10 written");

    // The whole step fails on it, after the profiles and the factory half went in.
    medidor.escrituras.clear();
    EXPECT_FALSE(f.Grabar_configuracion());
    EXPECT_EQ(b.vista.barra_pos, 3);
}

TEST_F(Eeprom, UsaProfilesAreAlwaysWritten) {
    medidor.eeprom[0x0303] = 11;
    b.ctx.medidor.es_usa = true;
    EXPECT_TRUE(f.Grabar_perfiles());
    EXPECT_EQ(medidor.escrituras.size(), 8u);
    EXPECT_EQ(medidor.eeprom[0x0301], 0xAE);
}

TEST_F(Eeprom, ConfigurationStepWritesProfilesThenFactoryThenDefault) {
    f.Construir_parametros(0);
    EXPECT_TRUE(f.Grabar_configuracion());
    ASSERT_EQ(medidor.escrituras.size(), 12u);
    const uint16_t orden[12] = {0x0300, 0x0380, 0x0400, 0x0480, 0x0500, 0x0580,
                                0x0600, 0x0680, 0x0100, 0x0180, 0x0200, 0x0280};
    const int barra[12] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 2, 2};
    for (size_t k = 0; k < 12; ++k) {
        EXPECT_EQ(medidor.escrituras[k].direccion, orden[k]) << k;
        EXPECT_EQ(medidor.escrituras[k].posicion_barra, barra[k]) << k;
    }
    EXPECT_EQ(b.vista.barra_min, 0);
    EXPECT_EQ(b.vista.barra_max, 3);
    EXPECT_EQ(b.vista.barra_pos, 3);
    EXPECT_EQ(medidor.eeprom[0x0200], 0xA0);
    EXPECT_EQ(medidor.eeprom[0x02E6], f.parametros[230]);
}

TEST_F(Eeprom, FailingProfileWriteStopsTheStepWithTheBarAtThree) {
    medidor.acepta = [](uint16_t a) { return a != 0x0380; };
    f.Construir_parametros(0);
    EXPECT_FALSE(f.Grabar_configuracion());
    ASSERT_EQ(medidor.escrituras.size(), 6u);  // one good chunk, five tries of the second
    EXPECT_EQ(b.ctx.senales.causa, "no answer to the write of EEPROM block 0x0380 in 5 tries");
    for (const auto& e : medidor.escrituras) EXPECT_LT(e.direccion, 0x0400);
    EXPECT_EQ(b.vista.barra_pos, 3);
    EXPECT_EQ(medidor.eeprom[0x0100], 0);
    EXPECT_EQ(medidor.eeprom[0x0200], 0);
}

}  // namespace
}  // namespace z82
