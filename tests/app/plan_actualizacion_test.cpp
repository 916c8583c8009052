// The update plan decided right after a connection, against simulated meters of several
// versions.
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
        EXPECT_TRUE(ventana->conectado);
        return *ventana;
    }
};

Config_medidor Con_firmware(const std::string& version) {
    Config_medidor c;
    c.version_firmware = version;
    return c;
}

bool Firmware(const std::string& medidor, const std::string& imagen) {
    Banco_plan b(Con_firmware(medidor));
    return b.conectar(imagen).Check_firmware;
}

TEST(Plan_actualizacion, FirmwareVersionRules) {
    EXPECT_FALSE(Firmware("1.88.00000", "1.88.00000"));
    EXPECT_TRUE(Firmware("1.88.00000", "1.89.00000"));
    EXPECT_FALSE(Firmware("1.90.00000", "1.89.00000"));
    // A meter build other than 00000 always takes the carried firmware.
    EXPECT_TRUE(Firmware("1.88.00004", "1.88.00004"));
    EXPECT_TRUE(Firmware("1.88.00003", "1.88.00004"));
    EXPECT_TRUE(Firmware("1.88.00005", "1.88.00004"));
    // A carried build other than 00000: ten characters are compared.
    EXPECT_TRUE(Firmware("1.88.00000", "1.88.00004"));
    EXPECT_FALSE(Firmware("1.89.00000", "1.88.00004"));
}

TEST(Plan_actualizacion, WithTheFirmwareGoTheFpgaAndZoneAndWithoutItNoPlansNorErase) {
    {
        Banco_plan b(Con_firmware("1.87.00000"));
        auto& v = b.conectar();
        EXPECT_TRUE(v.Check_firmware);
        EXPECT_TRUE(v.Check_fpga);
        EXPECT_TRUE(v.Check_configuracion);
        EXPECT_TRUE(v.Check_planes);  // plan type 0, version 100
        EXPECT_FALSE(v.Check_borrar);
    }
    {
        Config_medidor c = Con_firmware("1.89.00000");
        c.plan_version = 50;  // plans differ, but they only travel with the firmware
        c.fpga_mayor = 3;
        Banco_plan b(c);
        auto& v = b.conectar();
        EXPECT_FALSE(v.Check_firmware);
        EXPECT_FALSE(v.Check_planes);
        EXPECT_FALSE(v.Check_fpga);
        EXPECT_FALSE(v.Check_configuracion);
        EXPECT_FALSE(v.Comprobar_medidor());  // nothing to do
        EXPECT_FALSE(v.medidor.opciones_bit5_libre);
        EXPECT_TRUE(v.planes_distintos);
    }
    // A zone owed (a run programmed the firmware and could not write it, or --zone) goes
    // alone to a meter that runs the carried firmware, and to no other.
    for (const char* version : {"1.89.00000", "1.90.00000"}) {
        Config_medidor c = Con_firmware(version);
        c.fpga_mayor = 3;
        Banco_plan b(c);
        b.ventana->zona_pendiente = true;
        auto& v = b.conectar("1.89.00000");
        EXPECT_FALSE(v.Check_firmware);
        EXPECT_EQ(v.Check_configuracion, std::string(version) == "1.89.00000") << version;
    }
}

TEST(Plan_actualizacion, FpgaRule) {
    auto fpga = [](uint8_t mayor, uint8_t menor) {
        Config_medidor c = Con_firmware("1.89.00000");
        c.fpga_mayor = mayor;
        c.fpga_menor = menor;
        Banco_plan b(c);
        auto& v = b.conectar();
        return std::make_pair(v.Check_fpga, v.version_fpga_medidor);
    };
    EXPECT_EQ(fpga(3, 0), std::make_pair(false, std::string("3.0")));
    EXPECT_EQ(fpga(3, 1), std::make_pair(true, std::string("3.1")));
    EXPECT_EQ(fpga(2, 0), std::make_pair(true, std::string("2.0")));
}

TEST(Plan_actualizacion, PlanTypesAndVersions) {
    auto planes = [](uint8_t tipo, uint16_t version) {
        Config_medidor c;
        c.plan_tipo = tipo;
        c.plan_version = version;
        Banco_plan b(c);
        auto& v = b.conectar();
        return std::make_tuple(v.Check_planes, v.medidor.tipo_plan_medidor,
                               v.medidor.plan_esperado);
    };
    EXPECT_EQ(planes(0, 0x70), std::make_tuple(false, 0, 0x70));
    EXPECT_EQ(planes(1, 0x67), std::make_tuple(false, 1, 0x67));
    EXPECT_EQ(planes(2, 0x10), std::make_tuple(true, 2, 0x7A));
    EXPECT_EQ(planes(3, 0x66), std::make_tuple(false, 3, 0x66));
    EXPECT_EQ(planes(4, 0x6E), std::make_tuple(true, 4, 0x6F));
    // A type above 4 is taken as type 0.
    EXPECT_EQ(planes(7, 0x70), std::make_tuple(false, 0, 0x70));
}

