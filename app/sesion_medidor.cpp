// The session's link: the handshake with the identity reads, the reconnection between
// update items, the closing pair and the watch for the meter's own disconnect byte.
#include "app/sesion_medidor.h"

#include "data/imagenes.h"
#include "flash/codigo_cargador.h"
#include "graphics/tgraficos.h"
#include "link/tcpuerto.h"
#include "protocol/enlace.h"
#include "queries/tconsultas.h"

namespace z82 {

using namespace enlace;

Sesion_medidor::Sesion_medidor(Entorno& e, Observador& o, Dispositivo_serie& dispositivo,
                               Cerrojo_puerto* cerrojo)
    : entorno(e),
      observador(o),
      Barra_progreso(o),
      Timer_desconexion(100, [this] { Mira_desconexion(); }),
      dispositivo_(dispositivo) {
    // The port settings record holds 115200 baud, 8 data bits, no parity, 2 stop bits, DTR
    // on, RTS by hand.
    config_puerto = Config_puerto{};
    puerto_ = std::make_unique<TCPuerto>(dispositivo_, cerrojo, entorno);
    puerto = puerto_.get();
    consultas_ = std::make_unique<TConsultas>(canal());
    consultas = consultas_.get();
    graficos_ = std::make_unique<TGraficos>(canal());
    graficos = graficos_.get();
    for (int i = 0; i < 3; ++i) {
        const auto b = datos::bloque_cargador(i);
        bloques.bloque[static_cast<size_t>(i)].assign(b.begin(), b.end());
    }
    entorno.registrar(Timer_desconexion);
}

Sesion_medidor::~Sesion_medidor() {
    Timer_desconexion.Enabled(false);
    entorno.olvidar(Timer_desconexion);
    if (conectado) Desconectar();
}

void Sesion_medidor::Soltar() {
    // Only a link still up is closed with its notice: on one already gone, the handshake
    // would start again and leave a meter connected without its 0x0A.
    if (conectado) Conectar();
    puerto->Cerrar();
    conectado = false;
}

void Sesion_medidor::Pulsos_rts() {
    for (int i = 0; i < 16; ++i) {
        puerto->Poner_rts(true);
        entorno.dormir(20);
        puerto->Poner_rts(false);
        entorno.dormir(20);
    }
}

// Closes the port if open and opens it again on numero_puerto with the line settings.
bool Sesion_medidor::Reabrir_puerto() {
    if (puerto->Abierto()) puerto->Cerrar();
    config_puerto.numero_puerto = static_cast<uint32_t>(numero_puerto);
    puerto->Abrir(static_cast<uint32_t>(numero_puerto), config_puerto);
    return puerto->Abierto();
}

// One probe: messages, the RTS pulses, a pause, the drain and 0x00. False when the
// window is closing (nothing is sent then).
bool Sesion_medidor::Enviar_sonda() {
    entorno.procesar_mensajes();
    if (cerrando) return false;
    Pulsos_rts();
    entorno.procesar_mensajes();
    if (cerrando) return false;
    entorno.dormir(100);
    puerto->Vaciar_entrada();
    puerto->Escribir({SONDA});
    return true;
}

// The window's own disconnect: notice, pause, close.
void Sesion_medidor::Desconectar() {
    puerto->Escribir({DESCONEXION});
    entorno.dormir(100);
    puerto->Cerrar();
    conectado = false;
}

void Sesion_medidor::Conectar() {
    Timer_desconexion.Enabled(false);
    respuesta_6d = false;
    modo_diferencial = false;

    if (conectado) {
        Desconectar();
        entorno.procesar_mensajes();
        return;
    }

    if (!Reabrir_puerto()) {
        const std::string por_que = dispositivo_.ultimo_error();
        if (!por_que.empty()) avisos_puertos.push_back(por_que);
        return;
    }

    int intentos = 0;
    bool enlazado = false;
    do {
        if (!Enviar_sonda()) return;
        uint8_t respuesta = 0;
        puerto->Leer(&respuesta, 1);
        if (respuesta == RESPUESTA_DIFERENCIAL) {
            modo_diferencial = true;
            enlazado = true;
        } else if (respuesta == RESPUESTA_NORMAL) {
            enlazado = true;
        } else if (respuesta == RESPUESTA_FIN) {
            respuesta_6d = true;
            intentos = 10;
        }
        ++intentos;
        if (!enlazado) {
            puerto->Escribir({DESCONEXION});
            entorno.dormir(100);
        }
    } while (!enlazado && intentos < 4);

    if (modo_diferencial && enlazado) {
        // The meter runs only its boot loader: give it the loader code first. The result
        // does not decide the connection.
        TCodigo_cargador(canal(), bloques, consultas, graficos).Cargar_arranque();
    }
    if (!enlazado) {
        puerto->Cerrar();
        return;
    }

    conectado = true;
    Leer_idioma_medidor();
    Leer_datos_sonido();
}

namespace {

// An identity read of a value that goes into the zone configuration, repeated until two
// answered reads in a row agree (a byte damaged on the line would be written into the
// EEPROM). The first unanswered read, or no agreement within the reads allowed, gives
// the read's failure.
template <typename T, typename Leer>
Dato_medidor<T> Leer_conforme(Leer leer) {
    Dato_medidor<T> anterior = leer();
    for (int lectura = 1; lectura < TConsultas::LECTURAS_CONFORMES; ++lectura) {
        if (anterior.estado != 0 || !anterior.ok) return anterior;
        const Dato_medidor<T> d = leer();
        if (d.estado == 0 && d.ok && d.valor == anterior.valor) return d;
        anterior = d;
    }
    anterior.ok = false;
    return anterior;
}

}  // namespace

void Sesion_medidor::Leer_idioma_medidor() {
    // The language decides the zone block's language bytes, its plan selector and tables
    // and the profile names: it is read as the sound values are. Only a value that read the
    // same twice is clamped to a language; one that never did is asked again before the
    // zone is built, and is never guessed.
    const auto d = Leer_conforme<uint8_t>([this] { return consultas->Leer_idioma(); });
    medidor.idioma_ok = d.estado == 0 && d.ok;
    medidor.idioma_medidor = d.estado == 0 ? d.valor : -1;
    if (medidor.idioma_ok && medidor.idioma_medidor > 9) medidor.idioma_medidor = 1;
}

void Sesion_medidor::Leer_datos_sonido() {
    medidor.dato_232_ok = false;
    const auto d232 = Leer_conforme<uint8_t>([this] { return consultas->Leer_dato_232(); });
    if (d232.estado == 0) {
        medidor.dato_232_ok = d232.ok;
        medidor.dato_232 = d232.valor;
    }
    if (medidor.dato_232_ok) {
        const auto d23b = Leer_conforme<uint16_t>([this] { return consultas->Leer_dato_23b(); });
        if (d23b.estado == 0) {
            medidor.dato_23b = d23b.valor;
            medidor.dato_232_ok = d23b.ok;
        }
    }
}

void Sesion_medidor::Reconectar() {
    Timer_desconexion.Enabled(false);
    if (conectado) Desconectar();

    if (Reabrir_puerto()) {
        int intentos = 0;
        bool enlazado = false;
        do {
            if (!Enviar_sonda()) return;
            for (int i = 0; i < 15; ++i) {
                entorno.procesar_mensajes();
                if (cerrando) return;
                entorno.dormir(10);
            }
            uint8_t respuesta = 0;
            puerto->Leer(&respuesta, 1);
            enlazado = respuesta == RESPUESTA_NORMAL;
            ++intentos;
            if (!enlazado) {
                puerto->Escribir({DESCONEXION});
                entorno.dormir(100);
            }
        } while (!enlazado && intentos < 10);
        if (enlazado) {
            conectado = true;
            return;
        }
    }
    entorno.pitar();
    observador.mensaje("USB error");
    puerto->Cerrar();
}

void Sesion_medidor::Enviar_cierre() {
    puerto->Vaciar_entrada();
    puerto->Escribir({CIERRE_1, CIERRE_2});
    entorno.dormir(500);
}

void Sesion_medidor::Mira_desconexion() {
    // A port that closed has nothing to say and is not waited on.
    if (!puerto->Abierto()) return;
    uint8_t b = 0;
    if (puerto->Leer(&b, 1) > 0 && b == DESCONEXION) Conectar();
}

}  // namespace z82
