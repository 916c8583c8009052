#include "gui-win32/paneles_win32.h"

#include <commctrl.h>

namespace z82::win32 {
namespace {

const wchar_t* const kClasePanel = L"Z82Panel";

HFONT Fuente(int dpi, int pixeles, bool negrita) {
    return ::CreateFontW(-::MulDiv(pixeles, dpi, 96), 0, 0, 0, negrita ? FW_BOLD : FW_NORMAL, FALSE,
                         FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                         CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Segoe UI");
}

void Registrar_clase() {
    static bool hecho = false;
    if (hecho) return;
    WNDCLASSW c{};
    c.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        return ::DefWindowProcW(h, m, w, l);
    };
    c.hInstance = ::GetModuleHandleW(nullptr);
    c.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    c.lpszClassName = kClasePanel;
    ::RegisterClassW(&c);
    hecho = true;
}

std::wstring Texto_de(HWND h) {
    std::wstring t(static_cast<size_t>(::GetWindowTextLengthW(h)) + 1, L'\0');
    t.resize(static_cast<size_t>(::GetWindowTextW(h, t.data(), static_cast<int>(t.size()))));
    return t;
}

}  // namespace

void Fuentes::Crear(int dpi) {
    using namespace dibujos;  // NOLINT(google-build-using-namespace)
    Borrar();
    info = Fuente(dpi, kLetraInfo, false);
    info_negrita = Fuente(dpi, kLetraInfo, true);
    numero = Fuente(dpi, kLetraNumero, true);
    version = Fuente(dpi, kLetraVersion, false);
    panel = Fuente(dpi, kLetraPanel, false);
    banda = Fuente(dpi, kLetraBanda, true);
    linea = Fuente(dpi, kLetraAtencion, false);
    linea_negrita = Fuente(dpi, kLetraAtencion, true);
    detalle = Fuente(dpi, kLetraDetalle, false);
    tramo = Fuente(dpi, kLetraTramo, false);
}

void Fuentes::Borrar() {
    for (HFONT* f : {&info, &info_negrita, &numero, &version, &panel, &banda, &linea,
                     &linea_negrita, &detalle, &tramo}) {
        if (*f != nullptr) ::DeleteObject(*f);
        *f = nullptr;
    }
}

void Panel::mostrar(bool si) {
    if (hwnd == nullptr) return;
    mostrado_ = si;
    ::ShowWindow(hwnd, si ? SW_SHOW : SW_HIDE);
    if (si) ::SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void Panel::Crear_ventana(HWND padre, int x, int y, int dpi, const Fuentes& fuentes) {
    Registrar_clase();
    dpi_ = dpi;
    fuentes_ = &fuentes;
    hwnd = ::CreateWindowExW(0, kClasePanel, L"", WS_CHILD | WS_BORDER | WS_CLIPCHILDREN, E(x),
                             E(y), E(kAnchoPanel), E(kAltoPanel), padre, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Panel::Procedimiento));
}

HWND Panel::Control(const wchar_t* clase, const wchar_t* texto, DWORD estilo,
                    const dibujos::Caja& c, int id) const {
    HWND h = ::CreateWindowExW(0, clase, texto, WS_CHILD | WS_VISIBLE | estilo, E(c.x), E(c.y),
                               E(c.ancho), E(c.alto), hwnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(fuentes_->panel), FALSE);
    return h;
}

LRESULT CALLBACK Panel::Procedimiento(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto* p = reinterpret_cast<Panel*>(::GetWindowLongPtrW(h, GWLP_USERDATA));
    if (p == nullptr) return ::DefWindowProcW(h, m, w, l);
    switch (m) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(h, &ps);
            p->Pintar(dc);
            ::EndPaint(h, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            p->Pintar(reinterpret_cast<HDC>(w));
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            static HBRUSH pincel = ::CreateSolidBrush(Color(dibujos::kColorPanel));
            HDC dc = reinterpret_cast<HDC>(w);
            ::SetBkColor(dc, Color(dibujos::kColorPanel));
            ::SetTextColor(dc, Color(dibujos::kColorTextoPanel));
            return reinterpret_cast<LRESULT>(pincel);
        }
        case WM_COMMAND:
            // The window decides: the panel only holds the controls.
            return ::SendMessageW(::GetParent(h), m, w, l);
        default:
            return ::DefWindowProcW(h, m, w, l);
    }
}

