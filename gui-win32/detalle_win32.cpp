#include "gui-win32/detalle_win32.h"

#include "gui-win32/paneles_win32.h"

namespace z82::win32 {

Linea_detalle::~Linea_detalle() {
    if (pincel_ != nullptr) ::DeleteObject(pincel_);
}

void Linea_detalle::Crear(HWND padre, int dpi, HFONT fuente) {
    using namespace dibujos;  // NOLINT(google-build-using-namespace)
    const auto e = [dpi](int v) { return ::MulDiv(v, dpi, 96); };
    // No scrolling either way: the text wraps, a long path breaks where the line ends.
    hwnd = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_MULTILINE | ES_READONLY,
                             e(kMargenFondo + kXDetalle), e(kMargenFondo + kYDetalle),
                             e(kAnchoDetalle), e(kAltoDetalle), padre, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fuente), FALSE);
    // The text inset from the band's edges, as the Qt window has it.
    RECT r{e(kMargenDetalle), e(kMargenDetalle), e(kAnchoDetalle - kMargenDetalle),
           e(kAltoDetalle - kMargenDetalle)};
    ::SendMessageW(hwnd, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
    pincel_ = ::CreateSolidBrush(Color(kColorFondoDetalle));
    HDC dc = ::GetDC(hwnd);
    HGDIOBJ antes = ::SelectObject(dc, fuente);
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    alto_letra_ = tm.tmHeight;
    ::SelectObject(dc, antes);
    ::ReleaseDC(hwnd, dc);
}

void Linea_detalle::Poner(const std::wstring& texto) {
    // The control breaks lines only at "\r\n".
    std::wstring t;
    for (wchar_t c : texto) {
        if (c == L'\n' && (t.empty() || t.back() != L'\r')) t += L'\r';
        t += c;
    }
    ::SetWindowTextW(hwnd, t.c_str());
    mostrado_ = !t.empty();
    ::ShowWindow(hwnd, mostrado_ ? SW_SHOW : SW_HIDE);
}

HBRUSH Linea_detalle::Colorear(HWND control, HDC dc) const {
    if (control != hwnd || hwnd == nullptr) return nullptr;
    ::SetTextColor(dc, Color(dibujos::kColorDetalle));
    ::SetBkColor(dc, Color(dibujos::kColorFondoDetalle));
    return pincel_;
}

bool Linea_detalle::Cabe() const {
    const LRESULT largo = ::GetWindowTextLengthW(hwnd);
    if (largo == 0) return true;
    RECT r{};
    ::SendMessageW(hwnd, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    // The place of the last character, in the control's client area (-1 when it is out of
    // sight).
    const LRESULT p = ::SendMessageW(hwnd, EM_POSFROMCHAR, static_cast<WPARAM>(largo - 1), 0);
    if (p == -1) return false;
    const int y = static_cast<short>(HIWORD(p));
    return ::SendMessageW(hwnd, EM_GETFIRSTVISIBLELINE, 0, 0) == 0 && y + alto_letra_ <= r.bottom;
}

}  // namespace z82::win32
