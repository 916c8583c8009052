#include "mpeg4/tmpeg4.h"

#include <gtest/gtest.h>

#include "apoyo/banco.h"
#include "data/imagenes.h"
#include "flash/codigo_cargador.h"
#include "graphics/tgraficos.h"
#include "protocol/cargador_guion.h"

namespace z82 {
namespace {

using prueba::Banco;
using prueba::Cargador_guion;
using prueba::Mensaje_cargador;
using Bytes = std::vector<uint8_t>;

constexpr size_t TAMANO_APLICACION = 1'181'672;
constexpr size_t TAMANO_TRANSFERENCIA = 20'870;
constexpr uint8_t LISTO = 0x55;

Bytes relleno(size_t tamano, unsigned semilla) {
    Bytes d(tamano);
    for (size_t k = 0; k < tamano; ++k)
        d[k] = static_cast<uint8_t>((k * 31 + k / 200 + semilla) & 0xFF);
    return d;
}

// The meter during an MPEG4 update: the loader acknowledges wake-up, erase and blocks; the
// transfer program answers the start command with a ready byte and, once the order is in,
// reports the end of the module's programming after fin_s seconds (never when negative).
class Actualizar_mpeg4_prueba : public ::testing::Test {
  protected:
    Actualizar_mpeg4_prueba() {
        mpeg4.imagen = aplicacion;
        mpeg4.programa = transferencia;
        cargador.responder = [this](const Mensaje_cargador& m) -> Bytes {
            switch (m.tipo) {
                case Mensaje_cargador::despertar:
                    return {RESP_DESPIERTO};
                case Mensaje_cargador::trama:
                    return {m.comando() == CMD_BORRAR_PAGINAS ? RESP_BORRADO : RESP_BLOQUE_OK};
                case Mensaje_cargador::otro:
                    if (m.bytes[0] != TMpeg4::ARRANQUE_2) return {};
                    bytes_orden = 0;
                    return {LISTO};
                default:
                    return {};
            }
        };
        // The 9 bytes of the order follow the ready byte; the module's end comes later.
        auto cargador_recibe = b.medidor.al_recibir;
        b.medidor.al_recibir = [this, cargador_recibe](sim::Extremo_guion& m, uint8_t v,
                                                       int64_t t) {
            cargador_recibe(m, v, t);
            if (bytes_orden >= 0 && ++bytes_orden == 9 && fin_s >= 0) {
                m.responder(TMpeg4::FIN_MPEG4, t + fin_s * 1'000'000);
            }
        };
    }
    // Block writes only: the order that follows the start command holds bytes 0x03 and
    // 0x07 that the loader script would otherwise cut as frames.
    std::vector<Mensaje_cargador> bloques() const {
        std::vector<Mensaje_cargador> r;
        for (const auto& m : cargador.mensajes) {
            if (m.tipo == Mensaje_cargador::otro) break;
            if (m.tipo == Mensaje_cargador::trama && m.comando() == CMD_BLOQUE_ESCRITURA) {
                r.push_back(m);
            }
        }
        return r;
    }
    // What the blocks left in flash from the first page given, read linearly.
    Bytes memoria(uint8_t primera, size_t tamano) const {
        Bytes m(tamano, 0xFF);
        for (const auto& blq : bloques()) {
            if (blq.pagina() < primera) continue;
            const size_t p = static_cast<size_t>(blq.pagina() - primera) * 65'536 + blq.direccion();
            const Bytes d = blq.datos();
            if (p + d.size() > m.size()) continue;
            std::copy(d.begin(), d.end(), m.begin() + static_cast<long>(p));
        }
        return m;
    }
    std::vector<Mensaje_cargador> bloques_en(uint8_t desde, uint8_t hasta) const {
        std::vector<Mensaje_cargador> r;
        for (const auto& m : bloques()) {
            if (m.pagina() >= desde && m.pagina() <= hasta) r.push_back(m);
        }
        return r;
    }

