// Temporary: replaced by the generated images.
#include "data/imagenes.h"

namespace z82::datos {
std::string_view imagen_hex() { return {}; }
std::span<const uint8_t> bloque_cargador(int) { return {}; }
std::span<const uint8_t> imagen_planes(int) { return {}; }
std::span<const uint8_t> configuracion_fpga(int) { return {}; }
std::span<const uint8_t> imagen_mpeg4() { return {}; }
std::span<const uint8_t> programa_transferencia() { return {}; }
std::span<const uint8_t> grafico(int) { return {}; }
std::string_view idiomas_ini_muestra() { return {}; }
}  // namespace z82::datos
