// What a simulated meter is: its versions, its answers, its stored settings and its
// timings. The defaults describe a meter that needs its firmware, plans, FPGA and zone
// configuration, with an MPEG4 module that is already up to date.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace z82::sim {

// What the MPEG4 module answers to 0xBF.
struct Version_modulo {
    uint16_t version_sw = 0x0070;
    uint16_t build = 0;
    uint8_t version_boot = 0x02;
    uint8_t version_decoders = 0x05;
};

struct Config_medidor {
    // Handshake: the byte the meter answers to the probe 0x00. 0x5D normal mode, 0xD5
    // boot loader only (the meter answers 0x5D once it has been programmed), 0x6D refusal,
    // or no answer at all.
    uint8_t respuesta_sonda = 0x5D;
    bool sonda_muda = false;
    // Queries are only answered after a probe (the meter's USB screen is active).
    bool exigir_sonda = true;

    // Firmware version text as the meter keeps it in segment 0x18 ("1.87" at 0x10 and
    // "00000" at 0x16) and the region text at 0x0C .. 0x0E.
    std::string version_firmware = "1.87.00000";
    std::string region = "EUR";

    // Plan header in segment 0x1E: type and version (high byte first in flash).
    uint8_t plan_tipo = 0;
    uint16_t plan_version = 100;
    uint16_t plan_cuenta = 38;

    // FPGA version: bytes 8/9 of entry 0 of the configuration directory in segment 0x30.
    uint8_t fpga_mayor = 2;
    uint8_t fpga_menor = 0;

    // MPEG4 module: absent modules say nothing to 0xBF.
    bool mpeg4_presente = true;
    Version_modulo mpeg4;
    // Versions the module reports after a successful transfer (default: up to date).
    Version_modulo mpeg4_tras_actualizar;
    // Virtual time from the transfer order to the 0xBB byte.
    int64_t us_programacion_mpeg4 = 90'000'000;
    // Byte the transfer program sends when it is ready for the order.
    uint8_t byte_listo_mpeg4 = 0x52;
    // The start command is honoured only when the 972-byte block carried the jump to the
    // transfer program (segment 3, entry 0x4120 at offsets 249 .. 251).
    bool exigir_parche_972 = true;

    // EEPROM, where the zone block written at 0x0200 keeps them: the language index at
    // 0x020E (offset 14), the sound selector at 0x0233 (offset 51) and the word at 0x023B
    // (offset 59, low byte first). The EEPROM answers a read at A from A - 2 on.
    uint8_t idioma = 1;
    uint8_t dato_233 = 0x01;
    uint16_t dato_23b = 0x0102;
    // An older meter without those two: its reads of words 0x0232 and 0x023B go unanswered.
    bool sin_datos_sonido = false;
    // Extra EEPROM contents (address, bytes) laid over the defaults.
    std::vector<std::pair<uint16_t, std::vector<uint8_t>>> eeprom_extra;

    // RAM of bank 0x00: level at 0xFEA0, options at 0x6010 (byte 26, bit 0x20) and the
    // version block at 0x6030 (byte 1 zero = readable version).
    uint8_t nivel = 40;
    bool opciones_bit5 = true;
    uint8_t byte_6031 = 0;
    // Bank 0x00 is live: every byte of the two status blocks but those the program uses
    // (0x6010 + 26, 0x6031) changes on every read.
    bool ram_viva = true;

    // Device 0x3F on the peripheral bus: two-byte registers for selectors 8 and 12.
    // Bit 7 of selector 8 and bit 6 of selector 12 (byte 1) are the two status bits.
    std::array<uint8_t, 2> registro_sel8{0x00, 0x10};
    std::array<uint8_t, 2> registro_sel12{0x00, 0x00};

    // What the 144-byte loader block answers: 0x4A, the graphics start page and the
    // base address of the frame buffer (high, low).
    bool responder_4a = true;
    uint8_t pagina_pantalla = 0x90;
    uint16_t base_pantalla = 0;
    // First byte of the answer to the 972-byte block (0xAD follows).
    uint8_t byte_previo_972 = 0x01;
    // Pixels of the frame buffer: the two bytes sent for a pixel, low byte first.
    bool pixel_byte_alto_primero = false;

    // Answer to a filler byte 0xFF while the flash loader waits for a command: '?' or
    // 'f'; 0 means silence.
    uint8_t respuesta_relleno = '?';

    // Timings (virtual microseconds).
    int64_t us_latencia = 150;            // from the last byte of a request
    int64_t us_borrado_pagina = 20'000;   // flash loader page erase
    int64_t us_borrado_sector = 300'000;  // block loader sector erase
    int64_t us_carga_972 = 50'000;        // loader start after the 972-byte block
    int64_t us_fase_borrado = 120'000;    // program command: per segment erased
    int64_t us_fase_escritura = 200'000;  // program command: per segment written
    int64_t us_pausa_trama = 500'000;     // a frame left unfinished this long is dropped

    // The meter sends its own 0x0A (the user left the USB screen) at this instant; -1 never.
    int64_t us_desconexion_propia = -1;
    // From this instant the meter neither hears nor answers anything; -1 never.
    int64_t us_silencio = -1;

    // Serial block of the MPEG4 module (0xC0): 64 bytes.
    std::string serie_mpeg4 = "Z82-MPEG4-000123";
};

}  // namespace z82::sim
