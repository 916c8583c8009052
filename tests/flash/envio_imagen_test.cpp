// The flash controller's two image streams: the HEX firmware records packed into block
// writes, and the region's plan image.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <map>
#include <string>

#include "apoyo/banco.h"
#include "data/imagenes.h"
#include "flash/tcdiferencial.h"
#include "hex/fuente_lineas.h"
#include "hex/lector_hex.h"
#include "protocol/cargador_guion.h"

namespace z82 {
namespace {

using prueba::Banco;
using prueba::Cargador_guion;
using prueba::Mensaje_cargador;
using Bytes = std::vector<uint8_t>;

// One Intel HEX line with its checksum.
std::string registro(uint8_t tipo, uint16_t direccion, const Bytes& datos) {
    char h[4];
    std::string s = ":";
    unsigned suma =
        static_cast<unsigned>(datos.size()) + (direccion >> 8) + (direccion & 0xFF) + tipo;
    auto poner = [&](unsigned v) {
        std::snprintf(h, sizeof h, "%02X", v & 0xFF);
        s += h;
    };
    poner(static_cast<unsigned>(datos.size()));
    poner(direccion >> 8);
    poner(direccion);
    poner(tipo);
    for (uint8_t d : datos) {
        poner(d);
        suma += d;
    }
    poner(0x100 - (suma & 0xFF));
    return s + "\r\n";
}

Bytes datos_de(int n, int semilla) {
    Bytes d(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) d[static_cast<size_t>(i)] = static_cast<uint8_t>(semilla * 31 + i);
    return d;
}

std::string segmento(uint16_t s) {
    return registro(0x04, 0, {static_cast<uint8_t>(s >> 8), static_cast<uint8_t>(s)});
}
const std::string FIN = ":00000001FF\r\n";

class Imagen_prueba : public ::testing::Test {
  protected:
    Imagen_prueba() { d.mapa.fill(1); }

    bool enviar(const std::string& texto, uint32_t registros = 0) {
        texto_ = texto;
        fuente_ = std::make_unique<TFuente_lineas>(texto_);
        lector_ = std::make_unique<TLector_hex>(*fuente_);
        lector_->registros = registros;
        return d.Enviar_imagen(fuente_.get(), lector_.get());
    }
    // What the loader received, as one byte run per page and address.
    Bytes recibido(uint8_t pagina) const {
        Bytes r;
        for (const auto& m : cargador.bloques()) {
            if (m.pagina() != pagina) continue;
            const Bytes x = m.datos();
            r.insert(r.end(), x.begin(), x.end());
        }
        return r;
    }

