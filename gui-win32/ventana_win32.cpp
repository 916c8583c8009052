#include "gui-win32/ventana_win32.h"

#include <commctrl.h>

#include <cstdlib>

#include "app/ventana_cargador.h"
#include "gui-win32/texto_win32.h"

namespace z82::win32 {
namespace {

const wchar_t* const kClaseVentana = L"Z82Ventana";

// Where the pieces sit and their colours: the layout both windows share.
using namespace dibujos;  // NOLINT(google-build-using-namespace)

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

RECT Rect(int x, int y, int ancho, int alto) { return {x, y, x + ancho, y + alto}; }

}  // namespace

Ventana_win32::Ventana_win32(int dpi) : dpi_(dpi > 0 ? dpi : Dpi_del_sistema()) {
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
}

Ventana_win32::~Ventana_win32() {
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
    ::AppendMenuW(MenuArchivo, MF_STRING, ID_ACTUALIZAR, L"Actualizar");
    ::AppendMenuW(MenuArchivo, MF_STRING, ID_SALIR, L"Salir");
    MenuConfigurar = ::CreatePopupMenu();
    ::AppendMenuW(MenuConfigurar, MF_STRING | MF_CHECKED, ID_AUTO, L"Auto");
    ::AppendMenuW(MenuConfigurar, MF_STRING, ID_MANUAL, L"Manual");
    ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(MenuArchivo), L"Archivo");
    ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(MenuConfigurar), L"Configurar");
}

void Ventana_win32::Crear_controles() {
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    auto control = [&](const wchar_t* clase, DWORD estilo, RECT r, int id) {
        return ::CreateWindowExW(0, clase, L"", WS_CHILD | estilo, r.left, r.top, r.right - r.left,
                                 r.bottom - r.top, hwnd,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), inst, nullptr);
    };
    const int x0 = kMargenFondo, y0 = kMargenFondo;
    Button_buscar_puerto = control(L"BUTTON", WS_VISIBLE | BS_OWNERDRAW,
                                   Rect(E(x0 + kXImagen), E(y0 + kYBoton),
                                        E(dibujos::kLadoAsistente), E(dibujos::kLadoAsistente)),
                                   ID_BUSCAR_PUERTO);
    SpeedButton_exit = control(
        L"BUTTON", WS_VISIBLE | BS_OWNERDRAW,
        Rect(E(x0 + kXSalida), E(y0 + kYSalida), E(dibujos::kLadoSalida), E(dibujos::kLadoSalida)),
        ID_SALIDA);
    Barra_progreso =
        control(PROGRESS_CLASSW, 0,
                Rect(E(x0 + kXBarra), E(y0 + kYBarra), E(kAnchoBarra), E(kAltoBarra)), ID_BARRA);
    ::SendMessageW(Barra_progreso, PBM_SETRANGE32, 0, 100);
    PConfigurarPuerto.Crear(hwnd, x0 + kXPanel, y0 + kYPanel, dpi_, fuentes_);
    Panel_atencion.Crear(hwnd, x0 + kXPanel, y0 + kYPanel, dpi_, fuentes_);
    Memo_detalle.Crear(hwnd, dpi_, fuentes_.detalle);
}

void Ventana_win32::mostrar() const {
    ::ShowWindow(hwnd, SW_SHOW);
    ::UpdateWindow(hwnd);
}

void Ventana_win32::enlazar(Tventana_cargador* motor) {
    motor_ = motor;
    if (motor_ != nullptr) ::SetWindowTextW(hwnd, Ancho(motor_->Titulo()).c_str());
}

void Ventana_win32::mostrar_puerto(int n) {
    if (n >= 1 && n <= 6) {
        PConfigurarPuerto.Seleccionar(n - 1);
        PConfigurarPuerto.Titulo_grupo(Panel_puerto::kTituloGrupo);
    } else {
        PConfigurarPuerto.Seleccionar(-1);
        PConfigurarPuerto.Titulo_grupo(L"USB: " + std::to_wstring(n));
    }
}

