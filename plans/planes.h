// The two small operations of the plans unit that the update run uses, and a listing of the
// carried plans for the command line.
#pragma once

#include <cstdint>
#include <string>

namespace z82 {

// Size of the buffer the plan question works on: two 64 KiB sectors.
inline constexpr int TAMANO_BUFFER_PLANES = 131072;

// Fills the 131,072-byte buffer with 0xFF (erased flash).
void Llenar_planes(uint8_t* buffer);
// True when the plan image of this type needs a second sector (only type 0 does); the
// buffer is not looked at.
bool Necesita_dos_sectores(const uint8_t* buffer, int tipo);
// The carried plans of a plan type, one line a plan, as text for a terminal.
std::string Listado_planes(int tipo);

}  // namespace z82
