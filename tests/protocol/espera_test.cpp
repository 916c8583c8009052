// The one wait of the meter protocols, at the edges of the whole seconds it counts.
#include "protocol/espera.h"

#include <gtest/gtest.h>

#include "apoyo/banco.h"
#include "base/entorno.h"
#include "queries/guion_peticiones.h"

namespace z82 {
namespace {

using prueba::Banco;

TEST(Espera, WholeSecondEdgesPerVariant) {
    struct Caso {
        Limite cuando;
        int64_t limite;
        int64_t byte_ms;  // when the meter sends its byte, from the wait's start; -1 never
        bool llega;
        int64_t transcurrido;
    };
    // The seconds reading changes 300 ms into the wait.
    const Caso casos[] = {
        {Limite::alcanzado, 1, 200, true, 0},   // before the change: in time
        {Limite::alcanzado, 1, 310, false, 1},  // just after it: the limit of 1 is reached
        {Limite::superado, 1, 310, true, 1},    // ... but not passed
        {Limite::superado, 1, 1310, false, 2},  // one more second passes it
        {Limite::alcanzado, 2, 1200, true, 1},  // a limit of 2 waits at least one second
        {Limite::alcanzado, 2, -1, false, 2},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(testing::Message() << c.limite << " " << c.byte_ms);
        Banco b;
        prueba::Segundo_en(b, 300);
        if (c.byte_ms >= 0) b.medidor.responder(0x5A, b.reloj.us() + c.byte_ms * 1000);
        Espera espera(b.puerto, b.entorno);
        uint8_t byte = 0xEE;
        EXPECT_EQ(espera.byte(byte, c.limite, c.cuando), c.llega);
        EXPECT_EQ(byte, c.llega ? 0x5A : 0);
        EXPECT_EQ(espera.transcurrido(), c.transcurrido);
    }
}

TEST(Espera, WhatHappensBetweenPollsAndAStop) {
    // Messages run between polls, or not at all with a 50 ms pause; other bytes are dropped
    // by byte_igual, and a stop asked while waiting ends the wait at the next poll. The
    // engine's timers (the link watch, which reads a byte off the link) do not run inside a
    // wait, or they would take a byte of the reply; they run again once it is over.
    Banco b;
    int vigilancias = 0;
    Temporizador vigilancia(100, [&] { ++vigilancias; });
    b.entorno.registrar(vigilancia);
    vigilancia.Enabled(true);
    long mensajes = b.entorno.mensajes_procesados;
    Espera espera(b.puerto, b.entorno, Entre_lecturas::pausa_50ms);
    b.medidor.responder({0x33, 0x10}, b.reloj.us() + 120'000);
    EXPECT_TRUE(espera.byte_igual(0x10, 1));
    EXPECT_EQ(espera.recibidos(), 2);
    EXPECT_EQ(b.entorno.mensajes_procesados, mensajes);

    espera.entre_lecturas(Entre_lecturas::mensajes);
    espera.reiniciar();
    bool parar = false;
    b.entorno.publicar([&] { parar = true; });
    espera.detener_si([&] { return parar; });
    uint8_t byte = 0;
    const int64_t t0 = b.reloj.ms();
    EXPECT_FALSE(espera.byte(byte, 5));
    EXPECT_TRUE(espera.detenida());
    EXPECT_GT(b.entorno.mensajes_procesados, mensajes);
    EXPECT_LT(b.reloj.ms() - t0, 100);

    espera.detener_si({});
    EXPECT_FALSE(espera.byte(byte, 1));  // a whole second of polls with messages
    EXPECT_EQ(vigilancias, 0);
    b.reloj.avanzar_ms(200);
    b.entorno.procesar_mensajes();
    EXPECT_EQ(vigilancias, 1);
    b.entorno.olvidar(vigilancia);
}

}  // namespace
}  // namespace z82
