// The wizard: its two steps, the port search, the checks before a run and the outcomes.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "apoyo/banco_ventana.h"
#include "link/tcpuerto.h"
#include "sim/medidor_simulado.h"

namespace z82 {
namespace {

using prueba::Banco_ventana;
using sim::Config_medidor;
using sim::Medidor_simulado;

constexpr const char* kTextos =
    "[COMUN]\nIDIOMA=EN\n[EN]\n"
    "PASO2_L1=Connect the meter\nPASO2_L2=Open its USB screen\nPASO2_L3=Click again\n"
    "PASO3_L1=Searching\nPASO3_L2=Port \nPASO3_L3=Wait\n"
    "P6_E1_L1=No meter\nP6_E2_L1=Level too low\nP6_E3_L1=Device busy\n"
    "P6_E5_L1=Meter refused\nPASO7_L1=Nothing to do\n";

// A meter that is up to date: the wizard stops at the pre-update check.
Config_medidor Al_dia() {
    Config_medidor c;
    c.version_firmware = "1.89.00000";
    c.fpga_mayor = 3;
    return c;
}

struct Banco_asistente : Banco_ventana {
    std::deque<Medidor_simulado> medidores;
    Banco_asistente() { idiomas(kTextos); }
    ~Banco_asistente() { ventana.reset(); }
    Medidor_simulado& medidor(int puerto, const Config_medidor& c = Al_dia()) {
        medidores.emplace_back(c);
        poner(puerto, &medidores.back());
        return medidores.back();
    }
    void dos_clics() {
        ventana->Button_buscar_puertoClick();
        ventana->Button_buscar_puertoClick();
    }
};

TEST(Asistente, FirstClickShowsTheInstructionsAndTheSecondSearches) {
    Banco_asistente b;
    auto& v = b.crear();
    v.Button_buscar_puertoClick();
    EXPECT_EQ(b.vista.imagen_actual, IMG_INSTRUCCIONES);
    EXPECT_TRUE(b.vista.numeros_visibles);
    EXPECT_EQ(b.vista.lineas[0], "Connect the meter");
    EXPECT_EQ(b.vista.lineas[2], "Click again");
    EXPECT_EQ(v.paso_asistente, 1);

    v.Button_buscar_puertoClick();  // no port at all
    EXPECT_EQ(v.resultado, Resultado_asistente::no_encontrado);
    EXPECT_EQ(b.vista.imagen_actual, IMG_NO_ENCONTRADO);
    EXPECT_EQ(b.vista.lineas[0], "No meter");
    EXPECT_TRUE(b.vista.boton_visible);
    EXPECT_TRUE(b.vista.menus_activos);
    EXPECT_EQ(v.paso_asistente, 0);
    EXPECT_TRUE(std::find(b.vista.imagenes.begin(), b.vista.imagenes.end(), IMG_BUSCANDO) !=
                b.vista.imagenes.end());
}

TEST(Asistente, TwoFailedSearchesOpenThePortPanelInManualMode) {
    Banco_asistente b;
    auto& v = b.crear();
    b.dos_clics();
    b.dos_clics();
    EXPECT_EQ(v.busquedas_fallidas, 2);
    EXPECT_FALSE(b.vista.panel_puerto_visible);
    v.Button_buscar_puertoClick();
    EXPECT_TRUE(b.vista.panel_puerto_visible);
    EXPECT_FALSE(v.modo_automatico);
    EXPECT_FALSE(b.vista.modo_automatico);
    EXPECT_EQ(v.busquedas_fallidas, 0);
}

TEST(Asistente, MeterOnTheThirdPortIsFoundAfterTheFirstTwoGotTheirFullHandshakes) {
    Banco_asistente b;
    auto& uno = b.guion(1);
    auto& dos = b.guion(2);
    auto& tres = b.medidor(3);
    auto& v = b.crear();
    b.dos_clics();
    EXPECT_EQ(uno.flancos_rts, 64);  // four attempts
    EXPECT_EQ(dos.flancos_rts, 64);
    EXPECT_EQ(std::count(uno.recibidos.begin(), uno.recibidos.end(), 0x0A), 4);
    EXPECT_GT(tres.contar("sonda 5D"), 0u);
    EXPECT_EQ(v.numero_puerto, 3);
    EXPECT_EQ(v.resultado, Resultado_asistente::nada_que_hacer);
    EXPECT_EQ(b.vista.imagen_actual, IMG_DETENIDO);
    EXPECT_EQ(b.vista.lineas[0], "Nothing to do");
    EXPECT_FALSE(v.sesion.conectado);
    EXPECT_FALSE(v.sesion.puerto->Abierto());
}

TEST(Asistente, SecondPassProbesRegistryPortsNotTriedAndAlwaysThoseAbove15) {
    Banco_asistente b;
    b.guion(2);
    auto& veinte = b.medidor(20);
    // The system's list: a port already tried, a name that is not a COM port, COM20.
    b.entorno.puertos.erase(20);
    b.entorno.registro = {"COM2", "LPT1", "COM20"};
    auto& v = b.crear();
    b.dos_clics();
    EXPECT_EQ(b.enlace.intentos_apertura,
              (std::vector<uint32_t>{2, 20}));  // COM2 once, in the first pass
    EXPECT_EQ(v.numero_puerto, 20);
    EXPECT_GT(veinte.contar("sonda 5D"), 0u);
}

TEST(Asistente, ManualModeTriesOnlyThePortPicked) {
    Banco_asistente b;
    b.medidor(1);
    b.medidor(4);
    auto& v = b.crear();
    v.MenuPuertoClick();
    v.Com_extended_select("COM4");
    EXPECT_EQ(v.numero_puerto, 4);
    EXPECT_EQ(v.Com_extendedChange(), (std::vector<std::string>{"COM1", "COM4"}));
    v.Actualizar1Click();  // straight to the search
    EXPECT_EQ(b.enlace.intentos_apertura, std::vector<uint32_t>{4});
    EXPECT_EQ(b.vista.lineas[1], "");  // the result replaced the search texts
    v.COM_Click(1);
    EXPECT_EQ(v.numero_puerto, 2);
    v.Auto1Click();
    EXPECT_TRUE(v.modo_automatico);
    EXPECT_FALSE(b.vista.panel_puerto_visible);
}

TEST(Asistente, LevelOf16StopsAnd17Passes) {
    for (int nivel : {16, 17}) {
        Banco_asistente b;
        Config_medidor c = Al_dia();
        c.nivel = static_cast<uint8_t>(nivel);
        b.medidor(1, c);
        auto& v = b.crear();
        b.dos_clics();
        if (nivel == 16) {
            EXPECT_EQ(v.resultado, Resultado_asistente::detenido_nivel);
            EXPECT_EQ(b.vista.lineas[0], "Level too low");
        } else {
            EXPECT_EQ(v.resultado, Resultado_asistente::nada_que_hacer);
        }
        EXPECT_EQ(b.vista.imagen_actual, IMG_DETENIDO);
        EXPECT_FALSE(v.sesion.conectado);
        EXPECT_FALSE(v.sesion.puerto->Abierto());
    }
}

TEST(Asistente, DeviceStatusAndRefusalOutcomes) {
    {
        Banco_asistente b;
        Config_medidor c = Al_dia();
        c.registro_sel8[1] = 0x80;
        b.medidor(1, c);
        auto& v = b.crear();
        b.dos_clics();
        EXPECT_EQ(v.resultado, Resultado_asistente::detenido_dispositivo);
        EXPECT_EQ(b.vista.lineas[0], "Device busy");
    }
    {
        Banco_asistente b;
        Config_medidor c = Al_dia();
        c.respuesta_sonda = 0x6D;
        b.medidor(1, c);
        auto& v = b.crear();
        b.dos_clics();
        EXPECT_EQ(v.resultado, Resultado_asistente::no_encontrado);
        EXPECT_EQ(b.vista.lineas[0], "Meter refused");
    }
    {
        Banco_asistente b;
        Config_medidor c;
        c.region = "USA";
        b.medidor(1, c);
        auto& v = b.crear();
        b.dos_clics();
        EXPECT_EQ(v.resultado, Resultado_asistente::no_permitido);
        EXPECT_EQ(b.vista.lineas[0], "Nothing to do");
    }
}

}  // namespace
}  // namespace z82
