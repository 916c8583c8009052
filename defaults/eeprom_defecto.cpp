// EEPROM writes of the zone configuration: factory and default configuration, the four
// measurement profiles, and the step of the update run that writes them all.
#include <algorithm>
#include <vector>

#include "base/entorno.h"
#include "defaults/tfparam_defecto.h"
#include "link/tcpuerto.h"
#include "protocol/causa.h"
#include "protocol/espera.h"
#include "queries/tconsultas.h"

namespace z82 {

bool TFParam_defecto::Escribir_eeprom(uint16_t a, const uint8_t* d, int n) {
    // The length byte counts n + 5: a longer block cannot be framed.
    if (n < 0 || n > MAX_DATOS_EEPROM) {
        canal_.fallar("an EEPROM block of " + std::to_string(n) +
                      " bytes is too long for one write (at most " +
                      std::to_string(MAX_DATOS_EEPROM) + ")");
        return false;
    }
    std::vector<uint8_t> datos{static_cast<uint8_t>(a >> 8), static_cast<uint8_t>(a & 0xFF)};
    datos.insert(datos.end(), d, d + n);
    const std::vector<uint8_t> peticion =
        Peticion_escritura_dispositivo(memoria::DISPOSITIVO_EEPROM, memoria::SELECTOR_EEPROM,
                                       datos.data(), static_cast<uint8_t>(datos.size()));

    TCPuerto& puerto = canal_.puerto;
    Entorno& entorno = canal_.entorno;
    Respuestas respuestas;
    for (int intento = 0; intento < 5; ++intento) {
        puerto.Vaciar_entrada();
        respuestas.escrito(
            puerto.Escribir(peticion.data(), static_cast<uint32_t>(peticion.size())) ==
            static_cast<int>(peticion.size()));
        // An answer that comes once the seconds reading has moved on is late.
        Espera espera(puerto, entorno);
        uint8_t respuesta = 0;
        const bool llego = espera.byte(respuesta, 1);
        const bool bien = espera.transcurrido() == 0 && respuesta == 0x20;
        entorno.dormir(500);
        if (bien) return true;
        if (!llego) {
            respuestas.nada();
        } else if (respuesta == 0x20) {
            respuestas.tarde(respuesta);
        } else {
            respuestas.otra(respuesta);
        }
    }
    canal_.fallar(respuestas.causa("the write of EEPROM block " + Hex(a, 4), 0x20));
    return false;
}

bool TFParam_defecto::Comprobar_eeprom(uint16_t a, const uint8_t* d, int n) {
    // The EEPROM answers a read at A with the bytes from A - 2 on: each 32 bytes are read
    // as 34 at their own address, the first two dropped, as the profiles are read. One
    // read is enough: a reply that equals what was written cannot come from a wrong
    // EEPROM, and one that differs only costs a write more.
    for (int i = 0; i < n; i += 32) {
        const int cuenta = std::min(32, n - i);
        uint16_t palabras[17] = {};
        if (!consultas_.Leer_memoria(static_cast<uint16_t>(a + i), memoria::BANCO_EEPROM, 34,
                                     palabras)) {
            return false;
        }
        for (int k = 0; k < cuenta; ++k) {
            const uint8_t leido =
                Byte_leido(palabras, static_cast<size_t>(memoria::DESFASE_EEPROM + k));
            if (leido != d[i + k]) {
                canal_.fallar("the EEPROM holds " + Hex(leido) + " at " + Hex(a + i + k, 4) +
                              ", not the " + Hex(d[i + k]) + " written");
                return false;
            }
        }
    }
    return true;
}

bool TFParam_defecto::Escribir_eeprom_comprobada(uint16_t a, const uint8_t* d, int n) {
    for (int vez = 0; vez < ESCRITURAS_COMPROBADAS; ++vez) {
        if (!Escribir_eeprom(a, d, n)) return false;
        if (Comprobar_eeprom(a, d, n)) return true;
    }
    Precisar(canal_, "EEPROM block " + Hex(a, 4) + " not confirmed after " +
                         std::to_string(ESCRITURAS_COMPROBADAS) + " writes");
    return false;
}

bool TFParam_defecto::Grabar_conf(uint16_t direccion) {
    const std::array<uint8_t, 256> copia = parametros;
    if (!Escribir_eeprom_comprobada(direccion, copia.data(), 128)) return false;
    canal_.entorno.dormir(1000);
    // The second half carries 126 bytes: the last two of the buffer are never sent.
    const bool ok = Escribir_eeprom_comprobada(static_cast<uint16_t>(direccion + 0x80),
                                               copia.data() + 128, 126);
    canal_.entorno.dormir(1000);
    canal_.puerto.Vaciar_entrada();
    return ok;
}

bool TFParam_defecto::Grabar_conf_fabrica() { return Grabar_conf(EEPROM_FABRICA); }

bool TFParam_defecto::Grabar_conf_defecto() { return Grabar_conf(EEPROM_DEFECTO); }

bool TFParam_defecto::Leer_perfiles() {
    perfiles_leidos = true;
    for (int i = 0; i < static_cast<int>(perfiles.size()); i += 32) {
        uint16_t palabras[17] = {};
        // What is read here is written back: a byte damaged on the line would be kept in
        // the meter's EEPROM, so each chunk must read the same twice running.
        if (!consultas_.Leer_memoria_conforme(static_cast<uint16_t>(EEPROM_PERFILES + i),
                                              memoria::BANCO_EEPROM, 34, palabras)) {
            perfiles_leidos = false;
        }
        // The EEPROM answers a read at A with the bytes from A - 2 on: the first two bytes
        // of the reply belong to the chunk before, the next 32 are this chunk.
        for (size_t k = 0; k < 32; ++k) {
            perfiles[static_cast<size_t>(i) + k] =
                Byte_leido(palabras, memoria::DESFASE_EEPROM + k);
        }
    }
    return perfiles[3] != 11;
}

bool TFParam_defecto::Grabar_perfiles() {
    const bool caducados = Leer_perfiles();
    // Written back from a failed read, a slot's kept bytes would be lost.
    if (!perfiles_leidos) {
        Precisar(canal_, "the measurement profiles could not be read");
        return false;
    }
    if (!medidor_.es_usa && !caducados) return true;
    for (int slot = 0; slot < SLOTS; ++slot) Construir_perfil(slot, medidor_.idioma_medidor);
    for (int off = 0; off < static_cast<int>(perfiles.size()); off += 128) {
        if (!Escribir_eeprom_comprobada(static_cast<uint16_t>(EEPROM_PERFILES + off),
                                        perfiles.data() + off, 128)) {
            return false;
        }
    }
    return true;
}

bool TFParam_defecto::Grabar_configuracion() {
    Barra_de_progreso& barra = barra_;
    Entorno& entorno = canal_.entorno;
    barra.Tramo("zone configuration", "parts", 3);
    barra.Position(0);
    entorno.procesar_mensajes();
    bool ok = Grabar_perfiles();
    barra.Position(1);
    entorno.procesar_mensajes();
    if (ok) ok = Grabar_conf_fabrica();
    barra.Position(2);
    entorno.procesar_mensajes();
    if (ok) ok = Grabar_conf_defecto();
    barra.Position(3);
    entorno.procesar_mensajes();
    return ok;
}

}  // namespace z82
