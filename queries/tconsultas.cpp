#include "queries/tconsultas.h"

#include <algorithm>
#include <array>
#include <vector>

#include "base/entorno.h"
#include "base/mapa_memoria.h"
#include "link/tcpuerto.h"
#include "protocol/causa.h"
#include "protocol/espera.h"

namespace z82 {

namespace {

constexpr int INTENTOS = 5;
using memoria::BANCO_DISPOSITIVOS;
using memoria::BANCO_EEPROM;
using memoria::DISPOSITIVO_ESTADO;

const std::string EN_INTENTOS = " in " + std::to_string(INTENTOS) + " tries";

std::string lectura_de(uint16_t direccion, uint8_t banco, uint8_t cuenta) {
    return "the read of " + std::to_string(cuenta) + " bytes at " + Hex(direccion, 4) +
           " of bank " + Hex(banco);
}

std::string dispositivo_de(uint8_t dispositivo, uint8_t selector) {
    return "device " + Hex(dispositivo) + " (selector " + std::to_string(selector) + ")";
}

// Why a request went without the answer it wanted, after every try: the port failed, the
// meter said nothing, or what it said (si_respondio) was not enough.
void Fallar_peticion(const Canal& canal, bool puerto_fallido, bool mudo,
                     const std::string& peticion, const std::string& si_respondio) {
    if (puerto_fallido) {
        canal.fallar(std::string(CAUSA_PUERTO));
    } else if (mudo) {
        canal.fallar("no answer to " + peticion + EN_INTENTOS);
    } else {
        canal.fallar(si_respondio + peticion + EN_INTENTOS);
    }
}

}  // namespace

TCPuerto& TConsultas::puerto() { return canal_.puerto; }

bool TConsultas::Leer_memoria(uint16_t direccion, uint8_t banco, uint8_t cuenta,
                              uint16_t* palabras) {
    const Lectura l = Leer(direccion, banco, cuenta, palabras);
    if (l.entera) return true;
    Fallar_peticion(canal_, l.puerto_fallido, l.muda, lectura_de(direccion, banco, cuenta),
                    "no whole answer in time to ");
    return false;
}

TConsultas::Lectura TConsultas::Leer(uint16_t direccion, uint8_t banco, uint8_t cuenta,
                                     uint16_t* palabras) {
    const int n_palabras = cuenta / 2;
    std::fill(palabras, palabras + n_palabras, uint16_t{0});
    const uint8_t peticion[5] = {0x01, banco, static_cast<uint8_t>(direccion & 0xFF),
                                 static_cast<uint8_t>(direccion >> 8), cuenta};
    Espera espera(canal_.puerto, canal_.entorno, Entre_lecturas::mensajes);
    bool leida = false;
    bool puerto_fallido = false;
    for (int intento = 0; intento < INTENTOS && !leida; ++intento) {
        puerto().Vaciar_entrada();
        if (puerto().Escribir(peticion, 5) != 5) puerto_fallido = true;

        // Header: 0x10 and a byte whose value is not used, both before the seconds tick.
        espera.reiniciar();
        espera.byte_igual(0x10, 1);
        uint8_t b = 0;
        espera.byte(b, 1);
        if (espera.transcurrido() != 0) continue;

        // Data: every word before the seconds tick again.
        espera.reiniciar();
        for (int i = 0; i < n_palabras; ++i) {
            uint8_t bajo = 0, alto = 0;
            espera.byte(bajo, 1);
            espera.byte(alto, 1);
            palabras[i] = static_cast<uint16_t>(bajo | (alto << 8));
        }
        leida = espera.transcurrido() == 0;
    }
    puerto().Vaciar_entrada();
    ultima_fallida = !leida;
    return {leida, espera.recibidos() == 0, puerto_fallido};
}

bool TConsultas::Leer_memoria_conforme(uint16_t direccion, uint8_t banco, uint8_t cuenta,
                                       uint16_t* palabras, Bytes_usados usados) {
    const size_t hasta = std::min<size_t>(usados.hasta, cuenta / 2 * 2);
    const auto usados_de = [&] {
        std::vector<uint8_t> b;
        for (size_t k = usados.desde; k < hasta; ++k) b.push_back(Byte_leido(palabras, k));
        return b;
    };
    std::vector<uint8_t> anterior;
    bool anterior_entera = false;
    for (int lectura = 0; lectura < LECTURAS_CONFORMES; ++lectura) {
        const Lectura l = Leer(direccion, banco, cuenta, palabras);
        if (l.muda) {
            canal_.fallar(l.puerto_fallido
                              ? std::string(CAUSA_PUERTO)
                              : "no answer to " + lectura_de(direccion, banco, cuenta) +
                                    EN_INTENTOS);
            return false;
        }
        std::vector<uint8_t> actual = usados_de();
        if (l.entera && anterior_entera && actual == anterior) return true;
        anterior = std::move(actual);
        anterior_entera = l.entera;
    }
    canal_.fallar("no two answers in a row agreed to " + lectura_de(direccion, banco, cuenta) +
                  " in " + std::to_string(LECTURAS_CONFORMES) + " reads");
    return false;
}

bool TConsultas::Leer_dispositivo(uint8_t dispositivo, uint8_t* buffer, uint8_t selector,
                                  uint8_t flag, uint8_t modo) {
    if (modo > 7) {
        canal_.fallar("a device read cannot ask for mode " + std::to_string(modo));
        return false;
    }
    // The count asked for is the one given on entry, also on retries after a failed attempt
    // has already stored some bytes over it.
    const uint8_t cuenta = buffer[0];
    const uint8_t control =
        static_cast<uint8_t>((selector & 0x0F) | (modo << 4) | ((flag & 0x01) << 7));
    const uint8_t peticion[5] = {0x01, BANCO_DISPOSITIVOS, static_cast<uint8_t>(dispositivo & 0x7F),
                                 cuenta, control};
    Espera espera(canal_.puerto, canal_.entorno, Entre_lecturas::pausa_50ms);
    bool puerto_fallido = false;
    ultima_fallida = true;
    for (int intento = 0; intento < INTENTOS; ++intento) {
        puerto().Vaciar_entrada();
        if (puerto().Escribir(peticion, 5) != 5) puerto_fallido = true;

        espera.entre_lecturas(Entre_lecturas::pausa_50ms);
        espera.reiniciar();
        if (!espera.byte_igual(0x10, 3)) continue;
        // The count byte is waited for on the same clock, polling without pause.
        espera.entre_lecturas(Entre_lecturas::nada);
        uint8_t n = 0;
        if (!espera.byte(n, 3)) continue;
        // A reply longer than the caller's buffer is not stored: the attempt fails.
        if (n > CAPACIDAD_DISPOSITIVO) continue;
        espera.entre_lecturas(Entre_lecturas::pausa_50ms);
        bool completo = true;
        for (int i = 0; i < n && completo; ++i) {
            espera.reiniciar();
            completo = espera.byte(buffer[i], 3);
        }
        if (completo) {
            ultima_fallida = false;
            return true;
        }
    }
    Fallar_peticion(canal_, puerto_fallido, espera.recibidos() == 0,
                    "the read of " + dispositivo_de(dispositivo, selector),
                    "no whole answer in time to ");
    return false;
}

std::vector<uint8_t> Peticion_escritura_dispositivo(uint8_t dispositivo, uint8_t selector,
                                                    const uint8_t* datos, uint8_t n) {
    std::vector<uint8_t> trama(size_t{5} + n);
    trama[0] = 0x02;
    trama[1] = static_cast<uint8_t>(n + 3);
    trama[2] = BANCO_DISPOSITIVOS;
    trama[3] = dispositivo;
    trama[4] = static_cast<uint8_t>(selector & 0x0F);
    std::copy(datos, datos + n, trama.begin() + 5);
    return trama;
}

bool TConsultas::Escribir_dispositivo(uint8_t dispositivo, uint8_t selector, const uint8_t* datos,
                                      uint8_t n) {
    const auto trama = Peticion_escritura_dispositivo(dispositivo, selector, datos, n);
    Espera espera(canal_.puerto, canal_.entorno, Entre_lecturas::pausa_50ms);
    bool puerto_fallido = false;
    for (int intento = 0; intento < INTENTOS; ++intento) {
        puerto().Vaciar_entrada();
        if (puerto().Escribir(trama.data(), static_cast<uint32_t>(trama.size())) !=
            static_cast<int>(trama.size())) {
            puerto_fallido = true;
        }
        espera.reiniciar();
        if (espera.byte_igual(0x20, 3)) return true;
    }
    Fallar_peticion(canal_, puerto_fallido, espera.recibidos() == 0,
                    "the write of " + dispositivo_de(dispositivo, selector),
                    "the meter did not acknowledge (0x20) ");
    return false;
}

int TConsultas::Leer_nivel() {
    int suma = 0;
    for (int i = 0; i < 4; ++i) {
        uint16_t palabra = 0;
        Leer_memoria(memoria::NIVEL, memoria::BANCO_RAM, 2, &palabra);
        suma += palabra & 0xFF;
        canal_.entorno.dormir(50);
    }
    return suma / 4;
}

bool TConsultas::Comprobar_dispositivo() {
    uint8_t buffer[CAPACIDAD_DISPOSITIVO] = {};
    buffer[0] = 1;
    if (!Leer_dispositivo(DISPOSITIVO_ESTADO, buffer, 8, 1, 1)) return false;
    bool correcto = (buffer[1] & 0x80) == 0;
    buffer[0] = 1;
    if (!Leer_dispositivo(DISPOSITIVO_ESTADO, buffer, 12, 1, 1)) return false;
    if ((buffer[1] & 0x40) != 0) correcto = false;
    return correcto;
}

bool TConsultas::Activar_dispositivo() {
    uint8_t buffer[CAPACIDAD_DISPOSITIVO] = {};
    buffer[0] = 1;
    if (!Leer_dispositivo(DISPOSITIVO_ESTADO, buffer, 8, 1, 1)) return false;
    buffer[1] |= 0x41;
    if (!Escribir_dispositivo(DISPOSITIVO_ESTADO, 8, buffer, 2)) return false;
    buffer[1] = 0;
    buffer[0] = 1;
    const bool leido = Leer_dispositivo(DISPOSITIVO_ESTADO, buffer, 8, 1, 1);
    if ((buffer[1] & 0x51) == 0x51) return true;
    if (leido) {
        canal_.fallar(dispositivo_de(DISPOSITIVO_ESTADO, 8) +
                      " did not take the activation: it reads " + Hex(buffer[1]) +
                      " after the write, not 0x51 set");
    }
    return false;
}

namespace {

// One identity query of four bytes of bank 0x42: the six reply bytes of the last attempt
// and whether it was good, or escrito false when the request could not be written.
struct Respuesta_identidad {
    bool escrito = true;
    bool ok = false;
    std::array<uint8_t, 6> bytes{};
};

Respuesta_identidad Consultar_identidad(const Canal& canal, uint16_t direccion, bool con_cabecera) {
    Respuesta_identidad r;
    const uint8_t peticion[5] = {0x01, BANCO_EEPROM, static_cast<uint8_t>(direccion & 0xFF),
                                 static_cast<uint8_t>(direccion >> 8), 0x04};
    Espera espera(canal.puerto, canal.entorno, Entre_lecturas::mensajes);
    for (int intento = 0; intento < INTENTOS; ++intento) {
        r.bytes.fill(0);
        canal.puerto.Vaciar_entrada();
        if (canal.puerto.Escribir(peticion, 5) < 0) {
            r.escrito = false;
            r.ok = false;
            canal.fallar(std::string(CAUSA_PUERTO));
            return r;
        }
        espera.reiniciar();
        size_t primero = 0;
        if (con_cabecera) {
            if (!espera.byte_igual(0x10, 1)) continue;
            r.bytes[0] = 0x10;
            espera.reiniciar();
            primero = 1;
        }
        bool bueno = true;
        for (size_t i = primero; i < r.bytes.size(); ++i) {
            espera.byte(r.bytes[i], 1);
            if (espera.transcurrido() != 0) bueno = false;
        }
        r.ok = bueno;
        if (bueno) break;
    }
    canal.puerto.Vaciar_entrada();
    return r;
}

}  // namespace

Dato_medidor<uint8_t> TConsultas::Leer_idioma() {
    Dato_medidor<uint8_t> d;
    const auto r = Consultar_identidad(canal_, memoria::IDIOMA, false);
    if (!r.escrito) {
        d.estado = -1;
        return d;
    }
    d.ok = r.ok;
    d.valor = r.bytes[4];
    return d;
}

Dato_medidor<uint8_t> TConsultas::Leer_dato_232() {
    Dato_medidor<uint8_t> d;
    const auto r = Consultar_identidad(canal_, memoria::DATO_232, true);
    if (!r.escrito) {
        d.estado = -1;
        return d;
    }
    d.ok = r.ok;
    d.valor = r.bytes[5];
    return d;
}

Dato_medidor<uint16_t> TConsultas::Leer_dato_23b() {
    Dato_medidor<uint16_t> d;
    const auto r = Consultar_identidad(canal_, memoria::DATO_23B, true);
    if (!r.escrito) {
        d.estado = -1;
        return d;
    }
    d.ok = r.ok;
    d.valor = static_cast<uint16_t>(r.bytes[4] | (r.bytes[5] << 8));
    return d;
}

void TConsultas::Leer_version_mpeg4() {
    version = Version_mpeg4{};
    respuesta_mpeg4 = Respuesta_modulo::ninguna;
    Espera espera(canal_.puerto, canal_.entorno, Entre_lecturas::mensajes);
    puerto().Vaciar_entrada();
    puerto().Escribir({0xBF});
    espera.reiniciar();

    uint8_t b = 0;
    // Whatever happens next, a module that sent any byte is there.
    const auto fin = [&] {
        if (espera.recibidos() > 0) respuesta_mpeg4 = Respuesta_modulo::parcial;
    };
    if (!espera.byte(b, 10) || b != 0xFB) return fin();
    if (!espera.byte(b, 10)) return fin();  // not used
    uint8_t alto = 0, bajo = 0;
    if (!espera.byte(alto, 10) || !espera.byte(bajo, 10)) return fin();
    version.version_sw = static_cast<uint16_t>((alto << 8) | bajo);
    if (!espera.byte(alto, 10) || !espera.byte(bajo, 10)) return fin();
    version.build = static_cast<uint16_t>((alto << 8) | bajo);
    uint8_t decoders = 0, boot = 0;
    if (!espera.byte(decoders, 10) || !espera.byte(boot, 10)) return fin();
    version.version_decoders = decoders;
    version.version_boot = boot;
    respuesta_mpeg4 = Respuesta_modulo::completa;

    // The module's serial block: read off the link and not kept.
    puerto().Vaciar_entrada();
    puerto().Escribir({0xC0});
    espera.reiniciar();
    if (!espera.byte(b, 4) || espera.transcurrido() >= 3 || b != 0x0C) return;
    espera.byte(b, 10);  // not used
    espera.reiniciar();
    int recibidos = 0;
    while (recibidos < 64 && espera.transcurrido() < 10) {
        if (espera.byte(b, 10)) ++recibidos;
    }
}

}  // namespace z82