void Panel::Pintar(HDC dc) const {
    RECT r;
    ::GetClientRect(hwnd, &r);
    HBRUSH fondo = ::CreateSolidBrush(Color(dibujos::kColorPanel));
    ::FillRect(dc, &r, fondo);
    ::DeleteObject(fondo);
    ::SetBkMode(dc, TRANSPARENT);
    const std::vector<Texto_dibujado> textos = Textos();
    for (size_t i = 0; i < textos.size(); ++i) {
        const Texto_dibujado& t = textos[i];
        if (i == 0) {
            HBRUSH banda = ::CreateSolidBrush(banda_);
            ::FillRect(dc, &t.rect, banda);
            ::DeleteObject(banda);
        }
        ::SetTextColor(dc, t.color);
        HGDIOBJ antes = ::SelectObject(dc, t.fuente);
        RECT rr = t.rect;
        ::DrawTextW(dc, t.texto.c_str(), static_cast<int>(t.texto.size()), &rr, t.formato);
        ::SelectObject(dc, antes);
    }
}

// --- The port panel -----------------------------------------------------------------------

void Panel_puerto::Crear(HWND padre, int x, int y, int dpi, const Fuentes& fuentes) {
    using namespace dibujos;  // NOLINT(google-build-using-namespace)
    Crear_ventana(padre, x, y, dpi, fuentes);
    ::SetWindowTextW(hwnd, L"PConfigurarPuerto");
    banda_ = RGB(0, 0, 0);
    titulo_ = L"USB";
    COM = Control(L"BUTTON", L"", BS_GROUPBOX, kGrupoPuertos, 0);
    // A group box draws only its frame: the panel paints what is inside it.
    ::SetWindowLongPtrW(COM, GWL_EXSTYLE,
                        ::GetWindowLongPtrW(COM, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
    for (int k = 0; k < 6; ++k) {
        // The items are the panel's, placed as in the group.
        const Caja c = Caja_item_puerto(k);
        const std::wstring n = std::to_wstring(k + 1);
        items[static_cast<size_t>(k)] =
            Control(L"BUTTON", n.c_str(), BS_RADIOBUTTON | (k == 0 ? WS_GROUP : 0),
                    {kGrupoPuertos.x + c.x, kGrupoPuertos.y + c.y, c.ancho, c.alto}, ID_COM_1 + k);
    }
    Label_com = Control(L"STATIC", L"USB :", SS_LEFT, kRotuloLista, 0);
    // The height of a drop-down list is that of its open list.
    Caja lista = kListaPuertos;
    lista.alto = 200;
    Com_extended = Control(WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, lista,
                           ID_COM_EXTENDED);
    ::SendMessageW(Com_extended, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(E(kAnchoListaAbierta)), 0);
    BConfigurarPuerto =
        Control(L"BUTTON", L"Ok", BS_PUSHBUTTON | WS_TABSTOP, kBotonPuerto, ID_CONFIGURAR_PUERTO);
    imagen_ = Mapa_bits(Dibujar_puerto(dpi / 96.0));
}

void Panel_puerto::Seleccionar(int k) {
    for (int i = 0; i < 6; ++i) {
        ::SendMessageW(items[static_cast<size_t>(i)], BM_SETCHECK,
                       i == k ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

int Panel_puerto::Seleccionado() const {
    for (int i = 0; i < 6; ++i) {
        if (::SendMessageW(items[static_cast<size_t>(i)], BM_GETCHECK, 0, 0) == BST_CHECKED) {
            return i;
        }
    }
    return -1;
}

void Panel_puerto::Titulo_grupo(const std::wstring& texto) { ::SetWindowTextW(COM, texto.c_str()); }

std::vector<Texto_dibujado> Panel_puerto::Textos() const {
    return {{titulo_,
             {E(1), E(1), E(kAnchoPanel - 1), E(1 + kAltoBanda)},
             fuentes_->banda,
             DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX,
             RGB(0xff, 0xff, 0xff)}};
}

void Panel_puerto::Pintar(HDC dc) const {
    Panel::Pintar(dc);
    imagen_.Pintar(dc, E(dibujos::kImagenPuerto.x), E(dibujos::kImagenPuerto.y));
}

// --- The attention panel ------------------------------------------------------------------

void Panel_atencion::Crear(HWND padre, int x, int y, int dpi, const Fuentes& fuentes) {
    Crear_ventana(padre, x, y, dpi, fuentes);
    ::SetWindowTextW(hwnd, L"Panel_atencion");
    banda_ = Color(dibujos::kColorBandaAtencion);
    Button_atencion_ok = Control(L"BUTTON", L"", BS_PUSHBUTTON | WS_TABSTOP,
                                 dibujos::kBotonAtencionOk, ID_ATENCION_OK);
    Button_atencion_cancel = Control(L"BUTTON", L"", BS_PUSHBUTTON | WS_TABSTOP,
                                     dibujos::kBotonAtencionCancelar, ID_ATENCION_CANCEL);
    for (HWND b : {Button_atencion_ok, Button_atencion_cancel}) {
        ::SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(fuentes.linea), FALSE);
    }
}

void Panel_atencion::Poner(const std::wstring& titulo, const std::array<std::wstring, 3>& l) {
    titulo_ = titulo;
    lineas = l;
    if (hwnd != nullptr) ::InvalidateRect(hwnd, nullptr, TRUE);
}

std::vector<Texto_dibujado> Panel_atencion::Textos() const {
    std::vector<Texto_dibujado> t;
    const UINT centrado = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
    t.push_back({titulo_,
                 {E(1), E(1), E(kAnchoPanel - 1), E(1 + kAltoBanda)},
                 fuentes_->banda,
                 centrado,
                 RGB(0xff, 0xff, 0xff)});
    for (int i = 0; i < 3; ++i) {
        const dibujos::Caja c = dibujos::Caja_linea_atencion(i);
        t.push_back({lineas[static_cast<size_t>(i)],
                     {E(c.x), E(c.y), E(c.x + c.ancho), E(c.y + c.alto)},
                     i == 2 ? fuentes_->linea_negrita : fuentes_->linea,
                     centrado});
    }
    return t;
}

// --- Fitting --------------------------------------------------------------------------------

bool Cabe(HDC dc, const Texto_dibujado& t) {
    if (t.texto.empty()) return true;
    HGDIOBJ antes = ::SelectObject(dc, t.fuente);
    RECT medida = t.rect;
    const UINT formato = (t.formato & ~static_cast<UINT>(DT_VCENTER)) | DT_CALCRECT;
    ::DrawTextW(dc, t.texto.c_str(), static_cast<int>(t.texto.size()), &medida, formato);
    ::SelectObject(dc, antes);
    return medida.right - medida.left <= t.rect.right - t.rect.left &&
           medida.bottom - medida.top <= t.rect.bottom - t.rect.top;
}

bool Cabe_control(HWND control, int margen) {
    const std::wstring texto = Texto_de(control);
    if (texto.empty()) return true;
    HDC dc = ::GetDC(control);
    HGDIOBJ antes =
        ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE s{};
    ::GetTextExtentPoint32W(dc, texto.c_str(), static_cast<int>(texto.size()), &s);
    ::SelectObject(dc, antes);
    ::ReleaseDC(control, dc);
    RECT r;
    ::GetClientRect(control, &r);
    return s.cx + margen <= r.right - r.left;
}

}  // namespace z82::win32
