// The meter's memories as its memory read names them: a bank byte and a 16-bit address.
// Bank 0x00 is live RAM; banks 0x18, 0x1E and 0x30 are flash; bank 0x42 is the EEPROM,
// which answers a read at A with the bytes from A - 2 on. Bank 0x50 is not a memory but the
// peripheral bus.
#pragma once

#include <cstdint>

namespace z82::memoria {

// RAM (bank 0x00).
inline constexpr uint8_t BANCO_RAM = 0x00;
inline constexpr uint16_t NIVEL = 0xFEA0;           // 2 bytes: the level in the low byte
inline constexpr uint16_t OPCIONES = 0x6010;        // 32 bytes: byte 26, bit 0x20
inline constexpr uint16_t ESTADO_VERSION = 0x6030;  // 16 bytes: byte 1 zero when readable

// Flash: the firmware's own block (segment 0x18), the plan header (segment 0x1E, the first
// bytes of the plan image) and the FPGA area's directory (segment 0x30).
inline constexpr uint8_t BANCO_FIRMWARE = 0x18;
inline constexpr uint16_t BLOQUE_REGION = 0x0000;  // 16 bytes: "USA" at bytes 12 to 14
inline constexpr uint16_t VERSION = 0x0010;        // 6 bytes: "1.88"
inline constexpr uint16_t BUILD = 0x0016;          // 6 bytes: "00004"
inline constexpr uint8_t BANCO_PLANES = 0x1E;
inline constexpr uint16_t CABECERA_PLANES = 0x0000;  // 6 bytes: version (2, 3), type (4)
inline constexpr uint8_t BANCO_FPGA = 0x30;
inline constexpr uint16_t DIRECTORIO_FPGA = 0x0000;  // 16 bytes: version bytes 11, 10

// EEPROM (bank 0x42): the zone block written at 0x0200 keeps the language at offset 14, the
// sound selector at 51 and the sound word at 59; the identity reads ask for them there.
inline constexpr uint8_t BANCO_EEPROM = 0x42;
inline constexpr uint16_t IDIOMA = 0x020E;
inline constexpr uint16_t DATO_232 = 0x0232;
inline constexpr uint16_t DATO_23B = 0x023B;
inline constexpr uint16_t CONF_FABRICA = 0x0100;
inline constexpr uint16_t CONF_DEFECTO = 0x0200;
inline constexpr uint16_t PERFILES = 0x0300;
// A read of the EEPROM carries two bytes from before its address first.
inline constexpr int DESFASE_EEPROM = 2;

// The peripheral bus and its one device used here.
inline constexpr uint8_t BANCO_DISPOSITIVOS = 0x50;
inline constexpr uint8_t DISPOSITIVO_ESTADO = 0x3F;
// The EEPROM takes its writes as device 0x52 ('R'), selector 8: address high, low, data.
inline constexpr uint8_t DISPOSITIVO_EEPROM = 0x52;
inline constexpr uint8_t SELECTOR_EEPROM = 0x08;

}  // namespace z82::memoria
