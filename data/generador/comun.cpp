#include "data/generador/comun.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace z82::generador {

void Fallo(const std::string& mensaje) {
    std::fprintf(stderr, "z82 image generator: %s\n", mensaje.c_str());
    std::exit(1);
}

Bytes Leer_fichero(const std::filesystem::path& ruta) {
    std::ifstream f(ruta, std::ios::binary);
    if (!f) Fallo("cannot read " + ruta.string());
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::string Leer_texto(const std::filesystem::path& ruta) {
    const Bytes b = Leer_fichero(ruta);
    return std::string(b.begin(), b.end());
}

void Escribir_si_cambia(const std::filesystem::path& ruta, std::string_view contenido) {
    std::error_code ec;
    if (std::filesystem::exists(ruta, ec) &&
        std::filesystem::file_size(ruta, ec) == contenido.size()) {
        std::ifstream f(ruta, std::ios::binary);
        std::string actual(contenido.size(), '\0');
        if (f.read(actual.data(), static_cast<std::streamsize>(actual.size())) &&
            actual == contenido) {
            return;
        }
    }
    std::ofstream f(ruta, std::ios::binary | std::ios::trunc);
    f.write(contenido.data(), static_cast<std::streamsize>(contenido.size()));
    if (!f) Fallo("cannot write " + ruta.string());
}

void Escribir_si_cambia(const std::filesystem::path& ruta, const Bytes& contenido) {
    Escribir_si_cambia(
        ruta, std::string_view(reinterpret_cast<const char*>(contenido.data()), contenido.size()));
}

void Codigo(Aleatorio& a, Bytes& v, size_t n) {
    // A 16-bit controller's instruction stream: register moves and arithmetic, loads of
    // immediates, relative branches, far calls into the code segments, and returns that
    // end the routines.
    const size_t fin = v.size() + n;
    while (v.size() < fin) {
        const uint32_t t = a.Entre(0, 99);
        if (t < 35) {  // register to register
            v.push_back(static_cast<uint8_t>(0x80 | a.Entre(0, 0x1F)));
            v.push_back(static_cast<uint8_t>(a.Entre(0, 15) << 4 | a.Entre(0, 15)));
        } else if (t < 55) {  // load immediate
            v.push_back(static_cast<uint8_t>(0xE0 | a.Entre(0, 7)));
            v.push_back(static_cast<uint8_t>(a.Entre(0, 15)));
            const uint32_t imm = a.Entre(0, 9) < 6 ? a.Entre(0, 255) : a.Siguiente() & 0xFFFF;
            v.push_back(static_cast<uint8_t>(imm));
            v.push_back(static_cast<uint8_t>(imm >> 8));
        } else if (t < 70) {  // conditional branch, short backwards or forwards
            v.push_back(static_cast<uint8_t>(0x20 | a.Entre(0, 15)));
            v.push_back(static_cast<uint8_t>(static_cast<int>(a.Entre(0, 80)) - 40));
        } else if (t < 80) {  // far call
            const uint32_t d = a.Entre(0x20000, 0x17FFFF) & ~1u;
            v.push_back(0xDA);
            v.push_back(static_cast<uint8_t>(d >> 16));
            v.push_back(static_cast<uint8_t>(d));
            v.push_back(static_cast<uint8_t>(d >> 8));
        } else if (t < 92) {  // memory access with offset
            v.push_back(static_cast<uint8_t>(0xF0 | a.Entre(0, 7)));
            v.push_back(static_cast<uint8_t>(a.Entre(0, 255)));
        } else if (t < 97) {  // push and pop around a routine
            v.push_back(0xEC);
            v.push_back(static_cast<uint8_t>(a.Entre(0, 15)));
        } else {  // return, then alignment filler
            v.push_back(0xDB);
            v.push_back(0x00);
            if (a.Entre(0, 2) == 0) {
                v.push_back(0xCC);
                v.push_back(0x00);
            }
        }
    }
    v.resize(fin);
}

}  // namespace z82::generador
