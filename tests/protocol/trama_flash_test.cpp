#include "protocol/trama_flash.h"

#include <gtest/gtest.h>

#include "apoyo/banco.h"
#include "protocol/cargador_guion.h"
#include "protocol/causa.h"

namespace z82 {
namespace {

using prueba::Banco;
using prueba::Cargador_guion;
using prueba::Mensaje_cargador;
using Bytes = std::vector<uint8_t>;

Bytes a_vector(std::span<const uint8_t> s) { return Bytes(s.begin(), s.end()); }

TEST(Trama_flash, FramesOnTheWire) {
    EXPECT_EQ(a_vector(Trama_flash::Borrar_paginas(0xAB, 0xC9).bytes()),
              (Bytes{0x07, 0x03, 0xAB, 0xC9, 0x61}));
    const uint8_t datos[] = {0x12, 0x34};
    EXPECT_EQ(a_vector(Trama_flash::Bloque_escritura(0x0100, 0xAD, datos).bytes()),
              (Bytes{0x03, 0x06, 0x00, 0x01, 0xAD, 0x12, 0x34, 0x8C}));

    Mapa_segmentos mapa{};
    mapa[0] = 1;
    mapa[63] = 1;
    const Trama_flash p = Trama_flash::Programar_mapa(mapa);
    ASSERT_EQ(p.size(), 67u);
    EXPECT_EQ(p.data()[0], 0x09);
    EXPECT_EQ(p.data()[1], 0x41);
    EXPECT_EQ(p.data()[2], 1);
    EXPECT_EQ(p.data()[65], 1);
    EXPECT_EQ(p.data()[66], 0x41);  // 0x41 ^ 1 ^ 1

    // The largest block fits; one more byte cannot be framed.
    const Bytes grande(MAX_DATOS_BLOQUE + 1, 0x5A);
    const Trama_flash maxima = Trama_flash::Bloque_escritura(0, 0xAB, {grande.data(), 251});
    ASSERT_TRUE(maxima.valida());
    EXPECT_EQ(maxima.size(), 257u);
    EXPECT_EQ(maxima.data()[1], 255);
    EXPECT_FALSE(Trama_flash::Bloque_escritura(0, 0xAB, grande).valida());
}

TEST(Trama_flash, XorAndPageNumbering) {
    const uint8_t b[] = {0x03, 0xAB, 0xC9};
    EXPECT_EQ(Xor_trama(b, 3), 0x61);
    EXPECT_EQ(Xor_trama(b, 0), 0);
    EXPECT_EQ(Xor_trama(b, -4), 0);

    EXPECT_EQ(Pagina_de_segmento(0), 0xAB);
    EXPECT_EQ(Pagina_de_segmento(0x1E), 0xC9);
    EXPECT_EQ(Pagina_de_segmento(0x30), 0xDB);
    EXPECT_EQ(Pagina_de_segmento(0x55), 0x00);  // wraps modulo 256
    EXPECT_EQ(Segmento_de_pagina(0xAB), 0);
    EXPECT_EQ(Segmento_de_pagina(0xEA), 63);
    EXPECT_EQ(Segmento_de_pagina(0xEB), -1);
    EXPECT_EQ(Segmento_de_pagina(0xAA), -1);
}

class Enviar_bloque_prueba : public ::testing::Test {
  protected:
    Enviar_bloque_prueba() { b.enlace.purgas.clear(); }  // opening the port purged
    bool enviar(const Forma_bloque& forma, uint8_t pagina = 0xAD) {
        return Enviar_bloque(b.ctx.canal(), forma, 2, 0x0100, pagina, datos);
    }
    const Bytes trama{0x03, 0x06, 0x00, 0x01, 0xAD, 0x12, 0x34, 0x8C};
    const uint8_t datos[2] = {0x12, 0x34};
    Banco b;
    Cargador_guion cargador{b};
};

TEST_F(Enviar_bloque_prueba, AcknowledgedBlock) {
    EXPECT_TRUE(enviar(formas::bloque_controlador));
    EXPECT_EQ(b.enviados(), trama);
    EXPECT_EQ(b.entorno.pitidos, 0);
    EXPECT_TRUE(b.enlace.purgas.empty());
}

// The loader rejects the block, then asks for it again on the third filler byte ('?' or
// 'f'); the same frame goes out once more, byte for byte.
TEST_F(Enviar_bloque_prueba, RecoveryResendsTheSameFrameWhenAskedAgain) {
    for (uint8_t pide : {RESP_REPETIR, RESP_DESPIERTO}) {
        Banco banco;
        Cargador_guion c{banco};
        int rellenos = 0, bloques = 0;
        c.responder = [&](const Mensaje_cargador& m) -> Bytes {
            if (m.tipo == Mensaje_cargador::relleno) return ++rellenos == 3 ? Bytes{pide} : Bytes{};
            if (m.tipo == Mensaje_cargador::trama) return ++bloques == 1 ? Bytes{'x'} : Bytes{'0'};
            return {};
        };
        const uint8_t d[2] = {0x12, 0x34};
        const size_t purgas_antes = banco.enlace.purgas.size();
        EXPECT_TRUE(
            Enviar_bloque(banco.ctx.canal(), formas::bloque_controlador, 2, 0x0100, 0xAD, d));
        const auto tramas = c.de_tipo(Mensaje_cargador::trama);
        ASSERT_EQ(tramas.size(), 2u);
        EXPECT_EQ(tramas[0].bytes, trama);
        EXPECT_EQ(tramas[1].bytes, trama);
        EXPECT_GE(rellenos, 3);
        EXPECT_EQ(banco.enlace.purgas.size(), purgas_antes + 1);
        EXPECT_EQ(banco.enlace.purgas.back(), 15u);  // both queues
        EXPECT_EQ(banco.entorno.pitidos, 0);
    }
}

TEST_F(Enviar_bloque_prueba, SilentLoaderFailsAfterTheRecoveryTimeWithABeep) {
    cargador.responder = [](const Mensaje_cargador&) { return Bytes{}; };
    const int64_t t0 = b.reloj.ms();
    EXPECT_FALSE(enviar(formas::bloque_controlador));
    EXPECT_EQ(b.entorno.pitidos, 1);
    EXPECT_EQ(cargador.de_tipo(Mensaje_cargador::trama).size(), 1u);
    EXPECT_GT(cargador.de_tipo(Mensaje_cargador::relleno).size(), 10u);
    // A first wait of 2 s and a recovery of 5 s, each counted in whole seconds.
    const int64_t duracion = b.reloj.ms() - t0;
    EXPECT_GT(duracion, 5000);
    EXPECT_LE(duracion, 7000 + 500 + 100);
    EXPECT_EQ(b.ctx.senales.causa,
              "no acknowledgement (no answer within 2 s) and no request to resend within 5 s");

    // With the cable pulled the same silence is the port's failure.
    b.enlace.desenchufado = true;
    EXPECT_FALSE(enviar(formas::bloque_controlador));
    EXPECT_EQ(b.ctx.senales.causa, CAUSA_PUERTO);
}

TEST_F(Enviar_bloque_prueba, ResendThatIsNotAcknowledgedFails) {
    cargador.responder = [](const Mensaje_cargador& m) -> Bytes {
        if (m.tipo == Mensaje_cargador::relleno) return {RESP_REPETIR};
        return {'x'};
    };
    EXPECT_FALSE(enviar(formas::bloque_controlador));
    EXPECT_EQ(b.entorno.pitidos, 1);
    EXPECT_EQ(cargador.de_tipo(Mensaje_cargador::trama).size(), 2u);
    EXPECT_EQ(b.ctx.senales.causa, "no acknowledgement in 2 tries (answer 'x' both times)");
}

TEST_F(Enviar_bloque_prueba, LowPagesAreSkippedByGraphicsAndMpeg4Only) {
    EXPECT_TRUE(enviar(formas::bloque_graficos, 0x7F));
    EXPECT_TRUE(enviar(formas::bloque_mpeg4, 0x00));
    EXPECT_TRUE(b.enviados().empty());
    EXPECT_TRUE(enviar(formas::bloque_controlador, 0x7F));
    EXPECT_TRUE(enviar(formas::bloque_fpga, 0x7F));
    EXPECT_TRUE(enviar(formas::bloque_graficos, 0x80));
    EXPECT_EQ(cargador.bloques().size(), 3u);
}

TEST_F(Enviar_bloque_prueba, BlockTooLargeForTheFrameIsRefused) {
    const Bytes grande(252, 1);
    EXPECT_FALSE(
        Enviar_bloque(b.ctx.canal(), formas::bloque_controlador, 252, 0, 0xAB, grande.data()));
    EXPECT_FALSE(
        Enviar_bloque(b.ctx.canal(), formas::bloque_controlador, -1, 0, 0xAB, grande.data()));
    EXPECT_TRUE(b.enviados().empty());
}

// The cancel request arrives as a message while the first wait runs.
TEST_F(Enviar_bloque_prueba, CancelInTheFirstWaitPerUser) {
    cargador.responder = [](const Mensaje_cargador&) { return Bytes{}; };
    struct Caso {
        Forma_bloque forma;
        int64_t pausa_min_ms, pausa_max_ms;
    };
    for (const Caso& caso :
         {Caso{formas::bloque_graficos, 0, 100}, Caso{formas::bloque_mpeg4, 300, 400},
          Caso{formas::bloque_controlador, 300, 400}}) {
        b.ctx.senales.abortar = false;
        b.entorno.publicar([this] { b.ctx.senales.abortar = true; });
        const int64_t t0 = b.reloj.ms();
        EXPECT_FALSE(enviar(caso.forma));
        const int64_t d = b.reloj.ms() - t0;
        EXPECT_GE(d, caso.pausa_min_ms);
        EXPECT_LE(d, caso.pausa_max_ms);
        EXPECT_EQ(b.ctx.senales.causa, CAUSA_DETENIDA);
    }
    EXPECT_EQ(b.entorno.pitidos, 0);
    EXPECT_TRUE(b.enlace.purgas.empty());
}

// The FPGA form: no cancel, no purge, no filler; one resend after the first wait.
TEST_F(Enviar_bloque_prueba, FpgaSimpleRecovery) {
    int tramas = 0;
    cargador.responder = [&](const Mensaje_cargador&) -> Bytes {
        return ++tramas == 2 ? Bytes{'0'} : Bytes{};
    };
    b.ctx.senales.abortar = true;
    EXPECT_TRUE(enviar(formas::bloque_fpga));
    Bytes dos = trama;
    dos.insert(dos.end(), trama.begin(), trama.end());
    EXPECT_EQ(b.enviados(true), dos);
    EXPECT_TRUE(b.enlace.purgas.empty());
    EXPECT_EQ(b.entorno.pitidos, 0);

    // Silent twice: beep and false, still only the two frames.
    EXPECT_FALSE(enviar(formas::bloque_fpga));
    EXPECT_EQ(b.enviados(), dos);
    EXPECT_EQ(b.entorno.pitidos, 1);
}

TEST(Borrar_paginas, ControllerFormRetriesUntilErased) {
    Banco b;
    Cargador_guion c{b};
    int intentos = 0;
    c.responder = [&](const Mensaje_cargador&) -> Bytes {
        return ++intentos == 2 ? Bytes{RESP_BORRADO} : Bytes{'q'};
    };
    const int64_t t0 = b.reloj.ms();
    EXPECT_TRUE(Borrar_paginas(b.ctx.canal(), 0xAB, 0xC9, formas::borrado_controlador));
    const Bytes trama{0x07, 0x03, 0xAB, 0xC9, 0x61};
    Bytes dos = trama;
    dos.insert(dos.end(), trama.begin(), trama.end());
    EXPECT_EQ(b.enviados(), dos);
    EXPECT_EQ(b.entorno.pitidos, 0);
    EXPECT_GE(b.reloj.ms() - t0, 1000);  // 500 ms after each attempt, the good one included
}

TEST(Borrar_paginas, AttemptsLimitsAndBeepsPerUser) {
    struct Caso {
        Forma_espera forma;
        Bytes respuesta;
        int envios, pitidos;
        const char* causa;
    };
    for (const Caso& caso :
         {Caso{formas::borrado_controlador,
               {},
               3,
               0,
               "no answer to the page erase 0xD0..0xE8 in 3 tries"},
          Caso{formas::borrado_fpga, {}, 5, 0, "no answer to the page erase 0xD0..0xE8 in 5 tries"},
          Caso{formas::borrado_mpeg4,
               {'q'},
               3,
               3,
               "the meter answered 'q' to the page erase 0xD0..0xE8, 3 tries"},
          Caso{formas::borrado_mpeg4,
               {},
               3,
               3,
               "no answer to the page erase 0xD0..0xE8 in 3 tries"}}) {
        Banco b;
        Cargador_guion c{b};
        c.responder = [&](const Mensaje_cargador&) { return caso.respuesta; };
        const int64_t t0 = b.entorno.segundos();
        EXPECT_FALSE(Borrar_paginas(b.ctx.canal(), 0xD0, 0xE8, caso.forma));
        EXPECT_EQ(static_cast<int>(c.mensajes.size()), caso.envios);
        EXPECT_EQ(b.entorno.pitidos, caso.pitidos);
        EXPECT_EQ(b.ctx.senales.causa, caso.causa);
        if (caso.respuesta.empty()) {
            // Each silent attempt lasts its limit, give or take the whole-second count.
            const int64_t d = b.entorno.segundos() - t0;
            EXPECT_GE(d, caso.envios * (caso.forma.limite_s - 1));
            EXPECT_LE(d, caso.envios * (caso.forma.limite_s + 2));
        }
    }
}

TEST(Borrar_paginas, GraphicsFormCountsFromTheRunClock) {
    Banco b;
    Cargador_guion c{b};
    c.responder = [](const Mensaje_cargador&) { return Bytes{}; };
    // 29 s of the run are gone: the erase may wait only one or two seconds more.
    const int64_t t0 = b.reloj.ms();
    EXPECT_FALSE(Borrar_paginas(b.ctx.canal(), 0xFE, 0x00, formas::borrado_graficos,
                                b.entorno.segundos() - 29));
    EXPECT_LE(b.reloj.ms() - t0, 2100);
    EXPECT_EQ(b.enviados(), (Bytes{0x07, 0x03, 0xFE, 0x00, 0xFD}));
    EXPECT_EQ(b.entorno.pitidos, 0);  // silence does not beep

    c.responder = [](const Mensaje_cargador&) { return Bytes{'r'}; };
    EXPECT_FALSE(
        Borrar_paginas(b.ctx.canal(), 0x90, 0x92, formas::borrado_graficos, b.entorno.segundos()));
    EXPECT_EQ(b.entorno.pitidos, 1);  // a wrong answer does
}

TEST(Despertar, WakesOnTheThirdAttempt) {
    Banco b;
    Cargador_guion c{b};
    int intentos = 0;
    c.responder = [&](const Mensaje_cargador& m) -> Bytes {
        if (m.tipo != Mensaje_cargador::despertar) return {};
        return ++intentos == 3 ? Bytes{RESP_DESPIERTO} : Bytes{'0'};
    };
    EXPECT_TRUE(Despertar(b.ctx.canal(), formas::despertar));
    EXPECT_EQ(b.enviados(), (Bytes{0xAA, 0xAA, 0xAA}));

    c.responder = [](const Mensaje_cargador&) { return Bytes{}; };
    EXPECT_FALSE(Despertar(b.ctx.canal(), formas::despertar));
    EXPECT_EQ(c.de_tipo(Mensaje_cargador::despertar).size(), 8u);
    EXPECT_EQ(b.ctx.senales.causa, "no answer to the wake-up 0xAA in 5 tries");
}

class Progreso_prueba : public ::testing::Test {
  protected:
    bool seguir(const Bytes& flujo) {
        b.medidor.responder(flujo, b.reloj.us() + 1000);
        return Seguir_progreso(b.ctx.canal(), b.entorno.segundos(), LIMITE_PROGRESO_S,
                               [this](Suceso_progreso s, uint8_t v) {
                                   sucesos.push_back({s, v});
                               });
    }
    Banco b;
    std::vector<std::pair<Suceso_progreso, uint8_t>> sucesos;
};

TEST_F(Progreso_prueba, BothPhasesThenEnd) {
    const int64_t t0 = b.reloj.ms();
    EXPECT_TRUE(seguir({0x8A, 0x8A, 0x05, 0x06, 0x8B, 0x8B, 0xAC, 0xAD, 0x80, 0x80}));
    using S = Suceso_progreso;
    const std::vector<std::pair<S, uint8_t>> esperado{
        {S::marcador, 0x8A}, {S::fase_borrado, 0x8A}, {S::valor, 0x05},
        {S::valor, 0x06},    {S::marcador, 0x8B},     {S::fase_grabado, 0x8B},
        {S::valor, 0xAC},    {S::valor, 0xAD},        {S::marcador, 0x80}};
    EXPECT_EQ(sucesos, esperado);
    EXPECT_EQ(b.entorno.pitidos, 0);
    EXPECT_GE(b.reloj.ms() - t0, 900);  // 100 ms after each byte but the last
}

TEST_F(Progreso_prueba, ValueBeforeAnyPhaseFails) {
    EXPECT_FALSE(seguir({0x05, 0x8A, 0x8A, 0x80, 0x80}));
    EXPECT_EQ(b.entorno.pitidos, 1);
    EXPECT_TRUE(sucesos.empty());
    EXPECT_EQ(b.ctx.senales.causa,
              "an unexpected byte 0x05 in the programming stream, before any erase or write "
              "phase");
}

TEST_F(Progreso_prueba, SingleMarkerFirstIsNoError) {
    EXPECT_TRUE(seguir({0x8A, 0x8B, 0x8B, 0x10, 0x80, 0x80}));
    using S = Suceso_progreso;
    const std::vector<std::pair<S, uint8_t>> esperado{{S::marcador, 0x8A},
                                                      {S::marcador, 0x8B},
                                                      {S::fase_grabado, 0x8B},
                                                      {S::valor, 0x10},
                                                      {S::marcador, 0x80}};
    EXPECT_EQ(sucesos, esperado);
    EXPECT_EQ(b.entorno.pitidos, 0);
}

TEST_F(Progreso_prueba, BudgetCoversTheWholeStream) {
    // A meter that sends a value every 50 s never finishes: the ten minutes run out.
    b.medidor.responder({0x8A, 0x8A}, b.reloj.us() + 1000);
    for (int i = 1; i <= 20; ++i) b.medidor.responder(0x10, b.reloj.us() + i * 50'000'000LL);
    const int64_t t0 = b.entorno.segundos();
    EXPECT_FALSE(Seguir_progreso(b.ctx.canal(), t0, LIMITE_PROGRESO_S, {}));
    EXPECT_EQ(b.entorno.segundos() - t0, LIMITE_PROGRESO_S);
    EXPECT_EQ(b.entorno.pitidos, 0);
    EXPECT_EQ(b.ctx.senales.causa,
              "the meter did not end the programming (0x80 0x80) within 10 minutes; it was still "
              "sending (last byte 0x10)");
}

TEST(Fin_comunicacion, SendsTheClosingPairAndDrains) {
    Banco b;
    b.medidor.responder({1, 2, 3}, b.reloj.us());
    Fin_comunicacion(b.ctx.canal());
    EXPECT_EQ(b.enviados(), (Bytes{0x0F, 0xF0}));
    uint8_t x = 9;
    EXPECT_EQ(b.puerto.Leer(&x, 1), 0);
}

}  // namespace
}  // namespace z82
