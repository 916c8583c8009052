// Queries in normal mode: memory reads by bank, the device on the peripheral bus, EEPROM
// write requests and the MPEG4 module's identity and serial block.
#include <algorithm>
#include <cstdio>

#include "sim/medidor_simulado.h"

namespace z82::sim {

namespace {
constexpr uint8_t BANCO_RAM = 0x00;
constexpr uint8_t BANCO_EEPROM = 0x42;
constexpr uint8_t DISPOSITIVO = 0x3F;
constexpr int64_t US_ESCRITURA_EEPROM = 8'000;
}  // namespace

std::vector<uint8_t> Medidor_simulado::leer_banco(uint8_t banco, uint16_t direccion,
                                                  size_t n) const {
    std::vector<uint8_t> r(n, 0);
    for (size_t i = 0; i < n; ++i) {
        const size_t a = (direccion + i) & 0xFFFF;
        if (banco == BANCO_RAM) {
            r[i] = ram_[a];
        } else if (banco == BANCO_EEPROM) {
            // The EEPROM answers from two bytes before the address asked.
            r[i] = eeprom_[(a - 2) & 0xFFFF];
        } else if (banco < 64) {
            r[i] = flash(banco)[a];
        }
    }
    return r;
}

void Medidor_simulado::mover_ram() {
    ++lecturas_ram_;
    const auto mover = [this](size_t a) {
        ram_[a] = static_cast<uint8_t>(ram_[a] + 1 + (a & 3) + lecturas_ram_ % 7);
    };
    for (size_t a = 0x6010; a < 0x6040; ++a) {
        if (a != 0x6010 + 26 && a != 0x6031) mover(a);
    }
}

void Medidor_simulado::lectura(int64_t t_us) {
    const uint8_t banco = trama_[1];
    const uint16_t direccion = static_cast<uint16_t>(trama_[2] | (trama_[3] << 8));
    const uint8_t cuenta = trama_[4];
    char texto[40];
    std::snprintf(texto, sizeof texto, "lectura %02X %04X %u", banco, direccion, cuenta);
    anotar(t_us, texto);
    if (config.sin_datos_sonido && banco == BANCO_EEPROM &&
        (direccion == 0x0232 || direccion == 0x023B)) {
        return;
    }
    if (banco == BANCO_RAM && config.ram_viva) mover_ram();
    std::vector<uint8_t> r{0x10, cuenta};
    const auto datos = leer_banco(banco, direccion, cuenta);
    r.insert(r.end(), datos.begin(), datos.end());
    responder(r, t_us);
}

void Medidor_simulado::lectura_dispositivo(int64_t t_us) {
    // 01 50 device count control: control = flag (bit 7), mode (bits 4-6), selector.
    const uint8_t dispositivo = trama_[2] & 0x7F;
    const uint8_t cuenta = trama_[3];
    const uint8_t selector = trama_[4] & 0x0F;
    char texto[40];
    std::snprintf(texto, sizeof texto, "dispositivo leer %02X %u", dispositivo, selector);
    anotar(t_us, texto);
    if (dispositivo != DISPOSITIVO) return;  // nobody on the bus answers
    // The device counts in 16-bit registers: each one is two bytes.
    const size_t n = std::min<size_t>(size_t{cuenta} * 2, 32);
    std::vector<uint8_t> r{0x10, static_cast<uint8_t>(n)};
    const auto& reg = selector == 12 ? reg_sel12_ : reg_sel8_;
    for (size_t i = 0; i < n; ++i) {
        const bool conocido = selector == 8 || selector == 12;
        r.push_back(conocido && i < 2 ? reg[i] : 0);
    }
    responder(r, t_us);
}

void Medidor_simulado::escritura_peticion(int64_t t_us) {
    // 02 len 'P' ...: an EEPROM write ('P' 'R' 08 addrHi addrLo data) or a device write
    // (0x50 device selector data).
    const size_t largo = trama_[1];
    if (largo < 3 || trama_[2] != 0x50) {
        anotar(t_us, "peticion desconocida");
        return;
    }
    char texto[40];
    if (largo >= 5 && trama_[3] == 0x52 && trama_[4] == 0x08) {
        const uint16_t direccion = static_cast<uint16_t>((trama_[5] << 8) | trama_[6]);
        const size_t n = largo - 5;
        for (size_t i = 0; i < n; ++i) eeprom_[(direccion + i) & 0xFFFF] = trama_[7 + i];
        std::snprintf(texto, sizeof texto, "eeprom %04X %zu", direccion, n);
        anotar(t_us, texto);
        responder(0x20, t_us + US_ESCRITURA_EEPROM);
        return;
    }
    const uint8_t dispositivo = trama_[3];
    const uint8_t selector = trama_[4] & 0x0F;
    std::snprintf(texto, sizeof texto, "dispositivo escribir %02X %u", dispositivo, selector);
    anotar(t_us, texto);
    if (dispositivo != DISPOSITIVO) return;
    auto* reg = selector == 8 ? &reg_sel8_ : selector == 12 ? &reg_sel12_ : nullptr;
    if (reg != nullptr) {
        for (size_t i = 0; i < 2 && 5 + i < 2 + largo; ++i) (*reg)[i] = trama_[5 + i];
    }
    responder(0x20, t_us);
}

void Medidor_simulado::identidad_mpeg4(int64_t t_us) {
    anotar(t_us, "mpeg4 identidad");
    if (!config.mpeg4_presente) return;  // no module: nobody answers
    const Version_modulo& v = config.mpeg4;
    responder({0xFB, 0x00, static_cast<uint8_t>(v.version_sw >> 8),
               static_cast<uint8_t>(v.version_sw), static_cast<uint8_t>(v.build >> 8),
               static_cast<uint8_t>(v.build), v.version_decoders, v.version_boot},
              t_us);
}

void Medidor_simulado::serie_mpeg4(int64_t t_us) {
    anotar(t_us, "mpeg4 serie");
    if (!config.mpeg4_presente) return;
    std::vector<uint8_t> r{0x0C, 0x00};
    for (size_t i = 0; i < 64; ++i)
        r.push_back(i < config.serie_mpeg4.size() ? static_cast<uint8_t>(config.serie_mpeg4[i])
                                                  : 0);
    responder(r, t_us);
}

}  // namespace z82::sim
