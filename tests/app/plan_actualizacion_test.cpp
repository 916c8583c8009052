// The plan's reads right after a connection, against simulated meters: what each reads,
// how often, and what the rules then decide.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "apoyo/banco_ventana.h"
#include "queries/tconsultas.h"
#include "sim/medidor_simulado.h"

namespace z82 {
namespace {

using prueba::Banco_ventana;
using sim::Config_medidor;

struct Banco_plan : Banco_ventana {
    std::unique_ptr<sim::Medidor_simulado> medidor;
    explicit Banco_plan(const Config_medidor& c) {
        medidor = std::make_unique<sim::Medidor_simulado>(c);
        poner(1, medidor.get());
        crear();
    }
    ~Banco_plan() { ventana.reset(); }
    Tventana_cargador& conectar(const std::string& version_imagen = "") {
        if (!version_imagen.empty()) ventana->version_hex = version_imagen;
        ventana->Boton_ConectarClick();
        EXPECT_TRUE(ventana->sesion.conectado);
        return *ventana;
    }
};

Config_medidor Con_firmware(const std::string& version) {
    Config_medidor c;
    c.version_firmware = version;
    return c;
}

// The reads feed the rules (which tests/app/decidir_plan_test.cpp tries value by value):
// each value as the meter stores it reaches the decision.
TEST(Plan_actualizacion, TheReadsFeedTheRules) {
    {
        Config_medidor c = Con_firmware("1.87.00000");
        c.fpga_mayor = 3;
        c.fpga_menor = 1;
        c.plan_tipo = 7;  // a type above 4 is taken as type 0
        c.plan_version = 0x70;
        c.mpeg4.version_sw = 0x006E;
        Banco_plan b(c);
        auto& v = b.conectar("1.88.00000");
        EXPECT_EQ(v.version_medidor, "1.87.00000");
        EXPECT_EQ(v.version_fpga_medidor, "3.1");
        EXPECT_EQ(v.sesion.medidor.tipo_plan_medidor, 0);
        EXPECT_EQ(v.sesion.medidor.plan_medidor, 0x70);
        EXPECT_FALSE(v.planes_distintos);
        EXPECT_EQ(v.plan, (Plan{true, true, false, false, true, true}));
    }
    {
        // Plans differ, but they only travel with the firmware; a silent module.
        Config_medidor c = Con_firmware("1.89.00000");
        c.plan_version = 50;
        c.fpga_mayor = 3;
        c.mpeg4_presente = false;
        Banco_plan b(c);
        auto& v = b.conectar("1.88.00000");
        EXPECT_FALSE(v.plan.alguno());
        EXPECT_TRUE(v.planes_distintos);
        EXPECT_FALSE(v.Comprobar_medidor());  // nothing to do
        EXPECT_FALSE(v.sesion.medidor.opciones_bit5_libre);
    }
}

TEST(Plan_actualizacion, TheModuleIsAskedOnlyOverALiveConnection) {
    Config_medidor c;
    c.mpeg4.version_sw = 0x006E;
    Banco_plan b(c);
    ASSERT_FALSE(b.ventana->sesion.conectado);
    EXPECT_TRUE(b.ventana->sesion.Leer_mpeg4().has_value());  // connects first, then asks
    EXPECT_TRUE(b.ventana->sesion.conectado);
    EXPECT_EQ(b.medidor->contar("sonda"), 1u);
}

TEST(Plan_actualizacion, ModuleReplyDamagedOnTheLineIsAskedAgainOnTheSameConnection) {
    Config_medidor c;
    c.mpeg4.version_sw = 0x006E;
    // A clean connection first, to learn how many bytes the meter sends before it answers
    // the module's identity request.
    int64_t antes = 0;
    {
        Banco_plan limpio(c);
        limpio.conectar();
        int64_t t_identidad = 0;
        for (const auto& o : limpio.medidor->registro) {
            if (o.texto == "mpeg4 identidad") {
                t_identidad = o.t_us;
                break;
            }
        }
        for (const auto& byte : limpio.enlace.registro()) {
            if (!byte.hacia_medidor && byte.t_us <= t_identidad) ++antes;
        }
    }
    Banco_plan b(c);
    sim::Fallo_byte perdido;
    perdido.sentido = sim::Sentido::hacia_pc;
    perdido.accion = sim::Accion::perder;
    perdido.n_byte = antes + 1;  // the 0xFB that opens the module's answer
    b.medidor->fallos.bytes.push_back(perdido);
    auto& v = b.conectar();
    EXPECT_TRUE(b.medidor->fallos.bytes[0].aplicado);
    EXPECT_TRUE(v.plan.Check_mpeg4_apl);
    EXPECT_EQ(b.medidor->contar("mpeg4 identidad"), 2u);
    EXPECT_EQ(b.medidor->contar("sonda"), 1u);
}

TEST(Plan_actualizacion, Mpeg4VersionZeroReconnectsOnceAfterFiveSeconds) {
    Config_medidor c;
    c.mpeg4.version_sw = 0;
    Banco_plan b(c);
    const int64_t t0 = b.reloj.ms();
    auto& v = b.conectar();
    EXPECT_FALSE(v.plan.Check_mpeg4_apl);
    EXPECT_TRUE(v.sesion.conectado);
    EXPECT_GE(b.reloj.ms() - t0, 5000);
    EXPECT_EQ(b.medidor->contar("mpeg4 identidad"), 2u);
}

TEST(Plan_actualizacion, PreUpdateCheckRefusesUsaUnreadableVersionAndOptions) {
    {
        Config_medidor c;
        c.region = "USA";
        Banco_plan b(c);
        auto& v = b.conectar();
        EXPECT_TRUE(v.sesion.medidor.es_usa);
        EXPECT_TRUE(v.plan.Check_firmware);
        EXPECT_FALSE(v.Comprobar_medidor());
    }
    {
        Config_medidor c;
        c.byte_6031 = 1;
        Banco_plan b(c);
        auto& v = b.conectar();
        EXPECT_FALSE(v.sesion.medidor.version_legible);
        EXPECT_FALSE(v.plan.Check_firmware);
        EXPECT_FALSE(v.Comprobar_medidor());
    }
    {
        Config_medidor c;
        c.opciones_bit5 = false;
        Banco_plan b(c);
        auto& v = b.conectar();
        EXPECT_FALSE(v.Comprobar_medidor());
        EXPECT_TRUE(v.sesion.medidor.opciones_bit5_libre);
    }
    {
        Banco_plan b(Config_medidor{});
        EXPECT_TRUE(b.conectar().Comprobar_medidor());
    }
}

// A meter whose replies to one memory read request reach the PC with one byte damaged,
// differently each time, for `danadas` of them from request number `primera` (from 1).
struct Respuesta_danada : sim::Extremo_simulado {
    sim::Medidor_simulado& medidor;
    std::vector<uint8_t> peticion;
    int primera, danadas;
    size_t byte;  // the damaged byte of the reply, from 0 (the 0x10 header)
    int peticiones = 0;
    std::vector<uint8_t> ultimos;
    int64_t salidos = 0, objetivo = -1;
    Respuesta_danada(sim::Medidor_simulado& m, std::vector<uint8_t> p, int desde, int n, size_t k)
        : medidor(m), peticion(std::move(p)), primera(desde), danadas(n), byte(k) {}

