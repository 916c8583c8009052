// The plan rules over values as a meter answers them: no link, no simulated meter.
#include "app/decidir_plan.h"

#include <gtest/gtest.h>

#include <string>

namespace z82 {
namespace {

// A current, readable meter on the carried plans and FPGA, module silent.
Lectura_plan Medidor(const std::string& version) {
    Lectura_plan l;
    l.firmware_en_marcha = true;
    l.version_conforme = true;
    l.cabecera_conforme = true;
    l.version = version;
    l.version_fpga = "3.0";
    l.tipo_plan_primero = l.tipo_plan = 1;
    l.plan_medidor = 0x67;
    return l;
}

Carga_llevada Carga(const std::string& version) {
    Carga_llevada c;
    c.version_firmware = version;
    c.version_fpga = "3.0";
    c.version_planes = {0x70, 0x67, 0x7A, 0x66, 0x6F};
    return c;
}

TEST(Decidir_plan, FirmwareVersionRules) {
    const struct {
        const char *medidor, *llevada;
        bool nuevo;
    } casos[] = {
        {"1.88.00000", "1.88.00000", false},
        {"1.88.00000", "1.89.00000", true},
        {"1.90.00000", "1.89.00000", false},
        // A meter build other than 00000 always takes the carried firmware.
        {"1.88.00004", "1.88.00004", true},
        {"1.88.00003", "1.88.00004", true},
        {"1.88.00005", "1.88.00004", true},
        // A carried build other than 00000: ten characters are compared.
        {"1.88.00000", "1.88.00004", true},
        {"1.89.00000", "1.88.00004", false},
        // A carried build 00000: only "1.88" is compared.
        {"1.88.0000", "1.88.00000", true},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(Firmware_nuevo(c.medidor, c.llevada), c.nuevo) << c.medidor << " " << c.llevada;
    }
}

TEST(Decidir_plan, ItemsFollowTheRules) {
    const auto plan = [](auto cambiar, bool zona_pendiente = false) {
        Lectura_plan l = Medidor("1.89.00000");
        cambiar(l);
        return Decidir_plan(l, Carga("1.89.00000"), zona_pendiente);
    };
    const auto nada = [](Lectura_plan&) {};
    EXPECT_FALSE(plan(nada).plan.alguno());
    EXPECT_TRUE(plan(nada).version_legible);

    // With the firmware go the FPGA area, the zone and differing plans; never the erase.
    const Decision_plan viejo = plan([](Lectura_plan& l) {
        l.version = "1.87.00000";
        l.plan_medidor = 0x50;
    });
    EXPECT_EQ(viejo.plan, (Plan{true, true, true, false, true, false}));
    EXPECT_EQ(viejo.plan_esperado, 0x67);
    // Without it, differing plans are only noted; the FPGA area goes alone.
    const Decision_plan planes = plan([](Lectura_plan& l) {
        l.plan_medidor = 0x50;
        l.version_fpga = "3.1";
    });
    EXPECT_EQ(planes.plan, (Plan{false, true, false, false, false, false}));
    EXPECT_TRUE(planes.planes_distintos);
    // A region type that changed between the two header reads counts as different plans.
    EXPECT_TRUE(plan([](Lectura_plan& l) { l.tipo_plan_primero = 2; }).planes_distintos);
    // The boot loader's mode does not ask the FPGA area.
    EXPECT_FALSE(plan([](Lectura_plan& l) { l.version_fpga.reset(); }).plan.Check_fpga);

    // Unreadable: a status block, version or plan header that never read the same twice.
    for (auto romper : {+[](Lectura_plan& l) { l.firmware_en_marcha = false; },
                        +[](Lectura_plan& l) { l.version_conforme = false; },
                        +[](Lectura_plan& l) { l.cabecera_conforme = false; }}) {
        const Decision_plan d = plan([&](Lectura_plan& l) {
            l.version = "1.87.00000";
            romper(l);
        });
        EXPECT_FALSE(d.version_legible);
        EXPECT_EQ(Impedimento_actualizacion(d.plan, false, d.version_legible, false),
                  Impedimento::version_ilegible);
    }

    // A zone owed goes alone to a meter that runs the carried firmware, to no other.
    EXPECT_EQ(plan(nada, true).plan, (Plan{false, false, false, false, true, false}));
    EXPECT_FALSE(plan([](Lectura_plan& l) { l.version = "1.90.00000"; }, true).plan.alguno());
}

TEST(Decidir_plan, Mpeg4Rule) {
    const auto modulo = [](uint16_t sw, uint16_t build, uint8_t boot = 1) {
        Lectura_plan l = Medidor("1.89.00000");
        l.mpeg4 = Version_mpeg4{sw, build, boot, 1};
        return Decidir_plan(l, Carga("1.89.00000"), false).plan.Check_mpeg4_apl;
    };
    EXPECT_TRUE(modulo(0x006E, 0));
    EXPECT_FALSE(modulo(0x006F, 0));
    EXPECT_TRUE(modulo(0x0070, 3));
    EXPECT_FALSE(modulo(0, 0));             // still starting, after its second chance
    EXPECT_FALSE(modulo(0x006E, 0, 0xFF));  // part of its answer missing
    EXPECT_FALSE(Decidir_plan(Medidor("1.89.00000"), Carga("1.89.00000"), false)
                     .plan.Check_mpeg4_apl);  // not asked
}

TEST(Decidir_plan, PreUpdateCheckSaysWhatKeepsTheMeterFromAnUpdate) {
    Plan algo;
    algo.Check_fpga = true;
    EXPECT_EQ(Impedimento_actualizacion(algo, false, true, false), Impedimento::ninguno);
    // In the order the check looks.
    EXPECT_EQ(Impedimento_actualizacion(algo, true, false, true), Impedimento::opciones);
    EXPECT_EQ(Impedimento_actualizacion(algo, false, false, true), Impedimento::version_ilegible);
    EXPECT_EQ(Impedimento_actualizacion(algo, false, true, true), Impedimento::modelo_usa);
    EXPECT_EQ(Impedimento_actualizacion(Plan{}, false, true, false), Impedimento::nada_que_hacer);
}

}  // namespace
}  // namespace z82
