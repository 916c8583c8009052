#include "gui-win32/banco_win32.h"

#include <cstdlib>
#include <stdexcept>

#include "app/idiomas.h"
#include "data/imagenes.h"
#include "gui-win32/entorno_win32.h"
#include "gui-win32/texto_win32.h"
#include "sim/png.h"

namespace z82::win32::prueba {
namespace {

// Windows at the system's scale, as the program's manifest asks.
const bool kConscienteDpi = ::SetProcessDPIAware() != FALSE;

}  // namespace

void Entorno_prueba::procesar_mensajes() {
    // The window's messages every few milliseconds of real time: under Wine each look at
    // the queue costs a round trip to its server, and a run pumps hundreds of thousands of
    // times.
    const uint64_t ahora = ::GetTickCount64();
    if (ahora - ultimo_despacho_ >= kCadaDespacho) {
        ultimo_despacho_ = ahora;
        Despachar_mensajes();
    }
    Entorno_virtual::procesar_mensajes();
    if (reloj().ms() > limite_ms) {
        std::fputs("the window waited past the virtual time limit\n", stderr);
        std::abort();
    }
    // Copy: a watcher may add another.
    const auto lista = vigilantes;
    for (const auto& v : lista) v();
}

std::string Idiomas(const std::string& idioma) {
    const std::string_view llevado = datos::idiomas_ini_muestra();
    std::string texto(llevado);
    const size_t i = texto.find("\nIDIOMA=");
    if (i != std::string::npos) {
        texto.replace(i + 8, texto.find_first_of("\r\n", i + 1) - i - 8, idioma);
    }
    return Completar_idiomas(texto, llevado);
}

std::wstring Texto_de(HWND control) {
    wchar_t texto[512] = L"";
    ::GetWindowTextW(control, texto, 512);
    return texto;
}

bool Guardar_captura(HWND ventana, const std::string& ruta) {
    // The menu bar and the client area, as the window's own device context holds them once
    // painted: Wine's PrintWindow draws only the client area of the window itself, without
    // its menu and its controls.
    ::RedrawWindow(ventana, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    RECT w, c;
    ::GetWindowRect(ventana, &w);
    ::GetClientRect(ventana, &c);
    POINT origen{0, 0};
    ::ClientToScreen(ventana, &origen);
    MENUBARINFO menu{};
    menu.cbSize = sizeof menu;
    const int alto_menu = ::GetMenuBarInfo(ventana, OBJID_MENU, 0, &menu) != FALSE
                              ? menu.rcBar.bottom - menu.rcBar.top
                              : 0;
    const int x0 = origen.x - w.left, y0 = origen.y - alto_menu - w.top;
    const int ancho = c.right, alto = c.bottom + alto_menu;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = ancho;
    bi.bmiHeader.biHeight = -alto;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bmp = ::CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ antes = ::SelectObject(dc, bmp);
    HDC propio = ::GetWindowDC(ventana);
    const bool hecho = ::BitBlt(dc, 0, 0, ancho, alto, propio, x0, y0, SRCCOPY) != FALSE;
    ::ReleaseDC(ventana, propio);
    ::GdiFlush();
    std::vector<uint8_t> rgb;
    rgb.reserve(static_cast<size_t>(ancho) * static_cast<size_t>(alto) * 3);
    const auto* p = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; hecho && i < static_cast<size_t>(ancho) * static_cast<size_t>(alto); ++i) {
        rgb.push_back(static_cast<uint8_t>(p[i] >> 16));
        rgb.push_back(static_cast<uint8_t>(p[i] >> 8));
        rgb.push_back(static_cast<uint8_t>(p[i]));
    }
    ::SelectObject(dc, antes);
    ::DeleteObject(bmp);
    ::DeleteDC(dc);
    (void)kConscienteDpi;
    return hecho &&
           sim::escribir_png(ruta, static_cast<uint32_t>(ancho), static_cast<uint32_t>(alto), rgb);
}

bool Menu_activo(const Ventana_win32& v, int posicion_menu) {
    return (::GetMenuState(v.menu, static_cast<UINT>(posicion_menu), MF_BYPOSITION) & MF_GRAYED) ==
           0;
}

bool Marcado(const Ventana_win32& v, int orden) {
    return (::GetMenuState(v.MenuConfigurar, static_cast<UINT>(orden), MF_BYCOMMAND) &
            MF_CHECKED) != 0;
}

bool Elegir(Ventana_win32& v, int posicion_menu, int orden) {
    HMENU sub = ::GetSubMenu(v.menu, posicion_menu);
    if (!Menu_activo(v, posicion_menu) ||
        (::GetMenuState(sub, static_cast<UINT>(orden), MF_BYCOMMAND) & MF_GRAYED) != 0) {
        return false;
    }
    ::SendMessageW(v.hwnd, WM_COMMAND, MAKEWPARAM(orden, 0), 0);
    return true;
}

Banco_win32::Banco_win32(Extremo extremo, const sim::Config_medidor& c, const std::string& idioma,
                         int dpi)
    : vista(modelo, dpi) {
    if (extremo == Extremo::medidor) medidor = std::make_unique<sim::Medidor_simulado>(c);
    if (extremo != Extremo::ninguno) {
        enlace.conectar(1, medidor.get());
        entorno.puertos.insert(1);
    }
    modelo.al_mensaje = [this](const std::string& texto) { mensajes.push_back(Ancho(texto)); };
    modelo.numeros_puertos = [this] {
        return std::vector<int>(entorno.puertos.begin(), entorno.puertos.end());
    };
    ventana =
        std::make_unique<Tventana_cargador>(entorno, modelo, enlace, nullptr, Idiomas(idioma));
    modelo.enlazar(ventana.get());
    ventana->terminar = [this](int codigo) { terminado = codigo; };
    entorno.vigilantes.push_back([this] { Vigilar(); });
    vista.mostrar();
    Despachar_mensajes();
}

Banco_win32::~Banco_win32() {
    entorno.vigilantes.clear();
    modelo.enlazar(nullptr);
    ventana.reset();
    Despachar_mensajes();
}

bool Banco_win32::Clic(HWND control) {
    // Visible and enabled, with every window it sits in.
    if (::IsWindowVisible(control) == FALSE) return false;
    for (HWND h = control; h != nullptr; h = ::GetParent(h)) {
        if (::IsWindowEnabled(h) == FALSE) return false;
    }
    ::SendMessageW(control, BM_CLICK, 0, 0);
    return true;
}

void Banco_win32::Publicar_clic(HWND control) {
    entorno.publicar([this, control] {
        if (!Clic(control)) ++clics_imposibles;
    });
}

void Banco_win32::Cuando(std::function<bool()> cuando, std::function<void()> f) {
    auto hecho = std::make_shared<bool>(false);
    entorno.vigilantes.push_back([hecho, cuando = std::move(cuando), f = std::move(f)] {
        if (*hecho || !cuando()) return;
        *hecho = true;
        f();
    });
}

void Banco_win32::Vigilar() {
    const int img = vista.imagen_mostrada();
    if (imagenes.empty() || imagenes.back() != img) imagenes.push_back(img);
    if (modelo.barra_mostrada) barra_vista = true;
    Panel_atencion& panel = vista.Panel_atencion;
    if (!panel.visible() || respuestas.empty() || respuesta_en_cola_) return;
    Pregunta_vista p;
    p.titulo = panel.Textos().front().texto;
    p.lineas = panel.lineas;
    p.ok = Texto_de(panel.Button_atencion_ok);
    p.cancelar = Texto_de(panel.Button_atencion_cancel);
    preguntas.push_back(p);
    const bool ok = respuestas.front();
    respuestas.pop_front();
    respuesta_en_cola_ = true;
    Publicar_clic(ok ? panel.Button_atencion_ok : panel.Button_atencion_cancel);
    entorno.publicar([this] { respuesta_en_cola_ = false; });
}

}  // namespace z82::win32::prueba
