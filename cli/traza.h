// A serial device that writes every byte it passes, with the time in milliseconds and the
// direction, to a file (or to the run's log): what support asks for when a meter misbehaves.
#pragma once

#include <cstdint>
#include <fstream>
#include <ostream>
#include <string>

#include "base/entorno.h"
#include "link/dispositivo_serie.h"

namespace z82 {

class Dispositivo_traza : public Dispositivo_serie {
  public:
    Dispositivo_traza(Dispositivo_serie& real, Entorno& entorno, const std::string& ruta);
    // Writes to salida, which outlives this device.
    Dispositivo_traza(Dispositivo_serie& real, Entorno& entorno, std::ostream& salida);
    bool valida() const { return static_cast<bool>(archivo_); }

    bool abrir(uint32_t numero_puerto) override;
    bool abierto() const override { return real_.abierto(); }
    void cerrar() override;
    bool configurar(const Dcb& dcb) override { return real_.configurar(dcb); }
    bool colas(uint32_t entrada, uint32_t salida) override { return real_.colas(entrada, salida); }
    bool tiempos(const Tiempos_com& t) override { return real_.tiempos(t); }
    bool purgar(uint32_t mascara) override;
    bool estado(uint32_t& errores, uint32_t& en_cola) override {
        return real_.estado(errores, en_cola);
    }
    bool escape(int funcion) override { return real_.escape(funcion); }
    bool leer(uint8_t* destino, uint32_t n, uint32_t& leidos) override;
    bool escribir(const uint8_t* origen, uint32_t n, uint32_t& escritos) override;
    std::string ultimo_error() const override { return real_.ultimo_error(); }

  private:
    void linea(const char* direccion, const uint8_t* bytes, uint32_t n);
    void nota(const std::string& texto);
    void cabecera();

    Dispositivo_serie& real_;
    Entorno& entorno_;
    std::ofstream propio_;
    std::ostream& archivo_;
    int64_t origen_ms_;
};

}  // namespace z82
