#include "graphics/tgraficos.h"

#include <gtest/gtest.h>

#include "apoyo/banco.h"
#include "data/imagenes.h"
#include "protocol/cargador_guion.h"

namespace z82 {
namespace {

using prueba::Banco;
using prueba::Cargador_guion;
using prueba::Mensaje_cargador;
using Bytes = std::vector<uint8_t>;

class TGraficos_prueba : public ::testing::Test {
  protected:
    TGraficos_prueba() {
        b.ctx.graficos = &g;
        g.habilitado = true;
        g.pagina_inicio = 0x90;
        g.direccion_base = 0;
        for (size_t i = 0; i < imagen.size(); ++i)
            imagen[i] = static_cast<uint8_t>(i * 7 + i / 251);
    }
    Banco b;
    Cargador_guion cargador{b};
    TGraficos g{b.ctx.canal()};
    Bytes imagen = Bytes(TGraficos::BYTES_GRAFICO);
};

TEST_F(TGraficos_prueba, PlacementAcrossTheSegmentBoundary) {
    g.Dibujar(imagen, 85, 82);
    const auto bloques = cargador.bloques();
    ASSERT_EQ(bloques.size(), 150u);
    EXPECT_EQ(bloques[0].pagina(), 0x90);
    EXPECT_EQ(bloques[0].direccion(), 52650);
    EXPECT_EQ(bloques[1].direccion(), 52650 + 200);
    // Row 20: the first chunk still fits the start page, the second moves on.
    EXPECT_EQ(bloques[40].pagina(), 0x90);
    EXPECT_EQ(bloques[40].direccion(), 65450);
    EXPECT_EQ(bloques[41].pagina(), 0x91);
    EXPECT_EQ(bloques[41].direccion(), 114);
    EXPECT_EQ(bloques[42].pagina(), 0x91);
    EXPECT_EQ(bloques[42].direccion(), 554);
    EXPECT_EQ(bloques[149].pagina(), 0x91);
    EXPECT_EQ(g.pagina, 0x91);

    // 75 chunks of 200 bytes and 75 of 100, carrying the picture in its stored order.
    Bytes juntos;
    for (size_t i = 0; i < bloques.size(); ++i) {
        EXPECT_EQ(bloques[i].n(), i % 2 == 0 ? 200 : 100);
        const Bytes d = bloques[i].datos();
        juntos.insert(juntos.end(), d.begin(), d.end());
    }
    EXPECT_EQ(juntos, imagen);
    EXPECT_EQ(b.entorno.pitidos, 0);
}

TEST_F(TGraficos_prueba, BaseAddressAndChunkCrossingTheBoundaryUnsplit) {
    // The first chunk starts at 65,500 and runs past the segment's end: not split.
    g.direccion_base = static_cast<uint16_t>(65500 - 85 * 2 - 82 * 640);
    g.Dibujar(imagen, 85, 82);
    const auto bloques = cargador.bloques();
    ASSERT_EQ(bloques.size(), 150u);
    EXPECT_EQ(bloques[0].pagina(), 0x90);
    EXPECT_EQ(bloques[0].direccion(), 65500);
    EXPECT_EQ(bloques[0].n(), 200);
    EXPECT_EQ(bloques[1].pagina(), 0x91);
    EXPECT_EQ(bloques[1].direccion(), (65500 + 200) - 65536);
}

TEST_F(TGraficos_prueba, DisabledSendsNothing) {
    g.habilitado = false;
    b.ctx.hora_inicio = b.entorno.segundos();
    g.Borrar_graficos(b.ctx.hora_inicio);
    g.Enviar_grafico(1);
    g.Dibujar(imagen, 85, 82);
    EXPECT_TRUE(b.enviados().empty());
    EXPECT_EQ(g.pagina, 0x90);  // the page is reset all the same
}

TEST_F(TGraficos_prueba, IncompletePictureIsNotDrawn) {
    imagen.pop_back();
    g.Dibujar(imagen, 85, 82);
    g.Enviar_grafico(0);
    g.Enviar_grafico(5);
    EXPECT_TRUE(b.enviados().empty());
}

TEST_F(TGraficos_prueba, EraseWrapsTheLastPageAndBeepsOnlyOnAWrongAnswer) {
    g.pagina_inicio = 0xFE;
    b.ctx.hora_inicio = b.entorno.segundos();
    g.Borrar_graficos(b.ctx.hora_inicio);
    EXPECT_EQ(b.enviados(true), (Bytes{0x07, 0x03, 0xFE, 0x00, 0xFD}));
    EXPECT_EQ(b.entorno.pitidos, 0);

    cargador.responder = [](const Mensaje_cargador&) { return Bytes{'q'}; };
    g.Borrar_graficos(b.ctx.hora_inicio);
    EXPECT_EQ(b.entorno.pitidos, 1);

    // Silence: the wait ends once 30 s of the run have passed, without a beep and without
    // a second attempt.
    cargador.responder = [](const Mensaje_cargador&) { return Bytes{}; };
    b.enviados(true);
    g.Borrar_graficos(b.ctx.hora_inicio);
    EXPECT_EQ(b.enviados().size(), 5u);
    EXPECT_EQ(b.entorno.segundos() - b.ctx.hora_inicio, 31);
    EXPECT_EQ(b.entorno.pitidos, 1);
}

TEST_F(TGraficos_prueba, CancelStopsBetweenChunks) {
    int n = 0;
    cargador.responder = [&](const Mensaje_cargador& m) -> Bytes {
        if (++n == 10) b.ctx.senales.abortar = true;
        return m.tipo == Mensaje_cargador::trama ? Bytes{'0'} : Bytes{};
    };
    g.Dibujar(imagen, 85, 82);
    EXPECT_EQ(cargador.bloques().size(), 10u);
}

TEST_F(TGraficos_prueba, LowPagesAreNotSentAndAFailedChunkDoesNotStopThePicture) {
    g.pagina_inicio = 0x7F;  // rows 0 to 20 (first chunk) fall below page 0x80
    int n = 0;
    cargador.responder = [&](const Mensaje_cargador& m) -> Bytes {
        if (m.tipo != Mensaje_cargador::trama) return {};
        return ++n == 5 ? Bytes{} : Bytes{'0'};
    };
    g.Dibujar(imagen, 85, 82);
    const auto bloques = cargador.bloques();
    ASSERT_EQ(bloques.size(), 109u);
    EXPECT_EQ(bloques[0].pagina(), 0x80);
    EXPECT_EQ(bloques[0].direccion(), 114);
    EXPECT_EQ(b.entorno.pitidos, 1);  // the fifth chunk failed and the picture went on
}

TEST_F(TGraficos_prueba, ALoaderThatTakesNoChunkEndsThePictureAfterThreeInARow) {
    int n = 0;
    cargador.responder = [&](const Mensaje_cargador& m) -> Bytes {
        if (m.tipo != Mensaje_cargador::trama) return {};
        ++n;
        // Two refusals, a good chunk, then nothing more.
        return (n == 1 || n == 2 || n >= 4) ? Bytes{} : Bytes{'0'};
    };
    const int64_t t0 = b.reloj.ms();
    g.Dibujar(imagen, 85, 82);
    EXPECT_EQ(n, 6);  // 2 refused, 1 taken, 3 refused: the picture stops there
    EXPECT_EQ(b.entorno.pitidos, 5);
    EXPECT_LT(b.reloj.ms() - t0, 60'000);
}

TEST_F(TGraficos_prueba, PicturesGoToTheirPlaces) {
    if (datos::grafico(1).size() != static_cast<size_t>(TGraficos::BYTES_GRAFICO)) {
        GTEST_SKIP() << "the carried pictures are not built yet";
    }
    g.Enviar_grafico(2);
    g.Enviar_grafico(3);
    const auto bloques = cargador.bloques();
    ASSERT_EQ(bloques.size(), 300u);
    EXPECT_EQ(bloques[0].direccion(), 85 * 2 + 82 * 640);
    // Picture 3 starts beyond the first segment of the frame buffer.
    EXPECT_EQ(bloques[150].pagina(), 0x91);
    EXPECT_EQ(bloques[150].direccion(), 85 * 2 + 132 * 640 - 65536);
    const auto p3 = datos::grafico(3);
    EXPECT_EQ(bloques[150].datos(), Bytes(p3.begin(), p3.begin() + 200));
}

}  // namespace
}  // namespace z82