TEST(Plan_actualizacion, Mpeg4Rule) {
    auto mpeg4 = [](bool presente, uint16_t sw, uint16_t build) {
        Config_medidor c;
        c.mpeg4_presente = presente;
        c.mpeg4.version_sw = sw;
        c.mpeg4.build = build;
        Banco_plan b(c);
        return b.conectar().Check_mpeg4_apl;
    };
    EXPECT_TRUE(mpeg4(true, 0x006E, 0));
    EXPECT_FALSE(mpeg4(true, 0x006F, 0));
    EXPECT_TRUE(mpeg4(true, 0x0070, 3));
    EXPECT_FALSE(mpeg4(false, 0, 0));  // a silent module
}

TEST(Plan_actualizacion, TheModuleIsAskedOnlyOverALiveConnection) {
    Config_medidor c;
    c.mpeg4.version_sw = 0x006E;
    Banco_plan b(c);
    ASSERT_FALSE(b.ventana->conectado);
    EXPECT_TRUE(b.ventana->Mpeg4_necesario());  // connects first, then asks
    EXPECT_TRUE(b.ventana->conectado);
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
    EXPECT_TRUE(v.Check_mpeg4_apl);
    EXPECT_EQ(b.medidor->contar("mpeg4 identidad"), 2u);
    EXPECT_EQ(b.medidor->contar("sonda"), 1u);
}

TEST(Plan_actualizacion, Mpeg4VersionZeroReconnectsOnceAfterFiveSeconds) {
    Config_medidor c;
    c.mpeg4.version_sw = 0;
    Banco_plan b(c);
    const int64_t t0 = b.reloj.ms();
    auto& v = b.conectar();
    EXPECT_FALSE(v.Check_mpeg4_apl);
    EXPECT_TRUE(v.conectado);
    EXPECT_GE(b.reloj.ms() - t0, 5000);
    EXPECT_EQ(b.medidor->contar("mpeg4 identidad"), 2u);
}

TEST(Plan_actualizacion, PreUpdateCheckRefusesUsaUnreadableVersionAndOptions) {
    {
        Config_medidor c;
        c.region = "USA";
        Banco_plan b(c);
        auto& v = b.conectar();
        EXPECT_TRUE(v.medidor.es_usa);
        EXPECT_TRUE(v.Check_firmware);
        EXPECT_FALSE(v.Comprobar_medidor());
    }
    {
        Config_medidor c;
        c.byte_6031 = 1;
        Banco_plan b(c);
        auto& v = b.conectar();
        EXPECT_FALSE(v.medidor.version_legible);
        EXPECT_FALSE(v.Check_firmware);
        EXPECT_FALSE(v.Comprobar_medidor());
    }
    {
        Config_medidor c;
        c.opciones_bit5 = false;
        Banco_plan b(c);
        auto& v = b.conectar();
        EXPECT_FALSE(v.Comprobar_medidor());
        EXPECT_TRUE(v.medidor.opciones_bit5_libre);
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
        ASSERT_TRUE(b.ventana->conectado);
        auto& v = *b.ventana;
        EXPECT_EQ(v.medidor.version_legible, peticiones != 0);
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
                       EXPECT_FALSE(v.Check_firmware);
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
                       EXPECT_TRUE(v.Check_planes);
                       EXPECT_EQ(v.medidor.tipo_plan_medidor, 3);
                       EXPECT_EQ(v.medidor.plan_medidor, 0x0047);
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
        ASSERT_TRUE(b.ventana->conectado);
        if (danadas < TConsultas::LECTURAS_CONFORMES - 1) {
            EXPECT_TRUE(b.ventana->medidor.dato_232_ok);
            EXPECT_EQ(b.ventana->medidor.dato_232, 0x07);
            EXPECT_EQ(extremo.peticiones, danadas + 2);
        } else {
            // Never the same twice: taken as unread (asked again before the zone).
            EXPECT_FALSE(b.ventana->medidor.dato_232_ok);
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
    EXPECT_EQ(v.medidor.idioma_medidor, 1);
    EXPECT_TRUE(v.medidor.dato_232_ok);
    EXPECT_EQ(v.medidor.dato_232, 0x07);
    EXPECT_EQ(v.medidor.dato_23b, 0x1964);
}

}  // namespace
}  // namespace z82
