// Intel HEX record reader: turns one line of the line source into one record and checks
// its checksum. Only upper-case hexadecimal digits are accepted.
#pragma once

#include <cstdint>

#include "hex/fuente_lineas.h"

namespace z82 {

struct Registro_hex {
    uint8_t count = 0;
    uint16_t address = 0;
    uint8_t type = 0;
    uint8_t* data = nullptr;  // caller's buffer of at least 255 bytes
};

constexpr uint8_t HEX_OK = 0;
constexpr uint8_t HEX_NO_ES_REGISTRO = 1;  // the line does not begin with ':'
constexpr uint8_t HEX_FORMATO = 3;         // a bad digit, a short line or an overlong line
constexpr uint8_t HEX_CHECKSUM = 4;
constexpr uint8_t HEX_FIN = 5;  // no more lines

constexpr uint8_t HEX_TIPO_DATOS = 0x00;
constexpr uint8_t HEX_TIPO_FIN = 0x01;
constexpr uint8_t HEX_TIPO_DIRECCION_LINEAL = 0x04;

class TLector_hex {
  public:
    explicit TLector_hex(TFuente_lineas& fuente) : fuente_(fuente) {}

    uint8_t Leer_registro(Registro_hex& r);  // r.data must point at >= 255 bytes

    uint32_t registros = 0;  // record count stored by the scan

  private:
    TFuente_lineas& fuente_;
};

}  // namespace z82
