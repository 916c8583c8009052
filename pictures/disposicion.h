// Where the window's pieces sit and their colours, at 100 %: both windows lay their form out
// from these, over the pictures of dibujos.h. Positions inside the background picture are
// from its top left corner; the background itself sits kMargenFondo in from the window's.
#pragma once

#include <cstdint>

#include "pictures/dibujos.h"

namespace z82::dibujos {

inline constexpr int kMargenFondo = 4;
// The wizard image, and the wizard button below it.
inline constexpr int kXImagen = 24;
inline constexpr int kYImagen = 88;
inline constexpr int kYBoton = 244;
// The step numbers and the three information lines beside the image.
inline constexpr int kXNumero = 164;
inline constexpr int kXLinea = 212;
inline constexpr int kAltoLinea = 50;
inline constexpr int kPasoLinea = 54;
// The progress bar.
inline constexpr int kXBarra = kXNumero + 4;
inline constexpr int kYBarra = 300;
inline constexpr int kAnchoBarra = kAnchoFondo - kXBarra - 18;
inline constexpr int kAltoBarra = 22;
// The exit button, in the top right corner.
inline constexpr int kXSalida = kAnchoFondo - kLadoSalida - 12;
inline constexpr int kYSalida = 14;
// The port panel and the attention panel, in the same place, and their title band.
inline constexpr int kXPanel = 160;
inline constexpr int kYPanel = 82;
inline constexpr int kAnchoPanel = 424;
inline constexpr int kAltoPanel = 168;
inline constexpr int kAltoBanda = 26;
// The details line after a failure: a band of its own colour under the progress bar's
// place, beside the wizard button and as far left as the panels, with room for four lines
// of small text (about 250 characters).
inline constexpr int kXDetalle = kXPanel;
inline constexpr int kYDetalle = kYBarra + kAltoBarra + 6;
inline constexpr int kAnchoDetalle = kAnchoFondo - kXDetalle - 8;
inline constexpr int kAltoDetalle = kAltoFondo - kYDetalle - 6;
inline constexpr int kMargenDetalle = 4;
inline constexpr int kLetraDetalle = 11;

// Colours as 0xRRGGBB.
inline constexpr std::uint32_t kColorVentana = 0x08182a;
inline constexpr std::uint32_t kColorTexto = 0xffffff;
inline constexpr std::uint32_t kColorNumero = 0xf5a623;
inline constexpr std::uint32_t kColorVersion = 0xb8c7d6;
inline constexpr std::uint32_t kColorPanel = 0xece9e4;
inline constexpr std::uint32_t kColorTextoPanel = 0x1a1a1a;
inline constexpr std::uint32_t kColorBandaAtencion = 0x800000;
inline constexpr std::uint32_t kColorDetalle = 0xf3d9a4;
inline constexpr std::uint32_t kColorFondoDetalle = 0x0a2134;

}  // namespace z82::dibujos
