// The simulated meter on port 1 of a simulated link, driven by hand through the port
// object under virtual time.
#pragma once

#include <initializer_list>
#include <vector>

#include "link/tcpuerto.h"
#include "sim/config_medidor.h"
#include "sim/enlace_simulado.h"
#include "sim/entorno_virtual.h"
#include "sim/medidor_simulado.h"
#include "sim/reloj_virtual.h"

namespace z82::prueba {

struct Banco_medidor {
    sim::Reloj_virtual reloj;
    sim::Entorno_virtual entorno{reloj};
    sim::Enlace_simulado enlace{reloj};
    sim::Medidor_simulado medidor;
    TCPuerto puerto{enlace, nullptr, entorno};

    explicit Banco_medidor(const sim::Config_medidor& c = {}) : medidor(c) {
        enlace.conectar(1, &medidor);
        Config_puerto config;
        puerto.Abrir(1, config);
    }

    void enviar(const std::vector<uint8_t>& bytes) {
        puerto.Escribir(bytes.data(), static_cast<uint32_t>(bytes.size()));
    }
    void enviar(std::initializer_list<uint8_t> bytes) { enviar(std::vector<uint8_t>(bytes)); }

    // Bytes from the meter, up to n, while no more than limite_ms of virtual time pass.
    std::vector<uint8_t> recibir(size_t n, int64_t limite_ms = 1000) {
        std::vector<uint8_t> r;
        const int64_t fin = reloj.ms() + limite_ms;
        while (r.size() < n && reloj.ms() < fin) {
            uint8_t b = 0;
            if (puerto.Leer(&b, 1) == 1) r.push_back(b);
        }
        return r;
    }
    // Everything the meter says within limite_ms.
    std::vector<uint8_t> todo(int64_t limite_ms = 200) { return recibir(SIZE_MAX, limite_ms); }

    // Probe answered with 0x5D: the meter is connected.
    bool conectar() {
        enviar({0x00});
        return recibir(1) == std::vector<uint8_t>{0x5D};
    }

    // A flash loader frame: command, L, parameters, XOR of L and the parameters.
    static std::vector<uint8_t> trama(uint8_t orden, const std::vector<uint8_t>& parametros) {
        std::vector<uint8_t> t{orden, static_cast<uint8_t>(parametros.size() + 1)};
        uint8_t x = t[1];
        for (uint8_t p : parametros) {
            t.push_back(p);
            x ^= p;
        }
        t.push_back(x);
        return t;
    }
    static std::vector<uint8_t> bloque(uint8_t pagina, uint16_t direccion,
                                       const std::vector<uint8_t>& datos) {
        std::vector<uint8_t> p{static_cast<uint8_t>(direccion),
                               static_cast<uint8_t>(direccion >> 8), pagina};
        p.insert(p.end(), datos.begin(), datos.end());
        return trama(0x03, p);
    }
    // Loads the 144-byte and 972-byte loader blocks: the flash loader runs afterwards.
    bool cargar_cargador(bool parche = false) {
        std::vector<uint8_t> b144{0x04, 0x90, 0x00};
        b144.resize(3 + 144, 0x11);
        enviar(b144);
        if (recibir(4).size() != 4) return false;
        std::vector<uint8_t> b972{0x04, 0xCC, 0x03};
        b972.resize(3 + 972, 0x22);
        if (parche) {
            b972[3 + 249] = 3;
            b972[3 + 250] = 0x20;
            b972[3 + 251] = 0x41;
        }
        enviar(b972);
        const auto r = recibir(2, 2000);
        return r.size() == 2 && r[1] == 0xAD;
    }
    // Writes bytes into the staging area as the flash controller does, 200 at a time.
    void escribir_paginas(uint8_t pagina, uint32_t desde, const std::vector<uint8_t>& datos) {
        for (size_t off = 0; off < datos.size(); off += 200) {
            const size_t n = std::min<size_t>(200, datos.size() - off);
            const uint32_t pos = desde + static_cast<uint32_t>(off);
            enviar(
                bloque(static_cast<uint8_t>(pagina + pos / 65536), static_cast<uint16_t>(pos),
                       std::vector<uint8_t>(datos.begin() + static_cast<std::ptrdiff_t>(off),
                                            datos.begin() + static_cast<std::ptrdiff_t>(off + n))));
            recibir(1);
        }
    }
};

}  // namespace z82::prueba
