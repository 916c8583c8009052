// Tventana_cargador: the main window of the updater without its widgets: the wizard over
// the updater (Actualizador: the session with one meter, the plan, the checks and the run).
// It holds the texts of idiomas.ini and runs the wizard's steps and outcomes. What it shows
// goes through Vista; what it needs from the machine through Entorno.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/actualizador.h"
#include "app/textos_asistente.h"
#include "app/vista.h"
#include "base/entorno.h"
#include "link/dispositivo_serie.h"

namespace z82 {

class TFuente_lineas;
class TLector_hex;
class TFParam_defecto;

// "Version " + the image version; a build 00000 is not shown ("Version 1.88").
std::string Texto_etiqueta_version(const std::string& version_hex);

// The window's wizard: the updater with its form. It is its own updater's observer: the
// bar and messages go to the form, the questions to the attention panel, the counter to the
// third line, the port tried to the second.
class Tventana_cargador : private Observador, public Actualizador {
  public:
    // dispositivo: the serial devices of this system (or the simulated link); cerrojo: the
    // per-user lock "Mutex_Puerto" (may be null); idiomas: the text of the language file
    // the face found (empty without one: Spanish menus, empty wizard texts).
    Tventana_cargador(Entorno& entorno, Vista& vista, Dispositivo_serie& dispositivo,
                      Cerrojo_puerto* cerrojo, std::string_view idiomas = {});
    ~Tventana_cargador() override = default;

    Vista& vista;

    // --- Exit handlers -------------------------------------------------------------------
    // The face ends the process with this exit code when "Salir" or the exit button allow it.
    std::function<void(int)> terminar;
    bool FormCloseQuery() const { return !ocupado; }
    void FormClose() { Salir(); }
    void MenuSalirClick();
    void SpeedButton_exitClick();

    // --- Handshake ------------------------------------------------------------------------
    // Disconnects when connected; else the handshake, the plan and the link watch.
    void Boton_ConectarClick() { Conectar(); }

    // --- Wizard and port selection --------------------------------------------------------
    void Button_buscar_puertoClick();
    // Drops the link after a failed check: disconnect, close, hide the progress bar.
    void Soltar_enlace();
    void Actualizar1Click();
    void Auto1Click();
    void MenuPuertoClick();
    void BConfigurarPuertoClick();
    void COM_Click(int indice);
    // Manual mode on port n, as a port given on a window's command line: the menu's Manual,
    // the panel's Ok, then the port.
    void Puerto_manual(int n);
    // The COM ports present, as the port panel's combo box lists them ("COM1", ...).
    std::vector<std::string> Com_extendedChange();
    void Com_extended_select(const std::string& texto);

    // --- The attention panel's buttons ----------------------------------------------------
    void Button_atencion_okClick();
    void Button_atencion_cancelClick();

    // The text of a key of idiomas.ini (empty when the file does not give it).
    const std::string& Texto(const std::string& clave) const { return textos_.Texto(clave); }
    // Menu captions.
    const Textos_menu& Menus() const { return textos_.Menus(); }
    // "Version " + the image version, cut to "Version 1.88" for a build 00000.
    const std::string& Etiqueta_version() const { return etiqueta_version_; }

    // State of the window.
    int paso_asistente = 0;
    int busquedas_fallidas = 0;
    int respuesta_atencion = 0;
    Resultado_asistente resultado = Resultado_asistente::ninguno;
    Desenlace_actualizacion desenlace;

  private:
    // --- Observador --------------------------------------------------------------------------
    void barra_visible(bool visible) override { vista.barra_visible(visible); }
    void barra(int minimo, int maximo, int posicion) override {
        vista.barra(minimo, maximo, posicion);
    }
    void tramo(const std::string& nombre, const std::string& unidad, bool total_debido) override {
        vista.tramo(nombre, unidad, total_debido);
    }
    void fin_elemento(bool completo) override { vista.fin_elemento(completo); }
    void mensaje(const std::string& texto) override { vista.mensaje(texto); }
    bool preguntar(Pregunta pregunta) override;
    void contador(int n, int total) override;
    void probando_puerto(int n) override;

    void Poner_etiqueta_version();
    void Mostrar_resultado(int imagen, const std::string& prefijo, bool con_boton = true);
    void Lineas(const std::string& l1, const std::string& l2, const std::string& l3);
    bool Preguntar(const Pregunta_atencion& pregunta);
    // Shows the outcome of a run on the wizard.
    void Mostrar_desenlace();

    Textos_asistente textos_;
    std::string etiqueta_version_;
};

}  // namespace z82
