// The Windows window driven by clicks against the simulated meter under virtual time.
#include <gtest/gtest.h>

#include "gui-win32/banco_win32.h"
#include "gui-win32/entorno_win32.h"

using z82::Resultado_asistente;
using z82::sim::Config_medidor;
using z82::win32::Ventana_win32;
using z82::win32::prueba::Banco_win32;
using z82::win32::prueba::Elegir;
using z82::win32::prueba::Marcado;
using z82::win32::prueba::Menu_activo;
using z82::win32::prueba::Texto_de;
using Extremo = Banco_win32::Extremo;
namespace w = z82::win32;

namespace {

bool Visible(HWND h) { return ::IsWindowVisible(h) != FALSE; }

std::wstring Ancho(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::wstring Menu_texto(HMENU m, int pos) {
    wchar_t t[128] = L"";
    ::GetMenuStringW(m, static_cast<UINT>(pos), t, 128, MF_BYPOSITION);
    return t;
}
}  // namespace

TEST(Ventana_win32, AtStartTheFormHasItsSizeTextsAndMenus) {
    Banco_win32 b;
    Ventana_win32& v = b.vista;
    EXPECT_EQ(Texto_de(v.hwnd), L"Update Z82 v1.88.00004");
    // 609 by 455 with the menu bar; no maximise box, no sizing border.
    RECT r;
    ::GetWindowRect(v.hwnd, &r);
    RECT c;
    ::GetClientRect(v.hwnd, &c);
    const LONG estilo = ::GetWindowLongW(v.hwnd, GWL_STYLE);
    EXPECT_EQ(c.right, 609);
    EXPECT_EQ(c.bottom + ::GetSystemMetrics(SM_CYMENU), 455);
    EXPECT_EQ(estilo & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_NE(estilo & WS_MINIMIZEBOX, 0);
    EXPECT_NE(::SendMessageW(v.hwnd, WM_GETICON, ICON_BIG, 0), 0);

    EXPECT_EQ(v.imagen_mostrada(), 0);
    EXPECT_EQ(v.Label_info[0], L"Z82 meter updater");
    EXPECT_EQ(v.Label_info[2], L"Press the button to start");
    EXPECT_EQ(v.Label1, L"Version 1.88.00004");
    EXPECT_FALSE(v.Label_n_visibles);
    EXPECT_EQ(v.Label_tramo, L"");
    EXPECT_TRUE(Visible(v.Button_buscar_puerto) && Visible(v.SpeedButton_exit));
    EXPECT_FALSE(Visible(v.Barra_progreso) || v.PConfigurarPuerto.visible() ||
                 v.Panel_atencion.visible());
    // Menus in the language of the file, Auto marked.
    EXPECT_EQ(Menu_texto(v.menu, 0), L"File");
    EXPECT_EQ(Menu_texto(v.MenuArchivo, 0), L"Update");
    EXPECT_EQ(Menu_texto(v.MenuArchivo, 1), L"Exit");
    EXPECT_EQ(Menu_texto(v.menu, 1), L"Settings");
    EXPECT_TRUE(Marcado(v, w::ID_AUTO) && !Marcado(v, w::ID_MANUAL));
    EXPECT_EQ(v.Textos_que_no_caben(), std::vector<std::wstring>{});

    // An '&' in a caption is shown, not taken as a shortcut mark.
    b.modelo.menus({"Datei & Mehr", "A&B", "Exit", "Settings", "Auto", "Manual"});
    EXPECT_EQ(Menu_texto(v.menu, 0), L"Datei && Mehr");
    // A Latin-1 text from an old language file.
    b.modelo.info(1,
                  "Se\xF1"
                  "al");
    EXPECT_EQ(v.Label_info[0], L"Se\u00F1al");

    // The details line: hidden while empty; its text whole, selected (as by the mouse) and
    // copied with Ctrl-C.
    EXPECT_FALSE(Visible(v.Memo_detalle.hwnd));
    const std::string causa =
        "Cause: main firmware: no answer to block 2,341 after 3 tries. Log: "
        "C:\\Users\\technician\\AppData\\Local\\z82-updater\\z82-update-gui-20261208-231500.log";
    b.modelo.detalle(causa);
    EXPECT_TRUE(Visible(v.Memo_detalle.hwnd));
    EXPECT_EQ(Texto_de(v.Memo_detalle.hwnd), Ancho(causa));
    EXPECT_EQ(v.Textos_que_no_caben(), std::vector<std::wstring>{});
    ASSERT_TRUE(::OpenClipboard(v.hwnd) && ::EmptyClipboard() && ::CloseClipboard());
    ::SendMessageW(v.Memo_detalle.hwnd, EM_SETSEL, 0, -1);
    ::SendMessageW(v.Memo_detalle.hwnd, WM_CHAR, 3, 0);  // what Ctrl-C gives the control
    ASSERT_TRUE(::OpenClipboard(v.hwnd));
    HANDLE copia = ::GetClipboardData(CF_UNICODETEXT);
    const auto* texto =
        copia != nullptr ? static_cast<const wchar_t*>(::GlobalLock(copia)) : nullptr;
    EXPECT_EQ(texto != nullptr ? std::wstring(texto) : std::wstring(), Ancho(causa));
    if (texto != nullptr) ::GlobalUnlock(copia);
    ::CloseClipboard();
    b.modelo.detalle("");
    EXPECT_FALSE(Visible(v.Memo_detalle.hwnd));
}

// Outcomes of the two clicks as the window draws them, with the questions answered both
// ways.
TEST(Ventana_win32, EachOutcomeOfTheWizard) {
    struct Caso {
        const char* nombre;
        Extremo extremo;
        Config_medidor config;
        int borrados_fallidos;
        std::deque<bool> respuestas;
        Resultado_asistente resultado;
        int imagen;
        size_t preguntas;
    };
    const Caso casos[] = {
        {"updated", Extremo::medidor, {}, 0, {true, true}, Resultado_asistente::actualizado, 5, 2},
        {"no meter", Extremo::mudo, {}, 0, {}, Resultado_asistente::no_encontrado, 3, 0},
        {"failed run", Extremo::medidor, {}, 1000, {true, true}, Resultado_asistente::fallo, 6, 2},
    };
    for (const Caso& k : casos) {
        SCOPED_TRACE(k.nombre);
        Banco_win32 b(k.extremo, k.config);
        Ventana_win32& v = b.vista;
        if (b.medidor) b.medidor->fallos.borrados_fallidos = k.borrados_fallidos;
        ASSERT_TRUE(Banco_win32::Clic(v.Button_buscar_puerto));
        EXPECT_EQ(v.imagen_mostrada(), 1);
        EXPECT_TRUE(v.Label_n_visibles);
        b.respuestas = k.respuestas;
        b.imagenes.clear();
        ASSERT_TRUE(Banco_win32::Clic(v.Button_buscar_puerto));

        EXPECT_EQ(b.ventana->resultado, k.resultado);
        EXPECT_EQ(v.imagen_mostrada(), k.imagen);
        EXPECT_EQ(b.imagenes.front(), 2);  // searching first
        EXPECT_EQ(b.preguntas.size(), k.preguntas);
        EXPECT_EQ(b.clics_imposibles, 0);
        EXPECT_FALSE(Visible(v.Barra_progreso) || v.Panel_atencion.visible());
        EXPECT_TRUE(Menu_activo(v, 0) && Menu_activo(v, 1));
        if (k.resultado == Resultado_asistente::actualizado ||
            k.resultado == Resultado_asistente::fallo) {
            EXPECT_TRUE(b.barra_vista);
        }
        EXPECT_EQ(v.Textos_que_no_caben(), std::vector<std::wstring>{});
        if (k.preguntas > 0) {
            EXPECT_EQ(b.preguntas[0].titulo, Ancho(b.ventana->Texto("AVISO_HEAD")));
            EXPECT_EQ(b.preguntas[0].lineas[0], L"There are new channel plans.");
        }
        if (k.preguntas > 1) {
            EXPECT_EQ(b.preguntas[1].ok, L"OK");
            EXPECT_EQ(b.preguntas[1].cancelar, L"CANCEL");
        }
    }
}

TEST(Ventana_win32, ThePortPanelDrawsTheModelsPortsAndLocksDuringASearch) {
    Banco_win32 b(Extremo::mudo);
    b.entorno.puertos = {1, 3, 12};
    b.modelo.describir_puerto = [](int n) {
        return n == 12 ? std::string("USB Serial Port (COM12)") : "COM" + std::to_string(n);
    };
    Ventana_win32& v = b.vista;
    w::Panel_puerto& p = v.PConfigurarPuerto;
    ASSERT_TRUE(Elegir(v, 1, w::ID_MANUAL));
    EXPECT_TRUE(p.visible());
    EXPECT_TRUE(Marcado(v, w::ID_MANUAL) && !Marcado(v, w::ID_AUTO));
    EXPECT_EQ(p.Seleccionado(), 0);
    EXPECT_EQ(Texto_de(p.COM), L"USB : ");
    HWND combo = p.Com_extended;
    ASSERT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
    wchar_t item[128];
    ::SendMessageW(combo, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(item));
    EXPECT_EQ(std::wstring(item), Ancho(b.modelo.entradas[2].texto));
    // The user picks COM12 in the list, then item 5 of the group.
    ::SendMessageW(combo, CB_SETCURSEL, 2, 0);
    ::SendMessageW(p.hwnd, WM_COMMAND, MAKEWPARAM(w::ID_COM_EXTENDED, CBN_SELENDOK),
                   reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(b.ventana->numero_puerto, 12);
    EXPECT_EQ(Texto_de(p.COM), L"USB: 12");
    EXPECT_EQ(p.Seleccionado(), -1);
    ASSERT_TRUE(Banco_win32::Clic(p.items[4]));
    EXPECT_EQ(b.ventana->numero_puerto, 5);
    EXPECT_EQ(p.Seleccionado(), 4);
    EXPECT_EQ(::SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    // Opened again, the list is the system's now.
    b.entorno.puertos.insert(7);
    ::SendMessageW(p.hwnd, WM_COMMAND, MAKEWPARAM(w::ID_COM_EXTENDED, CBN_DROPDOWN),
                   reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(::SendMessageW(combo, CB_GETCOUNT, 0, 0), 4);

    bool panel_activo = true;
    b.Cuando([&] { return v.imagen_mostrada() == 2; },
             [&] { panel_activo = ::IsWindowEnabled(p.hwnd) != FALSE; });
    ASSERT_TRUE(Banco_win32::Clic(v.Button_buscar_puerto));
    ASSERT_TRUE(Banco_win32::Clic(v.Button_buscar_puerto));
    EXPECT_FALSE(panel_activo);
    EXPECT_TRUE(::IsWindowEnabled(p.hwnd) != FALSE);
    ASSERT_TRUE(Elegir(v, 1, w::ID_AUTO));
    EXPECT_FALSE(p.visible());
    EXPECT_TRUE(Marcado(v, w::ID_AUTO) && !Marcado(v, w::ID_MANUAL));
}

TEST(Ventana_win32, DuringARunTheStreamShowsAndTheWindowStaysAndAfterItTheExitButtonEnds) {
    Banco_win32 b;
    Ventana_win32& v = b.vista;
    b.respuestas = {true, true};
    bool menus_activos = true, cerrada = false;
    std::wstring tramo;
    v.al_cerrar = [&] { cerrada = true; };
    b.Cuando([&] { return b.ventana->ocupado && !v.Label_tramo.empty(); },
             [&] {
                 tramo = v.Label_tramo;
                 EXPECT_EQ(tramo, Ancho(b.modelo.linea_tramo));
                 menus_activos = Menu_activo(v, 0);
                 ::SendMessageW(v.hwnd, WM_CLOSE, 0, 0);
             });
    ASSERT_TRUE(Banco_win32::Clic(v.Button_buscar_puerto));
    ASSERT_TRUE(Banco_win32::Clic(v.Button_buscar_puerto));
    EXPECT_NE(tramo.find(L"%\n"), std::wstring::npos);
    EXPECT_FALSE(menus_activos);
    EXPECT_EQ(b.clics_imposibles, 0);
    EXPECT_FALSE(cerrada);
    EXPECT_TRUE(Visible(v.hwnd));
    EXPECT_EQ(b.ventana->resultado, Resultado_asistente::actualizado);
    EXPECT_EQ(v.Label_tramo, L"");
    ASSERT_TRUE(Banco_win32::Clic(v.SpeedButton_exit));
    EXPECT_EQ(b.terminado, 0);
}

// The environment on the message loop: a long pause keeps the window painted but holds the
// user's input and the engine's own work back; letting messages run, or the window idling
// in its loop, runs them.
TEST(Entorno_win32, PausesHoldTheEngineBackAndTheIdleLoopServesIt) {
    z82::Enlace_sistema enlace;
    w::Entorno_win32 entorno(enlace);
    z82::Modelo_ventana modelo(entorno);
    Ventana_win32 v(modelo, 96);
    int eventos = 0, temporizados = 0;
    z82::Temporizador vigia(10, [&] { ++temporizados; });
    entorno.registrar(vigia);
    vigia.Enabled(true);
    entorno.publicar([&] { ++eventos; });
    // A click on the wizard button waiting in the queue: it is input, it waits too.
    ::PostMessageW(v.hwnd, WM_COMMAND, MAKEWPARAM(w::ID_BUSCAR_PUERTO, BN_CLICKED), 0);
    entorno.dormir(60);
    EXPECT_EQ(eventos, 0);
    EXPECT_EQ(temporizados, 0);
    MSG m;
    EXPECT_NE(::PeekMessageW(&m, v.hwnd, WM_COMMAND, WM_COMMAND, PM_NOREMOVE), FALSE);

    entorno.procesar_mensajes();
    EXPECT_EQ(eventos, 1);
    EXPECT_EQ(temporizados, 1);

    // Idle in the program's own loop: the engine's timer and posted work still run.
    entorno.publicar([&] { ++eventos; });
    const uint64_t fin = ::GetTickCount64() + 2000;
    while ((eventos < 2 || temporizados < 3) && ::GetTickCount64() < fin) {
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0) {
            while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE) != FALSE) ::DispatchMessageW(&m);
        }
    }
    EXPECT_EQ(eventos, 2);
    EXPECT_GE(temporizados, 3);
    vigia.Enabled(false);
    entorno.olvidar(vigia);
}
