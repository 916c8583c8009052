// The window's pictures, drawn at run time into plain pixel buffers that either face shows
// as they are: the background, the eight wizard images, the wizard button, the exit button
// and the port panel's picture.
#pragma once

#include <cstdint>
#include <vector>

namespace z82::dibujos {

// Sizes the faces lay out with.
inline constexpr int kAnchoFondo = 600;
inline constexpr int kAltoFondo = 400;
inline constexpr int kLadoAsistente = 128;
inline constexpr int kLadoSalida = 40;
inline constexpr int kLadoPuerto = 56;
inline constexpr int kImagenesAsistente = 8;

// Pixels row by row from the top, each a 32-bit word 0xAARRGGBB with the colour
// premultiplied by alpha: the layout Qt's Format_ARGB32_Premultiplied and a Windows 32-bit
// DIB for AlphaBlend both take as they are.
struct Imagen {
    int ancho = 0;
    int alto = 0;
    std::vector<std::uint32_t> pixeles;
};

// Each picture at its size above times escala (1.5 for a screen at 150 %), drawn at that
// size rather than stretched.
Imagen Dibujar_fondo(double escala = 1.0);
// Wizard image 0 .. 7: start, instructions, searching, not found, updating, success,
// failure, stopped by a check. An index outside gives an empty picture (0 by 0).
Imagen Dibujar_asistente(int indice, double escala = 1.0);
Imagen Dibujar_boton_asistente(double escala = 1.0);
Imagen Dibujar_salida(double escala = 1.0);
Imagen Dibujar_puerto(double escala = 1.0);

}  // namespace z82::dibujos
