#include "sim/png.h"

#include <array>
#include <fstream>

namespace z82::sim {

namespace {

const std::array<uint32_t, 256>& tabla_crc() {
    static const std::array<uint32_t, 256> tabla = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return tabla;
}

void poner32(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(static_cast<uint8_t>(x >> 24));
    v.push_back(static_cast<uint8_t>(x >> 16));
    v.push_back(static_cast<uint8_t>(x >> 8));
    v.push_back(static_cast<uint8_t>(x));
}

void trozo(std::vector<uint8_t>& png, const char tipo[4], const std::vector<uint8_t>& datos) {
    poner32(png, static_cast<uint32_t>(datos.size()));
    const size_t inicio = png.size();
    png.insert(png.end(), tipo, tipo + 4);
    png.insert(png.end(), datos.begin(), datos.end());
    poner32(png, crc32_png(png.data() + inicio, png.size() - inicio));
}

}  // namespace

uint32_t crc32_png(const uint8_t* datos, size_t n, uint32_t crc) {
    const auto& t = tabla_crc();
    uint32_t c = crc ^ 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) c = t[(c ^ datos[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint32_t adler32(const uint8_t* datos, size_t n) {
    uint32_t a = 1, b = 0;
    for (size_t i = 0; i < n; ++i) {
        a = (a + datos[i]) % 65521u;
        b = (b + a) % 65521u;
    }
    return (b << 16) | a;
}

std::vector<uint8_t> codificar_png(uint32_t ancho, uint32_t alto, const std::vector<uint8_t>& rgb) {
    // Raw scanlines, each preceded by filter type 0.
    std::vector<uint8_t> crudo;
    crudo.reserve(size_t(alto) * (size_t(ancho) * 3 + 1));
    for (uint32_t y = 0; y < alto; ++y) {
        crudo.push_back(0);
        const size_t desde = size_t(y) * ancho * 3;
        for (size_t i = 0; i < size_t(ancho) * 3; ++i)
            crudo.push_back(desde + i < rgb.size() ? rgb[desde + i] : 0);
    }
    // zlib: header, stored blocks of at most 65535 bytes, Adler-32.
    std::vector<uint8_t> z{0x78, 0x01};
    size_t pos = 0;
    do {
        const size_t n = std::min<size_t>(65535, crudo.size() - pos);
        const bool ultimo = pos + n == crudo.size();
        z.push_back(ultimo ? 1 : 0);
        z.push_back(static_cast<uint8_t>(n));
        z.push_back(static_cast<uint8_t>(n >> 8));
        z.push_back(static_cast<uint8_t>(~n));
        z.push_back(static_cast<uint8_t>(~n >> 8));
        z.insert(z.end(), crudo.begin() + static_cast<std::ptrdiff_t>(pos),
                 crudo.begin() + static_cast<std::ptrdiff_t>(pos + n));
        pos += n;
    } while (pos < crudo.size());
    poner32(z, adler32(crudo.data(), crudo.size()));

    std::vector<uint8_t> png{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> ihdr;
    poner32(ihdr, ancho);
    poner32(ihdr, alto);
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
    trozo(png, "IHDR", ihdr);
    trozo(png, "IDAT", z);
    trozo(png, "IEND", {});
    return png;
}

bool escribir_png(const std::string& ruta, uint32_t ancho, uint32_t alto,
                  const std::vector<uint8_t>& rgb) {
    const auto png = codificar_png(ancho, alto, rgb);
    std::ofstream f(ruta, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    f.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(f);
}

}  // namespace z82::sim
