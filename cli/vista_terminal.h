// The wizard on a terminal: the information lines as they change, one live line per stream
// with its name, percentage, amount, rate and time left (plain labelled lines when the
// output is not a terminal), the questions as prompts or answered by the command line,
// message boxes on standard error. It keeps what each stream moved, for the summary.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/texto_tramo.h"
#include "app/vista.h"
#include "base/entorno.h"

namespace z82 {

enum class Respuesta_fija { preguntar, si, no };

class Vista_terminal : public Vista {
  public:
    Vista_terminal(Entorno& entorno, Respuesta_fija respuesta, bool es_terminal,
                   bool entrada_terminal);

    // How an answer reaches the window (OK = true).
    std::function<void(bool)> responder;
    // Lines and progress are not printed, and questions go to standard error (--quiet,
    // --json, and the --plan report that prints its own).
    bool silencio = false;

    void info(int linea, const std::string& texto) override;
    void imagen(int) override {}
    void numeros_paso(bool) override {}
    void boton_asistente(bool) override {}
    void barra_visible(bool visible) override;
    void barra(int minimo, int maximo, int posicion) override;
    void tramo(const std::string& nombre, const std::string& unidad, bool total_debido) override;
    void fin_elemento(bool completo) override;
    void menus_habilitados(bool) override {}
    void modo_puerto(bool) override {}
    void panel_puerto(bool) override {}
    void mostrar_atencion(const Pregunta_atencion& p) override;
    void ocultar_atencion() override {}
    void mensaje(const std::string& texto) override;
    void etiqueta_version(const std::string&) override {}
    void menus(const Textos_menu&) override {}

    // Ends a bar line in progress so that other output starts on its own line, after the
    // information line held back.
    void cortar_barra();
    // Closes the stream in progress; the streams of the run so far.
    const std::vector<Tramo_hecho>& tramos();

  private:
    bool Leer_si_no(const Pregunta_atencion& p);
    void cerrar_tramo();
    // Draws the live line again after other output took its place.
    void reponer_barra();
    // Prints the third information line held back: the counter replaces the bare step text
    // before anything else is printed, so that only the counter shows.
    void soltar_linea3();
    // Ends a bar line in progress, leaving the information line held back where it is.
    void cortar_solo_barra();
    void dibujar(const Tramo_hecho& t, bool final);

    Entorno& entorno_;
    Respuesta_fija respuesta_;
    bool es_terminal_;
    bool entrada_terminal_;
    std::string lineas_[3];
    bool barra_abierta_ = false;
    bool barra_visible_ = false;
    std::vector<Tramo_hecho> tramos_;
    bool tramo_abierto_ = false;
    size_t primer_tramo_elemento_ = 0;
    std::string linea3_pendiente_;
    int64_t inicio_tramo_ms_ = 0;
    int ultimo_por_mil_ = -1;
    int64_t ultimo_ms_ = 0;
};

}  // namespace z82