    Banco b;
    Cargador_guion cargador{b};
    TCDiferencial d{b.ctx.canal(), b.ctx.Barra_progreso, b.ctx.ultimo_progreso};
    std::string texto_;
    std::unique_ptr<TFuente_lineas> fuente_;
    std::unique_ptr<TLector_hex> lector_;
};

TEST_F(Imagen_prueba, ContiguousRecordsMakeBlocksOf201To232Bytes) {
    std::string t = segmento(0);
    Bytes todo;
    uint16_t a = 0;
    for (int i = 0; i < 40; ++i) {
        const int n = (i % 3 == 0) ? 16 : 32;
        const Bytes x = datos_de(n, i);
        t += registro(0x00, a, x);
        todo.insert(todo.end(), x.begin(), x.end());
        a = static_cast<uint16_t>(a + n);
    }
    const Bytes otro = datos_de(32, 99);
    t += segmento(1) + registro(0x00, 0x0000, otro) + FIN;
    ASSERT_TRUE(enviar(t, 44));

    const auto bloques = cargador.bloques();
    ASSERT_GE(bloques.size(), 3u);
    int siguiente = 0;
    for (size_t i = 0; i + 1 < bloques.size(); ++i) {
        if (bloques[i].pagina() != 0xAB) continue;
        EXPECT_EQ(bloques[i].direccion(), siguiente);
        siguiente += bloques[i].n();
        // Only the block cut by the segment change may be shorter.
        if (bloques[i + 1].pagina() == 0xAB) {
            EXPECT_GE(bloques[i].n(), 201);
            EXPECT_LE(bloques[i].n(), 232);
        }
    }
    EXPECT_EQ(recibido(0xAB), todo);
    EXPECT_EQ(bloques.back().pagina(), 0xAC);
    EXPECT_EQ(bloques.back().datos(), otro);
    EXPECT_EQ(b.vista.barra_max, 44);
    EXPECT_EQ(b.vista.barra_pos, 43);
}

TEST_F(Imagen_prueba, GapFlushesThePendingBlock) {
    const Bytes x = datos_de(32, 1), y = datos_de(32, 2), z = datos_de(16, 3);
    ASSERT_TRUE(enviar(segmento(2) + registro(0, 0x0000, x) + registro(0, 0x0020, y) +
                       registro(0, 0x1000, z) + FIN));
    const auto bloques = cargador.bloques();
    ASSERT_EQ(bloques.size(), 2u);
    EXPECT_EQ(bloques[0].pagina(), 0xAD);
    EXPECT_EQ(bloques[0].direccion(), 0);
    EXPECT_EQ(bloques[0].n(), 64);
    EXPECT_EQ(bloques[1].direccion(), 0x1000);
    EXPECT_EQ(bloques[1].datos(), z);
}

TEST_F(Imagen_prueba, SegmentsLeftOutOfTheMapAreSkipped) {
    d.mapa.fill(0);
    d.mapa[0] = 1;
    const Bytes x = datos_de(32, 1), y = datos_de(32, 2);
    ASSERT_TRUE(enviar(segmento(0) + registro(0, 0, x) + segmento(1) +
                       registro(0, 0, datos_de(32, 5)) + segmento(0x40) +
                       registro(0, 0, datos_de(8, 6)) + segmento(0) + registro(0, 0x20, y) + FIN));
    const auto bloques = cargador.bloques();
    ASSERT_EQ(bloques.size(), 2u);
    EXPECT_EQ(bloques[0].pagina(), 0xAB);
    EXPECT_EQ(bloques[0].datos(), x);
    EXPECT_EQ(bloques[1].pagina(), 0xAB);
    EXPECT_EQ(bloques[1].direccion(), 0x20);
}

// Records longer than the embedded image's never make a block that the frame cannot hold.
TEST_F(Imagen_prueba, LongRecordsAreSplitToFitTheFrame) {
    const Bytes x = datos_de(100, 1), y = datos_de(100, 2), z = datos_de(100, 3),
                w = datos_de(110, 4);
    ASSERT_TRUE(enviar(segmento(0) + registro(0, 0, x) + registro(0, 100, y) + registro(0, 200, z) +
                       registro(0, 300, w) + FIN));
    Bytes esperado = x;
    for (const Bytes* r : {&y, &z, &w}) esperado.insert(esperado.end(), r->begin(), r->end());
    EXPECT_EQ(recibido(0xAB), esperado);
    std::vector<std::pair<int, int>> formas;
    for (const auto& m : cargador.bloques()) {
        formas.push_back({m.direccion(), m.n()});
        EXPECT_EQ(m.bytes[1], m.n() + 4);
    }
    // 200 + 100 would not fit one frame: the 200 go first; 100 + 110 pass the threshold.
    EXPECT_EQ(formas, (std::vector<std::pair<int, int>>{{0, 200}, {200, 210}}));
}

TEST_F(Imagen_prueba, BadRecordsFailWithABeep) {
    EXPECT_FALSE(enviar(segmento(0) + ":0400000001020304F0\r\n" + FIN));  // bad checksum
    EXPECT_EQ(b.entorno.pitidos, 1);
    EXPECT_FALSE(enviar(segmento(0) + registro(0, 0, datos_de(4, 1))));  // no end record
    EXPECT_EQ(b.entorno.pitidos, 2);
    EXPECT_FALSE(enviar(registro(0x04, 0, {0x01}) + FIN));  // address record too short
    EXPECT_EQ(b.entorno.pitidos, 3);
    EXPECT_TRUE(cargador.bloques().empty());  // a pending block waits for the end record
}

TEST_F(Imagen_prueba, FailedBlockOrCancelStopsTheImage) {
    cargador.responder = [](const Mensaje_cargador&) { return Bytes{}; };
    EXPECT_FALSE(enviar(segmento(0) + registro(0, 0, datos_de(4, 1)) + FIN));
    EXPECT_EQ(b.ctx.senales.causa,
              "block 1 (page 0xAB, address 0x0000): no acknowledgement (no answer within 2 s) "
              "and no request to resend within 5 s");

    cargador.responder = [](const Mensaje_cargador&) { return Bytes{'0'}; };
    b.entorno.publicar([this] { b.ctx.senales.abortar = true; });
    const int64_t t0 = b.reloj.ms();
    EXPECT_FALSE(enviar(segmento(0) + registro(0, 0, datos_de(4, 1)) + FIN));
    EXPECT_GE(b.reloj.ms() - t0, 300);
    EXPECT_EQ(cargador.bloques().size(), 1u);  // only the failed one
    EXPECT_EQ(b.ctx.senales.causa, "stopped before the first block");
}

TEST_F(Imagen_prueba, PlanImageOfRegionZero) {
    const Bytes plan = datos_de(73596, 7);
    ASSERT_TRUE(d.Enviar_plan(plan));
    const auto bloques = cargador.bloques();
    ASSERT_EQ(bloques.size(), 575u);
    int en_c9 = 0, en_ca = 0;
    for (const auto& m : bloques) (m.pagina() == 0xC9 ? en_c9 : en_ca)++;
    EXPECT_EQ(en_c9, 512);
    EXPECT_EQ(en_ca, 63);
    EXPECT_EQ(bloques[511].direccion(), 65536 - 128);
    EXPECT_EQ(bloques[512].direccion(), 0);
    EXPECT_EQ(bloques.back().n(), 124);
    Bytes juntos = recibido(0xC9);
    const Bytes resto = recibido(0xCA);
    juntos.insert(juntos.end(), resto.begin(), resto.end());
    EXPECT_EQ(juntos, plan);
    EXPECT_EQ(b.vista.barra_max, 73596);
}

TEST_F(Imagen_prueba, RegionWithoutItsImageFails) {
    b.ctx.medidor.tipo_plan_medidor = 5;
    EXPECT_FALSE(d.Enviar_region(b.ctx.medidor.tipo_plan_medidor));
    EXPECT_FALSE(d.Enviar_plan({}));
    EXPECT_TRUE(b.enviados().empty());
    b.ctx.medidor.tipo_plan_medidor = 0;
    if (datos::imagen_planes(0).size() != 73596) GTEST_SKIP() << "plan images not built yet";
    EXPECT_TRUE(d.Enviar_region(b.ctx.medidor.tipo_plan_medidor));
    EXPECT_EQ(cargador.bloques().size(), 575u);
}

TEST_F(Imagen_prueba, CarriedFirmwareImageGoesOutWhole) {
    const std::string_view hex = datos::imagen_hex();
    if (hex.empty()) GTEST_SKIP() << "firmware image not built yet";
    // Count the data bytes per segment the way the loader should receive them.
    TFuente_lineas fuente(hex);
    TLector_hex lector(fuente);
    std::array<uint8_t, 256> buf{};
    Registro_hex r;
    r.data = buf.data();
    std::map<uint8_t, size_t> por_pagina;
    uint8_t pagina = 0;
    uint32_t registros = 0;
    do {
        ASSERT_EQ(lector.Leer_registro(r), HEX_OK);
        ++registros;
        if (r.type == HEX_TIPO_DIRECCION_LINEAL) pagina = static_cast<uint8_t>(r.data[1] + 0xAB);
        if (r.type == HEX_TIPO_DATOS) por_pagina[pagina] += r.count;
    } while (r.type != HEX_TIPO_FIN);

    fuente.Posicionar(0);
    lector.registros = registros;
    ASSERT_TRUE(d.Enviar_imagen(&fuente, &lector));
    std::map<uint8_t, size_t> recibido_por_pagina;
    for (const auto& m : cargador.bloques()) {
        EXPECT_LE(m.n(), 232);
        recibido_por_pagina[m.pagina()] += static_cast<size_t>(m.n());
    }
    EXPECT_EQ(recibido_por_pagina, por_pagina);
    EXPECT_EQ(b.vista.barra_max, static_cast<int>(registros));
}

}  // namespace
}  // namespace z82
