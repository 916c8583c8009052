#include "cli/eventos_banco.h"

#include <algorithm>

#include "cli/informe.h"
#include "cli/json.h"

namespace z82 {

namespace {

const char* Nombre_evento(Tipo_evento t) {
    switch (t) {
        case Tipo_evento::encontrado:
            return "found";
        case Tipo_evento::sin_medidor:
            return "no_meter";
        case Tipo_evento::elemento:
            return "item_started";
        case Tipo_evento::progreso:
            return "progress";
        case Tipo_evento::fin_elemento:
            return "item_ended";
        case Tipo_evento::mensaje:
            return "message";
        case Tipo_evento::desenlace:
            return "outcome";
        case Tipo_evento::desenchufado:
            return "unplugged";
    }
    return "message";
}

void Lista(Escritor_json& j, const std::vector<std::string>& v) {
    j.abrir_lista();
    for (const std::string& s : v) j.cadena(s);
    j.cerrar_lista();
}

// The line a meter shows while it runs: its stream's name, percentage, amount, rate and
// time left.
std::string Linea_tramo(const Tramo_hecho& t) {
    const Partes_tramo p = Partes_de_tramo(t, false);
    std::string r = t.nombre + "  " + std::to_string(p.por_ciento) + "%  " + p.cantidad;
    if (!p.ritmo.empty()) r += "  " + p.ritmo + "  " + p.tiempo;
    return r;
}

}  // namespace

std::string Json_evento(const Evento_banco& e) {
    Escritor_json j;
    j.abrir_objeto();
    j.clave("schema").entero(kEsquema_eventos);
    j.clave("event").cadena(Nombre_evento(e.tipo));
    j.clave("t").decimal(e.t, 3);
    j.clave("slot").cadena(e.ranura);
    j.clave("port").cadena(e.puerto);
    switch (e.tipo) {
        case Tipo_evento::encontrado:
            j.clave("firmware").cadena(e.firmware);
            j.clave("fpga").cadena(e.fpga);
            j.clave("items");
            Lista(j, e.elementos);
            break;
        case Tipo_evento::elemento:
            j.clave("item").cadena(e.elemento);
            j.clave("n").entero(e.n);
            j.clave("of").entero(e.total);
            break;
        case Tipo_evento::fin_elemento:
            j.clave("item").cadena(e.elemento);
            j.clave("complete").logico(e.completo);
            break;
        case Tipo_evento::progreso: {
            j.clave("stream").cadena(e.tramo.nombre);
            j.clave("unit").cadena(e.tramo.unidad);
            j.clave("done").entero(e.tramo.hecho);
            j.clave("total");
            if (e.tramo.total_debido) {
                j.entero(e.tramo.total);
            } else {
                j.nulo();
            }
            j.clave("percent").entero(Partes_de_tramo(e.tramo, false).por_ciento);
            j.clave("seconds").decimal(e.tramo.segundos, 3);
            break;
        }
        case Tipo_evento::mensaje:
            j.clave("text").cadena(e.texto);
            break;
        case Tipo_evento::desenlace:
            Json_campos_desenlace(j, e.desenlace, e.firmware_antes, e.tramos, e.segundos);
            j.clave("log");
            if (e.registro.empty()) {
                j.nulo();
            } else {
                j.cadena(e.registro);
            }
            break;
        case Tipo_evento::sin_medidor:
            j.clave("text").cadena(e.texto);
            break;
        case Tipo_evento::desenchufado:
            break;
    }
    j.cerrar_objeto();
    return j.texto();
}

std::string Json_resumen(const std::vector<Evento_banco>& desenlaces, int codigo, double segundos) {
    int actualizados = 0, al_dia = 0, otros = 0;
    for (const Evento_banco& e : desenlaces) {
        if (e.desenlace.clave == "updated") {
            ++actualizados;
        } else if (e.desenlace.clave == "nothing_to_do") {
            ++al_dia;
        } else {
            ++otros;
        }
    }
    Escritor_json j;
    j.abrir_objeto();
    j.clave("schema").entero(kEsquema_eventos);
    j.clave("event").cadena("summary");
    j.clave("t").decimal(segundos, 3);
    j.clave("meters").entero(static_cast<int64_t>(desenlaces.size()));
    j.clave("updated").entero(actualizados);
    j.clave("nothing_to_do").entero(al_dia);
    j.clave("not_updated").entero(otros);
    j.clave("results").abrir_lista();
    for (const Evento_banco& e : desenlaces) {
        j.abrir_objeto();
        j.clave("slot").cadena(e.ranura);
        j.clave("result").cadena(e.desenlace.clave);
        j.clave("exit_code").entero(e.desenlace.codigo);
        j.cerrar_objeto();
    }
    j.cerrar_lista();
    j.clave("exit_code").entero(codigo);
    j.cerrar_objeto();
    return j.texto();
}

std::string Pantalla_banco::Etiqueta(const std::string& ranura) const {
    std::string r = ranura;
    if (r.size() < ancho_ranura_) r.resize(ancho_ranura_, ' ');
    return r + "  ";
}

void Pantalla_banco::borrar_vivas() {
    if (!terminal_ || vivas_dibujadas_ == 0) return;
    // Up to the first live line, and everything below it cleared.
    std::fprintf(salida_, "\x1b[%dA\r\x1b[J", vivas_dibujadas_);
    vivas_dibujadas_ = 0;
}

void Pantalla_banco::dibujar_vivas() {
    if (!terminal_) return;
    for (const std::string& r : orden_) {
        std::string linea = Etiqueta(r) + filas_[r].texto;
        // One screen line each, or the way back up would miss.
        if (ancho > 1 && linea.size() >= static_cast<size_t>(ancho))
            linea.resize(static_cast<size_t>(ancho) - 1);
        std::fprintf(salida_, "%s\n", linea.c_str());
        ++vivas_dibujadas_;
    }
}

void Pantalla_banco::fija(const std::string& texto) {
    std::fputs(texto.c_str(), salida_);
    if (texto.empty() || texto.back() != '\n') std::fputc('\n', salida_);
}

void Pantalla_banco::evento(const Evento_banco& e) {
    if (e.tipo == Tipo_evento::sin_medidor) {
        // A port with no meter has no line; why nothing answered there, when known, does.
        if (e.texto.empty()) return;
        borrar_vivas();
        fija(e.ranura + "  ! " + e.texto);
        dibujar_vivas();
        std::fflush(salida_);
        return;
    }
    if (filas_.count(e.ranura) == 0 && e.tipo != Tipo_evento::desenchufado) {
        orden_.push_back(e.ranura);
        ancho_ranura_ = std::min<size_t>(std::max(ancho_ranura_, e.ranura.size()), 40);
    }
    Fila& fila = filas_[e.ranura];
    const std::string etiqueta = Etiqueta(e.ranura);
    borrar_vivas();
    switch (e.tipo) {
        case Tipo_evento::encontrado: {
            std::string items;
            for (const std::string& s : e.elementos) items += (items.empty() ? "" : ", ") + s;
            fija(etiqueta + "meter found on " + e.puerto + ": firmware " + e.firmware + ", FPGA " +
                 e.fpga + "; to write: " + (items.empty() ? "nothing" : items));
            fila.texto = "checking";
            break;
        }
        case Tipo_evento::elemento:
            fila.texto = "item " + std::to_string(e.n) + " of " + std::to_string(e.total) + ": " +
                         e.elemento;
            fila.decimo = -1;
            if (!terminal_) fija(etiqueta + fila.texto);
            break;
        case Tipo_evento::progreso: {
            fila.texto = Linea_tramo(e.tramo);
            const int decimo = Partes_de_tramo(e.tramo, false).por_ciento / 10;
            if (!terminal_ && decimo != fila.decimo) fija(etiqueta + fila.texto);
            fila.decimo = decimo;
            break;
        }
        case Tipo_evento::fin_elemento:
            if (!terminal_)
                fija(etiqueta + e.elemento + (e.completo ? ": written" : ": NOT written"));
            break;
        case Tipo_evento::mensaje:
            fija(etiqueta + "! " + e.texto);
            break;
        case Tipo_evento::desenlace: {
            std::string texto = Texto_desenlace(e.desenlace);
            // The warnings about other ports go under it, indented as they are.
            fija(etiqueta + texto);
            if (!e.registro.empty()) fija(etiqueta + "Log: " + e.registro);
            fila.texto = texto.substr(0, texto.find('\n'));
            break;
        }
        case Tipo_evento::desenchufado:
            fija(etiqueta + "unplugged");
            filas_.erase(e.ranura);
            orden_.erase(std::remove(orden_.begin(), orden_.end(), e.ranura), orden_.end());
            break;
        case Tipo_evento::sin_medidor:
            break;
    }
    dibujar_vivas();
    std::fflush(salida_);
}

void Pantalla_banco::tabla(const std::vector<Evento_banco>& desenlaces, int codigo) {
    borrar_vivas();
    orden_.clear();
    filas_.clear();
    if (desenlaces.empty()) {
        fija("No meter was updated.");
    } else {
        std::fprintf(salida_, "%-*s  %-18s %4s  %s\n", static_cast<int>(ancho_ranura_), "Slot",
                     "Result", "Exit", "Failed item: reason");
        for (const Evento_banco& e : desenlaces) {
            const Desenlace& d = e.desenlace;
            std::string fallo = d.elemento_fallido;
            if (!d.motivo.empty()) fallo += (fallo.empty() ? "" : ": ") + d.motivo;
            if (fallo.empty() && d.codigo != 0) fallo = d.texto;
            std::fprintf(salida_, "%-*s  %-18s %4d  %s\n", static_cast<int>(ancho_ranura_),
                         e.ranura.c_str(), d.clave.c_str(), d.codigo, fallo.c_str());
        }
    }
    const char* que = desenlaces.empty()
                          ? (codigo == 0 ? ": no meter came." : ": no meter answered.")
                      : codigo == 0 ? ": every meter is updated or had nothing to do."
                                    : ": not every meter was updated (see the table).";
    std::fprintf(salida_, "Exit code %d%s\n", codigo, que);
    std::fflush(salida_);
}

}  // namespace z82
