// The details line under the wizard's texts: after a failure, what failed, why and what to
// do next, in a read-only multi-line edit control a technician can select and copy from
// (Ctrl-C). It sits in a band of its own colour and is hidden while it has nothing to say.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

namespace z82::win32 {

class Linea_detalle {
  public:
    Linea_detalle() = default;
    Linea_detalle(const Linea_detalle&) = delete;
    Linea_detalle& operator=(const Linea_detalle&) = delete;
    ~Linea_detalle();

    // The control, hidden and empty, on padre at the layout's place scaled to dpi.
    void Crear(HWND padre, int dpi, HFONT fuente);
    // Shows texto, or hides the line when it is empty.
    void Poner(const std::wstring& texto);
    // The brush and colours when padre is asked (WM_CTLCOLORSTATIC) about this control;
    // nullptr for any other.
    HBRUSH Colorear(HWND control, HDC dc) const;
    // Its last character is drawn inside the band: the whole text shows.
    bool Cabe() const;
    bool visible() const { return mostrado_; }

    HWND hwnd = nullptr;

  private:
    HBRUSH pincel_ = nullptr;
    int alto_letra_ = 0;
    bool mostrado_ = false;
};

}  // namespace z82::win32