void Ventana_win32::listar_puertos() {
    if (motor_ == nullptr) return;
    HWND combo = PConfigurarPuerto.Com_extended;
    const LRESULT antes = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
    std::wstring elegido;
    if (antes >= 0) {
        elegido.resize(static_cast<size_t>(::SendMessageW(combo, CB_GETLBTEXTLEN, antes, 0)) + 1);
        ::SendMessageW(combo, CB_GETLBTEXT, antes, reinterpret_cast<LPARAM>(elegido.data()));
        elegido.resize(elegido.size() - 1);
    }
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::string& nombre : motor_->Com_extendedChange()) {
        std::wstring texto = Ancho(nombre);
        const int n = nombre.size() > 3 ? std::atoi(nombre.c_str() + 3) : 0;
        const std::string palabras = describir_puerto ? describir_puerto(n) : std::string();
        if (!palabras.empty() && palabras != nombre) texto += L" - " + Ancho(palabras);
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(texto.c_str()));
    }
    const LRESULT i = elegido.empty()
                          ? -1
                          : ::SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(elegido.c_str()));
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
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
            // Not during a run; closing during a search gives the port back.
            if (motor_ != nullptr) {
                if (!motor_->FormCloseQuery()) return 0;
                motor_->FormClose();
            }
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
    if (motor_ == nullptr) return;
    Tventana_cargador& v = *motor_;
    if (id >= ID_COM_1 && id < ID_COM_1 + 6) {
        if (aviso != BN_CLICKED) return;
        PConfigurarPuerto.Seleccionar(id - ID_COM_1);
        v.COM_Click(id - ID_COM_1);
        ::SendMessageW(PConfigurarPuerto.Com_extended, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        PConfigurarPuerto.Titulo_grupo(Panel_puerto::kTituloGrupo);
        return;
    }
    if (id == ID_COM_EXTENDED) {
        if (aviso == CBN_DROPDOWN || aviso == CBN_SETFOCUS) {
            listar_puertos();
        } else if (aviso == CBN_SELENDOK) {
            HWND combo = PConfigurarPuerto.Com_extended;
            const LRESULT i = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
            if (i < 0) return;
            std::wstring texto(
                static_cast<size_t>(::SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
            ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(texto.data()));
            texto.resize(texto.size() - 1);
            v.Com_extended_select(Utf8(texto));
            // The combo box names the port: the radio group shows none of its own.
            PConfigurarPuerto.Seleccionar(-1);
            PConfigurarPuerto.Titulo_grupo(L"USB: " + std::to_wstring(v.numero_puerto));
        }
        return;
    }
    if (aviso != BN_CLICKED) return;
    switch (id) {
        case ID_BUSCAR_PUERTO:
            v.Button_buscar_puertoClick();
            break;
        case ID_SALIDA:
            v.SpeedButton_exitClick();
            break;
        case ID_ACTUALIZAR:
            v.Actualizar1Click();
            break;
        case ID_SALIR:
            v.MenuSalirClick();
            break;
        // The updater sets both marks; a click on a marked item leaves it marked.
        case ID_AUTO:
            v.Auto1Click();
            Marcar_modo(v.modo_automatico);
            break;
        case ID_MANUAL:
            v.MenuPuertoClick();
            Marcar_modo(v.modo_automatico);
            break;
        case ID_CONFIGURAR_PUERTO:
            v.BConfigurarPuertoClick();
            break;
        case ID_ATENCION_OK:
            v.Button_atencion_okClick();
            break;
        case ID_ATENCION_CANCEL:
            v.Button_atencion_cancelClick();
            break;
        default:
            break;
    }
}

// --- Drawing -------------------------------------------------------------------------------

RECT Ventana_win32::Rect_linea(int i) const {
    const int x = kMargenFondo + kXLinea, y = kMargenFondo + kYImagen + i * kPasoLinea;
    return Rect(E(x), E(y), E(dibujos::kAnchoFondo - kXLinea - 14), E(kAltoLinea));
}

RECT Ventana_win32::Rect_numero(int i) const {
    const int x = kMargenFondo + kXNumero, y = kMargenFondo + kYImagen + i * kPasoLinea;
    return Rect(E(x), E(y), E(kXLinea - kXNumero), E(kAltoLinea));
}

RECT Ventana_win32::Rect_version() const {
    return Rect(E(kMargenFondo), E(kMargenFondo + dibujos::kAltoFondo + 2),
                E(dibujos::kAnchoFondo - 4), E(18));
}

std::vector<Texto_dibujado> Ventana_win32::Textos() const {
    std::vector<Texto_dibujado> t;
    for (int i = 0; i < 3; ++i) {
        t.push_back({Label_info[static_cast<size_t>(i)], Rect_linea(i),
                     i == 0 ? fuentes_.info_negrita : fuentes_.info,
                     DT_LEFT | DT_WORDBREAK | DT_NOPREFIX, Color(kColorTexto)});
    }
    if (Label_n_visibles) {
        for (int i = 0; i < 3; ++i) {
            t.push_back({std::to_wstring(i + 1) + L".", Rect_numero(i), fuentes_.numero,
                         DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, Color(kColorNumero)});
        }
    }
    t.push_back({Label1, Rect_version(), fuentes_.version,
                 DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, Color(kColorVersion)});
    return t;
}

void Ventana_win32::Pintar_fondo(HDC dc, int x, int y) const {
    RECT r;
    ::GetClientRect(hwnd, &r);
    ::OffsetRect(&r, -x, -y);
    HBRUSH pincel = ::CreateSolidBrush(Color(kColorVentana));
    ::FillRect(dc, &r, pincel);
    ::DeleteObject(pincel);
    fondo_.Pintar(dc, E(kMargenFondo) - x, E(kMargenFondo) - y);
}

void Ventana_win32::Pintar(HDC destino) const {
    RECT r;
    ::GetClientRect(hwnd, &r);
    // Drawn off screen, then copied at once: no flicker while the texts change.
    HDC dc = ::CreateCompatibleDC(destino);
    HBITMAP bmp = ::CreateCompatibleBitmap(destino, r.right, r.bottom);
    HGDIOBJ antes = ::SelectObject(dc, bmp);
    Pintar_fondo(dc, 0, 0);
    if (imagen_ >= 0) {
        imagenes_[static_cast<size_t>(imagen_)].Pintar(dc, E(kMargenFondo + kXImagen),
                                                       E(kMargenFondo + kYImagen));
    }
    ::SetBkMode(dc, TRANSPARENT);
    for (const Texto_dibujado& t : Textos()) {
        ::SetTextColor(dc, t.color);
        HGDIOBJ f = ::SelectObject(dc, t.fuente);
        RECT rr = t.rect;
        if ((t.formato & DT_WORDBREAK) != 0) {
            // Several lines, centred in their height as one block.
            RECT medida = t.rect;
            ::DrawTextW(dc, t.texto.c_str(), static_cast<int>(t.texto.size()), &medida,
                        t.formato | DT_CALCRECT);
            rr.top += ((t.rect.bottom - t.rect.top) - (medida.bottom - medida.top)) / 2;
        }
        ::DrawTextW(dc, t.texto.c_str(), static_cast<int>(t.texto.size()), &rr, t.formato);
        ::SelectObject(dc, f);
    }
    ::BitBlt(destino, 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
    ::SelectObject(dc, antes);
    ::DeleteObject(bmp);
    ::DeleteDC(dc);
}

void Ventana_win32::Pintar_boton(const DRAWITEMSTRUCT& d) const {
    // The button is its picture over the background: where it sits decides what is behind.
    RECT r;
    ::GetWindowRect(d.hwndItem, &r);
    ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
    const int ancho = d.rcItem.right - d.rcItem.left, alto = d.rcItem.bottom - d.rcItem.top;
    HDC dc = ::CreateCompatibleDC(d.hDC);
    HBITMAP bmp = ::CreateCompatibleBitmap(d.hDC, ancho, alto);
    HGDIOBJ antes = ::SelectObject(dc, bmp);
    Pintar_fondo(dc, r.left, r.top);
    const Mapa_bits& dibujo = d.hwndItem == SpeedButton_exit ? salida_ : boton_;
    const int hundido = (d.itemState & ODS_SELECTED) != 0 ? 1 : 0;
    dibujo.Pintar(dc, hundido, hundido);
    ::BitBlt(d.hDC, 0, 0, ancho, alto, dc, 0, 0, SRCCOPY);
    ::SelectObject(dc, antes);
    ::DeleteObject(bmp);
    ::DeleteDC(dc);
}

std::vector<std::wstring> Ventana_win32::Textos_que_no_caben() const {
    std::vector<std::wstring> malos;
    HDC dc = ::GetDC(hwnd);
    const wchar_t* nombres[] = {L"Label_info1", L"Label_info2", L"Label_info3"};
    const std::vector<Texto_dibujado> textos = Textos();
    for (size_t i = 0; i < textos.size(); ++i) {
        if (!Cabe(dc, textos[i])) malos.push_back(i < 3 ? nombres[i] : textos[i].texto);
    }
    for (const Panel* p : {static_cast<const Panel*>(&PConfigurarPuerto),
                           static_cast<const Panel*>(&Panel_atencion)}) {
        if (!p->visible()) continue;
        HDC pdc = ::GetDC(p->hwnd);
        for (const Texto_dibujado& t : p->Textos()) {
            if (!Cabe(pdc, t)) malos.push_back(t.texto);
        }
        ::ReleaseDC(p->hwnd, pdc);
    }
    ::ReleaseDC(hwnd, dc);
    if (Memo_detalle.visible() && !Memo_detalle.Cabe()) malos.emplace_back(L"Memo_detalle");
    const std::pair<HWND, int> controles[] = {{Panel_atencion.Button_atencion_ok, E(12)},
                                              {Panel_atencion.Button_atencion_cancel, E(12)},
                                              {PConfigurarPuerto.BConfigurarPuerto, E(12)},
                                              {PConfigurarPuerto.COM, E(16)},
                                              {PConfigurarPuerto.Label_com, 0}};
    for (const auto& [control, margen] : controles) {
        if (::IsWindowVisible(control) != FALSE && !Cabe_control(control, margen)) {
            wchar_t nombre[128] = L"";
            ::GetWindowTextW(control, nombre, 128);
            malos.emplace_back(nombre);
        }
    }
    return malos;
}

// --- Vista -----------------------------------------------------------------------------------

void Ventana_win32::info(int linea, const std::string& texto) {
    if (linea < 1 || linea > 3) return;
    std::wstring& l = Label_info[static_cast<size_t>(linea - 1)];
    std::wstring nuevo = Ancho(texto);
    if (nuevo == l) return;
    l = std::move(nuevo);
    ::InvalidateRect(hwnd, nullptr, FALSE);
}

void Ventana_win32::imagen(int indice) {
    if (indice < 0 || indice >= dibujos::kImagenesAsistente) return;
    imagen_ = indice;
    ::InvalidateRect(hwnd, nullptr, FALSE);
}

void Ventana_win32::numeros_paso(bool visibles) {
    Label_n_visibles = visibles;
    ::InvalidateRect(hwnd, nullptr, FALSE);
}

void Ventana_win32::boton_asistente(bool visible) {
    ::ShowWindow(Button_buscar_puerto, visible ? SW_SHOW : SW_HIDE);
    ::InvalidateRect(hwnd, nullptr, FALSE);
}

void Ventana_win32::barra_visible(bool visible) {
    barra_en_pantalla = visible;
    ::ShowWindow(Barra_progreso, visible ? SW_SHOW : SW_HIDE);
}

void Ventana_win32::barra(int minimo, int maximo, int posicion) {
    if (maximo < minimo) maximo = minimo;
    barra_maximo = maximo;
    barra_posicion = posicion;
    // The engine moves the bar on every block: the control hears only of what shows, a
    // change of range or a step of at least one of its pixels.
    const int64_t ancho = E(kAnchoBarra);
    const int64_t paso =
        maximo > minimo ? (int64_t{posicion} - minimo) * ancho / (maximo - minimo) : 0;
    if (minimo == barra_enviada_[0] && maximo == barra_enviada_[1] && paso == barra_enviada_[2]) {
        return;
    }
    barra_enviada_ = {minimo, maximo, paso};
    ::SendMessageW(Barra_progreso, PBM_SETRANGE32, static_cast<WPARAM>(minimo), maximo);
    ::SendMessageW(Barra_progreso, PBM_SETPOS, static_cast<WPARAM>(posicion), 0);
}

void Ventana_win32::menus_habilitados(bool habilitados) {
    const UINT estado = MF_BYPOSITION | (habilitados ? MF_ENABLED : MF_GRAYED);
    ::EnableMenuItem(menu, 0, estado);
    ::EnableMenuItem(menu, 1, estado);
    ::DrawMenuBar(hwnd);
    // The port must not change under a search or a run.
    ::EnableWindow(PConfigurarPuerto.hwnd, habilitados ? TRUE : FALSE);
}

void Ventana_win32::Marcar_modo(bool automatico) {
    ::CheckMenuItem(MenuConfigurar, ID_AUTO,
                    MF_BYCOMMAND | (automatico ? MF_CHECKED : MF_UNCHECKED));
    ::CheckMenuItem(MenuConfigurar, ID_MANUAL,
                    MF_BYCOMMAND | (automatico ? MF_UNCHECKED : MF_CHECKED));
}

void Ventana_win32::modo_puerto(bool automatico) { Marcar_modo(automatico); }

void Ventana_win32::panel_puerto(bool visible) {
    if (visible) listar_puertos();
    PConfigurarPuerto.mostrar(visible);
}

void Ventana_win32::mostrar_atencion(const Pregunta_atencion& p) {
    Panel_atencion.Poner(Ancho(p.titulo), {Ancho(p.linea1), Ancho(p.linea2), Ancho(p.linea3)});
    ::SetWindowTextW(Panel_atencion.Button_atencion_ok, Rotulo(p.boton_ok).c_str());
    ::SetWindowTextW(Panel_atencion.Button_atencion_cancel, Rotulo(p.boton_cancelar).c_str());
    Panel_atencion.mostrar(true);
}

void Ventana_win32::ocultar_atencion() { Panel_atencion.mostrar(false); }

void Ventana_win32::mensaje(const std::string& texto) {
    const std::wstring w = Ancho(texto);
    if (caja_mensaje) {
        caja_mensaje(w);
    } else {
        ::MessageBoxW(hwnd, w.c_str(), L"Update", MB_OK);
    }
}

void Ventana_win32::etiqueta_version(const std::string& texto) {
    Label1 = Ancho(texto);
    ::InvalidateRect(hwnd, nullptr, FALSE);
}

void Ventana_win32::menus(const Textos_menu& t) {
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
}

void Ventana_win32::detalle(const std::string& texto) { Memo_detalle.Poner(Ancho(texto)); }

void Ventana_win32::refrescar() {
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

}  // namespace z82::win32
