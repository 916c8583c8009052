// The fault campaign's own checks: it tells a false success, a hang and a verified success
// apart, and a seed gives the same run every time.
#include "campana/campana.h"

#include <gtest/gtest.h>

namespace z82::campana {
namespace {

Opciones_corrida Opciones() {
    Opciones_corrida o;
    o.fuentes = Z82_SOURCE_DIR;
    return o;
}

Corrida Sin_fallos(const sim::Config_medidor& k, const Plan_esperado& p) {
    Corrida c;
    c.config = k;
    c.plan = p;
    return c;
}

TEST(Campana, ItemsMissingFromTheMeterAfterUpdatedCountAsFalseSuccess) {
    sim::Config_medidor fpga_sola;
    fpga_sola.version_firmware = "1.89.00000";
    Plan_esperado solo_fpga;
    solo_fpga.fpga = true;
    EXPECT_EQ(Ejecutar(Sin_fallos(fpga_sola, solo_fpga), Opciones()).desenlace,
              Desenlace::exito_verificado);

    // The program writes only the FPGA area; a plan that wants more is not met.
    Plan_esperado con_mpeg4 = solo_fpga;
    con_mpeg4.mpeg4 = true;
    const Informe a = Ejecutar(Sin_fallos(fpga_sola, con_mpeg4), Opciones());
    EXPECT_EQ(a.desenlace, Desenlace::exito_falso);
    EXPECT_NE(a.detalle.find("mpeg4"), std::string::npos) << a.detalle;
    // Unless nothing of the module's answer came back: then it is a limit of the protocol.
    sim::Config_medidor sin_modulo = fpga_sola;
    sin_modulo.mpeg4_presente = false;
    EXPECT_EQ(Ejecutar(Sin_fallos(sin_modulo, con_mpeg4), Opciones()).desenlace,
              Desenlace::modulo_no_oido);

    Plan_esperado con_firmware = solo_fpga;
    con_firmware.firmware = true;
    const Informe b = Ejecutar(Sin_fallos(fpga_sola, con_firmware), Opciones());
    EXPECT_EQ(b.desenlace, Desenlace::exito_falso);
    EXPECT_NE(b.detalle.find("firmware"), std::string::npos) << b.detalle;

    // A meter up to date, said to need the FPGA: "nothing to do" is then a false success.
    sim::Config_medidor al_dia = fpga_sola;
    al_dia.fpga_mayor = 3;
    EXPECT_EQ(Ejecutar(Sin_fallos(al_dia, solo_fpga), Opciones()).desenlace,
              Desenlace::exito_falso);
}

TEST(Campana, ARunPastItsBoundOfVirtualTimeIsAHang) {
    sim::Config_medidor k;  // the whole update of the default meter takes about 500 s
    Plan_esperado p;
    p.firmware = p.fpga = p.zona = true;
    Opciones_corrida o = Opciones();
    o.limite_virtual_us = 120'000'000;
    const Informe r = Ejecutar(Sin_fallos(k, p), o);
    EXPECT_EQ(r.desenlace, Desenlace::colgado);
    EXPECT_GE(r.segundos_virtuales, 120.0);
    EXPECT_LT(r.segundos_virtuales, 121.0);
}

TEST(Campana, QuestionsTheRunDidNotExpectAreAnsweredOkAndTheOutcomeJudged) {
    sim::Config_medidor k;  // plan type 0, an older plan: the plan and erase questions come
    Plan_esperado p;        // none expected, so none scripted
    p.firmware = p.fpga = p.zona = p.planes = p.borrado = true;
    const Informe r = Ejecutar(Sin_fallos(k, p), Opciones());
    EXPECT_EQ(r.desenlace, Desenlace::exito_verificado) << Nombre(r.desenlace) << " " << r.detalle;
}

TEST(Campana, AMeterLeavingOrADamagedByteDuringTheIdentityReadsKeepsItsOwnZoneValues) {
    // The meter sends its own 0x0A during the identity reads, or one byte of the language
    // read is damaged on its way: a later reconnection carries the update on, and the zone
    // must still be written with the meter's own language and values, not the defaults or
    // another language's.
    sim::Config_medidor k;
    k.version_firmware = "1.87.00000";
    k.plan_tipo = 1;
    k.plan_version = 0x5C;
    Plan_esperado p;
    p.firmware = p.fpga = p.zona = p.planes = true;
    Fallo_sorteado sale;
    sale.tipo = Tipo_fallo::desconexion_medidor;
    Fallo_sorteado danado;
    danado.tipo = Tipo_fallo::idioma_danado;
    danado.evento = "lectura 42 020E";
    danado.valor = 0x03;
    danado.cuenta = 4;  // the language byte itself
    for (int64_t t_us : {802'079, 790'000}) {
        sale.t_us = t_us;
        for (const Fallo_sorteado& f : {sale, danado}) {
            Corrida c = Sin_fallos(k, p);
            c.fallos.push_back(f);
            const Informe r = Ejecutar(c, Opciones());
            EXPECT_EQ(r.desenlace, Desenlace::exito_verificado)
                << t_us << " " << Nombre(r.desenlace) << " " << r.detalle;
        }
    }
}

TEST(Campana, ASeedGivesTheSameRunAndTheSameOutcome) {
    for (uint64_t s : {7u, 11u, 1234u}) {
        const Corrida a = Sortear(s), b = Sortear(s);
        EXPECT_EQ(a.descripcion, b.descripcion);
        const Informe x = Ejecutar(a, Opciones()), y = Ejecutar(b, Opciones());
        EXPECT_EQ(x.desenlace, y.desenlace) << s;
        EXPECT_EQ(x.detalle, y.detalle) << s;
        EXPECT_EQ(x.segundos_virtuales, y.segundos_virtuales) << s;
        EXPECT_TRUE(x.desenlace == Desenlace::exito_verificado ||
                    x.desenlace == Desenlace::fallo_informado)
            << s << ": " << Nombre(x.desenlace) << " " << x.detalle << "\n"
            << a.descripcion;
    }
    // Different seeds draw different runs.
    EXPECT_NE(Sortear(1).descripcion, Sortear(2).descripcion);
}

}  // namespace
}  // namespace z82::campana
