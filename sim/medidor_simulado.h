// A simulated Z82 meter: the far end of the cable for whole runs of the updater.
//
// The model is passive and time-stamped: bytes from the PC arrive with the instant their
// last bit reached the meter, and every answer is queued with the instant it reaches the PC
// (one wire byte about 95 us after the other). Work that takes time (page erases, the
// program command, the MPEG4 module programming) is finished by the clock: the meter
// applies it when time has passed the instant it ends.
//
// Protocol handling is split by subject: medidor_normal.cpp (handshake and the command
// dispatch of normal mode), medidor_consultas.cpp (memory, device, EEPROM and MPEG4
// identity), medidor_carga.cpp (loader code loading), medidor_flash.cpp (the flash loader),
// medidor_bloques.cpp (block loader frames), medidor_mpeg4.cpp (MPEG4 transfer).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sim/config_medidor.h"
#include "sim/extremo.h"
#include "sim/fallos.h"
#include "sim/pantalla.h"

namespace z82::sim {

// A command the meter understood (or refused), with the instant its last byte arrived.
// Texts: "sonda 5D", "desconexion", "desconexion propia", "cierre", "lectura 18 0010 6",
// "dispositivo leer 3F 8", "dispositivo escribir 3F 8", "eeprom 0100 128",
// "mpeg4 identidad", "mpeg4 serie", "bloque Z 000000", "orden [ 20", "carga 32",
// "carga 144", "carga 972", "despertar", "borrado AB-C9 p", "escritura C3 0010 32",
// "escritura rechazada", "relleno", "programa 33", "programado", "mpeg4 arranque",
// "mpeg4 orden CC 1181672", "mpeg4 fin", "trama incompleta", "ignorado 41".
struct Orden_registrada {
    int64_t t_us;
    std::string texto;
};

class Medidor_simulado : public Extremo_simulado {
  public:
    enum class Modo {
        espera,    // waiting for a probe
        normal,    // connected: queries, EEPROM, loader blocks, block loader
        arranque,  // answered 0xD5: waiting for the raw boot blocks
        cargador,  // flash loader running
        mpeg4,     // transfer program running (ready byte, order, module programming)
    };

    static constexpr size_t TAM_SEGMENTO = 65536;

    explicit Medidor_simulado(const Config_medidor& c = {});

    // The cable.
    void recibir(const uint8_t* datos, size_t n, int64_t t_us) override;
    void rts(bool activo, int64_t t_us) override;
    void conexion(bool abierta, int64_t t_us) override;
    bool proxima_salida(int64_t& t_us) override;
    size_t tomar_salida(uint8_t* destino, size_t max, int64_t t_us) override;

    // Finishes whatever work ends by t_us (called by the cable; tests may call it too).
    void avanzar(int64_t t_us);
    // Power cycle: back to waiting for a probe, pending answers and work dropped; flash,
    // EEPROM and the module keep their contents.
    void reiniciar(int64_t t_us);
    // The meter sends its own 0x0A at t_us (the user left the USB screen).
    void desconectar_en(int64_t t_us);

    // Live settings: answers and timings are read from here when they are needed.
    Config_medidor config;
    Fallos fallos;

    // Inspection.
    Modo modo() const { return modo_; }
    uint8_t respuesta_sonda() const { return respuesta_sonda_; }
    // Programmed flash of segment 0 .. 63 (65536 bytes; never written reads 0xFF).
    std::span<const uint8_t> flash(uint8_t segmento) const;
    // Staging area of the flash loader, by segment (page - 0xAB, modulo 256).
    std::span<const uint8_t> preparado(uint8_t segmento) const;
    // Bytes of a staging segment up to the last one written (0 when never written).
    uint32_t preparado_hasta(uint8_t segmento) const { return escrito_hasta_[segmento]; }
    const std::vector<uint8_t>& eeprom() const { return eeprom_; }
    std::vector<uint8_t>& ram() { return ram_; }
    const Pantalla& pantalla() const { return pantalla_; }
    bool pantalla_activa() const { return pantalla_activa_; }
    bool guardar_png(const std::string& ruta) const {
        return pantalla_.guardar_png(ruta, config.pixel_byte_alto_primero);
    }
    const Version_modulo& version_mpeg4() const { return config.mpeg4; }
    const std::vector<uint8_t>& mpeg4_aplicacion() const { return mpeg4_aplicacion_; }
    const std::vector<uint8_t>& mpeg4_transferencia() const { return mpeg4_transferencia_; }
    const std::vector<uint8_t>& mpeg4_orden() const { return mpeg4_orden_; }
    // Loader code received: 0 the raw 32-byte boot block, 1 the 144-byte block, 2 the
    // last 972-byte block.
    const std::vector<uint8_t>& bloque_cargado(int i) const { return bloques_[i & 3]; }
    const std::array<uint8_t, 2>& registro_dispositivo(int selector) const {
        return selector == 12 ? reg_sel12_ : reg_sel8_;
    }

