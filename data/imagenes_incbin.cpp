// The generated images, included byte for byte by the assembler (GCC, Clang, MinGW):
// nothing is converted to source text, so the data step stays fast.
//
// Each image gets three symbols: <name>_ini (first byte), <name>_tam (32-bit length) and
// a zero byte after the data.

#ifndef Z82_DIR_IMAGENES
#error "Z82_DIR_IMAGENES must name the folder of the generated images"
#endif

#define Z82_STR2(x) #x
#define Z82_STR(x) Z82_STR2(x)

#if defined(__APPLE__)
#define Z82_SECCION ".const_data"
#elif defined(_WIN32)
#define Z82_SECCION ".section .rdata,\"dr\""
#else
#define Z82_SECCION ".section .rodata"
#endif

#ifdef __USER_LABEL_PREFIX__
#define Z82_PREFIJO Z82_STR(__USER_LABEL_PREFIX__)
#else
#define Z82_PREFIJO ""
#endif

#define Z82_INCBIN(sim, fichero)                                 \
    __asm__(Z82_SECCION                                          \
            "\n"                                                 \
            ".balign 16\n"                                       \
            ".globl " Z82_PREFIJO #sim "_ini\n" Z82_PREFIJO #sim \
            "_ini:\n"                                            \
            ".incbin \"" Z82_DIR_IMAGENES "/" fichero            \
            "\"\n"                                               \
            "1:\n"                                               \
            ".byte 0\n"                                          \
            ".balign 4\n"                                        \
            ".globl " Z82_PREFIJO #sim "_tam\n" Z82_PREFIJO #sim \
            "_tam:\n"                                            \
            ".long 1b - " Z82_PREFIJO #sim                       \
            "_ini\n"                                             \
            ".text\n")

Z82_INCBIN(z82_img_firmware_hex, "firmware.hex");
Z82_INCBIN(z82_img_cargador0_bin, "cargador0.bin");
Z82_INCBIN(z82_img_cargador1_bin, "cargador1.bin");
Z82_INCBIN(z82_img_cargador2_bin, "cargador2.bin");
Z82_INCBIN(z82_img_planes0_bin, "planes0.bin");
Z82_INCBIN(z82_img_planes1_bin, "planes1.bin");
Z82_INCBIN(z82_img_planes2_bin, "planes2.bin");
Z82_INCBIN(z82_img_planes3_bin, "planes3.bin");
Z82_INCBIN(z82_img_planes4_bin, "planes4.bin");
Z82_INCBIN(z82_img_fpga_tv_bin, "fpga_tv.bin");
Z82_INCBIN(z82_img_fpga_dft_bin, "fpga_dft.bin");
Z82_INCBIN(z82_img_fpga_mer_bin, "fpga_mer.bin");
Z82_INCBIN(z82_img_mpeg4_bin, "mpeg4.bin");
Z82_INCBIN(z82_img_transferencia_bin, "transferencia.bin");
Z82_INCBIN(z82_img_grafico1_bin, "grafico1.bin");
Z82_INCBIN(z82_img_grafico2_bin, "grafico2.bin");
Z82_INCBIN(z82_img_grafico3_bin, "grafico3.bin");
Z82_INCBIN(z82_img_grafico4_bin, "grafico4.bin");
Z82_INCBIN(z82_img_idiomas_ini, "idiomas.ini");
