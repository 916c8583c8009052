// The meter's serial link on Windows: a COM device through the Win32 communications calls,
// with the settings, queue sizes and time-outs that the port object hands down.
#pragma once

#include <cstdint>
#include <string>

#include "link/dispositivo_serie.h"

namespace z82 {

class Serie_win32 : public Dispositivo_serie {
  public:
    Serie_win32() = default;
    ~Serie_win32() override;
    Serie_win32(const Serie_win32&) = delete;
    Serie_win32& operator=(const Serie_win32&) = delete;

    // "\\.\COM" followed by the number, so ports above 9 work too.
    static std::string nombre_dispositivo(uint32_t numero_puerto);

    bool abrir(uint32_t numero_puerto) override;
    bool abierto() const override;
    void cerrar() override;
    bool configurar(const Dcb& dcb) override;
    bool colas(uint32_t entrada, uint32_t salida) override;
    bool tiempos(const Tiempos_com& t) override;
    bool purgar(uint32_t mascara) override;
    bool estado(uint32_t& errores, uint32_t& en_cola_salida) override;
    bool escape(int funcion) override;
    bool leer(uint8_t* destino, uint32_t n, uint32_t& leidos) override;
    bool escribir(const uint8_t* origen, uint32_t n, uint32_t& escritos) override;
    std::string ultimo_error() const override { return error_; }

  private:
    void* dispositivo_ = nullptr;  // HANDLE; null or INVALID_HANDLE_VALUE when closed
    std::string error_;
};

}  // namespace z82
