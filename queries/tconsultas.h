// TConsultas: the short question-and-answer commands that read the meter's state: memory
// reads by bank and address, the peripheral device read and write, the level and device
// checks, the identity queries made after connecting and the MPEG4 module's versions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "protocol/canal.h"

namespace z82 {

class TCPuerto;

// Versions reported by the MPEG4 module; the values below mean it did not answer.
struct Version_mpeg4 {
    static constexpr uint16_t SIN_RESPUESTA_16 = 0x00FF;
    static constexpr uint8_t SIN_RESPUESTA_8 = 0xFF;

    uint16_t version_sw = SIN_RESPUESTA_16;
    uint16_t build = SIN_RESPUESTA_16;
    uint8_t version_boot = SIN_RESPUESTA_8;
    uint8_t version_decoders = SIN_RESPUESTA_8;
};

// Result of an identity query: estado -1 when the request could not be written (ok false,
// valor 0), else 0 with the success of the last attempt and the value it carried.
template <typename T>
struct Dato_medidor {
    int estado = 0;
    bool ok = false;
    T valor = 0;
};

// Byte k of a memory read's words, in the order the meter sent it (low byte first).
inline uint8_t Byte_leido(const uint16_t* palabras, size_t k) {
    const uint16_t w = palabras[k / 2];
    return static_cast<uint8_t>(k % 2 == 0 ? w & 0xFF : w >> 8);
}

// The bytes of a memory read's reply that a decision uses: from desde up to, not
// including, hasta.
struct Bytes_usados {
    uint8_t desde = 0;
    uint8_t hasta = 255;
};

// The device write request: 0x02, n + 3, 0x50, device, selector AND 0x0F, the n data bytes.
// The meter's EEPROM takes its writes as this request to device 0x52, selector 8.
std::vector<uint8_t> Peticion_escritura_dispositivo(uint8_t dispositivo, uint8_t selector,
                                                    const uint8_t* datos, uint8_t n);

class TConsultas {
  public:
    // The capacity callers give Leer_dispositivo.
    static constexpr int CAPACIDAD_DISPOSITIVO = 11;

    explicit TConsultas(Canal canal) : canal_(canal) {}
    TConsultas(const TConsultas&) = delete;
    TConsultas& operator=(const TConsultas&) = delete;

    // Reads cuenta bytes at direccion of banco into cuenta / 2 words (low byte first).
    // Words that were not read stay 0. True when an attempt brought the whole reply in time.
    bool Leer_memoria(uint16_t direccion, uint8_t banco, uint8_t cuenta, uint16_t* palabras);
    // The meter's replies carry no checksum: a byte damaged or doubled on the line is read
    // as data. For values a wrong reading of which would harm the meter, the read is made
    // again until two whole replies in a row agree on the bytes a decision uses (at most
    // LECTURAS_CONFORMES reads). Only those bytes are compared: the other bytes of a RAM
    // block may change between two reads. A meter that sends nothing at all to a read is
    // not asked again. False when the replies never agreed; the words then hold the last.
    static constexpr int LECTURAS_CONFORMES = 5;
    bool Leer_memoria_conforme(uint16_t direccion, uint8_t banco, uint8_t cuenta,
                               uint16_t* palabras, Bytes_usados usados = {});
    // buffer[0] holds the count to ask for; the reply's data go to buffer[0..]. The buffer
    // holds CAPACIDAD_DISPOSITIVO bytes.
    bool Leer_dispositivo(uint8_t dispositivo, uint8_t* buffer, uint8_t selector, uint8_t flag,
                          uint8_t modo);
    bool Escribir_dispositivo(uint8_t dispositivo, uint8_t selector, const uint8_t* datos,
                              uint8_t n);
    // Averaged level of four reads, 0..255.
    int Leer_nivel();
    bool Comprobar_dispositivo();
    bool Activar_dispositivo();
    // The language index byte (reply byte 4) and whether the last attempt was good; estado
    // -1 when the request could not be written.
    Dato_medidor<uint8_t> Leer_idioma();
    Dato_medidor<uint8_t> Leer_dato_232();
    Dato_medidor<uint16_t> Leer_dato_23b();
    // Fills version (on a connected meter: the request goes out as it is).
    void Leer_version_mpeg4();

    Version_mpeg4 version;
    // The last memory or device read brought no whole reply in any attempt: what it was to
    // tell is unknown (a meter that left, a pulled cable), not a reading of the meter.
    bool ultima_fallida = false;
    // How much of its identity the module sent to the last 0xBF.
    enum class Respuesta_modulo { ninguna, parcial, completa };
    Respuesta_modulo respuesta_mpeg4 = Respuesta_modulo::ninguna;

  private:
    struct Lectura {
        bool entera = false;          // an attempt brought the whole reply in time
        bool muda = true;             // not one byte came back to any attempt
        bool puerto_fallido = false;  // a request did not go out whole
    };
    Lectura Leer(uint16_t direccion, uint8_t banco, uint8_t cuenta, uint16_t* palabras);
    TCPuerto& puerto();
    Canal canal_;
};

}  // namespace z82
