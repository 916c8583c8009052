// The updater's main window on Windows: the form's pieces, drawing the window model. The
// model (what the wizard showed, the port panel's entries, the marks) decides everything;
// this window draws it and hands the user's clicks to it. The pictures are the
// face-independent ones, drawn at the window's scale.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

// The engine's headers before the system's: some of its names are macros there.
#include "app/modelo_ventana.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "gui-win32/detalle_win32.h"
#include "gui-win32/mapa_bits.h"
#include "gui-win32/paneles_win32.h"

namespace z82::win32 {

// Command numbers of the window's controls and menu items.
enum Orden : int {
    ID_BUSCAR_PUERTO = 101,
    ID_SALIDA = 102,
    ID_BARRA = 103,
    ID_ACTUALIZAR = 401,
    ID_SALIR = 402,
    ID_AUTO = 403,
    ID_MANUAL = 404,
};

class Ventana_win32 {
  public:
    // The window's size at 100 %: menu bar and client area together.
    static constexpr int kAncho = 609;
    static constexpr int kAlto = 455;

    // Draws the model as it stands, then each part it says has changed; the model must
    // outlive the window. dpi 0: the system's for this window (the program is DPI-aware);
    // tests may fix it.
    explicit Ventana_win32(Modelo_ventana& modelo, int dpi = 0);
    ~Ventana_win32();
    Ventana_win32(const Ventana_win32&) = delete;
    Ventana_win32& operator=(const Ventana_win32&) = delete;

    Modelo_ventana& modelo() { return modelo_; }
    // What a close that the model allows does (default: end the message loop).
    std::function<void()> al_cerrar;
    void mostrar() const;

    // The window and its pieces, by the form's names.
    HWND hwnd = nullptr;
    HMENU menu = nullptr;
    HMENU MenuArchivo = nullptr;
    HMENU MenuConfigurar = nullptr;
    HWND Button_buscar_puerto = nullptr;
    HWND SpeedButton_exit = nullptr;
    HWND Barra_progreso = nullptr;
    Panel_puerto PConfigurarPuerto;
    Panel_atencion Panel_atencion;
    Linea_detalle Memo_detalle;
    // What the labels drawn on the background say: the information lines, the version,
    // the stream under the bar (empty while hidden).
    std::array<std::wstring, 3> Label_info;
    std::wstring Label1;
    std::wstring Label_tramo;
    bool Label_n_visibles = false;
    // Index of the wizard image on show (-1 before the first).
    int imagen_mostrada() const { return imagen_; }
    int dpi() const { return dpi_; }
    // Scales a length of the 100 % layout to this window.
    int E(int v) const { return ::MulDiv(v, dpi_, 96); }
    // Visible texts that do not fit where they are drawn.
    std::vector<std::wstring> Textos_que_no_caben() const;

  private:
    static LRESULT CALLBACK Procedimiento(HWND h, UINT m, WPARAM w, LPARAM l);
    LRESULT Mensaje(UINT m, WPARAM w, LPARAM l);
    void Crear_menus();
    void Crear_controles();
    void Ordenar(int id, int aviso);
    void Dibujar(Modelo_ventana::Parte parte);
    void Dibujar_barra();
    void Dibujar_textos();
    void Dibujar_puertos();
    void Pintar(HDC dc) const;
    void Pintar_boton(const DRAWITEMSTRUCT& d) const;
    // The texts drawn on the background, where and how.
    std::vector<Texto_dibujado> Textos() const;
    // The window's background, drawn as if dc's origin were at (x, y) of the client area.
    void Pintar_fondo(HDC dc, int x, int y) const;
    // A place of the layout on the background, in the client area at this scale.
    RECT En_fondo(const dibujos::Caja& c) const;

    Modelo_ventana& modelo_;
    // What the progress bar control was last told: minimum, maximum, filled pixels.
    std::array<int64_t, 3> barra_enviada_{0, 100, 0};
    int dpi_ = 96;
    int imagen_ = -1;
    Mapa_bits fondo_;
    std::array<Mapa_bits, 8> imagenes_;
    Mapa_bits boton_;
    Mapa_bits salida_;
    Fuentes fuentes_;
    // The window's icons, large and small: the wizard button's picture.
    HICON icono_grande_ = nullptr;
    HICON icono_pequeno_ = nullptr;
};

}  // namespace z82::win32
