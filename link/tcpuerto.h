// TCPuerto: the one serial port object through which the whole program talks to the meter.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "link/dispositivo_serie.h"

namespace z82 {

class Entorno;

class TCPuerto {
  public:
    static constexpr uint32_t TODOS = 0xFFFFFFFFu;  // Leer: as many as the input size
    static constexpr int LIBRE_ERROR = 0xFFFF;
    // Read time-outs: a fixed part and a part per byte asked for.
    static constexpr uint32_t LECTURA_MS_FIJOS = 15;
    static constexpr uint32_t LECTURA_MS_POR_BYTE = 10;

    // cerrojo may be null (no lock), as when the named lock cannot be created. Each
    // operation holds it for the port last opened (or being opened).
    TCPuerto(Dispositivo_serie& dispositivo, Cerrojo_puerto* cerrojo, Entorno& entorno);
    ~TCPuerto();
    TCPuerto(const TCPuerto&) = delete;
    TCPuerto& operator=(const TCPuerto&) = delete;

    bool Abierto() const;
    bool Abrir_dispositivo();
    bool Abrir(uint32_t puerto, const Config_puerto& config);
    // Bytes written, -1 on failure, 0 when the port is closed.
    int Escribir(const uint8_t* datos, uint32_t n);
    int Escribir(std::initializer_list<uint8_t> datos);
    // Bytes received (0 .. n); dest[0] = 0 when the port is open and nothing came. On a
    // closed port or a failed device nothing comes after a one-byte read's time-out.
    int Leer(uint8_t* dest, uint32_t n);
    int Libre_salida();
    void Purgar(bool recepcion, bool transmision);
    void Poner_rts(bool activo);
    void Cerrar();

    // The draining idiom: one-byte reads until one returns nothing.
    void Vaciar_entrada();

    uint32_t numero_puerto() const { return numero_puerto_; }
    const Dcb& dcb() const { return dcb_; }
    Dispositivo_serie& dispositivo() { return *dispositivo_; }

  private:
    void Bloquear();
    void Desbloquear();
    void Lectura_en_vano(uint32_t n);
    class Guarda;

    Dispositivo_serie* dispositivo_;
    Cerrojo_puerto* cerrojo_;
    Entorno* entorno_;
    Dcb dcb_{};
    uint32_t numero_puerto_ = 0;
    uint32_t tamano_entrada_ = 2048;
    uint32_t tamano_salida_ = 2048;
    uint32_t limite_atasco_ms_ = 4000;
    std::vector<uint8_t> auxiliar_;
};

}  // namespace z82
