// The meter's flash as its loader addresses it: 64 segments of 64 KiB, each named by a page
// byte (segment + 0xAB, modulo 256), and the places the program writes.
#pragma once

#include <array>
#include <cstdint>

namespace z82 {

inline constexpr uint32_t BYTES_SEGMENTO = 65536;
inline constexpr int SEGMENTOS = 64;
// Segment 0 is page 0xAB.
inline constexpr uint8_t PAGINA_SEGMENTO_0 = 0xAB;

// Page byte of segment s (the upper 16 bits of a linear address): (s + 0xAB) mod 256.
constexpr uint8_t Pagina_de_segmento(uint32_t segmento) {
    return static_cast<uint8_t>((segmento + PAGINA_SEGMENTO_0) & 0xFFu);
}
// Segment of a page byte, or -1 when the page lies outside the 64 segments of the map.
constexpr int Segmento_de_pagina(uint8_t pagina) {
    const int s = static_cast<int>(pagina) - PAGINA_SEGMENTO_0;
    return (s >= 0 && s < SEGMENTOS) ? s : -1;
}

// Entry s = 1 when segment s takes part in a program command, 0 when it is left alone.
using Mapa_segmentos = std::array<uint8_t, SEGMENTOS>;

// Main firmware: pages 0xAB (segment 0) to 0xC9 are erased before the stream.
inline constexpr uint8_t PRIMERA_PAGINA_FIRMWARE = PAGINA_SEGMENTO_0;
inline constexpr uint8_t ULTIMA_PAGINA_FIRMWARE = 0xC9;
// The version of the firmware sits in segment 0x18 (page 0xC3).
inline constexpr uint8_t SEGMENTO_VERSION = 0x18;
inline constexpr uint8_t PAGINA_VERSION = Pagina_de_segmento(SEGMENTO_VERSION);
// The region's channel plans: segment 30 (page 0xC9), and segment 31 (0xCA) for type 0.
inline constexpr uint8_t SEGMENTO_PLANES = 30;
inline constexpr uint8_t PRIMERA_PAGINA_PLANES = Pagina_de_segmento(SEGMENTO_PLANES);
inline constexpr uint8_t SEGUNDA_PAGINA_PLANES = Pagina_de_segmento(SEGMENTO_PLANES + 1);
// FPGA configuration area: segment 0x30 (page 0xDB) on; the firmware's program command
// takes segments 48 to 52 when the FPGA item ran before it.
inline constexpr uint8_t SEGMENTO_AREA_FPGA = 0x30;
inline constexpr uint8_t PAGINA_AREA_FPGA = Pagina_de_segmento(SEGMENTO_AREA_FPGA);
inline constexpr int ULTIMO_SEGMENTO_FPGA = 52;
// The MPEG4 module's application: pages 0xD0 to 0xE8. Its transfer program: segment 3,
// which the loader's jump names as page 3 + 126 = 0x81 (outside the 64 segments).
inline constexpr uint8_t PAGINA_APLICACION_MPEG4 = 0xD0;
inline constexpr uint8_t ULTIMA_PAGINA_APLICACION_MPEG4 = 0xE8;
inline constexpr uint8_t SEGMENTO_TRANSFERENCIA_MPEG4 = 3;
inline constexpr uint8_t PAGINA_TRANSFERENCIA_MPEG4 = SEGMENTO_TRANSFERENCIA_MPEG4 + 126;
// Block writes below this page are not sent by the graphics and MPEG4 steps.
inline constexpr uint8_t PRIMERA_PAGINA_ESCRITA = 0x80;

static_assert(PAGINA_VERSION == 0xC3 && PRIMERA_PAGINA_PLANES == 0xC9 && PAGINA_AREA_FPGA == 0xDB);

}  // namespace z82
