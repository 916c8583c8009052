// The meter's serial link on Linux: a tty device in raw mode, opened exclusively, with the
// Windows-style read time-outs of the port object reproduced with poll() in milliseconds.
// Modem-control requests that a pseudo-terminal cannot honour are accepted and ignored, so
// the same code talks to a USB adapter and to the simulated meter on a pty.
#pragma once

#include <cstdint>
#include <string>

#include "link/dispositivo_serie.h"

namespace z82 {

class Catalogo_puertos;

class Serie_termios : public Dispositivo_serie {
  public:
    explicit Serie_termios(Catalogo_puertos& catalogo) : catalogo_(catalogo) {}
    ~Serie_termios() override;
    Serie_termios(const Serie_termios&) = delete;
    Serie_termios& operator=(const Serie_termios&) = delete;

    // Port n of the catalogue.
    bool abrir(uint32_t numero_puerto) override;
    // A device by path (the catalogue does the same for abrir).
    bool abrir_ruta(const std::string& ruta);
    bool abierto() const override { return fd_ >= 0; }
    void cerrar() override;
    bool configurar(const Dcb& dcb) override;
    // The tty layer sizes its own buffers.
    bool colas(uint32_t, uint32_t) override { return abierto(); }
    bool tiempos(const Tiempos_com& t) override;
    bool purgar(uint32_t mascara) override;
    bool estado(uint32_t& errores, uint32_t& en_cola_salida) override;
    bool escape(int funcion) override;
    bool leer(uint8_t* destino, uint32_t n, uint32_t& leidos) override;
    bool escribir(const uint8_t* origen, uint32_t n, uint32_t& escritos) override;
    std::string ultimo_error() const override { return error_; }

    // The device that is open (or was last asked for).
    const std::string& ruta() const { return ruta_; }
    // True once the device has hung up or vanished; cleared by the next open.
    bool caido() const { return caido_; }

  private:
    // Waits up to ms (negative: no limit) for the events; returns the events seen, 0 on
    // time-out. Marks the device as fallen on a hang-up.
    short esperar(short eventos, int64_t us);  // us < 0: no limit
    bool control_modem(unsigned long peticion, int lineas);
    void marcar_caido(int err);
    void leer_contadores(bool solo_base, uint32_t& errores);

    Catalogo_puertos& catalogo_;
    int fd_ = -1;
    std::string ruta_;
    std::string error_;
    Tiempos_com tiempos_{};
    bool caido_ = false;
    // Line error counters at the last status query (frame, overrun, parity, break, buffer overrun).
    uint32_t contadores_[5] = {0, 0, 0, 0, 0};
};

}  // namespace z82
