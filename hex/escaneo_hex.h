// The start-up scan of the firmware image: checks every record, learns the 64 KB segments
// the image fills and its version text, and counts the records. The main window adds the
// beep and the message box around it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/mapa_flash.h"
#include "hex/fuente_lineas.h"
#include "hex/lector_hex.h"

namespace z82 {

struct Resultado_escaneo {
    bool ok = false;
    std::string version;  // "1.88.00004"; partial or empty when the scan failed before it
    std::array<bool, 64> segmentos{};  // entry 0 is never set
    uint32_t registros = 0;            // records read, the end record included on success
    std::string mensaje;               // the scan's message on failure
};

// Rewinds the source and reads it to the end record. On success the record count is also
// stored in lector.registros.
Resultado_escaneo Escanear_hex(TFuente_lineas& fuente, TLector_hex& lector);

}  // namespace z82
