// A scripted meter holding an EEPROM: it answers the memory reads of bank 0x42 from it and
// stores the EEPROM write requests, acknowledging each with 0x20.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "apoyo/banco.h"
#include "queries/guion_peticiones.h"

namespace z82::prueba {

struct Medidor_eeprom {
    explicit Medidor_eeprom(Banco& b)
        : banco(b),
          guion(b, [this](sim::Extremo_guion& m, const std::vector<uint8_t>& p, int64_t t, int) {
              atender(m, p, t);
          }) {}

    void atender(sim::Extremo_guion& m, const std::vector<uint8_t>& p, int64_t t) {
        if (p[0] == 0x01 && p[1] == 0x42) {
            ++lecturas;
            const uint16_t dir = static_cast<uint16_t>(p[2] | (p[3] << 8));
            if (responde_lectura && !responde_lectura(dir)) return;
            // The EEPROM answers a read at dir from dir - 2 on.
            std::vector<uint8_t> r{0x10, p[4]};
            for (int i = 0; i < p[4]; ++i) r.push_back(eeprom[(dir + i - 2) & 0xFFFF]);
            if (danar) danar(dir, r);
            m.responder(r, t + 2000);
        } else if (p[0] == 0x02 && p.size() >= 7) {
            const uint16_t dir = static_cast<uint16_t>((p[5] << 8) | p[6]);
            escrituras.push_back({dir, banco.vista.barra_pos, p});
            if (acepta && !acepta(dir)) return;
            for (size_t i = 7; i < p.size(); ++i) eeprom[(dir + i - 7) & 0xFFFF] = p[i];
            if (danar_escritura) danar_escritura(dir, eeprom);
            m.responder(0x20, t + 2000);
        }
    }

    struct Escritura {
        uint16_t direccion;
        int posicion_barra;
        std::vector<uint8_t> peticion;
    };

    Banco& banco;
    Guion_peticiones guion;
    std::vector<uint8_t> eeprom = std::vector<uint8_t>(0x10000, 0);
    std::vector<Escritura> escrituras;
    int lecturas = 0;
    // When set, a write to an address it rejects gets no answer.
    std::function<bool(uint16_t)> acepta;
    // Reads of the addresses it refuses go unanswered.
    std::function<bool(uint16_t)> responde_lectura;
    // When set, may change the reply to a read (header included) as the line would.
    std::function<void(uint16_t, std::vector<uint8_t>&)> danar;
    // When set, may change what a write stored (a byte damaged on its way to the meter).
    std::function<void(uint16_t, std::vector<uint8_t>&)> danar_escritura;
};

}  // namespace z82::prueba
