// The window's painting: the background with the wizard image and the texts drawn on it,
// the picture buttons, and the check that every visible text fits where it is drawn.
#include <utility>

#include "gui-win32/ventana_win32.h"

namespace z82::win32 {
namespace {

using namespace dibujos;  // NOLINT(google-build-using-namespace)

RECT Rect(int x, int y, int ancho, int alto) { return {x, y, x + ancho, y + alto}; }

}  // namespace

RECT Ventana_win32::En_fondo(const Caja& c) const {
    return Rect(E(kMargenFondo + c.x), E(kMargenFondo + c.y), E(c.ancho), E(c.alto));
}

std::vector<Texto_dibujado> Ventana_win32::Textos() const {
    std::vector<Texto_dibujado> t;
    for (int i = 0; i < 3; ++i) {
        t.push_back({Label_info[static_cast<size_t>(i)],
                     En_fondo({kXLinea, kYImagen + i * kPasoLinea, kAnchoLineaInfo, kAltoLinea}),
                     i == 0 ? fuentes_.info_negrita : fuentes_.info,
                     DT_LEFT | DT_WORDBREAK | DT_NOPREFIX, Color(kColorTexto)});
    }
    if (Label_n_visibles) {
        for (int i = 0; i < 3; ++i) {
            t.push_back(
                {std::to_wstring(i + 1) + L".",
                 En_fondo({kXNumero, kYImagen + i * kPasoLinea, kXLinea - kXNumero, kAltoLinea}),
                 fuentes_.numero, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX,
                 Color(kColorNumero)});
        }
    }
    const Caja& v = kEtiquetaVersion;
    t.push_back({Label1, Rect(E(v.x), E(v.y), E(v.ancho), E(v.alto)), fuentes_.version,
                 DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, Color(kColorVersion)});
    t.push_back({Label_tramo, En_fondo(kLineaTramo), fuentes_.tramo, DT_LEFT | DT_NOPREFIX,
                 Color(kColorVersion)});
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

}  // namespace z82::win32
