// A serial device under virtual time whose far ends are simulated meters. Port numbers that
// have no meter attached do not exist. Every byte is recorded with its time and direction.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "link/dispositivo_serie.h"
#include "sim/extremo.h"
#include "sim/reloj_virtual.h"

namespace z82::sim {

struct Byte_registrado {
    int64_t t_us;
    bool hacia_medidor;  // true: PC to meter
    uint8_t valor;
};

class Enlace_simulado : public Dispositivo_serie {
  public:
    // 115200 baud, 8 data bits, no parity, 2 stop bits: 11 bits a byte on the wire.
    static constexpr int64_t US_POR_BYTE = 11'000'000 / 115'200;

    explicit Enlace_simulado(Reloj_virtual& reloj) : reloj_(reloj) {}

    // Attach a meter (or any far end) to port number n. A port with a null end exists but
    // nothing answers on it.
    void conectar(uint32_t puerto, Extremo_simulado* extremo) { extremos_[puerto] = extremo; }
    void quitar(uint32_t puerto) { extremos_.erase(puerto); }
    // The cable is pulled: reads return nothing, writes fail, opens fail.
    bool desenchufado = false;
    // The cable is pulled at this virtual instant (-1: never), for faults in mid-run.
    int64_t desenchufar_desde_us = -1;
    // The USB adapter itself is pulled at this virtual instant (-1: never): from then on the
    // device fails every call at once, as a real one that went away does.
    int64_t adaptador_fuera_desde_us = -1;
    // Keep the per-byte record (registro, enviados). Long campaigns turn it off.
    bool registrar = true;

    bool abrir(uint32_t numero_puerto) override;
    bool abierto() const override { return abierto_; }
    void cerrar() override;
    bool configurar(const Dcb& dcb) override;
    bool colas(uint32_t, uint32_t) override { return abierto_; }
    bool tiempos(const Tiempos_com& t) override;
    bool purgar(uint32_t mascara) override;
    bool estado(uint32_t& errores, uint32_t& en_cola_salida) override;
    bool escape(int funcion) override;
    bool leer(uint8_t* destino, uint32_t n, uint32_t& leidos) override;
    bool escribir(const uint8_t* origen, uint32_t n, uint32_t& escritos) override;

    const std::vector<Byte_registrado>& registro() const { return registro_; }
    void borrar_registro() { registro_.clear(); }
    // Bytes sent to the meter since the record was cleared.
    std::vector<uint8_t> enviados() const;
    std::vector<uint32_t> purgas;             // masks passed to purgar
    std::vector<uint32_t> aperturas;          // port numbers opened successfully
    std::vector<uint32_t> intentos_apertura;  // every port number asked for
    Dcb ultimo_dcb{};
    Tiempos_com ultimos_tiempos{};
    bool rts = false;

  private:
    bool sin_cable() const {
        return desenchufado || (desenchufar_desde_us >= 0 && reloj_.us() >= desenchufar_desde_us);
    }
    bool sin_adaptador() const {
        return adaptador_fuera_desde_us >= 0 && reloj_.us() >= adaptador_fuera_desde_us;
    }
    Extremo_simulado* extremo() const;
    void descartar_llegado();

    Reloj_virtual& reloj_;
    std::map<uint32_t, Extremo_simulado*> extremos_;
    uint32_t puerto_ = 0;
    bool abierto_ = false;
    Tiempos_com tiempos_{};
    int64_t fin_transmision_us_ = 0;
    std::vector<Byte_registrado> registro_;
};

}  // namespace z82::sim
