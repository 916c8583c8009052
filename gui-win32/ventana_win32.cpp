#include "gui-win32/ventana_win32.h"

#include <commctrl.h>

#include <algorithm>

#include "gui-win32/texto_win32.h"

namespace z82::win32 {
namespace {

const wchar_t* const kClaseVentana = L"Z82Ventana";

// Where the pieces sit and their colours: the layout both windows share.
using namespace dibujos;  // NOLINT(google-build-using-namespace)
using Parte = Modelo_ventana::Parte;
using Eleccion = Modelo_ventana::Orden;

constexpr DWORD kEstilo =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

void Registrar_clase() {
    static bool hecho = false;
    if (hecho) return;
    INITCOMMONCONTROLSEX icc{sizeof(INITCOMMONCONTROLSEX),
                             ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    WNDCLASSW c{};
    c.lpfnWndProc = ::DefWindowProcW;
    c.hInstance = ::GetModuleHandleW(nullptr);
    c.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    c.lpszClassName = kClaseVentana;
    ::RegisterClassW(&c);
    hecho = true;
}

int Dpi_del_sistema() {
    HDC pantalla = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(pantalla, LOGPIXELSY);
    ::ReleaseDC(nullptr, pantalla);
    return dpi > 0 ? dpi : 96;
}

}  // namespace

Ventana_win32::Ventana_win32(Modelo_ventana& modelo, int dpi)
    : modelo_(modelo), dpi_(dpi > 0 ? dpi : Dpi_del_sistema()) {
    Registrar_clase();
    const double escala = dpi_ / 96.0;
    fondo_ = Mapa_bits(dibujos::Dibujar_fondo(escala));
    for (int i = 0; i < dibujos::kImagenesAsistente; ++i) {
        imagenes_[static_cast<size_t>(i)] = Mapa_bits(dibujos::Dibujar_asistente(i, escala));
    }
    boton_ = Mapa_bits(dibujos::Dibujar_boton_asistente(escala));
    salida_ = Mapa_bits(dibujos::Dibujar_salida(escala));
    fuentes_.Crear(dpi_);

    // The window's size holds the menu bar: the client area is what is left below it.
    RECT r{0, 0, E(kAncho), E(kAlto)};
    ::AdjustWindowRectEx(&r, kEstilo, FALSE, 0);
    Crear_menus();
    hwnd = ::CreateWindowExW(0, kClaseVentana, L"Update", kEstilo, CW_USEDEFAULT, CW_USEDEFAULT,
                             r.right - r.left, r.bottom - r.top, nullptr, menu,
                             ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC,
                        reinterpret_cast<LONG_PTR>(&Ventana_win32::Procedimiento));
    icono_grande_ = Crear_icono(dibujos::Dibujar_boton_asistente(E(32) / 128.0));
    icono_pequeno_ = Crear_icono(dibujos::Dibujar_boton_asistente(E(16) / 128.0));
    ::SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icono_grande_));
    ::SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icono_pequeno_));
    Crear_controles();

    for (int p = 0; p < static_cast<int>(Parte::repintar); ++p) Dibujar(static_cast<Parte>(p));
    modelo_.al_cambiar = [this](Parte p) { Dibujar(p); };
    modelo_.al_mensaje = [this](const std::string& texto) {
        ::MessageBoxW(hwnd, Ancho(texto).c_str(), L"Update", MB_OK);
    };
    modelo_.Dar_mensajes();
}

Ventana_win32::~Ventana_win32() {
    modelo_.al_cambiar = nullptr;
    modelo_.al_mensaje = nullptr;
    if (hwnd != nullptr) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd);
    }
    for (HICON i : {icono_grande_, icono_pequeno_}) {
        if (i != nullptr) ::DestroyIcon(i);
    }
    fuentes_.Borrar();
}

