// The FPGA step and the MPEG4 update against the simulated meter, with the images the
// program carries: what the meter holds afterwards is exactly what was meant for it.
#include <gtest/gtest.h>

#include "apoyo/banco.h"
#include "data/imagenes.h"
#include "fpga/tcfpga.h"
#include "mpeg4/tmpeg4.h"
#include "sim/banco_medidor.h"
#include "sim/vista_registro.h"

namespace z82 {
namespace {

using Bytes = std::vector<uint8_t>;

struct Banco_real : prueba::Banco_medidor {
    sim::Vista_registro vista{entorno};
    prueba::Contexto_prueba ctx{entorno, vista};

    explicit Banco_real(bool parche) {
        ctx.puerto = &puerto;
        ctx.conectado = true;
        EXPECT_TRUE(conectar());
        EXPECT_TRUE(cargar_cargador(parche));
    }
};

TEST(Fpga_medidor, MeterHoldsTheRunsConfigurationArea) {
    Banco_real b(false);
    TCFpga fpga{b.ctx.canal(), b.ctx.Barra_progreso};
    fpga.n_configuraciones = 2;
    const Bytes imagen = fpga.Imagen();
    ASSERT_EQ(imagen.size(), 185'559u);  // carried sizes 92,293 and 93,007

    ASSERT_TRUE(fpga.Grabar_configuraciones());
    EXPECT_EQ(b.medidor.ultimo_mapa, (Bytes{48, 49, 50}));
    Bytes flash;
    for (uint8_t s = 0x30; s <= 0x32; ++s) {
        const auto seg = b.medidor.flash(s);
        flash.insert(flash.end(), seg.begin(), seg.end());
    }
    ASSERT_GE(flash.size(), imagen.size());
    EXPECT_TRUE(std::equal(imagen.begin(), imagen.end(), flash.begin()));
    EXPECT_EQ(flash[imagen.size()], 0xFF);
    EXPECT_EQ(b.entorno.pitidos, 0);
}

TEST(Mpeg4_medidor, ModuleReceivesTheCarriedApplication) {
    Banco_real b(true);
    TMpeg4 mpeg4{b.ctx.canal(), b.ctx.Barra_progreso, b.ctx.bloques, b.ctx.graficos,
                 b.ctx.medidor.es_usa};
    ASSERT_TRUE(mpeg4.Actualizar_mpeg4(0));
    const auto aplicacion = datos::imagen_mpeg4();
    const auto programa = datos::programa_transferencia();
    EXPECT_EQ(mpeg4.tamano_imagen, 1'181'672u);
    EXPECT_EQ(b.medidor.mpeg4_aplicacion(), Bytes(aplicacion.begin(), aplicacion.end()));
    EXPECT_EQ(b.medidor.mpeg4_transferencia(), Bytes(programa.begin(), programa.end()));
    EXPECT_EQ(b.medidor.mpeg4_orden(),
              (Bytes{0xCC, 0x00, 0x00, 0x20, 0x00, 0xE8, 0x07, 0x12, 0x00}));
    EXPECT_EQ(b.entorno.pitidos, 0);
}

}  // namespace
}  // namespace z82
