// Tventana_cargador: the main window of the updater without its widgets: the wizard over a
// session with one meter (Sesion_medidor). It holds the embedded image and the texts of
// idiomas.ini, decides the plan from the session's reads, and runs the wizard's steps and
// the update run. What it shows goes through Vista; what it needs from the machine through
// Entorno.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/decidir_plan.h"
#include "app/ejecucion.h"
#include "app/sesion_medidor.h"
#include "app/vista.h"
#include "base/entorno.h"
#include "link/dispositivo_serie.h"

namespace z82 {

class TFuente_lineas;
class TLector_hex;
class TFParam_defecto;

// How the last click of the wizard ended.
enum class Resultado_asistente {
    ninguno,
    actualizado,           // the run wrote every item
    nada_que_hacer,        // connected, and no item is to be written
    no_permitido,          // the pre-update check refused (region, version, options)
    detenido_nivel,        // the level reading was too low
    detenido_dispositivo,  // the device status check failed
    no_encontrado,         // no meter on any port tried
    enlace_perdido,        // the meter left during the checks: nothing was written
    borrado_rechazado,     // the user refused the memory erase
    detenido,              // the user stopped the search, the checks or the run
    fallo,                 // an item failed
    firmware_sin_zona,     // the firmware was written, its zone configuration was not
};

// "Version " + the image version; a build 00000 is not shown ("Version 1.88").
std::string Texto_etiqueta_version(const std::string& version_hex);

class Tventana_cargador {
  public:
    // dispositivo: the serial devices of this system (or the simulated link); cerrojo: the
    // per-user lock "Mutex_Puerto" (may be null); idiomas: the text of the language file
    // the face found (empty without one: Spanish menus, empty wizard texts).
    Tventana_cargador(Entorno& entorno, Vista& vista, Dispositivo_serie& dispositivo,
                      Cerrojo_puerto* cerrojo, std::string_view idiomas = {});
    ~Tventana_cargador();
    Tventana_cargador(const Tventana_cargador&) = delete;
    Tventana_cargador& operator=(const Tventana_cargador&) = delete;

    Entorno& entorno;
    Vista& vista;

  private:
    // What the session and the run tell the wizard: the bar and messages to the form, the
    // questions to the attention panel, the counter to the third line.
    class Observador_asistente : public Observador {
      public:
        explicit Observador_asistente(Tventana_cargador& v) : v_(v) {}
        void barra_visible(bool visible) override { v_.vista.barra_visible(visible); }
        void barra(int minimo, int maximo, int posicion) override {
            v_.vista.barra(minimo, maximo, posicion);
        }
        void tramo(const std::string& nombre, const std::string& unidad,
                   bool total_debido) override {
            v_.vista.tramo(nombre, unidad, total_debido);
        }
        void fin_elemento(bool completo) override { v_.vista.fin_elemento(completo); }
        void mensaje(const std::string& texto) override { v_.vista.mensaje(texto); }
        bool preguntar(Pregunta pregunta) override;
        void contador(int n, int total) override { v_.Texto_contador(n, total); }

      private:
        Tventana_cargador& v_;
    };
    Observador_asistente observador_{*this};

  public:
    // The connection to the meter on numero_puerto.
    Sesion_medidor sesion;

    // --- Exit handlers -------------------------------------------------------------------
    // The face ends the process with this exit code when "Salir" or the exit button allow it.
    std::function<void(int)> terminar;
    bool FormCloseQuery() const { return !ocupado; }
    void FormClose() { Salir(); }
    void Salir() { sesion.cerrando = true; }
    void MenuSalirClick();
    void SpeedButton_exitClick();

    // --- Handshake --------------------------------------------------------------------------
    // Disconnects when connected; else the session's handshake on numero_puerto, then the
    // plan, then the link watch.
    void Boton_ConectarClick();
    // The session's reconnection on numero_puerto.
    void Reconectar();

    // --- Update plan ----------------------------------------------------------------------
    // The plan's reads in their fixed order, then Decidir_plan over what they brought.
    void Plan_actualizacion();
    // The options read, then the check before a run: true when nothing keeps the meter
    // from an update (impedimento says what does).
    bool Comprobar_medidor();

    // --- Wizard and port selection --------------------------------------------------------
    void Button_buscar_puertoClick();
    // The search of the second click alone: every port in automatic mode, numero_puerto in
    // manual mode. Ends connected or not.
    void Buscar_medidor();
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

    // --- Update run -----------------------------------------------------------------------
    // The run over the session with the plan (app/ejecucion.h); the questions come to the
    // attention panel, the counter to the third line.
    Desenlace_actualizacion Actualizar_medidor();
    // The user's stop: the run ends at its next safe point. Once the firmware has been
    // programmed, that point is after its zone configuration.
    void Detener();
    // The firmware of the run under way has been programmed: its zone must follow.
    bool Firmware_programado() const;
    void Button_atencion_okClick();
    void Button_atencion_cancelClick();

    // --- Start-up scan of the embedded image ----------------------------------------------
    void Abrir_hex();

    // The text of a key of idiomas.ini (empty when the file does not give it).
    const std::string& Texto(const std::string& clave) const;
    // Menu captions.
    const Textos_menu& Menus() const { return menus_; }
    // "Version " + the image version, cut to "Version 1.88" for a build 00000.
    const std::string& Etiqueta_version() const { return etiqueta_version_; }
    // The window caption.
    std::string Titulo() const { return "Update Z82 v" + version_hex; }

    // State of the window.
    int numero_puerto = 1;
    int paso_asistente = 0;
    int busquedas_fallidas = 0;
    int respuesta_atencion = 0;
    // The zone configuration is owed to the meter connected next: a run programmed the
    // firmware and could not write the zone (the version rules cannot see that), or the
    // face asked for it (z82-update --zone).
    bool zona_pendiente = false;
    // A port of the last search answered 0x6D (a meter that refused the connection).
    bool rechazo_en_busqueda = false;
    bool modo_automatico = true;  // Auto1 marked; MenuPuerto marked when false
    bool ocupado = false;

    // The embedded image: version text "1.88.00004" and its 64 segment flags; the plan.
    std::string version_hex;
    std::array<bool, 64> segmentos{};
    TFuente_lineas* fuente_hex = nullptr;
    TLector_hex* lector_hex = nullptr;
    Plan plan;
    Impedimento impedimento = Impedimento::ninguno;
    Resultado_asistente resultado = Resultado_asistente::ninguno;
    Desenlace_actualizacion desenlace;
    // What the last plan read from the meter, for a report ("1.87.00000", "2.0").
    std::string version_medidor;
    std::string version_fpga_medidor;
    // The meter's channel plans differ from the carried ones (they travel only with the
    // firmware).
    bool planes_distintos = false;

  private:
    void Leer_textos(std::string_view idiomas);
    void Poner_etiqueta_version();
    void Mostrar_resultado(int imagen, const std::string& prefijo, bool con_boton = true);
    void Lineas(const std::string& l1, const std::string& l2, const std::string& l3);
    void Buscar_automatico();
    void Probar_puerto(int n);
    void Texto_contador(int contador, int total);
    bool Preguntar(const Pregunta_atencion& pregunta);
    // Shows the outcome of a run on the wizard.
    void Mostrar_desenlace();

    Ejecucion_actualizacion* ejecucion_ = nullptr;

    std::unique_ptr<TFuente_lineas> fuente_hex_;
    std::unique_ptr<TLector_hex> lector_hex_;
    std::map<std::string, std::string> textos_;
    Textos_menu menus_;
    std::string etiqueta_version_;
};

}  // namespace z82
