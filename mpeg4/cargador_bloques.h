// Commands of the meter's block loader: the synchronisation exchange made before a series
// of orders, and the erase of one numbered 64 KiB flash sector. One attempt each; the
// caller repeats them until they succeed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace z82 {

struct Canal;

// Data block: 'Z', the 24-bit offset of the block (most significant byte first), 128 data
// bytes and the XOR of bytes 1 to 131. The loader answers 0xA5.
struct Trama_bloque {
    static constexpr uint8_t INICIO = 0x5A;
    static constexpr uint8_t RESPUESTA = 0xA5;
    static constexpr std::size_t DATOS = 128;
    std::array<uint8_t, 133> bytes{};

    Trama_bloque(uint32_t desplazamiento, const uint8_t* datos);
};

// Order: '[', three zeros, the 24-bit length of the collected data (most significant byte
// first), the sector, two parameter bytes, the XOR of the collected data and the XOR of
// bytes 1 to 10. The loader answers 0xB5.
struct Trama_orden {
    static constexpr uint8_t INICIO = 0x5B;
    static constexpr uint8_t RESPUESTA = 0xB5;
    std::array<uint8_t, 12> bytes{};

    Trama_orden(uint32_t longitud, uint8_t sector, uint8_t xor_datos);
};

// Sends one block of 128 bytes 0xFF at offset 0 and expects 0xA5.
bool Sincronizar_datos(const Canal& canal);
// Sends the erase order (length 0) for the sector and expects 0xB5.
bool Vaciar_sector(const Canal& canal, uint8_t sector);

}  // namespace z82
