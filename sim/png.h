// A minimal PNG writer: 8-bit RGB, no filter, zlib stream of stored blocks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace z82::sim {

uint32_t crc32_png(const uint8_t* datos, size_t n, uint32_t crc = 0);
uint32_t adler32(const uint8_t* datos, size_t n);

// rgb holds ancho * alto pixels of three bytes, row by row from the top.
std::vector<uint8_t> codificar_png(uint32_t ancho, uint32_t alto, const std::vector<uint8_t>& rgb);
bool escribir_png(const std::string& ruta, uint32_t ancho, uint32_t alto,
                  const std::vector<uint8_t>& rgb);

}  // namespace z82::sim
