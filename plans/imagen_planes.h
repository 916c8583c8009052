// The meter's format of a regional channel-plan image, and a decoder of it into plans and
// channels. The image lies in the meter's flash from 0x1E0000 (sector 30) on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace z82 {

namespace formato_planes {
constexpr uint32_t DIRECCION_BASE = 0x1E0000;  // meter address of the image's first byte
constexpr size_t CABECERA = 16;
constexpr size_t RANURAS = 64;
constexpr size_t RANURA = 22;
constexpr size_t INICIO_TABLAS = CABECERA + RANURAS * RANURA;  // 0x590
constexpr size_t CANAL = 26;
constexpr size_t NOMBRE_PLAN = 11;   // ten characters and the zero
constexpr size_t NOMBRE_CANAL = 13;  // twelve characters and the zero
constexpr size_t SECTOR = 0x10000;
constexpr int TIPOS = 5;

constexpr uint16_t CLASE_TERRESTRE = 0;
constexpr uint16_t CLASE_SATELITE = 2;

// Polarisation and band byte of a channel.
constexpr uint8_t POL_VERTICAL = 0x01;
constexpr uint8_t POL_HORIZONTAL = 0x02;
constexpr uint8_t BANDA_ALTA = 0x04;
}  // namespace formato_planes

struct Canal_plan {
    uint32_t frecuencia = 0;  // kHz
    std::string nombre;       // Windows Latin-1 bytes
    uint8_t polarizacion = 0;
    uint16_t ancho_banda = 0;  // kHz
    uint16_t numero = 0;
    uint16_t valor = 0;  // per-channel value (FCC cable tables)
};

struct Plan_canales {
    std::string nombre;  // Windows Latin-1 bytes (0xB0 is the degree sign)
    uint16_t clase = 0;  // 0 terrestrial, 2 satellite, 6 and 10 other satellite kinds
    uint16_t numero = 0;
    uint32_t direccion = 0;  // meter address of the channel table
    std::vector<Canal_plan> canales;
};

struct Imagen_planes {
    uint16_t version = 0;
    uint8_t tipo = 0;
    std::vector<Plan_canales> planes;
};

// Decodes an image; nullopt (with the reason in *error) when a count, an address or a
// table does not fit inside the image.
std::optional<Imagen_planes> Decodificar_planes(std::span<const uint8_t> imagen,
                                                std::string* error = nullptr);

// Version and type from the first five bytes of an image (also of what the meter reads
// back from bank 0x1E): count and version most significant byte first.
uint16_t Version_planes(std::span<const uint8_t> cabecera);

// Latin-1 text as UTF-8, for the terminal.
std::string Latin1_a_utf8(const std::string& texto);

}  // namespace z82
