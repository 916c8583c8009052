#include "fpga/tcfpga.h"

#include <gtest/gtest.h>

#include "apoyo/banco.h"
#include "fpga/area_fpga.h"
#include "protocol/cargador_guion.h"

namespace z82 {
namespace {

using prueba::Banco;
using prueba::Cargador_guion;
using prueba::Mensaje_cargador;
using Bytes = std::vector<uint8_t>;

// Stand-ins with the sizes of the carried configurations; each byte tells its
// configuration and position apart.
Bytes configuracion(int i, size_t tamano) {
    Bytes c(tamano);
    for (size_t k = 0; k < tamano; ++k)
        c[k] = static_cast<uint8_t>((k * 7 + static_cast<size_t>(i) * 13 + k / 251) & 0xFF);
    return c;
}

struct Configuraciones {
    Bytes tv = configuracion(0, 92'293);
    Bytes dft = configuracion(1, 93'007);
    Bytes mer = configuracion(2, 90'148);
    std::vector<std::span<const uint8_t>> las_dos() const { return {tv, dft}; }
};

constexpr uint32_t TOTAL_DOS = 185'559;

TEST(Area_fpga, LayoutOfTheRunsTwoConfigurations) {
    const Configuraciones c;
    const Bytes img = Imagen_area_fpga(c.las_dos());
    ASSERT_EQ(img.size(), TOTAL_DOS);

    EXPECT_EQ(img[0], 2);
    EXPECT_EQ(img[1], 0);
    // Entry 0: 92,293 = 01 68 85 stored middle, high, low; start 258 in segment 0x30.
    EXPECT_EQ(Bytes(img.begin() + 2, img.begin() + 18),
              (Bytes{0x00, 0x00, 0x68, 0x01, 0x85, 0x30, 0x02, 0x01, 0x00, 0x03, 0, 0, 0, 0, 0xFF,
                     0xFF}));
    EXPECT_EQ(Bytes(img.begin() + 18, img.begin() + 34),
              (Bytes{0x01, 0x00, 0x6B, 0x01, 0x4F, 0x31, 0x88, 0x69, 0x00, 0x03, 0, 0, 0, 0, 0xFF,
                     0xFF}));
    // Entries 2 to 15 stay erased.
    for (size_t k = 34; k < 258; ++k) ASSERT_EQ(img[k], 0xFF) << k;

    // Configuration 0 ends at the odd offset 92,551: the gap byte stays erased.
    EXPECT_TRUE(std::equal(c.tv.begin(), c.tv.end(), img.begin() + 258));
    EXPECT_EQ(img[92'551], 0xFF);
    EXPECT_TRUE(std::equal(c.dft.begin(), c.dft.end(), img.begin() + 92'552));
}

TEST(Area_fpga, DescriptionsAndThirdConfiguration) {
    const Configuraciones c;
    Descripciones_fpga d{};
    const char* texto = "DFTLARGO";
    for (int k = 0; k < 8; ++k) d[1][static_cast<size_t>(k)] = texto[k];
    const std::vector<std::span<const uint8_t>> tres{c.tv, c.dft, c.mer};
    Area_fpga area;
    ASSERT_TRUE(Construir_area_fpga(tres, d, area));
    EXPECT_EQ(area.datos.size(), TAMANO_AREA_FPGA);
    // Entry 0 carries the first four characters of description 1.
    EXPECT_EQ(Bytes(area.datos.begin() + 12, area.datos.begin() + 16), (Bytes{'D', 'F', 'T', 'L'}));
    EXPECT_EQ(Bytes(area.datos.begin() + 28, area.datos.begin() + 32), (Bytes{0, 0, 0, 0}));
    // Configuration 1 ends at 185,559 (odd): configuration 2 starts at 185,560, segment 0x32.
    const uint8_t* e2 = area.datos.data() + 2 + 32;
    EXPECT_EQ(e2[5], 0x32);
    EXPECT_EQ(e2[6] | (e2[7] << 8), 185'560 - 2 * 65'536);
    EXPECT_EQ(area.total, 185'560u + 90'148u);
    EXPECT_EQ(area.tamano, 90'148u);
    EXPECT_EQ(area.inicio, area.total);  // already even
    EXPECT_EQ(area.datos[area.total], 0xFF);
    EXPECT_EQ(area.datos.back(), 0xFF);
}

TEST(Area_fpga, RefusesWhatCannotBeLaidOut) {
    const Configuraciones c;
    Area_fpga area;
    EXPECT_FALSE(Construir_area_fpga({}, {}, area));
    const Bytes vacia;
    const std::vector<std::span<const uint8_t>> con_vacia{c.tv, vacia};
    EXPECT_FALSE(Construir_area_fpga(con_vacia, {}, area));
    const std::vector<std::span<const uint8_t>> diecisiete(17, c.tv);
    EXPECT_FALSE(Construir_area_fpga(diecisiete, {}, area));
    const Bytes enorme(TAMANO_AREA_FPGA - 258, 1);
    const std::vector<std::span<const uint8_t>> sin_sitio{enorme, c.mer};
    EXPECT_FALSE(Construir_area_fpga(sin_sitio, {}, area));
    EXPECT_TRUE(area.datos.empty());
    // Exactly filling the buffer is fine.
    const std::vector<std::span<const uint8_t>> justo{enorme};
    EXPECT_TRUE(Construir_area_fpga(justo, {}, area));
    EXPECT_EQ(area.total, TAMANO_AREA_FPGA);
}

// The meter's loader: acknowledges blocks, erases, and answers the program command with a
// stream chosen by the test.
class Grabar_fpga : public ::testing::Test {
  protected:
    Grabar_fpga() {
        fpga.n_configuraciones = 2;
        fpga.configuraciones = {c.tv, c.dft, c.mer};
        cargador.responder = [this](const Mensaje_cargador& m) -> Bytes {
            if (m.tipo != Mensaje_cargador::trama) return {};
            if (m.comando() == CMD_BLOQUE_ESCRITURA) return {RESP_BLOQUE_OK};
            if (m.comando() == CMD_BORRAR_PAGINAS) return {RESP_BORRADO};
            if (m.comando() == CMD_PROGRAMAR_MAPA) return flujo;
            return {};
        };
    }
    // The flash as the blocks left it, from page 0xDB on.
    Bytes memoria() const {
        Bytes m;
        for (const auto& blq : cargador.bloques()) {
            const size_t p = static_cast<size_t>(blq.pagina() - 0xDB) * 65'536 + blq.direccion();
            const Bytes d = blq.datos();
            if (m.size() < p + d.size()) m.resize(p + d.size(), 0xFF);
            std::copy(d.begin(), d.end(), m.begin() + static_cast<long>(p));
        }
        return m;
    }
    size_t cuantos(int tipo, int comando = -1) const {
        return cargador.de_tipo(static_cast<Mensaje_cargador::Tipo>(tipo), comando).size();
    }

    Configuraciones c;
    Banco b;
    Cargador_guion cargador{b};
    TCFpga fpga{b.ctx.canal(), b.ctx.Barra_progreso};
    Bytes flujo{0x8A, 0x8A, 0x10, 0x20, 0x8B, 0x8B, 0x30, 0x40, 0x80, 0x80};
};

TEST_F(Grabar_fpga, WholeStepWithoutTheFirmware) {
    ASSERT_TRUE(fpga.Grabar_configuraciones());
    EXPECT_TRUE(fpga.grabado_ok);
    EXPECT_EQ(fpga.total, TOTAL_DOS);
    EXPECT_EQ(b.entorno.pitidos, 0);

    // The loader is already awake: the erase comes first, pages 0xDB to 0xDE.
    ASSERT_FALSE(cargador.mensajes.empty());
    EXPECT_EQ(cargador.mensajes[0].bytes, (Bytes{0x07, 0x03, 0xDB, 0xDE, 0x03 ^ 0xDB ^ 0xDE}));
    EXPECT_EQ(cuantos(Mensaje_cargador::despertar), 0u);

    const auto bloques = cargador.bloques();
    ASSERT_EQ(bloques.size(), 743u);
    EXPECT_EQ(bloques[262].pagina(), 0xDB);  // p = 65,500
    EXPECT_EQ(bloques[262].direccion(), 65'500);
    EXPECT_EQ(bloques[262].n(), 250);
    EXPECT_EQ(bloques[263].pagina(), 0xDC);
    EXPECT_EQ(bloques[263].direccion(), 214);
    EXPECT_EQ(bloques.back().pagina(), 0xDD);
    EXPECT_EQ(bloques.back().n(), static_cast<int>(TOTAL_DOS - 742 * 250));
    EXPECT_EQ(memoria(), fpga.Imagen());

    // Program map: entries 48 to 50 only, then the closing pair after the stream.
    const auto mapas = cargador.de_tipo(Mensaje_cargador::trama, CMD_PROGRAMAR_MAPA);
    ASSERT_EQ(mapas.size(), 1u);
    for (int s = 0; s < 64; ++s) {
        EXPECT_EQ(mapas[0].bytes[2 + static_cast<size_t>(s)], (s >= 48 && s <= 50) ? 1 : 0) << s;
    }
    EXPECT_EQ(cuantos(Mensaje_cargador::fin), 1u);
    EXPECT_EQ(cargador.mensajes.back().tipo, Mensaje_cargador::fin);

    EXPECT_EQ(b.ctx.Barra_progreso.Max(), static_cast<int>(TOTAL_DOS));
    EXPECT_EQ(b.ctx.Barra_progreso.Position(), 742 * 250);
}

TEST_F(Grabar_fpga, FirmwareInTheSameRunProgramsItInstead) {
    ASSERT_TRUE(fpga.Grabar_configuraciones(false));
    EXPECT_EQ(cargador.bloques().size(), 743u);
    EXPECT_EQ(cuantos(Mensaje_cargador::trama, CMD_PROGRAMAR_MAPA), 0u);
    EXPECT_EQ(cuantos(Mensaje_cargador::fin), 0u);
    EXPECT_EQ(cargador.mensajes.back().tipo, Mensaje_cargador::trama);
    EXPECT_EQ(cargador.mensajes.back().comando(), CMD_BLOQUE_ESCRITURA);
}

// Wherever the second boundary falls, blocks that the meter answers at once go out once.
TEST(Grabar_fpga_reloj, PromptAnswerIsNeverTakenForSilence) {
    const Bytes pequena = configuracion(0, 400);  // 658 bytes: three blocks
    for (int64_t origen = 0; origen < 1000; origen += 7) {
        Banco b;
        Cargador_guion cargador{b};
        b.entorno.origen_ms = origen;
        TCFpga fpga{b.ctx.canal(), b.ctx.Barra_progreso};
        fpga.n_configuraciones = 1;
        fpga.configuraciones[0] = pequena;
        ASSERT_TRUE(fpga.Grabar_configuraciones(false));
        ASSERT_EQ(cargador.bloques().size(), 3u) << "origin " << origen;
    }
}

TEST_F(Grabar_fpga, CountsWithoutDataSendNothing) {
    for (int n : {0, -1, 4, 16}) {
        fpga.n_configuraciones = n;
        EXPECT_FALSE(fpga.Grabar_configuraciones()) << n;
        EXPECT_FALSE(fpga.grabado_ok);
    }
    // A carried configuration without data is refused the same way.
    fpga.n_configuraciones = 2;
    fpga.configuraciones[1] = {};
    EXPECT_FALSE(fpga.Grabar_configuraciones());
    EXPECT_TRUE(b.enviados().empty());
}

TEST_F(Grabar_fpga, ThreeConfigurationsReachSegment52) {
    fpga.n_configuraciones = 3;
    ASSERT_TRUE(fpga.Grabar_configuraciones());
    // 275,708 bytes: data on pages 0xDB to 0xDF, the erase one page further.
    EXPECT_EQ(cargador.mensajes[0].bytes[3], 0xE0);
    EXPECT_EQ(memoria(), fpga.Imagen());
    const auto mapa = cargador.de_tipo(Mensaje_cargador::trama, CMD_PROGRAMAR_MAPA).at(0);
    EXPECT_EQ(mapa.bytes[2 + 52], 1);
    EXPECT_EQ(mapa.bytes[2 + 53], 0);
}

TEST_F(Grabar_fpga, ProgressValueBeforeAnyPhaseFailsWithABeep) {
    flujo = {0x05, 0x8A, 0x8A, 0x80, 0x80};
    EXPECT_FALSE(fpga.Grabar_configuraciones());
    EXPECT_FALSE(fpga.grabado_ok);
    EXPECT_EQ(b.entorno.pitidos, 1);
    EXPECT_EQ(cuantos(Mensaje_cargador::fin), 0u);
}

TEST_F(Grabar_fpga, SilentMeterAfterTheProgramCommandFailsAtTheBound) {
    flujo = {0x8A, 0x8A, 0x10};
    int64_t t_mapa = -1;
    long mensajes_mapa = 0;
    auto anterior = cargador.responder;
    cargador.responder = [&](const Mensaje_cargador& m) {
        if (m.tipo == Mensaje_cargador::trama && m.comando() == CMD_PROGRAMAR_MAPA) {
            t_mapa = b.entorno.segundos();
            mensajes_mapa = b.entorno.mensajes_procesados;
        }
        return anterior(m);
    };
    EXPECT_FALSE(fpga.Grabar_configuraciones());
    ASSERT_GE(t_mapa, 0);
    const int64_t d = b.entorno.segundos() - t_mapa;
    EXPECT_GE(d, LIMITE_PROGRESO_S - 1);
    EXPECT_LE(d, LIMITE_PROGRESO_S + 1);
    // The window kept running its messages through the whole wait.
    EXPECT_GT(b.entorno.mensajes_procesados - mensajes_mapa, 10'000);
    EXPECT_EQ(cuantos(Mensaje_cargador::fin), 0u);
    EXPECT_EQ(b.entorno.pitidos, 0);
}

TEST_F(Grabar_fpga, EraseNotConfirmedStopsBeforeAnyBlock) {
    cargador.responder = [](const Mensaje_cargador&) { return Bytes{'q'}; };
    EXPECT_FALSE(fpga.Grabar_configuraciones());
    EXPECT_EQ(cuantos(Mensaje_cargador::trama, CMD_BORRAR_PAGINAS), 5u);
    EXPECT_EQ(b.ctx.senales.causa, "the meter answered 'q' to the page erase 0xDB..0xDE, 5 tries");
    EXPECT_TRUE(cargador.bloques().empty());
}

TEST_F(Grabar_fpga, BlockRefusedTwiceStopsTheStep) {
    int bloques = 0;
    cargador.responder = [&](const Mensaje_cargador& m) -> Bytes {
        if (m.comando() == CMD_BORRAR_PAGINAS) return {RESP_BORRADO};
        ++bloques;
        return bloques == 10 || bloques == 11 ? Bytes{'x'} : Bytes{RESP_BLOQUE_OK};
    };
    EXPECT_FALSE(fpga.Grabar_configuraciones());
    EXPECT_EQ(cargador.bloques().size(), 11u);  // block 10 and its one resend
    EXPECT_EQ(b.entorno.pitidos, 1);
    EXPECT_EQ(b.ctx.senales.causa,
              "block 10 (page 0xDB, address 0x08CA): no acknowledgement in 2 tries (answer 'x' "
              "both times)");
    EXPECT_EQ(cuantos(Mensaje_cargador::trama, CMD_PROGRAMAR_MAPA), 0u);
}

}  // namespace
}  // namespace z82
