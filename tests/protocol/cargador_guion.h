// A scripted flash loader on the bench's meter: it cuts what the PC sends into the loader's
// frames (block writes, erases, program command), wake-ups, filler bytes and the closing
// pair, records them, and answers through a callback (by default as a healthy loader).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "apoyo/banco.h"
#include "protocol/enlace.h"
#include "protocol/trama_flash.h"

namespace z82::prueba {

struct Mensaje_cargador {
    enum Tipo { trama, despertar, relleno, fin, otro } tipo;
    std::vector<uint8_t> bytes;
    int64_t t_us;
    // For block writes.
    uint8_t comando() const { return bytes[0]; }
    uint16_t direccion() const { return static_cast<uint16_t>(bytes[2] | (bytes[3] << 8)); }
    uint8_t pagina() const { return bytes[4]; }
    int n() const { return static_cast<int>(bytes.size()) - 6; }
    std::vector<uint8_t> datos() const { return {bytes.begin() + 5, bytes.end() - 1}; }
};

class Cargador_guion {
  public:
    // Answer to a message; return no bytes to stay silent.
    using Respuesta = std::function<std::vector<uint8_t>(const Mensaje_cargador&)>;

    explicit Cargador_guion(Banco& b) {
        b.medidor.al_recibir = [this](sim::Extremo_guion& m, uint8_t v, int64_t t) {
            recibir(m, v, t);
        };
    }

    Respuesta responder = [](const Mensaje_cargador& m) -> std::vector<uint8_t> {
        switch (m.tipo) {
            case Mensaje_cargador::trama:
                if (m.comando() == CMD_BLOQUE_ESCRITURA) return {RESP_BLOQUE_OK};
                if (m.comando() == CMD_BORRAR_PAGINAS) return {RESP_BORRADO};
                return {};
            case Mensaje_cargador::despertar:
                return {RESP_DESPIERTO};
            default:
                return {};
        }
    };
    int64_t retardo_us = 2000;

    std::vector<Mensaje_cargador> mensajes;

    std::vector<Mensaje_cargador> de_tipo(Mensaje_cargador::Tipo t, int comando = -1) const {
        std::vector<Mensaje_cargador> r;
        for (const auto& m : mensajes) {
            if (m.tipo == t && (comando < 0 || m.comando() == comando)) r.push_back(m);
        }
        return r;
    }
    std::vector<Mensaje_cargador> bloques() const {
        return de_tipo(Mensaje_cargador::trama, CMD_BLOQUE_ESCRITURA);
    }

  private:
    void recibir(sim::Extremo_guion& m, uint8_t v, int64_t t) {
        actual_.push_back(v);
        const uint8_t c = actual_[0];
        Mensaje_cargador::Tipo tipo = Mensaje_cargador::otro;
        if (c == CMD_BLOQUE_ESCRITURA || c == CMD_BORRAR_PAGINAS || c == CMD_PROGRAMAR_MAPA) {
            if (actual_.size() < 2 || actual_.size() < static_cast<size_t>(actual_[1]) + 2u) return;
            tipo = Mensaje_cargador::trama;
        } else if (c == CMD_DESPERTAR) {
            tipo = Mensaje_cargador::despertar;
        } else if (c == RELLENO) {
            tipo = Mensaje_cargador::relleno;
        } else if (c == enlace::CIERRE_1) {
            if (actual_.size() < 2) return;
            tipo = Mensaje_cargador::fin;
        }
        mensajes.push_back({tipo, actual_, t});
        actual_.clear();
        const auto r = responder(mensajes.back());
        if (!r.empty()) m.responder(r, t + retardo_us);
    }

    std::vector<uint8_t> actual_;
};

}  // namespace z82::prueba
