// What the sessions of a bench tell: a meter found on its slot, an item started and ended,
// a stream's progress, a message, the outcome, a slot unplugged. The bench writes them as
// JSON Lines for scripts (one object per line, the schema in the README) or as lines for
// people: one live line per meter on a terminal, labelled lines elsewhere.
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/texto_tramo.h"
#include "cli/desenlace.h"

namespace z82 {

// The version of the event stream's schema: every line carries it.
inline constexpr int kEsquema_eventos = 1;

enum class Tipo_evento {
    encontrado,    // a meter answered on the slot: its versions and the items it needs
    sin_medidor,   // no meter answered on the slot (--all, --watch: not a meter of the run);
                   // texto says why when the port did (rights, held, a refusing meter)
    elemento,      // an item starts
    progreso,      // a stream moved (at most once a second per meter)
    fin_elemento,  // an item ended
    mensaje,       // a message the engine gave (a port error, a meter's refusal)
    desenlace,     // the session's outcome
    desenchufado,  // the slot's device went away (the meter was unplugged)
};

struct Evento_banco {
    Tipo_evento tipo = Tipo_evento::mensaje;
    std::string ranura;
    std::string puerto;  // the device path behind the slot
    double t = 0;        // seconds since the bench started, by its clock
    // encontrado
    std::string firmware, fpga;
    std::vector<std::string> elementos;
    // elemento, fin_elemento: the item, its place among the run's items, and whether it
    // was written whole
    std::string elemento;
    int n = 0, total = 0;
    bool completo = false;
    // progreso
    Tramo_hecho tramo;
    // mensaje
    std::string texto;
    // desenlace: the outcome, the streams, the session's time, the firmware before the
    // run, the session's log
    Desenlace desenlace;
    std::vector<Tramo_hecho> tramos;
    double segundos = 0;
    std::string firmware_antes;
    std::string registro;
};

// The event as one line of JSON (no newline).
std::string Json_evento(const Evento_banco& e);
// The last line of the stream: how many meters, how they ended, the exit code.
std::string Json_resumen(const std::vector<Evento_banco>& desenlaces, int codigo, double segundos);

// The bench for people. On a terminal each meter has a live line (its slot, its stream,
// percentage, rate and time left) under the lines that stay (found, outcome, unplugged);
// elsewhere every line stays, a stream's line at each tenth of its way.
class Pantalla_banco {
  public:
    Pantalla_banco(std::FILE* salida, bool es_terminal) : salida_(salida), terminal_(es_terminal) {}
    void evento(const Evento_banco& e);
    // The closing table: one row per meter with its outcome, the item that failed and why.
    void tabla(const std::vector<Evento_banco>& desenlaces, int codigo);
    // The terminal's width in columns: a live line longer than it is cut.
    int ancho = 80;

  private:
    struct Fila {
        std::string texto;
        int decimo = -1;
    };
    void fija(const std::string& texto);
    void borrar_vivas();
    void dibujar_vivas();
    std::string Etiqueta(const std::string& ranura) const;

    std::FILE* salida_;
    bool terminal_;
    size_t ancho_ranura_ = 8;
    std::vector<std::string> orden_;
    std::map<std::string, Fila> filas_;
    int vivas_dibujadas_ = 0;
};

}  // namespace z82
