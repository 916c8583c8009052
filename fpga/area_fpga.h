// The meter's FPGA configuration area as it is written to flash: the configuration count,
// a directory of 16 entries and the configurations back to back at even offsets, with every
// byte that is not written left at 0xFF like erased flash.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/mapa_flash.h"

namespace z82 {

// The area is built in a buffer of 2 MiB.
inline constexpr uint32_t TAMANO_AREA_FPGA = 2u * 1024u * 1024u;
// Count (2 bytes) and directory (16 entries of 16 bytes) come first.
inline constexpr int ENTRADAS_DIRECTORIO_FPGA = 16;
inline constexpr uint32_t BYTES_ENTRADA_FPGA = 16;
inline constexpr uint32_t INICIO_CONFIGURACIONES_FPGA = 2 + ENTRADAS_DIRECTORIO_FPGA * 16;
// Image offset p lives at page 0xDB + p / 65536 (segment 0x30 on), address p mod 65536:
// see base/mapa_flash.h.

// The version the carried area declares in each directory entry (bytes 9 and 8), which the
// meter reports back from its own area: "3.0".
inline constexpr uint8_t VERSION_FPGA_MAYOR = 3;
inline constexpr uint8_t VERSION_FPGA_MENOR = 0;
std::string Version_fpga_llevada();

// Per configuration, up to 8 characters and a terminating zero.
using Descripciones_fpga = std::array<std::array<char, 9>, 17>;

struct Area_fpga {
    std::vector<uint8_t> datos;  // TAMANO_AREA_FPGA bytes once built
    uint32_t total = 0;          // end of the last configuration
    uint32_t inicio = 0;         // even start offset that the next configuration would take
    uint32_t tamano = 0;         // size of the last configuration placed
};

// Builds the area for the given configurations (their number is the count written at
// offset 0). False, with the area left empty, when there are none, more than the directory
// holds, one of them has no data, or they do not fit in the buffer.
bool Construir_area_fpga(std::span<const std::span<const uint8_t>> configuraciones,
                         const Descripciones_fpga& descripciones, Area_fpga& area);

// The image as the meter should hold it: the first `total` bytes of the area, or nothing
// when the area cannot be built.
std::vector<uint8_t> Imagen_area_fpga(std::span<const std::span<const uint8_t>> configuraciones,
                                      const Descripciones_fpga& descripciones = {});

}  // namespace z82
