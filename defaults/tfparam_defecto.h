// TFParam_defecto: the meter's factory-default data (the default-parameter block and the
// four measurement profiles) and the zone configuration step that writes them into the
// meter's EEPROM. The update run makes one per run and uses it as a plain object.
#pragma once

#include <array>
#include <cstdint>

#include "base/mapa_memoria.h"
#include "base/progreso.h"
#include "protocol/canal.h"
#include "queries/datos_medidor.h"

namespace z82 {

class TConsultas;

class TFParam_defecto {
  public:
    static constexpr uint16_t EEPROM_FABRICA = memoria::CONF_FABRICA;
    static constexpr uint16_t EEPROM_DEFECTO = memoria::CONF_DEFECTO;
    static constexpr uint16_t EEPROM_PERFILES = memoria::PERFILES;
    static constexpr int TAMANO_SLOT = 256;
    static constexpr int SLOTS = 4;
    // Largest data count of one EEPROM write request (its length byte counts n + 5).
    static constexpr int MAX_DATOS_EEPROM = 250;

    // medidor: the facts the blocks are built from, as the update run holds them.
    TFParam_defecto(Canal canal, TConsultas& consultas, Barra_de_progreso& barra,
                    const Datos_medidor& medidor)
        : canal_(canal), consultas_(consultas), barra_(barra), medidor_(medidor) {}
    TFParam_defecto(const TFParam_defecto&) = delete;
    TFParam_defecto& operator=(const TFParam_defecto&) = delete;

    // Composes the default-parameter block (231 bytes, 245 for USA meters) from the
    // language index and the facts read from the meter: a function of its inputs alone.
    static void Construir_parametros(std::array<uint8_t, 256>& parametros, int idioma,
                                     const Datos_medidor& datos);
    // Composes the profile of one slot (a slot above 3 is slot 0); the bytes of the slot
    // beyond the profile keep their content.
    static void Construir_perfil(std::array<uint8_t, TAMANO_SLOT * SLOTS>& perfiles, int slot,
                                 int idioma, bool es_usa);
    // The same over this object's blocks, with the meter's facts.
    void Construir_parametros(int idioma);
    void Construir_perfil(int slot, int idioma);

    // One EEPROM write of n bytes at address a, up to five attempts; true when acknowledged.
    bool Escribir_eeprom(uint16_t a, const uint8_t* d, int n);
    // The write request carries no checksum and the meter acknowledges what it received:
    // the zone's blocks are read back after each write (32 bytes a read, in the shape of
    // the profile reads) and written again when they differ, at most
    // ESCRITURAS_COMPROBADAS times. True when the EEPROM holds the n bytes (a a multiple
    // of 32).
    static constexpr int ESCRITURAS_COMPROBADAS = 3;
    bool Comprobar_eeprom(uint16_t a, const uint8_t* d, int n);
    bool Escribir_eeprom_comprobada(uint16_t a, const uint8_t* d, int n);
    bool Grabar_conf_fabrica();
    bool Grabar_conf_defecto();
    // Reads the meter's four profiles into perfiles; true when they must be rewritten.
    // perfiles_leidos tells whether every chunk read the same twice running.
    bool Leer_perfiles();
    // Reads, rebuilds and writes the four profiles. Profiles that could not all be read are
    // not rewritten (their kept bytes are unknown) and the step fails.
    bool Grabar_perfiles();
    // The zone configuration step: profiles, factory and default configuration, with the
    // progress on the window's bar.
    bool Grabar_configuracion();

    std::array<uint8_t, 256> parametros{};
    std::array<uint8_t, TAMANO_SLOT * SLOTS> perfiles{};
    bool perfiles_leidos = false;

  private:
    bool Grabar_conf(uint16_t direccion);
    Canal canal_;
    TConsultas& consultas_;
    Barra_de_progreso& barra_;
    const Datos_medidor& medidor_;
};

}  // namespace z82
