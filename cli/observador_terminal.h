// An update on a terminal: the lines of what the updater does, one live line per stream
// with its name, percentage, amount, rate and time left (plain labelled lines when the
// output is not a terminal), the questions as prompts or answered by the command line,
// messages on standard error. It keeps what each stream moved, for the summary.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/observador.h"
#include "app/texto_tramo.h"
#include "app/textos_asistente.h"
#include "base/entorno.h"

namespace z82 {

enum class Respuesta_fija { preguntar, si, no };

class Observador_terminal : public Observador {
  public:
    Observador_terminal(Entorno& entorno, const Textos_asistente& textos, Respuesta_fija respuesta,
                        bool es_terminal, bool entrada_terminal);

    // Lines and progress are not printed, and questions go to standard error (--quiet,
    // --json, and the --plan report that prints its own).
    bool silencio = false;

    // A line of what the updater is doing (the language file's texts).
    void linea(const std::string& texto);

    void barra_visible(bool visible) override;
    void barra(int minimo, int maximo, int posicion) override;
    void tramo(const std::string& nombre, const std::string& unidad, bool total_debido) override;
    void fin_elemento(bool completo) override;
    void mensaje(const std::string& texto) override;
    bool preguntar(Pregunta pregunta) override;
    void contador(int n, int total) override;
    void probando_puerto(int n) override;

    // Ends a bar line in progress so that other output starts on its own line.
    void cortar_barra();
    // Closes the stream in progress; the streams of the run so far.
    const std::vector<Tramo_hecho>& tramos();

  private:
    bool Leer_si_no(const Pregunta_atencion& p);
    void cerrar_tramo();
    // Draws the live line again after other output took its place.
    void reponer_barra();
    void dibujar(const Tramo_hecho& t, bool final);

    Entorno& entorno_;
    const Textos_asistente& textos_;
    Respuesta_fija respuesta_;
    bool es_terminal_;
    bool entrada_terminal_;
    bool barra_abierta_ = false;
    bool barra_visible_ = false;
    std::vector<Tramo_hecho> tramos_;
    bool tramo_abierto_ = false;
    size_t primer_tramo_elemento_ = 0;
    int64_t inicio_tramo_ms_ = 0;
    int ultimo_por_mil_ = -1;
    int64_t ultimo_ms_ = 0;
};

}  // namespace z82
