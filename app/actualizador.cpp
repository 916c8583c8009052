#include "app/actualizador.h"

#include <algorithm>
#include <cctype>

#include "data/imagenes.h"
#include "hex/escaneo_hex.h"
#include "hex/fuente_lineas.h"
#include "hex/lector_hex.h"
#include "link/tcpuerto.h"
#include "queries/tconsultas.h"

namespace z82 {
namespace {

// The carried image is fixed when the program is built, so its scan gives the same answer
// every time: it is done once per process, however many updaters are made (the tests and
// the fault campaign make thousands).
const Resultado_escaneo& Escaneo_imagen_llevada() {
    static const Resultado_escaneo escaneo = [] {
        TFuente_lineas fuente(datos::imagen_hex());
        TLector_hex lector(fuente);
        return Escanear_hex(fuente, lector);
    }();
    return escaneo;
}

}  // namespace

int Numero_tras_prefijo(const std::string& nombre) {
    if (nombre.size() < 4) return -1;
    int n = 0;
    size_t i = 3;
    for (; i < nombre.size() && std::isdigit(static_cast<unsigned char>(nombre[i])); ++i) {
        if (n > 100000) return -1;
        n = n * 10 + (nombre[i] - '0');
    }
    return i == 3 ? -1 : n;
}

Resultado_asistente Resultado_de(const Desenlace_actualizacion& d) {
    switch (d.fin) {
        case Fin_actualizacion::correcta:
            return Resultado_asistente::actualizado;
        case Fin_actualizacion::borrado_rechazado:
            return Resultado_asistente::borrado_rechazado;
        case Fin_actualizacion::detenida:
            return Resultado_asistente::detenido;
        case Fin_actualizacion::fallo:
            return Resultado_asistente::fallo;
        case Fin_actualizacion::zona_no_escrita:
            return Resultado_asistente::firmware_sin_zona;
    }
    return Resultado_asistente::fallo;
}

Actualizador::Actualizador(Entorno& e, Observador& o, Dispositivo_serie& dispositivo,
                           Cerrojo_puerto* cerrojo)
    : entorno(e), sesion(e, o, dispositivo, cerrojo), observador(o) {
    fuente_hex_ = std::make_unique<TFuente_lineas>(datos::imagen_hex());
    fuente_hex = fuente_hex_.get();
}

Actualizador::~Actualizador() {
    lector_hex_.reset();
    lector_hex = nullptr;
}

void Actualizador::Abrir_hex() {
    for (size_t i = 1; i < segmentos.size(); ++i) segmentos[i] = false;
    fuente_hex->Rebobinar();
    lector_hex_.reset();
    lector_hex_ = std::make_unique<TLector_hex>(*fuente_hex);
    lector_hex = lector_hex_.get();
    const Resultado_escaneo& r = Escaneo_imagen_llevada();
    version_hex = r.version;
    for (size_t i = 1; i < segmentos.size(); ++i) segmentos[i] = r.segmentos[i];
    if (r.ok) {
        lector_hex_->registros = r.registros;
        return;
    }
    entorno.pitar();
    observador.mensaje(r.mensaje);
    lector_hex_.reset();
    lector_hex = nullptr;
}

void Actualizador::Conectar() {
    sesion.numero_puerto = numero_puerto;
    const bool desconectar = sesion.conectado;
    sesion.Conectar();
    if (desconectar || !sesion.conectado) return;
    Plan_actualizacion();
    entorno.procesar_mensajes();
    sesion.Timer_desconexion.Enabled(true);
}

void Actualizador::Reconectar() {
    sesion.numero_puerto = numero_puerto;
    sesion.Reconectar();
}

void Actualizador::Probar_puerto(int n) {
    numero_puerto = n;
    observador.probando_puerto(n);
    entorno.procesar_mensajes();
    Conectar();
    // Each handshake clears its own 0x6D: the search keeps it for its outcome, whichever
    // port came last.
    if (sesion.respuesta_6d) rechazo_en_busqueda = true;
}

void Actualizador::Buscar_automatico() {
    std::array<bool, 16> probados{};
    for (int n = 1; n <= 15 && !sesion.conectado; ++n) {
        if (!entorno.existe_puerto(n)) continue;
        probados[static_cast<size_t>(n)] = true;
        Probar_puerto(n);
    }
    if (sesion.conectado) return;
    for (const std::string& nombre : entorno.puertos_registro()) {
        if (sesion.conectado) break;
        if (nombre.compare(0, 3, "COM") != 0) continue;
        const int n = Numero_tras_prefijo(nombre);
        if (n < 0) continue;
        numero_puerto = n;
        if (n <= 15 && probados[static_cast<size_t>(n)]) continue;
        Probar_puerto(n);
    }
}

void Actualizador::Buscar_medidor() {
    sesion.avisos_puertos.clear();
    rechazo_en_busqueda = false;
    if (modo_automatico) {
        Buscar_automatico();
    } else {
        Probar_puerto(numero_puerto);
    }
    // Closed during the search: the handshake returned and left the port open; it is given
    // back.
    if (sesion.cerrando && !sesion.conectado) sesion.puerto->Cerrar();
}

Resultado_asistente Actualizador::Comprobar_antes_de_actualizar() {
    // A check whose read brought no reply (the meter left its USB screen, the cable came
    // out) says nothing about the meter's battery or its state: the link is blamed.
    const auto detenido = [&](Resultado_asistente r) {
        if (!sesion.conectado || sesion.consultas->ultima_fallida)
            r = Resultado_asistente::enlace_perdido;
        Soltar_enlace();
        return r;
    };
    if (sesion.consultas->Leer_nivel() < 17) return detenido(Resultado_asistente::detenido_nivel);
    if (!sesion.consultas->Comprobar_dispositivo())
        return detenido(Resultado_asistente::detenido_dispositivo);
    if (!Comprobar_medidor()) {
        return detenido(impedimento == Impedimento::nada_que_hacer
                            ? Resultado_asistente::nada_que_hacer
                            : Resultado_asistente::no_permitido);
    }
    if (!sesion.conectado) return Resultado_asistente::enlace_perdido;
    // Closed (or stopped by the user) during the search or the checks: no run starts on a
    // program that is going (its questions could never be answered).
    if (sesion.cerrando) {
        Soltar_enlace();
        return Resultado_asistente::detenido;
    }
    return Resultado_asistente::ninguno;
}

bool Actualizador::Firmware_programado() const {
    return ejecucion_ != nullptr && ejecucion_->firmware_programado;
}

Desenlace_actualizacion Actualizador::Actualizar_medidor() {
    ocupado = true;
    Ejecucion_actualizacion ejecucion(sesion, plan, observador,
                                      {fuente_hex, lector_hex, segmentos});
    // A memory erase that finds the link down connects as a search does, plan reads
    // included.
    ejecucion.conectar = [this] { Conectar(); };
    ejecucion_ = &ejecucion;
    const Desenlace_actualizacion d = ejecucion.Ejecutar();
    ejecucion_ = nullptr;
    plan = ejecucion.plan;
    segmentos = ejecucion.Imagen().segmentos;
    // The zone owed to this meter was written; or the firmware was programmed without it:
    // the meter runs the new firmware over its old zone block, and the next run on it (in
    // this program) owes it the zone.
    if (std::find(d.escritos.begin(), d.escritos.end(), Elemento::zona) != d.escritos.end())
        zona_pendiente = false;
    if (d.fin == Fin_actualizacion::zona_no_escrita) zona_pendiente = true;
    ocupado = false;
    return d;
}

}  // namespace z82
