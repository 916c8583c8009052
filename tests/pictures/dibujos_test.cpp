#include "pictures/dibujos.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "pictures/lienzo.h"

namespace z82::dibujos {
namespace {

int Alfa(const Imagen& img, int x, int y) {
    return static_cast<int>(img.pixeles[static_cast<size_t>(y * img.ancho + x)] >> 24);
}

// Every picture has the size the faces lay out with, at 100 % and at 150 %, holds something,
// and keeps each colour within its opacity, as both faces' blending takes for granted.
TEST(Dibujos, EachPictureHasItsSizeAndPremultipliedPixels) {
    struct Caso {
        const char* nombre;
        std::function<Imagen(double)> dibujar;
        int ancho, alto;
    };
    std::vector<Caso> casos = {
        {"background", Dibujar_fondo, kAnchoFondo, kAltoFondo},
        {"wizard button", Dibujar_boton_asistente, kLadoAsistente, kLadoAsistente},
        {"exit", Dibujar_salida, kLadoSalida, kLadoSalida},
        {"port", Dibujar_puerto, kLadoPuerto, kLadoPuerto},
    };
    for (int i = 0; i < kImagenesAsistente; ++i) {
        casos.push_back({"wizard image", [i](double e) { return Dibujar_asistente(i, e); },
                         kLadoAsistente, kLadoAsistente});
    }
    for (const Caso& c : casos) {
        for (const double escala : {1.0, 1.5}) {
            SCOPED_TRACE(std::string(c.nombre) + " at " + std::to_string(escala));
            const Imagen img = c.dibujar(escala);
            const int ancho = static_cast<int>(c.ancho * escala);
            const int alto = static_cast<int>(c.alto * escala);
            ASSERT_EQ(img.ancho, ancho);
            ASSERT_EQ(img.alto, alto);
            ASSERT_EQ(img.pixeles.size(), static_cast<size_t>(ancho * alto));
            int opacos = 0, malos = 0;
            for (const std::uint32_t p : img.pixeles) {
                const std::uint32_t a = p >> 24;
                if (a == 255) ++opacos;
                if ((p >> 16 & 0xff) > a || (p >> 8 & 0xff) > a || (p & 0xff) > a) ++malos;
            }
            EXPECT_GT(opacos, ancho * alto / 10);
            EXPECT_EQ(malos, 0);
        }
    }
    EXPECT_TRUE(Dibujar_asistente(-1).pixeles.empty());
    EXPECT_EQ(Dibujar_asistente(kImagenesAsistente).ancho, 0);
}

// The rasterizer's coverage: inside opaque, outside untouched, an edge a quarter of a pixel
// in covers three quarters of it, and the overlapping pieces of one stroke or a cut hole
// are laid down once.
TEST(Dibujos, FillsCoverWhatTheyOutline) {
    const Pintura blanco = Rgb(0xffffff);
    const Pintura medio = Rgb(0xffffff, 128);
    const auto rectangulo = [&](Lienzo& l) {
        l.Rellenar(Camino().Rectangulo({2.25, 3, 10, 10}), blanco);
    };
    const auto anillo = [&](Lienzo& l) {
        l.Rellenar(Camino().Elipse({10, 10}, 8, 8).Elipse({10, 10}, 3, 3, true), blanco);
    };
    const auto esquina = [&](Lienzo& l) {
        l.Trazar(Camino().Mover({3, 10.5}).Linea({10.5, 10.5}).Linea({10.5, 3}),
                 {4, Extremo::redondo, Junta::redonda}, medio);
    };
    const auto ancha = [&](Lienzo& l) { l.Trazar(Segmento({5, 2}, {5, 18}), {6}, blanco); };
    struct Caso {
        const char* nombre;
        std::function<void(Lienzo&)> dibujar;
        int x, y, alfa;
    };
    const Caso casos[] = {
        {"rectangle inside", rectangulo, 6, 7, 255},
        {"rectangle outside", rectangulo, 15, 7, 0},
        {"rectangle edge", rectangulo, 2, 7, 191},
        {"rectangle right edge", rectangulo, 12, 7, 64},
        {"ring", anillo, 10, 4, 255},
        {"ring's hole", anillo, 10, 10, 0},
        {"ring outside", anillo, 1, 1, 0},
        {"stroke's round corner", esquina, 10, 10, 128},
        {"stroke along a leg", esquina, 6, 10, 128},
        {"stroke's square end", ancha, 5, 0, 255},
        {"beside the stroke", ancha, 9, 10, 0},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Lienzo l(20, 20);
        c.dibujar(l);
        EXPECT_NEAR(Alfa(l.Terminar(), c.x, c.y), c.alfa, 2);
    }
}

}  // namespace
}  // namespace z82::dibujos
