// The updater's main window on Windows: the form's pieces and what the wizard shows on
// them. The updater (Tventana_cargador) decides everything; this window draws it and hands
// the user's clicks to it. The pictures are the face-independent ones, drawn at the
// window's scale.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

// The engine's headers before the system's: some of its names are macros there.
#include "app/ventana_cargador.h"
#include "app/vista.h"

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

class Ventana_win32 : public Vista {
  public:
    // The window's size at 100 %: menu bar and client area together.
    static constexpr int kAncho = 609;
    static constexpr int kAlto = 455;

    // dpi 0: the system's for this window (the program is DPI-aware); tests may fix it.
    explicit Ventana_win32(int dpi = 0);
    ~Ventana_win32() override;
    Ventana_win32(const Ventana_win32&) = delete;
    Ventana_win32& operator=(const Ventana_win32&) = delete;

    // Hands the clicks to the updater and takes its caption; unbind with nullptr before the
    // updater goes.
    void enlazar(Tventana_cargador* motor);
    // Words about port n for the port panel's list (the device's friendly name).
    std::function<std::string(int)> describir_puerto;
    // What a close that the updater allows does (default: end the message loop).
    std::function<void()> al_cerrar;
    // The message box; tests put their own.
    std::function<void(const std::wstring&)> caja_mensaje;
    // Shows port n as the one chosen (a port given on the command line).
    void mostrar_puerto(int n);
    void listar_puertos();
    void mostrar() const;

    // --- Vista ---------------------------------------------------------------------------
    void info(int linea, const std::string& texto) override;
    void imagen(int indice) override;
    void numeros_paso(bool visibles) override;
    void boton_asistente(bool visible) override;
    void barra_visible(bool visible) override;
    void barra(int minimo, int maximo, int posicion) override;
    void menus_habilitados(bool habilitados) override;
    void modo_puerto(bool automatico) override;
    void panel_puerto(bool visible) override;
    void mostrar_atencion(const Pregunta_atencion& pregunta) override;
    void ocultar_atencion() override;
    void mensaje(const std::string& texto) override;
    void etiqueta_version(const std::string& texto) override;
    void menus(const Textos_menu& textos) override;
    void refrescar() override;
    void detalle(const std::string& texto) override;

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
    // What the labels drawn on the background say.
    std::array<std::wstring, 3> Label_info;
    std::wstring Label1;
    bool Label_n_visibles = false;
    // The progress bar as the updater last set it.
    bool barra_en_pantalla = false;
    int barra_maximo = 100;
    int barra_posicion = 0;
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
    void Pintar(HDC dc) const;
    void Pintar_boton(const DRAWITEMSTRUCT& d) const;
    // The texts drawn on the background, where and how.
    std::vector<Texto_dibujado> Textos() const;
    // The window's background, drawn as if dc's origin were at (x, y) of the client area.
    void Pintar_fondo(HDC dc, int x, int y) const;
    void Marcar_modo(bool automatico);
    RECT Rect_linea(int i) const;
    RECT Rect_numero(int i) const;
    RECT Rect_version() const;

    Tventana_cargador* motor_ = nullptr;
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
