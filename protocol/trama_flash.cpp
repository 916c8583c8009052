#include "protocol/trama_flash.h"

#include "base/entorno.h"
#include "link/tcpuerto.h"
#include "protocol/causa.h"
#include "protocol/enlace.h"
#include "protocol/espera.h"

namespace z82 {

namespace {

constexpr int PAUSA_RELLENO_MS = 1;
constexpr int PAUSA_PROGRESO_MS = 100;

// One-byte read: true when a byte came. A read that times out leaves 0 in b.
bool leer_byte(const Canal& canal, uint8_t& b) { return canal.puerto.Leer(&b, 1) > 0; }

bool escribir(const Canal& canal, std::span<const uint8_t> bytes) {
    return canal.puerto.Escribir(bytes.data(), static_cast<uint32_t>(bytes.size())) ==
           static_cast<int>(bytes.size());
}

}  // namespace

bool Cancelado_tras_pausa(const Canal& canal) {
    canal.entorno.procesar_mensajes();
    if (!canal.parar()) return false;
    canal.entorno.dormir(PAUSA_CANCELACION_MS);
    return true;
}

namespace {

// How the wait for the answer to a block write ended.
enum class Acuse {
    byte,      // a byte came (in respuesta)
    silencio,  // espera_s whole seconds passed without one
    detenido,  // the run was cancelled during the wait
};

// Waits for the answer to a block write: stops on a byte or when espera_s whole seconds
// have passed, or when the run is cancelled.
Acuse esperar_acuse(const Canal& canal, int espera_s, Cancelacion cancelacion, uint8_t& respuesta) {
    Espera espera(canal.puerto, canal.entorno);
    if (cancelacion != Cancelacion::ninguna) espera.detener_si([&canal] { return canal.parar(); });
    if (espera.byte(respuesta, espera_s)) return Acuse::byte;
    if (!espera.detenida()) return Acuse::silencio;
    if (cancelacion == Cancelacion::tras_pausa) canal.entorno.dormir(PAUSA_CANCELACION_MS);
    return Acuse::detenido;
}

// What the loader did with a block write, for the cause of a failure.
std::string acuse_visto(Acuse acuse, uint8_t respuesta, int espera_s) {
    if (acuse == Acuse::byte) return "answer " + Byte_visto(respuesta);
    return "no answer within " + Duracion(espera_s);
}

// The frame once more after the loader asked for it: one more wait, '0' or failure.
// primera: what the first send got; puerto_fallido: an earlier write fell short.
bool reenviar(const Canal& canal, const Forma_bloque& forma, const Trama_flash& trama,
              const std::string& primera, bool puerto_fallido) {
    uint8_t respuesta = RELLENO;
    if (!escribir(canal, trama.bytes())) puerto_fallido = true;
    const Acuse acuse = esperar_acuse(canal, forma.espera_s, Cancelacion::ninguna, respuesta);
    if (respuesta == RESP_BLOQUE_OK) return true;
    canal.entorno.pitar();
    const std::string segunda = acuse_visto(acuse, respuesta, forma.espera_s);
    if (puerto_fallido) {
        canal.fallar(std::string(CAUSA_PUERTO));
    } else if (segunda == primera) {
        canal.fallar("no acknowledgement in 2 tries (" + primera + " both times)");
    } else {
        canal.fallar("no acknowledgement in 2 tries (" + primera + ", then " + segunda + ")");
    }
    return false;
}

// A request answered by one byte, with its attempts.
// nombre: the request in the meter's terms, for the cause of a failure.
bool pedir_y_esperar(const Canal& canal, std::span<const uint8_t> peticion, uint8_t esperada,
                     const Forma_espera& forma, int64_t hora_inicio, std::string_view nombre) {
    Respuestas respuestas;
    for (int intento = 0; intento < forma.intentos; ++intento) {
        canal.puerto.Vaciar_entrada();
        respuestas.escrito(escribir(canal, peticion));
        Espera espera(canal.puerto, canal.entorno);
        if (forma.desde_hora_inicio) espera.reiniciar_en(hora_inicio);
        uint8_t respuesta = 0;
        const bool llego = espera.byte(respuesta, forma.limite_s);
        const bool a_tiempo = espera.transcurrido() < forma.limite_s;
        const bool bien = llego && a_tiempo && respuesta == esperada;
        const bool erronea = llego && respuesta != esperada;
        if (!bien &&
            ((erronea && forma.pitar_si_erronea) || (!erronea && forma.pitar_si_silencio))) {
            canal.entorno.pitar();
        }
        if (forma.pausa_ms > 0) canal.entorno.dormir(forma.pausa_ms);
        if (bien) return true;
        if (!llego) {
            respuestas.nada();
        } else if (erronea) {
            respuestas.otra(respuesta);
        } else {
            respuestas.tarde(respuesta);
        }
    }
    canal.fallar(respuestas.causa(nombre, esperada));
    return false;
}

}  // namespace

uint8_t Xor_trama(const uint8_t* bytes, int count) {
    uint8_t x = 0;
    for (int i = 0; i < count; ++i) x = static_cast<uint8_t>(x ^ bytes[i]);
    return x;
}

Trama_flash::Trama_flash(uint8_t comando, std::span<const uint8_t> parametros) {
    if (parametros.size() > MAX_PARAMETROS) return;
    const int l = static_cast<int>(parametros.size()) + 1;
    bytes_[0] = comando;
    bytes_[1] = static_cast<uint8_t>(l);
    for (size_t i = 0; i < parametros.size(); ++i) bytes_[2 + i] = parametros[i];
    bytes_[static_cast<size_t>(l) + 1] = Xor_trama(&bytes_[1], l);
    tamano_ = l + 2;
}

Trama_flash Trama_flash::Bloque_escritura(uint16_t direccion, uint8_t pagina,
                                          std::span<const uint8_t> datos) {
    if (datos.size() > static_cast<size_t>(MAX_DATOS_BLOQUE)) return Trama_flash();
    std::array<uint8_t, 3 + MAX_DATOS_BLOQUE> p{};
    p[0] = static_cast<uint8_t>(direccion & 0xFF);
    p[1] = static_cast<uint8_t>(direccion >> 8);
    p[2] = pagina;
    for (size_t i = 0; i < datos.size(); ++i) p[3 + i] = datos[i];
    return Trama_flash(CMD_BLOQUE_ESCRITURA, std::span<const uint8_t>(p.data(), 3 + datos.size()));
}

Trama_flash Trama_flash::Borrar_paginas(uint8_t primera, uint8_t ultima) {
    const uint8_t p[2] = {primera, ultima};
    return Trama_flash(CMD_BORRAR_PAGINAS, p);
}

Trama_flash Trama_flash::Programar_mapa(const Mapa_segmentos& mapa) {
    return Trama_flash(CMD_PROGRAMAR_MAPA, mapa);
}

bool Enviar_bloque(const Canal& canal, const Forma_bloque& forma, int n, uint16_t direccion,
                   uint8_t pagina, const uint8_t* datos) {
    if (n < 0 || n > MAX_DATOS_BLOQUE) {
        canal.fallar("a block of " + std::to_string(n) + " bytes cannot be framed (at most " +
                     std::to_string(MAX_DATOS_BLOQUE) + ")");
        return false;
    }
    if (forma.omitir_paginas_bajas && pagina < PRIMERA_PAGINA_ESCRITA) return true;

    TCPuerto& puerto = canal.puerto;
    puerto.Vaciar_entrada();
    const Trama_flash trama = Trama_flash::Bloque_escritura(
        direccion, pagina, std::span<const uint8_t>(datos, static_cast<size_t>(n)));

    uint8_t respuesta = RELLENO;
    bool puerto_fallido = !escribir(canal, trama.bytes());
    const Acuse acuse = esperar_acuse(canal, forma.espera_s, forma.cancelacion, respuesta);
    if (acuse == Acuse::detenido) {
        canal.fallar(std::string(CAUSA_DETENIDA));
        return false;
    }
    if (respuesta == RESP_BLOQUE_OK) return true;
    const std::string primera = acuse_visto(acuse, respuesta, forma.espera_s);

    if (forma.recuperacion_simple) return reenviar(canal, forma, trama, primera, puerto_fallido);

    // Recovery: empty both queues, then prod the loader with filler bytes until it asks
    // for the block again ('?' or 'f') or the time is up.
    puerto.Purgar(true, true);
    const int64_t inicio = canal.entorno.segundos();
    puerto.Vaciar_entrada();
    const uint8_t relleno = RELLENO;
    do {
        if (puerto.Escribir(&relleno, 1) != 1) puerto_fallido = true;
        canal.entorno.dormir(PAUSA_RELLENO_MS);
        leer_byte(canal, respuesta);
        canal.entorno.procesar_mensajes();
    } while (canal.entorno.segundos() - inicio < forma.limite_relleno_s &&
             respuesta != RESP_REPETIR && respuesta != RESP_DESPIERTO);
    if (respuesta != RESP_REPETIR && respuesta != RESP_DESPIERTO) {
        canal.entorno.pitar();
        canal.fallar(puerto_fallido
                         ? std::string(CAUSA_PUERTO)
                         : "no acknowledgement (" + primera + ") and no request to resend within " +
                               Duracion(forma.limite_relleno_s));
        return false;
    }
    return reenviar(canal, forma, trama, primera, puerto_fallido);
}

bool Borrar_paginas(const Canal& canal, uint8_t primera, uint8_t ultima, const Forma_espera& forma,
                    int64_t hora_inicio) {
    const Trama_flash trama = Trama_flash::Borrar_paginas(primera, ultima);
    return pedir_y_esperar(canal, trama.bytes(), RESP_BORRADO, forma, hora_inicio,
                           "the page erase " + Hex(primera) + ".." + Hex(ultima));
}

bool Despertar(const Canal& canal, const Forma_espera& forma) {
    const uint8_t peticion[1] = {CMD_DESPERTAR};
    return pedir_y_esperar(canal, peticion, RESP_DESPIERTO, forma, 0,
                           "the wake-up " + Hex(CMD_DESPERTAR));
}

bool Programar_mapa(const Canal& canal, const Mapa_segmentos& mapa) {
    canal.puerto.Vaciar_entrada();
    return escribir(canal, Trama_flash::Programar_mapa(mapa).bytes());
}

void Fin_comunicacion(const Canal& canal) {
    canal.puerto.Escribir({enlace::CIERRE_1, enlace::CIERRE_2});
    canal.puerto.Vaciar_entrada();
}

namespace {

// Why the progress stream ended without 0x80 0x80 within its limit.
std::string fin_sin_marca(int64_t limite_s, int64_t ultimo_s, int64_t transcurrido,
                          uint8_t ultimo) {
    if (ultimo_s < 0) return "no answer to the program command within " + Duracion(limite_s);
    const std::string sin_fin =
        "the meter did not end the programming (0x80 0x80) within " + Duracion(limite_s);
    const int64_t callado = transcurrido - ultimo_s;
    if (callado < 2) return sin_fin + "; it was still sending (last byte " + Hex(ultimo) + ")";
    return sin_fin + "; its last byte, " + Hex(ultimo) + ", came " + Duracion(callado) + " before";
}

}  // namespace

bool Seguir_progreso(const Canal& canal, int64_t inicio, int64_t limite_s,
                     const std::function<void(Suceso_progreso, uint8_t)>& al_suceso) {
    auto avisar = [&](Suceso_progreso s, uint8_t b) {
        if (al_suceso) al_suceso(s, b);
    };
    bool borrando = false;
    bool grabando = false;
    uint8_t anterior = 0;
    // When the last byte came, in whole seconds from inicio; -1 before the first.
    int64_t ultimo_s = -1;
    Espera espera(canal.puerto, canal.entorno);
    espera.reiniciar_en(inicio);
    for (;;) {
        uint8_t b = 0;
        if (!espera.byte(b, limite_s)) {
            canal.fallar(fin_sin_marca(limite_s, ultimo_s, espera.transcurrido(), anterior));
            return false;
        }
        ultimo_s = espera.transcurrido();
        const bool repetido = b == anterior;
        if (b == MARCA_FIN && repetido) return true;
        if (b == MARCA_BORRADO && repetido) {
            borrando = true;
            grabando = false;
            avisar(Suceso_progreso::fase_borrado, b);
        } else if (b == MARCA_GRABADO && repetido) {
            grabando = true;
            borrando = false;
            avisar(Suceso_progreso::fase_grabado, b);
        } else if (b == MARCA_FIN || b == MARCA_BORRADO || b == MARCA_GRABADO) {
            avisar(Suceso_progreso::marcador, b);
        } else if (!borrando && !grabando) {
            canal.entorno.pitar();
            canal.fallar("an unexpected byte " + Hex(b) +
                         " in the programming stream, before any erase or write phase");
            return false;
        } else {
            avisar(Suceso_progreso::valor, b);
        }
        anterior = b;
        canal.entorno.procesar_mensajes();
        canal.entorno.dormir(PAUSA_PROGRESO_MS);
    }
}

}  // namespace z82
