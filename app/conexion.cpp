// The connection handshake, the reconnection between update steps, the closing pair and the
// watch for the meter's own disconnect byte.
#include "app/ventana_cargador.h"
#include "flash/codigo_cargador.h"
#include "link/tcpuerto.h"
#include "protocol/enlace.h"
#include "queries/tconsultas.h"

namespace z82 {

using namespace enlace;

void Tventana_cargador::Pulsos_rts() {
    for (int i = 0; i < 16; ++i) {
        puerto->Poner_rts(true);
        entorno.dormir(20);
        puerto->Poner_rts(false);
        entorno.dormir(20);
    }
}

// Closes the port if open and opens it again on numero_puerto with the line settings.
bool Tventana_cargador::Reabrir_puerto() {
    if (puerto->Abierto()) puerto->Cerrar();
    config_puerto.numero_puerto = static_cast<uint32_t>(numero_puerto);
    puerto->Abrir(static_cast<uint32_t>(numero_puerto), config_puerto);
    return puerto->Abierto();
}

// One probe: messages, the RTS pulses, a pause, the drain and 0x00. False when the
// window is closing (nothing is sent then).
bool Tventana_cargador::Enviar_sonda() {
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
void Tventana_cargador::Desconectar() {
    puerto->Escribir({DESCONEXION});
    entorno.dormir(100);
    puerto->Cerrar();
    conectado = false;
}

void Tventana_cargador::Boton_ConectarClick() {
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

    Plan_actualizacion();
    entorno.procesar_mensajes();
    Timer_desconexion.Enabled(true);
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

void Tventana_cargador::Leer_idioma_medidor() {
    // The language decides the zone block's language bytes, its plan selector and tables
    // and the profile names: it is read as the sound values are. Only a value that read the
    // same twice is clamped to a language; one that never did is asked again before the
    // zone is built, and is never guessed.
    const auto d = Leer_conforme<uint8_t>([this] { return consultas->Leer_idioma(); });
    medidor.idioma_ok = d.estado == 0 && d.ok;
    medidor.idioma_medidor = d.estado == 0 ? d.valor : -1;
    if (medidor.idioma_ok && medidor.idioma_medidor > 9) medidor.idioma_medidor = 1;
}

void Tventana_cargador::Leer_datos_sonido() {
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

void Tventana_cargador::Reconectar() {
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
    vista.mensaje("USB error");
    puerto->Cerrar();
}

void Tventana_cargador::Enviar_cierre() {
    puerto->Vaciar_entrada();
    puerto->Escribir({CIERRE_1, CIERRE_2});
    entorno.dormir(500);
}

void Tventana_cargador::Mira_desconexion() {
    // A port that closed has nothing to say and is not waited on.
    if (!puerto->Abierto()) return;
    uint8_t b = 0;
    if (puerto->Leer(&b, 1) > 0 && b == DESCONEXION) Boton_ConectarClick();
}

}  // namespace z82
