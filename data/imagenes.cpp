// Access to the images the build embedded (see imagenes_incbin.cpp, or the generated
// arrays on compilers without .incbin).
#include "data/imagenes.h"

#define Z82_IMAGEN(s)                                           \
    extern "C" const uint8_t s##_ini[];                         \
    extern "C" const uint32_t s##_tam;                          \
    namespace {                                                 \
    std::span<const uint8_t> s() { return {s##_ini, s##_tam}; } \
    }

Z82_IMAGEN(z82_img_firmware_hex)
Z82_IMAGEN(z82_img_cargador0_bin)
Z82_IMAGEN(z82_img_cargador1_bin)
Z82_IMAGEN(z82_img_cargador2_bin)
Z82_IMAGEN(z82_img_planes0_bin)
Z82_IMAGEN(z82_img_planes1_bin)
Z82_IMAGEN(z82_img_planes2_bin)
Z82_IMAGEN(z82_img_planes3_bin)
Z82_IMAGEN(z82_img_planes4_bin)
Z82_IMAGEN(z82_img_fpga_tv_bin)
Z82_IMAGEN(z82_img_fpga_dft_bin)
Z82_IMAGEN(z82_img_fpga_mer_bin)
Z82_IMAGEN(z82_img_mpeg4_bin)
Z82_IMAGEN(z82_img_transferencia_bin)
Z82_IMAGEN(z82_img_grafico1_bin)
Z82_IMAGEN(z82_img_grafico2_bin)
Z82_IMAGEN(z82_img_grafico3_bin)
Z82_IMAGEN(z82_img_grafico4_bin)
Z82_IMAGEN(z82_img_idiomas_ini)

namespace z82::datos {
namespace {

std::string_view Texto(std::span<const uint8_t> b) {
    return {reinterpret_cast<const char*>(b.data()), b.size()};
}

}  // namespace

std::string_view imagen_hex() { return Texto(z82_img_firmware_hex()); }

std::span<const uint8_t> bloque_cargador(int indice) {
    switch (indice) {
        case 0:
            return z82_img_cargador0_bin();
        case 1:
            return z82_img_cargador1_bin();
        case 2:
            return z82_img_cargador2_bin();
        default:
            return {};
    }
}

std::span<const uint8_t> imagen_planes(int tipo) {
    switch (tipo) {
        case 0:
            return z82_img_planes0_bin();
        case 1:
            return z82_img_planes1_bin();
        case 2:
            return z82_img_planes2_bin();
        case 3:
            return z82_img_planes3_bin();
        case 4:
            return z82_img_planes4_bin();
        default:
            return {};
    }
}

std::span<const uint8_t> configuracion_fpga(int indice) {
    switch (indice) {
        case 0:
            return z82_img_fpga_tv_bin();
        case 1:
            return z82_img_fpga_dft_bin();
        case 2:
            return z82_img_fpga_mer_bin();
        default:
            return {};
    }
}

std::span<const uint8_t> imagen_mpeg4() { return z82_img_mpeg4_bin(); }
std::span<const uint8_t> programa_transferencia() { return z82_img_transferencia_bin(); }

std::span<const uint8_t> grafico(int numero) {
    switch (numero) {
        case 1:
            return z82_img_grafico1_bin();
        case 2:
            return z82_img_grafico2_bin();
        case 3:
            return z82_img_grafico3_bin();
        case 4:
            return z82_img_grafico4_bin();
        default:
            return {};
    }
}

std::string_view idiomas_ini_muestra() { return Texto(z82_img_idiomas_ini()); }

}  // namespace z82::datos
