// The single bytes of the connection: the handshake probe and the meter's answers, the
// disconnect notice both ways, and the closing pair that ends a run and a flash session.
#pragma once

#include <cstdint>

namespace z82::enlace {

inline constexpr uint8_t SONDA = 0x00;                  // PC to meter: are you there?
inline constexpr uint8_t RESPUESTA_NORMAL = 0x5D;       // meter: connected
inline constexpr uint8_t RESPUESTA_DIFERENCIAL = 0xD5;  // meter: only its boot loader runs
inline constexpr uint8_t RESPUESTA_FIN = 0x6D;          // meter: refuses the connection
inline constexpr uint8_t DESCONEXION = 0x0A;            // either way: leaving
inline constexpr uint8_t CIERRE_1 = 0x0F;               // the closing pair
inline constexpr uint8_t CIERRE_2 = 0xF0;

}  // namespace z82::enlace
