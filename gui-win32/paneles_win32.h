// The window's fonts and the two panels that appear over the wizard area: the port panel
// and the attention panel. Their controls' clicks go to the main window as WM_COMMAND.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "gui-win32/mapa_bits.h"
#include "pictures/disposicion.h"

namespace z82::win32 {

using dibujos::kAltoBanda;
using dibujos::kAltoPanel;
using dibujos::kAnchoPanel;

// A colour of the layout (0xRRGGBB) as Windows takes it.
constexpr COLORREF Color(std::uint32_t rgb) {
    return RGB(rgb >> 16 & 0xff, rgb >> 8 & 0xff, rgb & 0xff);
}

enum Orden_panel : int {
    ID_ATENCION_OK = 201,
    ID_ATENCION_CANCEL = 202,
    ID_COM_1 = 301,  // 301 .. 306: the radio items of ports 1 to 6
    ID_COM_EXTENDED = 310,
    ID_CONFIGURAR_PUERTO = 311,
};

// The fonts of the window at its scale, by pixel height at 100 %.
struct Fuentes {
    void Crear(int dpi);
    void Borrar();
    HFONT info = nullptr, info_negrita = nullptr, numero = nullptr, version = nullptr,
          panel = nullptr, banda = nullptr, linea = nullptr, linea_negrita = nullptr,
          detalle = nullptr, tramo = nullptr;
};

// A text drawn on a panel or the background, where it sits and how.
struct Texto_dibujado {
    std::wstring texto;
    RECT rect{};
    HFONT fuente = nullptr;
    UINT formato = 0;
    COLORREF color = Color(dibujos::kColorTextoPanel);
};

// What a panel has in common: a window of its own, drawn by itself, over the background.
class Panel {
  public:
    Panel() = default;
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;
    virtual ~Panel() = default;

    HWND hwnd = nullptr;
    // Shown by the window (kept here: asking the system on every look costs a round trip
    // to Wine's server).
    bool visible() const { return mostrado_; }
    void mostrar(bool si);
    // The texts it draws (the band and the lines), in its own coordinates.
    virtual std::vector<Texto_dibujado> Textos() const = 0;

  protected:
    void Crear_ventana(HWND padre, int x, int y, int dpi, const Fuentes& fuentes);
    HWND Control(const wchar_t* clase, const wchar_t* texto, DWORD estilo, const dibujos::Caja& c,
                 int id) const;
    virtual void Pintar(HDC dc) const;
    int E(int v) const { return ::MulDiv(v, dpi_, 96); }
    COLORREF banda_ = RGB(0, 0, 0);
    std::wstring titulo_;
    const Fuentes* fuentes_ = nullptr;
    int dpi_ = 96;

  private:
    bool mostrado_ = false;
    static LRESULT CALLBACK Procedimiento(HWND h, UINT m, WPARAM w, LPARAM l);
};

// PConfigurarPuerto: title band, the radio group of ports 1 to 6, the combo box of present
// ports, a picture and the Ok button.
class Panel_puerto : public Panel {
  public:
    void Crear(HWND padre, int x, int y, int dpi, const Fuentes& fuentes);
    // Selects item k (0 to 5), or none with -1.
    void Seleccionar(int k);
    int Seleccionado() const;
    void Titulo_grupo(const std::wstring& texto);
    std::vector<Texto_dibujado> Textos() const override;

    HWND COM = nullptr;
    std::array<HWND, 6> items{};
    HWND Label_com = nullptr;
    HWND Com_extended = nullptr;
    HWND BConfigurarPuerto = nullptr;

  private:
    void Pintar(HDC dc) const override;
    Mapa_bits imagen_;
};

// Panel_atencion: maroon title band, three centred lines (the third bold), OK and Cancel.
class Panel_atencion : public Panel {
  public:
    void Crear(HWND padre, int x, int y, int dpi, const Fuentes& fuentes);
    void Poner(const std::wstring& titulo, const std::array<std::wstring, 3>& lineas);
    std::vector<Texto_dibujado> Textos() const override;

    std::array<std::wstring, 3> lineas;
    HWND Button_atencion_ok = nullptr;
    HWND Button_atencion_cancel = nullptr;
};

// Texts of a window's child controls that do not fit in them (buttons, the group box, the
// label), and drawn texts whose lines do not fit their rectangle.
bool Cabe(HDC dc, const Texto_dibujado& t);
bool Cabe_control(HWND control, int margen);

}  // namespace z82::win32
