// A picture of the window as a Windows bitmap: the face-independent pixels, shown as they
// are (premultiplied 32-bit words are what AlphaBlend takes).
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "pictures/dibujos.h"

namespace z82::win32 {

class Mapa_bits {
  public:
    Mapa_bits() = default;
    explicit Mapa_bits(const dibujos::Imagen& imagen);
    ~Mapa_bits();
    Mapa_bits(Mapa_bits&& otro) noexcept;
    Mapa_bits& operator=(Mapa_bits&& otro) noexcept;
    Mapa_bits(const Mapa_bits&) = delete;
    Mapa_bits& operator=(const Mapa_bits&) = delete;

    int ancho() const { return ancho_; }
    int alto() const { return alto_; }
    // Blends the part (x0, y0, ancho, alto) of the picture over destino at (x, y), at the
    // picture's own size.
    void Pintar(HDC destino, int x, int y, int x0 = 0, int y0 = 0, int ancho = -1,
                int alto = -1) const;

  private:
    HBITMAP bmp_ = nullptr;
    int ancho_ = 0;
    int alto_ = 0;
};

// An icon of the picture (the caller destroys it with DestroyIcon); null if the system
// refuses it.
HICON Crear_icono(const dibujos::Imagen& imagen);

}  // namespace z82::win32
