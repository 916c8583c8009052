// The flash controller's exchanges: loader code loads, wake and erase, programming with
// its progress, and the closing pair.
#include "flash/tcdiferencial.h"

#include <gtest/gtest.h>

#include "apoyo/banco.h"
#include "flash/codigo_cargador.h"
#include "graphics/tgraficos.h"
#include "protocol/trama_flash.h"

namespace z82 {
namespace {

using prueba::Banco;
using Bytes = std::vector<uint8_t>;

// A view that keeps every position the bar took.
class Vista_barra : public sim::Vista_registro {
  public:
    using Vista_registro::Vista_registro;
    void barra(int minimo, int maximo, int posicion) override {
        Vista_registro::barra(minimo, maximo, posicion);
        if (posiciones.empty() || posiciones.back() != posicion) posiciones.push_back(posicion);
    }
    std::vector<int> posiciones;
};

class Controlador_prueba : public ::testing::Test {
  protected:
    Controlador_prueba() {
        ctx.puerto = &b.puerto;
        ctx.graficos = &g;
        for (int i = 0; i < 3; ++i) {
            const size_t n = i == 0 ? 32 : i == 1 ? 144 : 972;
            auto& bloque = ctx.bloques.bloque[static_cast<size_t>(i)];
            bloque.resize(n);
            for (size_t j = 0; j < n; ++j) bloque[j] = static_cast<uint8_t>(j + 40 * i);
        }
    }
    // The meter answers these bytes once it has received `tras` bytes.
    void responder_tras(size_t tras, Bytes respuesta, int64_t retardo_us = 2000) {
        b.medidor.al_recibir = [this, tras, respuesta, retardo_us](sim::Extremo_guion& m, uint8_t,
                                                                   int64_t t) {
            if (m.recibidos.size() == tras) m.responder(respuesta, t + retardo_us);
        };
    }
    Bytes bloque(int i) const { return ctx.bloques.bloque[static_cast<size_t>(i)]; }

