// The simulated meter's flash loader: loader code, wake-up, erase, block writes and their
// recovery, the program command and what the memory banks show afterwards.
#include <gtest/gtest.h>

#include "banco_medidor.h"

namespace z82 {
namespace {

using prueba::Banco_medidor;
using Bytes = std::vector<uint8_t>;
using Modo = sim::Medidor_simulado::Modo;

struct Cargador : Banco_medidor {
    Cargador(const sim::Config_medidor& c = {}) : Banco_medidor(c) {
        conectar();
        cargar_cargador();
    }
};

TEST(MedidorFlash, LoaderBlocksWakeAndErase) {
    Banco_medidor b;
    ASSERT_TRUE(b.conectar());
    Bytes b144{0x04, 0x90, 0x00};
    b144.resize(147, 0x11);
    b.enviar(b144);
    EXPECT_EQ(b.recibir(4), (Bytes{0x4A, 0x90, 0x00, 0x00}));
    Bytes b972{0x04, 0xCC, 0x03};
    b972.resize(975, 0x22);
    b.enviar(b972);
    const auto r = b.recibir(2, 1000);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[1], 0xAD);
    EXPECT_EQ(b.medidor.modo(), Modo::cargador);
    EXPECT_EQ(b.medidor.bloque_cargado(1), Bytes(144, 0x11));