    Bytes aplicacion = relleno(TAMANO_APLICACION, 1);
    Bytes transferencia = relleno(TAMANO_TRANSFERENCIA, 2);
    int64_t fin_s = 100;
    int bytes_orden = -1;
    Banco b;
    Cargador_guion cargador{b};
    TMpeg4 mpeg4{b.ctx.canal(), b.ctx.Barra_progreso, b.ctx.bloques, b.ctx.graficos,
                 b.ctx.medidor.es_usa};
};

TEST_F(Actualizar_mpeg4_prueba, WholeUpdate) {
    ASSERT_TRUE(mpeg4.Actualizar_mpeg4(0));
    EXPECT_EQ(b.entorno.pitidos, 0);
    EXPECT_EQ(mpeg4.tamano_imagen, TAMANO_APLICACION);

    // Awake, then the application area erased.
    ASSERT_GE(cargador.mensajes.size(), 2u);
    EXPECT_EQ(cargador.mensajes[0].tipo, Mensaje_cargador::despertar);
    EXPECT_EQ(cargador.mensajes[1].bytes, (Bytes{0x07, 0x03, 0xD0, 0xE8, 0x3B}));

    // 5,909 application blocks; the one at byte 65,400 runs over the segment's end.
    const auto apl = bloques_en(0xD0, 0xE8);
    ASSERT_EQ(apl.size(), 5'909u);
    EXPECT_EQ(apl[327].pagina(), 0xD0);
    EXPECT_EQ(apl[327].direccion(), 65'400);
    EXPECT_EQ(apl[327].n(), 200);
    EXPECT_EQ(apl[328].pagina(), 0xD1);
    EXPECT_EQ(apl[328].direccion(), 64);
    EXPECT_EQ(apl.back().n(), 72);
    EXPECT_EQ(apl.back().pagina(), 0xD0 + 1'181'600 / 65'536);
    EXPECT_EQ(memoria(0xD0, TAMANO_APLICACION), aplicacion);

    // 653 blocks of the transfer program on page 0x81, after the application.
    const auto prog = bloques_en(0x81, 0x81);
    ASSERT_EQ(prog.size(), 653u);
    EXPECT_EQ(prog.front().direccion(), 0);
    EXPECT_EQ(prog.back().direccion(), 652 * 32);
    EXPECT_EQ(prog.back().n(), 6);
    EXPECT_EQ(memoria(0x81, TAMANO_TRANSFERENCIA), transferencia);
    EXPECT_EQ(bloques().size(), 5'909u + 653u);

    // Start command, then the order once the transfer program is ready.
    const Bytes enviados = b.enviados();
    const Bytes cola(enviados.end() - 11, enviados.end());
    EXPECT_EQ(cola, (Bytes{0x0D, 0xD0, 0xCC, 0x00, 0x00, 0x20, 0x00, 0xE8, 0x07, 0x12, 0x00}));
    EXPECT_EQ(b.vista.barra_max, 210);
    EXPECT_GE(b.vista.barra_pos, 98);
    EXPECT_LE(b.vista.barra_pos, 101);
}

TEST_F(Actualizar_mpeg4_prueba, BannersAroundTheWrites) {
    TGraficos graficos{b.ctx.canal()};
    graficos.habilitado = true;
    graficos.pagina_inicio = 0x90;
    TMpeg4 con_graficos{b.ctx.canal(), b.ctx.Barra_progreso, b.ctx.bloques, &graficos, false};
    aplicacion = relleno(1'000, 3);
    transferencia = relleno(100, 4);
    con_graficos.imagen = aplicacion;
    con_graficos.programa = transferencia;
    ASSERT_TRUE(con_graficos.Actualizar_mpeg4(0));

    // Order of the pages written: graphics erase and picture 3, the application, the
    // transfer program, picture 4; up to the start command, after which the bytes are no
    // longer loader frames.
    std::vector<uint8_t> orden;
    for (const auto& m : cargador.mensajes) {
        if (m.tipo == Mensaje_cargador::otro) break;
        if (m.tipo != Mensaje_cargador::trama) continue;
        const uint8_t p = m.comando() == CMD_BORRAR_PAGINAS ? m.bytes[2] : m.pagina();
        const uint8_t zona = p >= 0xD0 ? 0xD0 : (p >= 0x90 ? 0x90 : p);
        if (orden.empty() || orden.back() != zona) orden.push_back(zona);
    }
    // Pictures are drawn only when the program carries them.
    const bool dibujos = datos::grafico(3).size() >= static_cast<size_t>(TGraficos::BYTES_GRAFICO);
    if (dibujos) {
        EXPECT_EQ(orden, (std::vector<uint8_t>{0xD0, 0x90, 0xD0, 0x81, 0x90}));
        EXPECT_EQ(bloques_en(0x90, 0x92).size(), 300u);  // two pictures of 150 chunks
    } else {
        EXPECT_EQ(orden, (std::vector<uint8_t>{0xD0, 0x90, 0xD0, 0x81}));
    }
    EXPECT_EQ(cargador.de_tipo(Mensaje_cargador::trama, CMD_BORRAR_PAGINAS).at(1).bytes,
              (Bytes{0x07, 0x03, 0x90, 0x92, 0x03 ^ 0x90 ^ 0x92}));
}

TEST_F(Actualizar_mpeg4_prueba, UsaOrderAndTheSizeOfTheImageCarried) {
    TMpeg4 usa{b.ctx.canal(), b.ctx.Barra_progreso, b.ctx.bloques, b.ctx.graficos, true};
    aplicacion = relleno(70'001, 5);
    usa.imagen = aplicacion;
    usa.programa = transferencia;
    ASSERT_TRUE(usa.Actualizar_mpeg4(0));
    const Bytes enviados = b.enviados();
    EXPECT_EQ(Bytes(enviados.end() - 9, enviados.end()),
              (Bytes{0x4C, 0x00, 0x00, 0x20, 0x00, 0x71, 0x11, 0x01, 0x00}));
    EXPECT_EQ(bloques_en(0xD0, 0xE8).size(), 351u);
    EXPECT_EQ(bloques_en(0xD0, 0xE8).back().n(), 1);
}

TEST_F(Actualizar_mpeg4_prueba, LoaderThatNeverWakesGetsNoErase) {
    cargador.responder = [](const Mensaje_cargador& m) -> Bytes {
        return m.tipo == Mensaje_cargador::despertar ? Bytes{'0'} : Bytes{RESP_BORRADO};
    };
    EXPECT_FALSE(mpeg4.Actualizar_mpeg4(0));
    EXPECT_EQ(cargador.de_tipo(Mensaje_cargador::despertar).size(), 5u);
    EXPECT_EQ(cargador.mensajes.size(), 5u);
}

TEST_F(Actualizar_mpeg4_prueba, FailedEraseBeepsAndIsTriedThreeTimes) {
    auto sano = cargador.responder;
    for (int buenos_tras : {2, 3}) {  // 'p' on the third attempt, then never
        Banco banco;
        Cargador_guion c{banco};
        TMpeg4 m{banco.ctx.canal(), banco.ctx.Barra_progreso, banco.ctx.bloques, banco.ctx.graficos,
                 banco.ctx.medidor.es_usa};
        const Bytes imagen(400, 1);
        m.imagen = imagen;
        int borrados = 0;
        c.responder = [&](const Mensaje_cargador& msg) -> Bytes {
            if (msg.tipo == Mensaje_cargador::despertar) return {RESP_DESPIERTO};
            if (msg.comando() == CMD_BORRAR_PAGINAS) {
                return ++borrados > buenos_tras ? Bytes{RESP_BORRADO} : Bytes{'q'};
            }
            return {RESP_BLOQUE_OK};
        };
        EXPECT_EQ(m.Grabar_aplicacion(), buenos_tras == 2);
        EXPECT_EQ(borrados, 3);
        EXPECT_EQ(banco.entorno.pitidos, buenos_tras);
        EXPECT_EQ(c.bloques().size(), buenos_tras == 2 ? 2u : 0u);
    }
    (void)sano;
}

TEST_F(Actualizar_mpeg4_prueba, AbortAfterAnAcknowledgedBlockStops300msLater) {
    int bloques = 0;
    int64_t t_ultimo_us = 0;
    auto sano = cargador.responder;
    cargador.responder = [&](const Mensaje_cargador& m) {
        if (m.tipo == Mensaje_cargador::trama && m.comando() == CMD_BLOQUE_ESCRITURA &&
            ++bloques == 40) {
            t_ultimo_us = m.t_us;
            b.entorno.publicar([this] { b.ctx.senales.abortar = true; });
        }
        return sano(m);
    };
    EXPECT_FALSE(mpeg4.Actualizar_mpeg4(0));
    EXPECT_EQ(cargador.bloques().size(), 40u);
    const int64_t tras_ms = b.reloj.ms() - t_ultimo_us / 1000;
    EXPECT_GE(tras_ms, 300);
    EXPECT_LE(tras_ms, 360);
    EXPECT_EQ(b.entorno.pitidos, 0);
    EXPECT_TRUE(cargador.de_tipo(Mensaje_cargador::otro).empty());  // no start command
}

TEST_F(Actualizar_mpeg4_prueba, AbortBeforeTheStartCommand) {
    aplicacion = relleno(500, 6);
    mpeg4.imagen = aplicacion;
    transferencia = Bytes(64, 7);
    mpeg4.programa = transferencia;
    ASSERT_TRUE(mpeg4.Grabar_aplicacion());
    ASSERT_TRUE(mpeg4.Grabar_transferencia());
    b.ctx.senales.abortar = true;
    b.enviados(true);
    EXPECT_FALSE(mpeg4.Actualizar_mpeg4(0));
    EXPECT_EQ(bloques().size(), 3u + 2u);  // nothing more than the first pass
    EXPECT_TRUE(cargador.de_tipo(Mensaje_cargador::otro).empty());
}

TEST_F(Actualizar_mpeg4_prueba, ModuleThatNeverFinishesFailsAfter420s) {
    b.medidor.responder(Bytes{0x01, 0xBA, 0x7F}, b.reloj.us() + 5'000'000);
    const int64_t t0 = b.entorno.segundos();
    const long m0 = b.entorno.mensajes_procesados;
    EXPECT_FALSE(mpeg4.Esperar_fin_mpeg4());
    const int64_t d = b.entorno.segundos() - t0;
    EXPECT_GE(d, 419);
    EXPECT_LE(d, 421);
    EXPECT_EQ(b.ctx.senales.causa,
              "the module did not report the end of its programming (0xBB) within 420 s (3 other "
              "bytes came, 0x7F last)");
    EXPECT_EQ(b.vista.barra_max, 210);
    EXPECT_EQ(b.vista.barra_pos, 209);
    EXPECT_GT(b.entorno.mensajes_procesados - m0, 1'000);

    // 0xBB in the second half: success, the bar still at 209.
    b.medidor.responder(TMpeg4::FIN_MPEG4, b.reloj.us() + 300'000'000);
    const int64_t t1 = b.entorno.segundos();
    EXPECT_TRUE(mpeg4.Esperar_fin_mpeg4());
    EXPECT_NEAR(static_cast<double>(b.entorno.segundos() - t1), 300.0, 1.0);
    EXPECT_EQ(b.vista.barra_pos, 209);
}

TEST_F(Actualizar_mpeg4_prueba, ReadyByteIsAwaitedAsLongAsTheModuleIsGiven) {
    mpeg4.tamano_imagen = 0x01020304;
    bool atendido = false;
    b.entorno.publicar([&] { atendido = true; });
    const int64_t t0 = b.entorno.segundos();
    EXPECT_FALSE(mpeg4.Ordenar_transferencia());
    const int64_t d = b.entorno.segundos() - t0;
    EXPECT_GE(d, TMpeg4::LIMITE_FIN_S - 1);
    EXPECT_LE(d, TMpeg4::LIMITE_FIN_S);
    EXPECT_TRUE(atendido);  // the window's messages ran during the wait
    EXPECT_TRUE(b.enviados().empty());

    // Any byte will do, even late in the wait.
    b.medidor.responder(0x00, b.reloj.us() + 400'000'000);
    EXPECT_TRUE(mpeg4.Ordenar_transferencia());
    EXPECT_EQ(b.enviados(), (Bytes{0xCC, 0x00, 0x00, 0x20, 0x00, 0x04, 0x03, 0x02, 0x01}));
}

TEST(Parchear_bloque_972, PatchStaysInTheSharedBlockForLaterLoads) {
    Banco b;
    b.ctx.bloques.bloque[2] = relleno(972, 9);
    const Bytes antes = b.ctx.bloques.bloque[2];
    {
        TMpeg4 m{b.ctx.canal(), b.ctx.Barra_progreso, b.ctx.bloques, b.ctx.graficos,
                 b.ctx.medidor.es_usa};
        EXPECT_TRUE(m.Parchear_bloque_972());
    }
    Bytes esperado = antes;
    esperado[249] = 0x03;
    esperado[250] = 0x20;
    esperado[251] = 0x41;
    EXPECT_EQ(b.ctx.bloques.bloque[2], esperado);

    // The next load of block 2 (the FPGA step's preparation) carries the patched bytes.
    TCodigo_cargador codigo{b.ctx.canal(), b.ctx.bloques, b.ctx.consultas, b.ctx.graficos};
    codigo.Cargar_bloque_972(b.ctx.hora_inicio);
    const Bytes enviados = b.enviados();
    ASSERT_GE(enviados.size(), 3u + 972u);
    EXPECT_EQ(Bytes(enviados.begin() + 3, enviados.begin() + 3 + 972), esperado);

    // A block too short to hold the jump is left alone.
    b.ctx.bloques.bloque[2] = Bytes(200, 0);
    TMpeg4 m{b.ctx.canal(), b.ctx.Barra_progreso, b.ctx.bloques, b.ctx.graficos,
             b.ctx.medidor.es_usa};
    EXPECT_FALSE(m.Parchear_bloque_972());
    EXPECT_EQ(b.ctx.bloques.bloque[2], Bytes(200, 0));
}

}  // namespace
}  // namespace z82