    std::vector<Orden_registrada> registro;
    // Told of every note as it is made (a test's faults may follow the meter's own steps).
    std::function<void(int64_t t_us, const std::string& texto)> al_anotar;
    size_t contar(std::string_view prefijo) const;
    bool hay(std::string_view prefijo) const { return contar(prefijo) > 0; }
    // Segments of the last program command, in order.
    std::vector<uint8_t> ultimo_mapa;
    int flancos_rts = 0;
    int programaciones = 0;      // program commands carried to the end
    int sesiones_cerradas = 0;   // closing pairs and disconnects from the PC
    long bloques_aceptados = 0;  // flash loader block writes
    long bloques_rechazados = 0;
    long bytes_ignorados = 0;

  private:
    // Answers: queued after the meter's reaction time, or at an exact instant.
    void responder(const std::vector<uint8_t>& bytes, int64_t t_us);
    void responder(uint8_t b, int64_t t_us) { responder(std::vector<uint8_t>{b}, t_us); }
    void emitir(const std::vector<uint8_t>& bytes, int64_t t_us, bool en_cola = true);
    void programar(int64_t t_us, std::function<void()> trabajo);
    void anotar(int64_t t_us, std::string texto);

    void procesar_byte(uint8_t b, int64_t t_us);
    void ignorar(uint8_t b, int64_t t_us);
    void contestar_sonda(int64_t t_us);

    // medidor_normal.cpp
    void procesar_normal(int64_t t_us);
    void procesar_espera(int64_t t_us);
    // medidor_consultas.cpp
    void lectura(int64_t t_us);
    void lectura_dispositivo(int64_t t_us);
    void escritura_peticion(int64_t t_us);
    void identidad_mpeg4(int64_t t_us);
    void serie_mpeg4(int64_t t_us);
    std::vector<uint8_t> leer_banco(uint8_t banco, uint16_t direccion, size_t n) const;
    // The live bytes of bank 0x00 move on (see Config_medidor::ram_viva).
    void mover_ram();
    // medidor_carga.cpp
    void procesar_arranque(int64_t t_us);
    void carga_bloque(int64_t t_us);
    // medidor_flash.cpp
    void procesar_cargador(int64_t t_us);
    void borrar_paginas(int64_t t_us);
    void escribir_bloque(int64_t t_us);
    void programar_mapa(int64_t t_us);
    void volcar_preparado(const std::vector<uint8_t>& segmentos);
    bool es_pagina_pantalla(uint8_t pagina) const;
    void escribir_lineal(uint8_t pagina, uint32_t direccion, const uint8_t* datos, size_t n);
    // medidor_bloques.cpp
    void trama_bloque(int64_t t_us);
    void trama_orden(int64_t t_us);
    // medidor_mpeg4.cpp
    void arrancar_transferencia(int64_t t_us);
    void procesar_mpeg4(int64_t t_us);

    std::vector<uint8_t>& segmento_flash(uint8_t s);
    std::vector<uint8_t>& segmento_preparado(uint8_t s);
    void iniciar_memorias();

    struct Pendiente {
        int64_t t_us;
        uint8_t valor;
    };
    std::deque<Pendiente> salida_;
    int64_t fin_linea_us_ = 0;
    std::multimap<int64_t, std::function<void()>> trabajos_;
    Inyector_fallos inyector_{fallos};

    Modo modo_ = Modo::espera;
    uint8_t respuesta_sonda_ = 0x5D;
    std::vector<uint8_t> trama_;
    int64_t ultimo_byte_us_ = 0;
    int64_t ultima_entrada_us_ = 0;
    int64_t ocupado_hasta_us_ = 0;
    bool ignorando_ = false;
    int fase_arranque_ = 0;

    std::vector<uint8_t> ram_;
    uint32_t lecturas_ram_ = 0;
    std::vector<uint8_t> eeprom_;
    std::array<std::vector<uint8_t>, 64> flash_;
    std::array<std::vector<uint8_t>, 256> preparado_;
    std::array<uint32_t, 256> escrito_hasta_{};
    std::array<uint8_t, 2> reg_sel8_{}, reg_sel12_{};
    std::array<std::vector<uint8_t>, 4> bloques_;
    std::vector<uint8_t> recogido_;  // data collected by the block loader's 'Z' frames

    Pantalla pantalla_;
    bool pantalla_activa_ = false;
    uint8_t pagina_pantalla_ = 0x90;
    uint16_t base_pantalla_ = 0;

    std::vector<uint8_t> mpeg4_aplicacion_, mpeg4_transferencia_, mpeg4_orden_;
};

// "1.87.00000" as the meter's two version fields: four characters and five characters.
void partir_version(const std::string& v, std::string& primera, std::string& build);

}  // namespace z82::sim
