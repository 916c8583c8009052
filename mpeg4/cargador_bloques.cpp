#include "mpeg4/cargador_bloques.h"

#include <cstdio>

#include "base/entorno.h"
#include "link/tcpuerto.h"
#include "protocol/canal.h"
#include "protocol/causa.h"
#include "protocol/espera.h"

namespace z82 {

namespace {

uint8_t Xor(const uint8_t* desde, const uint8_t* hasta) {
    uint8_t x = 0;
    for (const uint8_t* p = desde; p != hasta; ++p) x = static_cast<uint8_t>(x ^ *p);
    return x;
}

// Drains, starts the clock and sends the frame one byte at a time with 1 ms after each,
// as the loader takes it. Returns the clock's start; entero tells whether every byte went.
template <size_t N>
int64_t Enviar_lento(const Canal& canal, const std::array<uint8_t, N>& trama, bool& entero) {
    canal.puerto.Vaciar_entrada();
    const int64_t inicio = canal.entorno.segundos();
    entero = true;
    for (uint8_t b : trama) {
        if (canal.puerto.Escribir(&b, 1) != 1) entero = false;
        canal.entorno.dormir(1);
    }
    return inicio;
}

// After the fixed 1000 ms pause, waits for one reply byte until the limit counted from the
// start of the send. Returns the elapsed seconds when the wait ended; b is 0 if nothing came
// (llego false).
int64_t Esperar_respuesta(const Canal& canal, int64_t inicio, int64_t limite, uint8_t& b,
                          bool& llego) {
    canal.entorno.dormir(1000);
    Espera espera(canal.puerto, canal.entorno);
    espera.reiniciar_en(inicio);
    llego = espera.byte(b, limite);
    return espera.transcurrido();
}

// Why an order was not confirmed: the port, silence, a late answer or another byte.
std::string sin_confirmar(bool entero, bool llego, bool a_tiempo, uint8_t respuesta,
                          uint8_t esperada, const std::string& orden, int64_t limite) {
    if (!entero) return std::string(CAUSA_PUERTO);
    if (!llego) return "no answer to " + orden + " within " + Duracion(limite);
    if (!a_tiempo) {
        return "the meter answered " + Byte_visto(respuesta) + " to " + orden + " too late";
    }
    return "the meter answered " + Byte_visto(respuesta) + " to " + orden + ", not " +
           Hex(esperada);
}

}  // namespace

Trama_bloque::Trama_bloque(uint32_t desplazamiento, const uint8_t* datos) {
    bytes[0] = INICIO;
    bytes[1] = static_cast<uint8_t>(desplazamiento >> 16);
    bytes[2] = static_cast<uint8_t>(desplazamiento >> 8);
    bytes[3] = static_cast<uint8_t>(desplazamiento);
    for (size_t i = 0; i < DATOS; ++i) bytes[4 + i] = datos[i];
    bytes[132] = Xor(bytes.data() + 1, bytes.data() + 132);
}

Trama_orden::Trama_orden(uint32_t longitud, uint8_t sector, uint8_t xor_datos) {
    bytes[0] = INICIO;
    bytes[4] = static_cast<uint8_t>(longitud >> 16);
    bytes[5] = static_cast<uint8_t>(longitud >> 8);
    bytes[6] = static_cast<uint8_t>(longitud);
    bytes[7] = sector;
    bytes[10] = longitud == 0 ? 0 : xor_datos;
    bytes[11] = Xor(bytes.data() + 1, bytes.data() + 11);
}

bool Sincronizar_datos(const Canal& canal) {
    uint8_t relleno[Trama_bloque::DATOS];
    for (uint8_t& b : relleno) b = 0xFF;
    const Trama_bloque trama(0, relleno);
    bool entero = true;
    const int64_t inicio = Enviar_lento(canal, trama.bytes, entero);
    uint8_t respuesta = 0;
    bool llego = false;
    const int64_t transcurrido = Esperar_respuesta(canal, inicio, 6, respuesta, llego);
    if (transcurrido <= 5 && respuesta == Trama_bloque::RESPUESTA) return true;
    canal.fallar(sin_confirmar(entero, llego, transcurrido <= 5, respuesta, Trama_bloque::RESPUESTA,
                               "the synchronisation block", 6));
    return false;
}

bool Vaciar_sector(const Canal& canal, uint8_t sector) {
    const Trama_orden trama(0, sector, 0);
    bool entero = true;
    const int64_t inicio = Enviar_lento(canal, trama.bytes, entero);
    uint8_t respuesta = 0;
    bool llego = false;
    const int64_t transcurrido = Esperar_respuesta(canal, inicio, 10, respuesta, llego);
    const std::string orden = "the erase of sector " + Hex(sector);
    if (transcurrido > 9) {
        canal.fallar(
            sin_confirmar(entero, llego, false, respuesta, Trama_orden::RESPUESTA, orden, 10));
        return false;
    }
    char linea[16];
    std::snprintf(linea, sizeof linea, "ack: %X\n", static_cast<unsigned>(respuesta));
    canal.entorno.diagnostico(linea);
    if (respuesta == Trama_orden::RESPUESTA) return true;
    canal.fallar(sin_confirmar(entero, llego, true, respuesta, Trama_orden::RESPUESTA, orden, 10));
    return false;
}

}  // namespace z82
