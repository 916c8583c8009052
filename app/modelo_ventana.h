// What the updater's window shows and decides, whatever draws it: the wizard tells it what
// to show (it is the wizard's Vista), it keeps that, adds what only a window needs (the port
// panel's entries and selection, the menu marks, the closing rule, the stream under the
// bar), and tells the face which part changed. A face draws the model and hands the
// user's choices to it; the model passes them on to the wizard.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/texto_tramo.h"
#include "app/vista.h"
#include "base/entorno.h"

namespace z82 {

class Tventana_cargador;

// One entry of the port panel's list: the port's number and what the list says of it.
struct Entrada_puerto {
    int numero = 0;
    std::string texto;
};

// "COM12", with words about the port after it unless they are empty or the name again.
std::string Texto_entrada_puerto(int numero, const std::string& palabras);

class Modelo_ventana : public Vista {
  public:
    // The parts of the window, each redrawn on its own.
    enum class Parte {
        titulo,    // the window's caption
        lineas,    // the three information lines
        imagen,    // the wizard image
        numeros,   // the step numbers
        boton,     // the wizard button
        barra,     // the progress bar: shown, range and position
        tramo,     // the stream's line under the bar
        menus,     // menus (and the port panel) enabled
        marcas,    // the marks of Auto and Manual
        textos,    // the menu captions and the version label
        panel,     // the port panel shown or hidden
        puertos,   // the port panel's list, its selection and the radio group
        atencion,  // the attention panel and its question
        detalle,   // the details line
        repintar,  // everything, now
    };
    // What the user does, as the window's controls give it.
    enum class Orden {
        buscar,      // the wizard button
        salida,      // the exit button
        actualizar,  // File > Update
        salir,       // File > Exit
        automatico,  // Settings > Auto
        manual,      // Settings > Manual
        puerto_ok,   // the port panel's Ok
        atencion_ok,
        atencion_cancelar,
    };
    // The stream line is brought up to date at most this often while the bar moves.
    static constexpr int kCadaTramoMs = 200;
    // The radio group's caption at rest.
    static constexpr const char* kTituloGrupo = "USB : ";

    explicit Modelo_ventana(Entorno& entorno) : entorno_(entorno) {}

    // The wizard that takes the user's choices and gives the caption; unbind with nullptr
    // before it goes.
    void enlazar(Tventana_cargador* motor);
    // The face redraws this part.
    std::function<void(Parte)> al_cambiar;
    // A message box to show now (the face returns once it is closed). Those that came
    // before a face was there wait for Dar_mensajes.
    std::function<void(const std::string&)> al_mensaje;
    void Dar_mensajes();
    // The system's ports, in order, and words about port n (path and maker, or the device
    // manager's name): the face's, from its machine.
    std::function<std::vector<int>()> numeros_puertos;
    std::function<std::string(int)> describir_puerto;

    // --- The user's choices ---------------------------------------------------------------
    void Ordenar(Orden orden);
    // Radio item k (0 to 5) of the port panel: port k + 1.
    void Elegir_item(int k);
    // Entry i of the port panel's list.
    void Elegir_entrada(int i);
    // The list is opened or entered: built again from the system's ports.
    void Listar_puertos();
    // The window is to close: false while the wizard may not let it (a run writes).
    bool Cerrar();
    // Manual mode on port n (a port given on the command line), shown on the panel.
    void Puerto_manual(int n);
    // Port n shown as the one chosen.
    void Mostrar_puerto(int n);

    // --- What the window shows --------------------------------------------------------------
    std::string titulo;
    std::array<std::string, 3> lineas;
    int imagen_actual = -1;
    bool numeros_visibles = false;
    bool boton_visible = true;
    bool barra_mostrada = false;
    int barra_min = 0, barra_max = 100, barra_pos = 0;
    // The current stream in two lines (Texto_tramo); shown under the bar while it is shown
    // and no details line takes the place.
    std::string linea_tramo;
    bool tramo_visible() const {
        return barra_mostrada && detalle_texto.empty() && !linea_tramo.empty();
    }
    bool menus_activos = true;
    bool modo_automatico = true;
    // The form's own captions until the language file's come.
    Textos_menu textos_menu{"Archivo", "Actualizar", "Salir", "Configurar", "Auto", "Manual"};
    std::string version;
    bool panel_puerto_visible = false;
    std::vector<Entrada_puerto> entradas;
    // The list's entry on show (-1: none) and the radio item checked (-1: none).
    int entrada_elegida = -1;
    int item_elegido = 0;
    std::string titulo_grupo = kTituloGrupo;
    bool atencion_visible = false;
    Pregunta_atencion pregunta;
    std::string detalle_texto;

    // --- Vista ---------------------------------------------------------------------------
    void info(int linea, const std::string& texto) override;
    void imagen(int indice) override;
    void numeros_paso(bool visibles) override;
    void boton_asistente(bool visible) override;
    void barra_visible(bool visible) override;
    void barra(int minimo, int maximo, int posicion) override;
    void tramo(const std::string& nombre, const std::string& unidad, bool total_debido) override;
    void fin_elemento(bool completo) override;
    void menus_habilitados(bool habilitados) override;
    void modo_puerto(bool automatico) override;
    void panel_puerto(bool visible) override;
    void mostrar_atencion(const Pregunta_atencion& p) override;
    void ocultar_atencion() override;
    void mensaje(const std::string& texto) override;
    void etiqueta_version(const std::string& texto) override;
    void menus(const Textos_menu& textos) override;
    void refrescar() override;
    void detalle(const std::string& texto) override;

  private:
    void Cambio(Parte p) const {
        if (al_cambiar) al_cambiar(p);
    }
    // The stream line from the stream as it stands; final: it has ended.
    void Poner_tramo(bool final);

    Entorno& entorno_;
    Tventana_cargador* motor_ = nullptr;
    std::vector<std::string> mensajes_pendientes_;
    Tramo_hecho tramo_;
    bool tramo_abierto_ = false;
    int64_t inicio_tramo_ms_ = 0;
    int64_t ultimo_tramo_ms_ = 0;
    // The port the list names (0: the list names none).
    int numero_en_lista_ = 0;
};

}  // namespace z82
