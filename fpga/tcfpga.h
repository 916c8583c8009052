// TCFpga: writes the meter's FPGA configuration area. The update run creates one per FPGA
// step, once the meter's loader is running, sets the count and the labels, calls
// Grabar_configuraciones and destroys it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/progreso.h"
#include "fpga/area_fpga.h"
#include "protocol/canal.h"

namespace z82 {

class TCFpga {
  public:
    // The program carries three configurations: 0 "TV", 1 "DFT", 2 "MER".
    static constexpr int CONFIGURACIONES_CARGADAS = 3;
    // Data bytes per block write.
    static constexpr uint32_t BYTES_BLOQUE = 250;

    TCFpga(Canal canal, Barra_de_progreso& barra);
    TCFpga(const TCFpga&) = delete;
    TCFpga& operator=(const TCFpga&) = delete;

    // Erases the area's pages, writes the image and, unless the main firmware follows in
    // the same run, has the meter program it. False, with nothing sent, when the count is
    // 0 or asks for more configurations than the program carries.
    // programar false leaves the programming to the main firmware's program command, when
    // it follows in the same run.
    bool Grabar_configuraciones(bool programar = true);

    // The image Grabar_configuraciones writes with the present count and descriptions.
    std::vector<uint8_t> Imagen() const;

    int n_configuraciones = 0;
    Descripciones_fpga descripciones{};
    // The configuration data; the carried configurations unless replaced.
    std::array<std::span<const uint8_t>, CONFIGURACIONES_CARGADAS> configuraciones;

    bool grabado_ok = false;
    uint32_t total = 0;
    uint32_t inicio = 0;
    uint32_t tamano = 0;
    uint8_t pagina = 0;

  private:
    bool Construir(Area_fpga& area) const;
    bool Enviar_area(const Area_fpga& area);
    bool Programar_area();

    Canal canal_;
    Barra_de_progreso& barra_;
};

}  // namespace z82