void Ventana_win32::Crear_menus() {
    menu = ::CreateMenu();
    MenuArchivo = ::CreatePopupMenu();
    ::AppendMenuW(MenuArchivo, MF_STRING, ID_ACTUALIZAR, L"");
    ::AppendMenuW(MenuArchivo, MF_STRING, ID_SALIR, L"");
    MenuConfigurar = ::CreatePopupMenu();
    ::AppendMenuW(MenuConfigurar, MF_STRING, ID_AUTO, L"");
    ::AppendMenuW(MenuConfigurar, MF_STRING, ID_MANUAL, L"");
    ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(MenuArchivo), L"");
    ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(MenuConfigurar), L"");
}

void Ventana_win32::Crear_controles() {
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    auto control = [&](const wchar_t* clase, DWORD estilo, RECT r, int id) {
        return ::CreateWindowExW(0, clase, L"", WS_CHILD | estilo, r.left, r.top, r.right - r.left,
                                 r.bottom - r.top, hwnd,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
    };
    Button_buscar_puerto =
        control(L"BUTTON", WS_VISIBLE | BS_OWNERDRAW,
                En_fondo({kXImagen, kYBoton, kLadoAsistente, kLadoAsistente}), ID_BUSCAR_PUERTO);
    SpeedButton_exit = control(L"BUTTON", WS_VISIBLE | BS_OWNERDRAW,
                               En_fondo({kXSalida, kYSalida, kLadoSalida, kLadoSalida}), ID_SALIDA);
    Barra_progreso = control(PROGRESS_CLASSW, 0,
                             En_fondo({kXBarra, kYBarra, kAnchoBarra, kAltoBarra}), ID_BARRA);
    ::SendMessageW(Barra_progreso, PBM_SETRANGE32, 0, 100);
    PConfigurarPuerto.Crear(hwnd, kMargenFondo + kXPanel, kMargenFondo + kYPanel, dpi_, fuentes_);
    Panel_atencion.Crear(hwnd, kMargenFondo + kXPanel, kMargenFondo + kYPanel, dpi_, fuentes_);
    Memo_detalle.Crear(hwnd, dpi_, fuentes_.detalle);
}

void Ventana_win32::mostrar() const {
    ::ShowWindow(hwnd, SW_SHOW);
    ::UpdateWindow(hwnd);
}

// --- Messages ------------------------------------------------------------------------------

LRESULT CALLBACK Ventana_win32::Procedimiento(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto* v = reinterpret_cast<Ventana_win32*>(::GetWindowLongPtrW(h, GWLP_USERDATA));
    if (v == nullptr) return ::DefWindowProcW(h, m, w, l);
    return v->Mensaje(m, w, l);
}

LRESULT Ventana_win32::Mensaje(UINT m, WPARAM w, LPARAM l) {
    switch (m) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(hwnd, &ps);
            Pintar(dc);
            ::EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            Pintar(reinterpret_cast<HDC>(w));
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_CTLCOLORSTATIC:
            if (HBRUSH p =
                    Memo_detalle.Colorear(reinterpret_cast<HWND>(l), reinterpret_cast<HDC>(w))) {
                return reinterpret_cast<LRESULT>(p);
            }
            return ::DefWindowProcW(hwnd, m, w, l);
        case WM_DRAWITEM:
            Pintar_boton(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
            return TRUE;
        case WM_COMMAND:
            Ordenar(static_cast<int>(LOWORD(w)), static_cast<int>(HIWORD(w)));
            return 0;
        case WM_CLOSE:
            if (!modelo_.Cerrar()) return 0;
            ::ShowWindow(hwnd, SW_HIDE);
            if (al_cerrar) {
                al_cerrar();
            } else {
                ::PostQuitMessage(0);
            }
            return 0;
        default:
            return ::DefWindowProcW(hwnd, m, w, l);
    }
}

void Ventana_win32::Ordenar(int id, int aviso) {
    if (id >= ID_COM_1 && id < ID_COM_1 + 6) {
        if (aviso == BN_CLICKED) modelo_.Elegir_item(id - ID_COM_1);
        return;
    }
    if (id == ID_COM_EXTENDED) {
        if (aviso == CBN_DROPDOWN || aviso == CBN_SETFOCUS) {
            modelo_.Listar_puertos();
        } else if (aviso == CBN_SELENDOK) {
            const LRESULT i = ::SendMessageW(PConfigurarPuerto.Com_extended, CB_GETCURSEL, 0, 0);
            modelo_.Elegir_entrada(static_cast<int>(i));
        }
        return;
    }
    if (aviso != BN_CLICKED) return;
    const std::pair<int, Eleccion> ordenes[] = {{ID_BUSCAR_PUERTO, Eleccion::buscar},
                                                {ID_SALIDA, Eleccion::salida},
                                                {ID_ACTUALIZAR, Eleccion::actualizar},
                                                {ID_SALIR, Eleccion::salir},
                                                {ID_AUTO, Eleccion::automatico},
                                                {ID_MANUAL, Eleccion::manual},
                                                {ID_CONFIGURAR_PUERTO, Eleccion::puerto_ok},
                                                {ID_ATENCION_OK, Eleccion::atencion_ok},
                                                {ID_ATENCION_CANCEL, Eleccion::atencion_cancelar}};
    for (const auto& [n, orden] : ordenes) {
        if (n == id) modelo_.Ordenar(orden);
    }
}

// --- Drawing the model -------------------------------------------------------------------------

void Ventana_win32::Dibujar(Parte parte) {
    const Modelo_ventana& m = modelo_;
    switch (parte) {
        case Parte::titulo:
            ::SetWindowTextW(hwnd, Ancho(m.titulo).c_str());
            return;
        case Parte::lineas:
            for (size_t i = 0; i < 3; ++i) Label_info[i] = Ancho(m.lineas[i]);
            break;
        case Parte::imagen:
            if (m.imagen_actual < 0 || m.imagen_actual >= kImagenesAsistente) return;
            imagen_ = m.imagen_actual;
            break;
        case Parte::numeros:
            Label_n_visibles = m.numeros_visibles;
            break;
        case Parte::boton:
            ::ShowWindow(Button_buscar_puerto, m.boton_visible ? SW_SHOW : SW_HIDE);
            break;
        case Parte::barra:
            Dibujar_barra();
            return;
        case Parte::tramo: {
            std::wstring t = m.tramo_visible() ? Ancho(m.linea_tramo) : std::wstring();
            if (t == Label_tramo) return;
            Label_tramo = std::move(t);
            const RECT r = En_fondo(kLineaTramo);
            ::InvalidateRect(hwnd, &r, FALSE);
            return;
        }
        case Parte::menus: {
            const UINT estado = MF_BYPOSITION | (m.menus_activos ? MF_ENABLED : MF_GRAYED);
            ::EnableMenuItem(menu, 0, estado);
            ::EnableMenuItem(menu, 1, estado);
            ::DrawMenuBar(hwnd);
            // The port must not change under a search or a run.
            ::EnableWindow(PConfigurarPuerto.hwnd, m.menus_activos ? TRUE : FALSE);
            return;
        }
        case Parte::marcas:
            ::CheckMenuItem(MenuConfigurar, ID_AUTO,
                            MF_BYCOMMAND | (m.modo_automatico ? MF_CHECKED : MF_UNCHECKED));
            ::CheckMenuItem(MenuConfigurar, ID_MANUAL,
                            MF_BYCOMMAND | (m.modo_automatico ? MF_UNCHECKED : MF_CHECKED));
            return;
        case Parte::textos:
            Dibujar_textos();
            break;
        case Parte::panel:
            PConfigurarPuerto.mostrar(m.panel_puerto_visible);
            return;
        case Parte::puertos:
            Dibujar_puertos();
            return;
        case Parte::atencion: {
            const Pregunta_atencion& p = m.pregunta;
            Panel_atencion.Poner(Ancho(p.titulo),
                                 {Ancho(p.linea1), Ancho(p.linea2), Ancho(p.linea3)});
            ::SetWindowTextW(Panel_atencion.Button_atencion_ok, Rotulo(p.boton_ok).c_str());
            ::SetWindowTextW(Panel_atencion.Button_atencion_cancel,
                             Rotulo(p.boton_cancelar).c_str());
            Panel_atencion.mostrar(m.atencion_visible);
            return;
        }
        case Parte::detalle:
            Memo_detalle.Poner(Ancho(m.detalle_texto));
            return;
        case Parte::repintar:
            ::RedrawWindow(hwnd, nullptr, nullptr,
                           RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            return;
    }
    // What is drawn on the background changed.
    ::InvalidateRect(hwnd, nullptr, FALSE);
}

void Ventana_win32::Dibujar_barra() {
    const Modelo_ventana& m = modelo_;
    ::ShowWindow(Barra_progreso, m.barra_mostrada ? SW_SHOW : SW_HIDE);
    const int minimo = m.barra_min, maximo = std::max(m.barra_min, m.barra_max);
    // The engine moves the bar on every block: the control hears only of what shows, a
    // change of range or a step of at least one of its pixels.
    const int64_t ancho = E(kAnchoBarra);
    const int64_t paso =
        maximo > minimo ? (int64_t{m.barra_pos} - minimo) * ancho / (maximo - minimo) : 0;
    if (minimo == barra_enviada_[0] && maximo == barra_enviada_[1] && paso == barra_enviada_[2]) {
        return;
    }
    barra_enviada_ = {minimo, maximo, paso};
    ::SendMessageW(Barra_progreso, PBM_SETRANGE32, static_cast<WPARAM>(minimo), maximo);
    ::SendMessageW(Barra_progreso, PBM_SETPOS, static_cast<WPARAM>(m.barra_pos), 0);
}

void Ventana_win32::Dibujar_textos() {
    const Textos_menu& t = modelo_.textos_menu;
    // Captions only: the menus keep their items, marks and states.
    auto poner = [](HMENU m, UINT pos, const std::string& texto) {
        std::wstring w = Rotulo(texto);
        MENUITEMINFOW mi{};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_STRING;
        mi.dwTypeData = w.data();
        ::SetMenuItemInfoW(m, pos, TRUE, &mi);
    };
    poner(menu, 0, t.archivo);
    poner(MenuArchivo, 0, t.actualizar);
    poner(MenuArchivo, 1, t.salir);
    poner(menu, 1, t.configurar);
    poner(MenuConfigurar, 0, t.automatico);
    poner(MenuConfigurar, 1, t.manual);
    ::DrawMenuBar(hwnd);
    Label1 = Ancho(modelo_.version);
}

void Ventana_win32::Dibujar_puertos() {
    const Modelo_ventana& m = modelo_;
    HWND combo = PConfigurarPuerto.Com_extended;
    // The list is built again only when its entries changed: it may be open.
    const auto cuantas = static_cast<size_t>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    bool iguales = cuantas == m.entradas.size();
    for (size_t i = 0; iguales && i < cuantas; ++i) {
        std::wstring texto(static_cast<size_t>(::SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1,
                           L'\0');
        ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(texto.data()));
        texto.resize(texto.size() - 1);
        iguales = texto == Ancho(m.entradas[i].texto);
    }
    if (!iguales) {
        ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        for (const Entrada_puerto& e : m.entradas) {
            ::SendMessageW(combo, CB_ADDSTRING, 0,
                           reinterpret_cast<LPARAM>(Ancho(e.texto).c_str()));
        }
    }
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(m.entrada_elegida), 0);
    PConfigurarPuerto.Seleccionar(m.item_elegido);
    PConfigurarPuerto.Titulo_grupo(Ancho(m.titulo_grupo));
}

}  // namespace z82::win32
