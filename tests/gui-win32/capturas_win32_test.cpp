// Pictures of the Windows window in German (the longest texts of the sample language file)
// in every state of the wizard, at the system's scale, saved for a person to compare with
// the Qt window's: in the folder Z82_CAPTURAS names (default capturas/), each name ending
// in the scale ("_100", "_150"). Every visible text must fit.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "gui-win32/banco_win32.h"

using z82::win32::prueba::Banco_win32;
using z82::win32::prueba::Guardar_captura;
using Extremo = Banco_win32::Extremo;

namespace {

struct Capturador {
    std::string carpeta;
    std::vector<std::string> fallos;

    Capturador() {
        const char* c = std::getenv("Z82_CAPTURAS");
        carpeta = c != nullptr && *c != '\0' ? c : "capturas";
        std::filesystem::create_directories(carpeta);
    }
    void operator()(Banco_win32& b, const std::string& nombre) {
        const std::string escala = std::to_string(b.vista.dpi() * 100 / 96);
        if (!Guardar_captura(b.vista.hwnd, carpeta + "/" + nombre + "_" + escala + ".png")) {
            fallos.push_back(nombre + ": not saved");
        }
        for (const std::wstring& t : b.vista.Textos_que_no_caben()) {
            fallos.push_back(nombre + ": " + std::string(t.begin(), t.end()));
        }
    }
};

}  // namespace

TEST(Capturas_win32, EveryStateOfTheWizard) {
    // The scale the script set for this run, when it says.
    if (const char* dpi = std::getenv("Z82_DPI"); dpi != nullptr) {
        Banco_win32 b(Extremo::ninguno, {}, "DE", 0);
        EXPECT_EQ(b.vista.dpi(), std::atoi(dpi));
    }
    Capturador capturar;
    {
        Banco_win32 b(Extremo::medidor, {}, "DE", 0);
        capturar(b, "1_inicio");
        ASSERT_TRUE(Banco_win32::Clic(b.vista.Button_buscar_puerto));
        capturar(b, "2_instrucciones");
        b.respuestas = {true, true};
        int vistas = 0;
        b.Cuando([&] { return b.vista.imagen_mostrada() == 2; },
                 [&] { capturar(b, "3_buscando"), ++vistas; });
        b.Cuando([&] { return b.vista.Panel_atencion.visible(); },
                 [&] { capturar(b, "4_pregunta"), ++vistas; });
        b.Cuando(
            [&] {
                const z82::Modelo_ventana& m = b.modelo;
                return m.barra_mostrada && m.barra_max > 1000 && m.barra_pos * 3 > m.barra_max &&
                       !b.vista.Label_tramo.empty();
            },
            [&] { capturar(b, "5_actualizando"), ++vistas; });
        ASSERT_TRUE(Banco_win32::Clic(b.vista.Button_buscar_puerto));
        EXPECT_EQ(vistas, 3);
        capturar(b, "6_exito");
    }
    {
        Banco_win32 b(Extremo::mudo, {}, "DE", 0);
        ASSERT_TRUE(Banco_win32::Clic(b.vista.Button_buscar_puerto));
        ASSERT_TRUE(Banco_win32::Clic(b.vista.Button_buscar_puerto));
        capturar(b, "7_no_encontrado");
    }
    {
        Banco_win32 b(Extremo::medidor, {}, "DE", 0);
        b.medidor->fallos.borrados_fallidos = 1000;
        b.respuestas = {true, true};
        ASSERT_TRUE(Banco_win32::Clic(b.vista.Button_buscar_puerto));
        ASSERT_TRUE(Banco_win32::Clic(b.vista.Button_buscar_puerto));
        // A long cause, as the updater gives it after a failure, with the log's path.
        b.modelo.detalle(
            "Cause: main firmware: the meter refused to erase flash segment 12 of 64 after 3 "
            "tries. Switch the meter off and on with a charged battery, then try again. Log: "
            "C:\\Users\\technician\\AppData\\Local\\z82-updater\\"
            "z82-update-gui-20261208-231500-1234.log");
        capturar(b, "8_fallo");
        ASSERT_TRUE(z82::win32::prueba::Elegir(b.vista, 1, z82::win32::ID_MANUAL));
        capturar(b, "9_puertos");
    }
    {
        z82::sim::Config_medidor c;
        c.nivel = 10;
        Banco_win32 b(Extremo::medidor, c, "DE", 0);
        ASSERT_TRUE(Banco_win32::Clic(b.vista.Button_buscar_puerto));
        ASSERT_TRUE(Banco_win32::Clic(b.vista.Button_buscar_puerto));
        capturar(b, "10_detenido");
    }
    EXPECT_EQ(capturar.fallos, std::vector<std::string>{});
}
