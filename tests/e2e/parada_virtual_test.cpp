// Stopping under virtual time: the window closed during the search, and a run stopped (as
// Ctrl-C stops it) during each item. Each ends with the link closed; a run stopped before
// its end never says "updated"; one whose remaining work cannot stop half-way (the FPGA
// transfer, the module's own programming, the zone after a programmed firmware) finishes
// and says so; and the next run on the same meter succeeds.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "apoyo/banco_ventana.h"
#include "apoyo/imagen_esperada.h"
#include "link/tcpuerto.h"
#include "sim/medidor_simulado.h"

namespace z82 {
namespace {

using prueba::Banco_ventana;
using sim::Config_medidor;
using sim::Medidor_simulado;

std::string Idiomas() {
    std::ifstream f(std::string(Z82_SOURCE_DIR) + "/data/idiomas.ini", std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

struct Banco_parada : Banco_ventana {
    std::unique_ptr<Medidor_simulado> medidor;

    explicit Banco_parada(const Config_medidor& c) {
        medidor = std::make_unique<Medidor_simulado>(c);
        poner(1, medidor.get());
        idiomas(Idiomas());
        crear();
    }
    ~Banco_parada() { ventana.reset(); }

    Resultado_asistente Actualizar(std::initializer_list<bool> respuestas) {
        vista.respuestas.assign(respuestas.begin(), respuestas.end());
        ventana->Button_buscar_puertoClick();
        ventana->Button_buscar_puertoClick();
        return ventana->resultado;
    }
    // Instant of the first thing the meter noted whose text starts so (-1: none).
    int64_t Instante(std::string_view prefijo) const {
        for (const auto& o : medidor->registro) {
            if (std::string_view(o.texto).substr(0, prefijo.size()) == prefijo) return o.t_us;
        }
        return -1;
    }
    bool Texts(const std::string& prefijo) const {
        for (int i = 0; i < 3; ++i) {
            if (vista.lineas[i] != ventana->Texto(prefijo + "_L" + std::to_string(i + 1)))
                return false;
        }
        return !vista.lineas[0].empty();
    }
};

// Where a run without interruptions has the meter note a prefix.
int64_t Instante_sin_parar(const Config_medidor& c, std::string_view prefijo,
                           std::initializer_list<bool> respuestas) {
    Banco_parada b(c);
    b.Actualizar(respuestas);
    return b.Instante(prefijo);
}

TEST(Parada_virtual, WindowClosedDuringTheSearchLeavesTheLinkClosedAndWritesNothing) {
    Config_medidor c;
    c.version_firmware = "1.89.00000";  // FPGA only
    // Moments of the search at which the window handles messages: the RTS pulses, just
    // after the probe was answered, the identity and the version reads.
    const char* const momentos[] = {"", "sonda 5D", "lectura 42 020E", "lectura 18 0010"};
    for (const char* momento : momentos) {
        SCOPED_TRACE(momento);
        const int64_t t = *momento == 0 ? 300'000 : Instante_sin_parar(c, momento, {}) + 200;
        ASSERT_GT(t, 0);
        Banco_parada b(c);
        Tventana_cargador* v = b.ventana.get();
        // As a face does: the window closes when it may.
        b.entorno.en_instante(t, [v] {
            if (v->FormCloseQuery()) v->FormClose();
        });
        const Resultado_asistente r = b.Actualizar({});
        EXPECT_NE(r, Resultado_asistente::actualizado);
        EXPECT_TRUE(v->sesion.cerrando);
        EXPECT_FALSE(v->sesion.puerto->Abierto());
        EXPECT_FALSE(v->ocupado);
        EXPECT_FALSE(b.medidor->hay("carga 144"));  // no run started
        EXPECT_EQ(b.medidor->programaciones, 0);
        EXPECT_NE(b.vista.imagen_actual, IMG_EXITO);
    }
}

struct Item_parado {
    const char* nombre;
    Config_medidor config;
    const char* momento;  // what the meter notes inside the item
    int64_t despues_us;   // how long after it the stop comes
    std::initializer_list<bool> respuestas;
    Resultado_asistente resultado;
};

Config_medidor Con(const char* firmware, uint8_t fpga, uint16_t mpeg4_sw, uint16_t plan) {
    Config_medidor c;
    c.version_firmware = firmware;
    c.fpga_mayor = fpga;
    c.mpeg4.version_sw = mpeg4_sw;
    c.plan_version = plan;
    return c;
}

TEST(Parada_virtual, StopDuringEachItemEndsAtASafePointAndTheNextRunFinishes) {
    // Plan type 0 with an older plan and the question answered OK: erase, firmware, FPGA,
    // zone; an old MPEG4 application as well where asked.
    using R = Resultado_asistente;
    const Item_parado items[] = {
        {"erase", Con("1.87.00000", 2, 0x70, 100), "orden [ 21", 1000, {true, true}, R::detenido},
        {"MPEG4 staging", Con("1.89.00000", 3, 0x6E, 100), "escritura D0", 1000, {}, R::detenido},
        {"MPEG4 programming",
         Con("1.89.00000", 3, 0x6E, 100),
         "mpeg4 orden",
         5'000'000,
         {},
         R::actualizado},
        {"FPGA", Con("1.89.00000", 2, 0x70, 100), "escritura DB", 1000, {}, R::actualizado},
        {"firmware stream",
         Con("1.87.00000", 2, 0x70, 0x70),
         "escritura B5",
         1000,
         {},
         R::detenido},
        // Once the firmware is programmed, its zone follows before the run stops.
        {"firmware programming",
         Con("1.87.00000", 2, 0x70, 0x70),
         "programa",
         1'000'000,
         {},
         R::actualizado},
        {"zone", Con("1.87.00000", 2, 0x70, 0x70), "eeprom", 1000, {}, R::actualizado},
    };
    for (const Item_parado& it : items) {
        SCOPED_TRACE(it.nombre);
        const int64_t t = Instante_sin_parar(it.config, it.momento, it.respuestas);
        ASSERT_GT(t, 0);
        Banco_parada b(it.config);
        Tventana_cargador* v = b.ventana.get();
        bool en_curso = false;
        b.entorno.en_instante(t + it.despues_us, [v, &en_curso] {
            en_curso = v->ocupado;
            if (v->ocupado) v->Detener();  // as Ctrl-C does during a run
        });
        EXPECT_EQ(b.Actualizar(it.respuestas), it.resultado);
        EXPECT_TRUE(en_curso);
        if (it.resultado == Resultado_asistente::detenido) {
            EXPECT_EQ(b.vista.imagen_actual, IMG_FALLO);
            EXPECT_TRUE(b.Texts("P6_E4"));
            EXPECT_FALSE(v->desenlace.no_escritos.empty());
        } else {
            EXPECT_EQ(b.vista.imagen_actual, IMG_EXITO);
        }
        EXPECT_FALSE(v->sesion.puerto->Abierto());
        EXPECT_FALSE(v->ocupado);

        // The next run on the same meter writes what is missing: after a run that finished,
        // there is nothing left to do (but for a meter on the carried test build, which
        // always takes the firmware again).
        const bool firmware = it.config.version_firmware == std::string("1.87.00000");
        b.vista.respuestas.assign(it.respuestas.begin(), it.respuestas.end());
        v->Actualizar1Click();
        EXPECT_EQ(v->resultado, it.resultado == Resultado_asistente::detenido || firmware
                                    ? Resultado_asistente::actualizado
                                    : Resultado_asistente::nada_que_hacer);
        EXPECT_FALSE(v->sesion.puerto->Abierto());
        // A new connection reads the carried FPGA version back.
        v->Boton_ConectarClick();
        EXPECT_TRUE(v->sesion.conectado);
        EXPECT_EQ(v->version_fpga_medidor, "3.0");
        v->Boton_ConectarClick();
        if (firmware) {
            long d = 0;
            for (const auto& [segmento, bytes] : prueba::Datos_imagen_hex()) {
                if (segmento == 0 || segmento == 0x1E || segmento == 0x1F) continue;
                d += prueba::Diferencias(b.medidor->flash(static_cast<uint8_t>(segmento)), bytes);
            }
            EXPECT_EQ(d, 0);
        }
        if (it.config.mpeg4.version_sw < 0x6F) {
            EXPECT_EQ(b.medidor->version_mpeg4().version_sw, 0x70);
        }
    }
}

}  // namespace
}  // namespace z82
