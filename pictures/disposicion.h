// Where the window's pieces sit and their colours, at 100 %: both windows lay their form out
// from these, over the pictures of dibujos.h. Positions inside the background picture are
// from its top left corner; the background itself sits kMargenFondo in from the window's.
#pragma once

#include <cstdint>

#include "pictures/dibujos.h"

namespace z82::dibujos {

// A piece's place and size.
struct Caja {
    int x, y, ancho, alto;
};

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
inline constexpr int kAnchoLineaInfo = kAnchoFondo - kXLinea - 14;
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
// Inside the port panel, from its top left corner: the radio group of ports 1 to 6, the
// list of present ports with its caption (open, it is wide enough for long device
// descriptions), the port's picture and the Ok button.
inline constexpr Caja kGrupoPuertos{12, kAltoBanda + 8, 168, kAltoPanel - kAltoBanda - 18};
inline constexpr Caja kRotuloLista{196, kAltoBanda + 10, 150, 20};
inline constexpr Caja kListaPuertos{196, kAltoBanda + 32, kAnchoPanel - 196 - 12, 28};
inline constexpr int kAnchoListaAbierta = 360;
inline constexpr Caja kImagenPuerto{196, kAltoPanel - kLadoPuerto - 12, kLadoPuerto, kLadoPuerto};
inline constexpr Caja kBotonPuerto{kAnchoPanel - 12 - 96, kAltoPanel - 12 - 32, 96, 32};
// Radio item k (0 to 5) inside the group: 1 to 3 on the left, 4 to 6 on the right.
constexpr Caja Caja_item_puerto(int k) { return {16 + (k / 3) * 76, 28 + (k % 3) * 28, 60, 24}; }
// Inside the attention panel: its three lines and its two buttons.
constexpr Caja Caja_linea_atencion(int i) {
    return {8, kAltoBanda + 8 + i * 26, kAnchoPanel - 16, 24};
}
inline constexpr Caja kBotonAtencionOk{kAnchoPanel / 2 - 8 - 110, kAltoPanel - 12 - 32, 110, 32};
inline constexpr Caja kBotonAtencionCancelar{kAnchoPanel / 2 + 8, kAltoPanel - 12 - 32, 110, 32};
// The details line after a failure: a band of its own colour under the progress bar's
// place, beside the wizard button and as far left as the panels, with room for four lines
// of small text (about 250 characters).
inline constexpr int kXDetalle = kXPanel;
inline constexpr int kYDetalle = kYBarra + kAltoBarra + 6;
inline constexpr int kAnchoDetalle = kAnchoFondo - kXDetalle - 8;
inline constexpr int kAltoDetalle = kAltoFondo - kYDetalle - 6;
inline constexpr int kMargenDetalle = 4;
inline constexpr int kLetraDetalle = 11;
// The stream under the bar during a run, in two lines (its name and percentage; amount,
// rate and time left): in the details line's place, which shows only after a run.
inline constexpr Caja kLineaTramo{kXBarra, kYDetalle, kAnchoBarra, 36};
inline constexpr int kLetraTramo = 12;
// The version label, under the background, from the window's top left corner.
inline constexpr Caja kEtiquetaVersion{kMargenFondo, kMargenFondo + kAltoFondo + 2, kAnchoFondo - 4,
                                       18};

// Letter heights in pixels: the information lines, the step numbers, the version label,
// the port panel's controls, the panels' title bands and the attention panel's lines.
inline constexpr int kLetraInfo = 15;
inline constexpr int kLetraNumero = 32;
inline constexpr int kLetraVersion = 12;
inline constexpr int kLetraPanel = 13;
inline constexpr int kLetraBanda = 14;
inline constexpr int kLetraAtencion = 14;

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
