// The images the program carries, compiled into the executables.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace z82::datos {

// The meter's main firmware as Intel HEX text (CR LF lines).
std::string_view imagen_hex();
// Loader code blocks: 0 (32 bytes), 1 (144 bytes), 2 (972 bytes).
std::span<const uint8_t> bloque_cargador(int indice);
// Regional channel-plan image of plan type 0 .. 4 (meter format).
std::span<const uint8_t> imagen_planes(int tipo);
// FPGA configurations 0 "TV", 1 "DFT", 2 "MER".
std::span<const uint8_t> configuracion_fpga(int indice);
// MPEG4 module application and the meter's transfer program.
std::span<const uint8_t> imagen_mpeg4();
std::span<const uint8_t> programa_transferencia();
// Banner pictures 1 .. 4: 150 x 75 pixels, RGB565, two bytes a pixel (low byte first, sent
// in that order), row by row from the top-left corner.
std::span<const uint8_t> grafico(int numero);
// The sample language file.
std::string_view idiomas_ini_muestra();

}  // namespace z82::datos