    Banco b;
    Vista_barra vista{b.entorno};
    prueba::Contexto_prueba ctx{b.entorno, vista};
    TGraficos g{Canal{b.puerto, b.entorno, ctx.senales}};
    TCDiferencial d{Canal{b.puerto, b.entorno, ctx.senales}, ctx.Barra_progreso,
                    ctx.ultimo_progreso};
    TCodigo_cargador codigo{Canal{b.puerto, b.entorno, ctx.senales}, ctx.bloques, nullptr, &g};
};

TEST_F(Controlador_prueba, BootLoadSendsBlocksZeroAndTwo) {
    g.habilitado = true;
    responder_tras(32 + 972, {RESP_CODIGO_CARGADO});
    EXPECT_TRUE(codigo.Cargar_arranque());
    Bytes esperado = bloque(0);
    const Bytes b2 = bloque(2);
    esperado.insert(esperado.end(), b2.begin(), b2.end());
    EXPECT_EQ(b.enviados(), esperado);
    EXPECT_FALSE(g.habilitado);
    EXPECT_EQ(&codigo.bloques, &ctx.bloques);  // the program-wide blocks, not a copy
}

TEST_F(Controlador_prueba, BootLoadWrongAnswerBeepsAndSilenceIsBounded) {
    responder_tras(32 + 972, {0x5D});
    EXPECT_FALSE(codigo.Cargar_arranque());
    EXPECT_EQ(b.entorno.pitidos, 1);

    b.medidor.al_recibir = nullptr;
    ctx.hora_inicio = 0;  // a stale run clock does not shorten the wait
    b.reloj.avanzar_ms(100'000);
    const int64_t t0 = b.entorno.segundos();
    EXPECT_FALSE(codigo.Cargar_arranque());
    EXPECT_EQ(b.entorno.segundos() - t0, TCodigo_cargador::LIMITE_ARRANQUE_S + 1);
    EXPECT_EQ(b.entorno.pitidos, 1);
}

TEST_F(Controlador_prueba, Block144ReportsTheFrameBuffer) {
    ctx.hora_inicio = b.entorno.segundos();
    responder_tras(3 + 144, {RESP_BLOQUE_144, 0x91, 0x12, 0x34});
    EXPECT_TRUE(codigo.Cargar_bloque_144(ctx.hora_inicio));
    Bytes esperado{0x04, 0x90, 0x00};
    const Bytes b1 = bloque(1);
    esperado.insert(esperado.end(), b1.begin(), b1.end());
    EXPECT_EQ(b.enviados(), esperado);
    EXPECT_TRUE(g.habilitado);
    EXPECT_EQ(g.pagina_inicio, 0x91);
    EXPECT_EQ(g.direccion_base, 0x1234);
}

TEST_F(Controlador_prueba, Block144OtherAnswerLeavesGraphicsOffButSucceeds) {
    g.habilitado = true;
    ctx.hora_inicio = b.entorno.segundos();
    responder_tras(3 + 144, {0x55});
    EXPECT_TRUE(codigo.Cargar_bloque_144(ctx.hora_inicio));
    EXPECT_FALSE(g.habilitado);

    // Answer 0x4A with only one of its three bytes: the others read as 0.
    ctx.hora_inicio = b.entorno.segundos();
    responder_tras(2 * (3 + 144), {RESP_BLOQUE_144, 0x95});
    EXPECT_TRUE(codigo.Cargar_bloque_144(ctx.hora_inicio));
    EXPECT_TRUE(g.habilitado);
    EXPECT_EQ(g.pagina_inicio, 0x95);
    EXPECT_EQ(g.direccion_base, 0);
    EXPECT_LE(b.entorno.segundos() - ctx.hora_inicio, 21);

    // Silence: false once 20 s of the run have passed.
    b.medidor.al_recibir = nullptr;
    ctx.hora_inicio = b.entorno.segundos();
    EXPECT_FALSE(codigo.Cargar_bloque_144(ctx.hora_inicio));
    EXPECT_EQ(b.entorno.segundos() - ctx.hora_inicio, 21);
}

TEST_F(Controlador_prueba, Block972IsPacedAndWaitsForTheSecondAnswer) {
    responder_tras(3 + 972, {'x', 'y', RESP_CODIGO_CARGADO});
    EXPECT_TRUE(codigo.Cargar_bloque_972(ctx.hora_inicio));
    Bytes esperado{0x04, 0xCC, 0x03};
    const Bytes b2 = bloque(2);
    esperado.insert(esperado.end(), b2.begin(), b2.end());
    ASSERT_EQ(b.medidor.recibidos, esperado);
    // Three header writes and 243 writes of four bytes, each followed by 1 ms.
    int escrituras = 0;
    int64_t anterior = -1;
    for (const auto& r : b.enlace.registro()) {
        if (!r.hacia_medidor || r.t_us == anterior) continue;
        ++escrituras;
        anterior = r.t_us;
    }
    EXPECT_EQ(escrituras, 3 + 243);

    // The first byte is never taken as the answer.
    b.medidor.recibidos.clear();
    responder_tras(3 + 972, {RESP_CODIGO_CARGADO});
    EXPECT_FALSE(codigo.Cargar_bloque_972(ctx.hora_inicio));
    EXPECT_EQ(b.entorno.segundos() - ctx.hora_inicio, 21);
}

TEST_F(Controlador_prueba, LoaderBlocksOfTheWrongSizeAreNotSent) {
    ctx.bloques.bloque[1].pop_back();
    ctx.bloques.bloque[2].clear();
    EXPECT_FALSE(codigo.Cargar_bloque_144(ctx.hora_inicio));
    EXPECT_FALSE(codigo.Cargar_bloque_972(ctx.hora_inicio));
    EXPECT_FALSE(codigo.Cargar_arranque());
    EXPECT_TRUE(b.enviados().empty());
}

TEST_F(Controlador_prueba, PrepareWakesThenErasesTheFirmwarePages) {
    b.medidor.al_recibir = [](sim::Extremo_guion& m, uint8_t v, int64_t t) {
        if (v == CMD_DESPERTAR) m.responder(RESP_DESPIERTO, t + 2000);
        if (m.recibidos.size() >= 6 && v == 0x61) m.responder(RESP_BORRADO, t + 2000);
    };
    EXPECT_TRUE(d.Preparar_flash());
    EXPECT_EQ(b.enviados(true), (Bytes{0xAA, 0x07, 0x03, 0xAB, 0xC9, 0x61}));

    b.medidor.al_recibir = nullptr;
    EXPECT_FALSE(d.Preparar_flash());
    EXPECT_EQ(b.enviados(), Bytes(5, 0xAA));  // no erase without a wake-up
}

class Programar_prueba : public Controlador_prueba {
  protected:
    bool programar(const Bytes& flujo) {
        b.medidor.al_recibir = [this, flujo](sim::Extremo_guion& m, uint8_t, int64_t t) {
            if (m.recibidos.size() == 67) m.responder(flujo, t + 5000);
        };
        return d.Programar();
    }
};

TEST_F(Programar_prueba, MapWithFpgaSegmentsAndProgressShown) {
    d.mapa[0] = 1;
    d.mapa[30] = 1;
    d.mapa[50] = 0;
    d.con_area_fpga = true;
    EXPECT_TRUE(programar({0x8A, 0x8A, 0x0A, 0x8B, 0x8B, 0xAD, 0x80, 0x80}));
    const Bytes sent = b.enviados();
    ASSERT_EQ(sent.size(), 67u);
    EXPECT_EQ(sent[0], 0x09);
    EXPECT_EQ(sent[1], 0x41);
    for (int s = 0; s < 64; ++s) {
        const bool uno = s == 0 || s == 30 || (s >= 48 && s <= 52);
        EXPECT_EQ(sent[static_cast<size_t>(2 + s)], uno ? 1 : 0) << "segment " << s;
    }
    EXPECT_EQ(sent[66], Xor_trama(&sent[1], 65));
    EXPECT_EQ(vista.posiciones, (std::vector<int>{0, 4, 2}));
    EXPECT_EQ(vista.barra_max, 64);
    EXPECT_EQ(ctx.ultimo_progreso, 2);
    EXPECT_TRUE(d.fase_grabado);
    EXPECT_FALSE(d.fase_borrado);
    EXPECT_EQ(d.mapa[50], 0);  // the controller's own map is left as it was
}

TEST_F(Programar_prueba, StreamGrammar) {
    EXPECT_FALSE(programar({0x05, 0x8A, 0x8A, 0x80, 0x80}));
    EXPECT_EQ(b.entorno.pitidos, 1);
    b.medidor.recibidos.clear();
    EXPECT_TRUE(programar({0x8A, 0x8A, 0x8A, 0x03, 0x80, 0x80}));
    EXPECT_EQ(b.entorno.pitidos, 1);
    EXPECT_TRUE(d.fase_borrado);
    // 3 in the erase phase shows 0; the lone 0x80 before the end shows 0x80 - 6, which the
    // bar holds at its maximum.
    EXPECT_EQ(vista.posiciones, (std::vector<int>{0, 64}));
    EXPECT_EQ(ctx.ultimo_progreso, 0x80 - 6);
}

TEST_F(Programar_prueba, TenMinutesForTheWholeStream) {
    b.medidor.al_recibir = [this](sim::Extremo_guion& m, uint8_t, int64_t t) {
        if (m.recibidos.size() != 67) return;
        m.responder({0x8A, 0x8A}, t + 1000);
        for (int i = 1; i <= 15; ++i) m.responder(0x20, t + i * 59'000'000LL);
    };
    const int64_t t0 = b.entorno.segundos();
    EXPECT_FALSE(d.Programar());
    EXPECT_EQ(b.entorno.segundos() - t0, LIMITE_PROGRESO_S);
    EXPECT_EQ(b.entorno.pitidos, 0);
}

TEST_F(Controlador_prueba, ProgressDisplay) {
    d.fase_grabado = true;
    ctx.ultimo_progreso = -1;
    d.Mostrar_progreso(0xB0);
    EXPECT_EQ(ctx.ultimo_progreso, 5);
    d.Mostrar_progreso(MARCA_FIN);  // a lone end marker once progress was shown: nothing
    EXPECT_EQ(ctx.ultimo_progreso, 5);
    d.Mostrar_progreso(MARCA_GRABADO);
    EXPECT_EQ(ctx.ultimo_progreso, 5);

    d.fase_grabado = false;
    d.fase_borrado = true;
    d.Mostrar_progreso(7);
    EXPECT_EQ(ctx.ultimo_progreso, 0);
    d.Mostrar_progreso(8);
    EXPECT_EQ(ctx.ultimo_progreso, 2);

    // The last position outlives the controller.
    TCDiferencial otro{ctx.canal(), ctx.Barra_progreso, ctx.ultimo_progreso};
    EXPECT_EQ(ctx.ultimo_progreso, 2);
}

TEST_F(Controlador_prueba, EndOfCommunication) {
    b.medidor.responder({1, 2}, b.reloj.us());
    d.Fin_comunicacion();
    EXPECT_EQ(b.enviados(), (Bytes{0x0F, 0xF0}));
    uint8_t x = 0;
    EXPECT_EQ(b.puerto.Leer(&x, 1), 0);
}

}  // namespace
}  // namespace z82