    b.enviar({0xAA});
    EXPECT_EQ(b.recibir(1), Bytes{'f'});
    b.medidor.fallos.borrados_fallidos = 2;
    b.medidor.fallos.byte_fallo_borrado = 'r';
    const Bytes borrado{0x07, 0x03, 0xAB, 0xC9, 0x61};
    for (uint8_t esperado : {'r', 'r', 'p'}) {
        b.enviar(borrado);
        EXPECT_EQ(b.recibir(1, 4000), Bytes{esperado});
    }
    EXPECT_LT(b.reloj.ms(), 4000);  // 31 pages erase in well under the PC's limit
    EXPECT_TRUE(b.medidor.hay("borrado AB-C9 p"));
    // A frame with a bad check byte erases nothing and gets no answer.
    b.enviar({0x07, 0x03, 0xAB, 0xC9, 0x62});
    EXPECT_TRUE(b.todo(1000).empty());
}

TEST(MedidorFlash, BlockWritesBadChecksAndRecovery) {
    Cargador b;
    ASSERT_EQ(b.medidor.modo(), Modo::cargador);
    // The example frame: two bytes at offset 0x0100 of the segment of page 0xAD.
    b.enviar({0x03, 0x06, 0x00, 0x01, 0xAD, 0x12, 0x34, 0x8C});
    EXPECT_EQ(b.recibir(1), Bytes{'0'});
    EXPECT_EQ(b.medidor.preparado(2)[0x100], 0x12);
    EXPECT_EQ(b.medidor.preparado(2)[0x101], 0x34);

    // A damaged frame is refused in silence; filler bytes get '?' and the resend lands.
    auto t = Banco_medidor::bloque(0xAD, 0x0200, {1, 2, 3});
    auto malo = t;
    malo[6] ^= 0x40;
    b.enviar(malo);
    EXPECT_TRUE(b.recibir(1, 2000).empty());
    EXPECT_EQ(b.medidor.preparado(2)[0x201], 0xFF);
    b.enviar({0xFF});
    EXPECT_EQ(b.recibir(1), Bytes{'?'});
    b.enviar(t);
    EXPECT_EQ(b.recibir(1), Bytes{'0'});
    EXPECT_EQ(b.medidor.preparado(2)[0x201], 2);
    EXPECT_EQ(b.medidor.bloques_rechazados, 1);

    // A byte lost on the way: the meter waits for the rest, drops the unfinished frame
    // when the PC falls silent, and the filler that follows gets '?' ('f' when so set).
    b.medidor.config.respuesta_relleno = 'f';
    sim::Fallo_byte f;
    f.sentido = sim::Sentido::hacia_medidor;
    f.accion = sim::Accion::perder;
    f.desde_us = b.reloj.us() + 10 * sim::Enlace_simulado::US_POR_BYTE;  // a data byte
    b.medidor.fallos.bytes.push_back(f);
    auto t2 = Banco_medidor::bloque(0xAE, 0x0000, Bytes(100, 0x5A));
    b.enviar(t2);
    EXPECT_TRUE(b.recibir(1, 2000).empty());
    b.enviar({0xFF});
    EXPECT_EQ(b.recibir(1), Bytes{'f'});
    EXPECT_TRUE(b.medidor.hay("trama incompleta"));
    b.enviar(t2);
    EXPECT_EQ(b.recibir(1), Bytes{'0'});
    EXPECT_EQ(b.medidor.preparado(3)[99], 0x5A);

    // The acknowledgement damaged on its way back.
    sim::Fallo_byte g;
    g.sentido = sim::Sentido::hacia_pc;
    g.accion = sim::Accion::sustituir;
    g.valor = 'x';
    g.desde_us = b.reloj.us();
    b.medidor.fallos.bytes.push_back(g);
    b.enviar(t2);
    EXPECT_EQ(b.recibir(1), Bytes{'x'});
}

TEST(MedidorFlash, ProgramCommandMakesStagedSegmentsTheMetersFlash) {
    Cargador b;
    b.enviar({0x07, 0x03, 0xAB, 0xC9, 0x61});
    ASSERT_EQ(b.recibir(1, 2000), Bytes{'p'});
    // New firmware version in segment 0x18, a plan header in 0x1E, FPGA 3.0 in 0x30.
    b.escribir_paginas(0xC3, 0x0010, {'1', '.', '8', '9', 0, 0, '0', '0', '0', '0', '4', 0});
    b.escribir_paginas(0xC9, 0x0000, {0x00, 0x26, 0x00, 0x70, 0x00, 0x00});
    b.escribir_paginas(0xDB, 0x0000, {2, 0, 0, 0, 0x68, 0x01, 0x85, 0x30, 2, 1, 0x00, 0x03});
    EXPECT_EQ(b.medidor.bloques_aceptados, 3);
    // Still the old version until the program command.
    EXPECT_EQ(b.medidor.flash(0x18)[0x13], '7');

    Bytes mapa(64, 0);
    mapa[0x18] = mapa[0x1E] = mapa[0x30] = mapa[0x31] = 1;
    b.enviar(Banco_medidor::trama(0x09, mapa));
    const int64_t inicio = b.reloj.ms();
    // The meter does not listen while it programs.
    b.enviar({0xAA});
    const auto flujo = b.recibir(12, 60000);
    EXPECT_EQ(flujo, (Bytes{0x8A, 0x8A, 6 + 0x18, 6 + 0x1E, 6 + 0x30, 6 + 0x31, 0x8B, 0x8B, 0xC3,
                            0xC9, 0xDB, 0xDC}));
    const auto fin = b.recibir(2, 5000);
    EXPECT_EQ(fin, (Bytes{0x80, 0x80}));
    const int64_t duracion = b.reloj.ms() - inicio;
    EXPECT_GT(duracion, 500);
    EXPECT_LT(duracion, 30000);
    EXPECT_EQ(b.medidor.programaciones, 1);
    EXPECT_EQ(b.medidor.ultimo_mapa, (Bytes{0x18, 0x1E, 0x30, 0x31}));
    EXPECT_EQ(b.medidor.flash(0x31)[0], 0xFF);  // flagged and erased, nothing written

    // The closing pair returns to normal mode: the banks present the new contents.
    b.enviar({0x0F, 0xF0});
    EXPECT_EQ(b.medidor.modo(), Modo::normal);
    b.enviar({0x01, 0x18, 0x10, 0x00, 0x06});
    EXPECT_EQ(b.recibir(8), (Bytes{0x10, 0x06, '1', '.', '8', '9', 0, 0}));
    b.enviar({0x01, 0x18, 0x16, 0x00, 0x06});
    EXPECT_EQ(b.recibir(8), (Bytes{0x10, 0x06, '0', '0', '0', '0', '4', 0}));
    b.enviar({0x01, 0x1E, 0x00, 0x00, 0x06});
    EXPECT_EQ(b.recibir(8), (Bytes{0x10, 0x06, 0x00, 0x26, 0x00, 0x70, 0x00, 0x00}));
    b.enviar({0x01, 0x30, 0x00, 0x00, 0x10});
    const auto fpga = b.recibir(18);
    ASSERT_EQ(fpga.size(), 18u);
    EXPECT_EQ(fpga[2 + 11], 3);
    EXPECT_EQ(fpga[2 + 10], 0);
}

TEST(MedidorFlash, BootLoaderMeterAnswers5DOnceProgrammed) {
    sim::Config_medidor c;
    c.respuesta_sonda = 0xD5;
    Banco_medidor b(c);
    b.enviar({0x00});
    ASSERT_EQ(b.recibir(1), Bytes{0xD5});
    b.enviar(Bytes(32, 1));
    b.enviar(Bytes(972, 2));
    ASSERT_EQ(b.recibir(1), Bytes{0xAD});
    ASSERT_TRUE(b.cargar_cargador());
    Bytes mapa(64, 0);
    mapa[1] = 1;
    b.enviar(Banco_medidor::trama(0x09, mapa));
    EXPECT_EQ(b.recibir(8, 10000).size(), 8u);
    b.enviar({0x0F, 0xF0});
    EXPECT_TRUE(b.conectar());
}

TEST(MedidorFlash, FrameBufferTakesTheGraphicsPagesAndRendersAPng) {
    Cargador b;
    ASSERT_TRUE(b.medidor.pantalla_activa());
    b.enviar({0x07, 0x03, 0x90, 0x92, 0x90 ^ 0x92 ^ 0x03});
    ASSERT_EQ(b.recibir(1), Bytes{'p'});
    EXPECT_EQ(b.medidor.pantalla().pixel(0, 0), 0xFFFF);
    // A red chunk of 100 pixels at (85, 82): offset 85 * 2 + 82 * 640 = 52650 on page 0x90.
    Bytes rojo;
    for (int i = 0; i < 100; ++i) rojo.insert(rojo.end(), {0x00, 0xF8});
    b.enviar(Banco_medidor::bloque(0x90, 52650, rojo));
    EXPECT_EQ(b.recibir(1), Bytes{'0'});
    EXPECT_EQ(b.medidor.pantalla().pixel(85, 82), 0xF800);
    EXPECT_EQ(b.medidor.pantalla().pixel(184, 82), 0xF800);
    EXPECT_EQ(b.medidor.pantalla().pixel(185, 82), 0xFFFF);
    // The second chunk of row 20 goes to page 0x91 at offset 114.
    b.enviar(Banco_medidor::bloque(0x91, 114, Bytes(100, 0x00)));
    EXPECT_EQ(b.recibir(1), Bytes{'0'});
    EXPECT_EQ(b.medidor.pantalla().pixel(185, 102), 0x0000);
    // The graphics pages are not the staging area.
    EXPECT_EQ(b.medidor.preparado_hasta(static_cast<uint8_t>(0x90 - 0xAB)), 0u);

    const std::string ruta = ::testing::TempDir() + "pantalla_medidor.png";
    ASSERT_TRUE(b.medidor.guardar_png(ruta));
    FILE* f = std::fopen(ruta.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    uint8_t firma[8] = {};
    EXPECT_EQ(std::fread(firma, 1, 8, f), 8u);
    std::fclose(f);
    EXPECT_EQ(firma[1], 'P');
    std::remove(ruta.c_str());
}

TEST(MedidorFlash, Mpeg4TransferProgramsTheModule) {
    sim::Config_medidor c;
    c.mpeg4_tras_actualizar.build = 7;
    Banco_medidor b(c);
    ASSERT_TRUE(b.conectar());
    ASSERT_TRUE(b.cargar_cargador(true));
    b.enviar({0x07, 0x03, 0xD0, 0xE8, 0xD0 ^ 0xE8 ^ 0x03});
    ASSERT_EQ(b.recibir(1, 2000), Bytes{'p'});
    Bytes aplicacion(70'000);
    for (size_t i = 0; i < aplicacion.size(); ++i) aplicacion[i] = static_cast<uint8_t>(i * 7);
    b.escribir_paginas(0xD0, 0, aplicacion);  // a block runs across the segment end
    const Bytes transferencia(100, 0x81);
    b.escribir_paginas(0x81, 0, transferencia);

    b.enviar({0x0D, 0xD0});
    EXPECT_EQ(b.recibir(1, 2000), Bytes{c.byte_listo_mpeg4});
    b.enviar({0xCC, 0x00, 0x00, 0x20, 0x00, 0x70, 0x11, 0x01, 0x00});
    const int64_t orden = b.reloj.ms();
    EXPECT_EQ(b.recibir(1, 200'000), Bytes{0xBB});
    EXPECT_NEAR(static_cast<double>(b.reloj.ms() - orden), 90'000.0, 100.0);
    EXPECT_EQ(b.medidor.mpeg4_aplicacion(), aplicacion);
    EXPECT_EQ(b.medidor.mpeg4_transferencia(), transferencia);
    EXPECT_EQ(b.medidor.version_mpeg4().build, 7);
    // The meter starts afresh and reports the new versions.
    EXPECT_EQ(b.medidor.modo(), Modo::espera);
    ASSERT_TRUE(b.conectar());
    b.enviar({0xBF});
    EXPECT_EQ(b.recibir(8)[5], 7);
}

TEST(MedidorFlash, Mpeg4StartWithoutThePatchedLoaderLeadsNowhere) {
    Banco_medidor b;
    ASSERT_TRUE(b.conectar());
    ASSERT_TRUE(b.cargar_cargador(false));
    b.escribir_paginas(0x81, 0, Bytes(32, 1));
    b.enviar({0x0D, 0xD0});
    EXPECT_TRUE(b.todo(2000).empty());
    EXPECT_TRUE(b.medidor.hay("mpeg4 arranque fallido"));
}

TEST(MedidorFlash, SilenceAndPulledCableFromAnInstant) {
    Cargador b;
    b.medidor.fallos.silencio_desde_us = b.reloj.us() + 1'000'000;
    b.enviar({0xAA});
    EXPECT_EQ(b.recibir(1), Bytes{'f'});
    b.entorno.dormir(1000);
    b.enviar({0xAA});
    EXPECT_TRUE(b.todo(1000).empty());

    Cargador c;
    c.enlace.desenchufar_desde_us = c.reloj.us() + 500'000;
    c.enviar({0xAA});
    EXPECT_EQ(c.recibir(1), Bytes{'f'});
    c.entorno.dormir(600);
    EXPECT_EQ(c.puerto.Escribir({0xAA}), -1);
    EXPECT_TRUE(c.todo(500).empty());
}

TEST(MedidorFlash, SeededRandomDamageIsRepeatable) {
    auto correr = [](uint64_t semilla) {
        Cargador b;
        b.medidor.fallos.semilla = semilla;
        b.medidor.fallos.prob_corrupcion_salida = 0.3;
        Bytes r;
        for (int i = 0; i < 40; ++i) {
            b.enviar({0xAA});
            const auto x = b.recibir(1);
            r.insert(r.end(), x.begin(), x.end());
        }
        return r;
    };
    const Bytes a = correr(5), otra = correr(5), distinta = correr(6);
    EXPECT_EQ(a, otra);
    EXPECT_NE(a, distinta);
    EXPECT_NE(std::count(a.begin(), a.end(), 'f'), 40);
}

}  // namespace
}  // namespace z82
