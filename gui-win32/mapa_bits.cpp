#include "gui-win32/mapa_bits.h"

#include <cstring>
#include <utility>

namespace z82::win32 {

Mapa_bits::Mapa_bits(const dibujos::Imagen& imagen) : ancho_(imagen.ancho), alto_(imagen.alto) {
    if (ancho_ <= 0 || alto_ <= 0) return;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = ancho_;
    bi.bmiHeader.biHeight = -alto_;  // top row first, as the pixels are
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bmp_ = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bmp_ != nullptr && bits != nullptr) {
        std::memcpy(bits, imagen.pixeles.data(), imagen.pixeles.size() * sizeof(std::uint32_t));
    }
}

Mapa_bits::~Mapa_bits() {
    if (bmp_ != nullptr) ::DeleteObject(bmp_);
}

Mapa_bits::Mapa_bits(Mapa_bits&& otro) noexcept
    : bmp_(std::exchange(otro.bmp_, nullptr)), ancho_(otro.ancho_), alto_(otro.alto_) {}

Mapa_bits& Mapa_bits::operator=(Mapa_bits&& otro) noexcept {
    if (this != &otro) {
        if (bmp_ != nullptr) ::DeleteObject(bmp_);
        bmp_ = std::exchange(otro.bmp_, nullptr);
        ancho_ = otro.ancho_;
        alto_ = otro.alto_;
    }
    return *this;
}

void Mapa_bits::Pintar(HDC destino, int x, int y, int x0, int y0, int ancho, int alto) const {
    if (bmp_ == nullptr) return;
    if (ancho < 0) ancho = ancho_ - x0;
    if (alto < 0) alto = alto_ - y0;
    if (ancho <= 0 || alto <= 0) return;
    HDC origen = ::CreateCompatibleDC(destino);
    HGDIOBJ antes = ::SelectObject(origen, bmp_);
    BLENDFUNCTION mezcla{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::GdiAlphaBlend(destino, x, y, ancho, alto, origen, x0, y0, ancho, alto, mezcla);
    ::SelectObject(origen, antes);
    ::DeleteDC(origen);
}

HICON Crear_icono(const dibujos::Imagen& imagen) {
    if (imagen.ancho <= 0 || imagen.alto <= 0) return nullptr;
    // An icon's colours are not premultiplied: the system does that when it draws it.
    dibujos::Imagen recta = imagen;
    for (std::uint32_t& p : recta.pixeles) {
        const std::uint32_t a = p >> 24;
        if (a == 0 || a == 255) continue;
        const auto canal = [a](std::uint32_t c) { return (c & 0xff) * 255 / a; };
        p = a << 24 | canal(p >> 16) << 16 | canal(p >> 8) << 8 | canal(p);
    }
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = recta.ancho;
    bi.bmiHeader.biHeight = -recta.alto;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP color = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (color == nullptr || bits == nullptr) return nullptr;
    std::memcpy(bits, recta.pixeles.data(), recta.pixeles.size() * sizeof(std::uint32_t));
    // With colours that carry their own opacity the mask is not looked at.
    HBITMAP mascara = ::CreateBitmap(recta.ancho, recta.alto, 1, 1, nullptr);
    ICONINFO info{TRUE, 0, 0, mascara, color};
    HICON icono = ::CreateIconIndirect(&info);
    ::DeleteObject(mascara);
    ::DeleteObject(color);
    return icono;
}

}  // namespace z82::win32