    void recibir(const uint8_t* d, size_t n, int64_t t) override {
        for (size_t i = 0; i < n; ++i) {
            ultimos.push_back(d[i]);
            if (ultimos.size() > peticion.size()) ultimos.erase(ultimos.begin());
            if (ultimos == peticion && ++peticiones >= primera && peticiones < primera + danadas) {
                objetivo = salidos + static_cast<int64_t>(byte);
            }
        }
        medidor.recibir(d, n, t);
    }
    void rts(bool a, int64_t t) override { medidor.rts(a, t); }
    void conexion(bool a, int64_t t) override { medidor.conexion(a, t); }
    bool proxima_salida(int64_t& t) override { return medidor.proxima_salida(t); }
    size_t tomar_salida(uint8_t* d, size_t max, int64_t t) override {
        const size_t n = medidor.tomar_salida(d, max, t);
        for (size_t i = 0; i < n; ++i, ++salidos) {
            if (salidos == objetivo) d[i] ^= static_cast<uint8_t>(peticiones);
        }
        return n;
    }
};

// Values that decide what is written must read the same twice running: a few damaged
// replies are read again, a value that never reads the same twice stops the update.
// casos: how many replies are damaged, and how many requests the connection then makes
// (0: two clean replies in a row never came within the reads allowed).
void Leer_con_danos(const Config_medidor& c, const std::vector<uint8_t>& peticion, size_t byte,
                    int primera, const std::vector<std::pair<int, int>>& casos,
                    const std::function<void(Tventana_cargador&)>& comprobar) {
    for (const auto& [danadas, peticiones] : casos) {
        SCOPED_TRACE(danadas);
        Banco_ventana b;
        sim::Medidor_simulado medidor(c);
        Respuesta_danada extremo(medidor, peticion, primera, danadas, byte);
        b.poner(1, &extremo);
        b.crear();
        b.ventana->version_hex = "1.88.00000";
        b.ventana->Boton_ConectarClick();
        ASSERT_TRUE(b.ventana->sesion.conectado);
        auto& v = *b.ventana;
        EXPECT_EQ(v.sesion.medidor.version_legible, peticiones != 0);
        if (peticiones != 0) {
            EXPECT_EQ(extremo.peticiones, peticiones);
            comprobar(v);
            EXPECT_TRUE(v.Comprobar_medidor());
        } else {
            EXPECT_FALSE(v.Comprobar_medidor());
        }
        b.ventana.reset();
    }
}

TEST(Plan_actualizacion, TheFirmwareVersionMustReadTheSameTwiceBeforeItDecides) {
    // A current meter (1.89 against the carried 1.88): a damaged build would make it look
    // like a test build, which always takes the carried (older) firmware.
    Leer_con_danos(Con_firmware("1.89.00000"), {0x01, 0x18, 0x16, 0x00, 0x06}, 4, 1,
                   {{0, 2}, {1, 3}, {3, 5}, {4, 0}}, [](Tventana_cargador& v) {
                       EXPECT_EQ(v.version_medidor, "1.89.00000");
                       EXPECT_FALSE(v.plan.Check_firmware);
                   });
}

TEST(Plan_actualizacion, ThePlanHeaderMustReadTheSameTwiceBeforeItDecidesTheRegion) {
    // A damaged type byte would have another region's plans written over the meter's.
    Config_medidor c = Con_firmware("1.87.00000");
    c.plan_tipo = 3;
    c.plan_version = 0x0047;
    // The header is read twice over (the type, then the comparison): four clean reads.
    // The damage starts at the second, so the first clean one is wasted.
    Leer_con_danos(c, {0x01, 0x1E, 0x00, 0x00, 0x06}, 6, 2, {{0, 4}, {1, 6}, {2, 7}, {3, 0}},
                   [](Tventana_cargador& v) {
                       EXPECT_TRUE(v.plan.Check_planes);
                       EXPECT_EQ(v.sesion.medidor.tipo_plan_medidor, 3);
                       EXPECT_EQ(v.sesion.medidor.plan_medidor, 0x0047);
                   });
}

TEST(Plan_actualizacion, SoundValuesGoIntoTheZoneOnlyWhenTwoReadsAgree) {
    Config_medidor c;
    c.dato_233 = 0x07;
    for (const int danadas : {1, 2, 4}) {
        SCOPED_TRACE(danadas);
        Banco_ventana b;
        sim::Medidor_simulado medidor(c);
        // The value byte of the reply to the read of word 0x0232.
        Respuesta_danada extremo(medidor, {0x01, 0x42, 0x32, 0x02, 0x04}, 1, danadas, 5);
        b.poner(1, &extremo);
        b.crear();
        b.ventana->Boton_ConectarClick();
        ASSERT_TRUE(b.ventana->sesion.conectado);
        if (danadas < TConsultas::LECTURAS_CONFORMES - 1) {
            EXPECT_TRUE(b.ventana->sesion.medidor.dato_232_ok);
            EXPECT_EQ(b.ventana->sesion.medidor.dato_232, 0x07);
            EXPECT_EQ(extremo.peticiones, danadas + 2);
        } else {
            // Never the same twice: taken as unread (asked again before the zone).
            EXPECT_FALSE(b.ventana->sesion.medidor.dato_232_ok);
        }
        b.ventana.reset();
    }
}

TEST(Plan_actualizacion, IdentityQueriesFillTheWindowAndTheLanguageIsClamped) {
    Config_medidor c;
    c.idioma = 12;
    c.dato_233 = 0x07;
    c.dato_23b = 0x1964;
    Banco_plan b(c);
    auto& v = b.conectar();
    EXPECT_EQ(v.sesion.medidor.idioma_medidor, 1);
    EXPECT_TRUE(v.sesion.medidor.dato_232_ok);
    EXPECT_EQ(v.sesion.medidor.dato_232, 0x07);
    EXPECT_EQ(v.sesion.medidor.dato_23b, 0x1964);
}

}  // namespace
}  // namespace z82
