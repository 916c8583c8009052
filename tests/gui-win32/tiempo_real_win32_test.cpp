// A whole update through the window in real time, on the COM port Z82_PUERTO_COM names
// (the Windows script maps the simulated meter's pseudo-terminal to COM1): the wizard
// button clicked twice, every question answered OK as a person would.
#include <gtest/gtest.h>

#include <cstdlib>

#include "gui-win32/banco_win32.h"
#include "gui-win32/entorno_win32.h"

using z82::win32::Ventana_win32;
using z82::win32::prueba::Banco_win32;

namespace {

thread_local Ventana_win32* vista_activa = nullptr;

// Looks at the window every tenth of a second, as the person in front of it would.
void CALLBACK Responder(HWND, UINT, UINT_PTR, DWORD) {
    if (vista_activa != nullptr && vista_activa->Panel_atencion.visible()) {
        ::PostMessageW(vista_activa->Panel_atencion.Button_atencion_ok, BM_CLICK, 0, 0);
    }
}

}  // namespace

TEST(Ventana_tiempo_real, AWholeUpdateThroughTheWindowOnACom) {
    const char* com = std::getenv("Z82_PUERTO_COM");
    if (com == nullptr || std::atoi(com) <= 0) GTEST_SKIP() << "Z82_PUERTO_COM names no port";
    const int n = std::atoi(com);
    z82::Enlace_sistema enlace;
    z82::win32::Entorno_win32 entorno(enlace);
    z82::Modelo_ventana modelo(entorno);
    Ventana_win32 vista(modelo);
    std::vector<std::string> mensajes;
    modelo.al_mensaje = [&](const std::string& t) { mensajes.push_back(t); };
    z82::Tventana_cargador ventana(entorno, modelo, enlace.serie, &enlace.cerrojo,
                                   z82::win32::prueba::Idiomas("EN"));
    modelo.enlazar(&ventana);
    modelo.Puerto_manual(n);
    vista.mostrar();
    vista_activa = &vista;
    const UINT_PTR persona = ::SetTimer(nullptr, 0, 100, &Responder);

    ASSERT_TRUE(Banco_win32::Clic(vista.Button_buscar_puerto));
    ASSERT_TRUE(Banco_win32::Clic(vista.Button_buscar_puerto));

    ::KillTimer(nullptr, persona);
    vista_activa = nullptr;
    EXPECT_EQ(ventana.resultado, z82::Resultado_asistente::actualizado);
    EXPECT_EQ(vista.imagen_mostrada(), 5);
    EXPECT_EQ(mensajes, std::vector<std::string>{});
    modelo.enlazar(nullptr);
}
