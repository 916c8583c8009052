// Test bench for the window: the real widgets against the simulated meter under virtual
// time. The engine's message pump also runs Qt's events; clicks scheduled during a run are
// posted through the engine's queue, so they arrive while it waits, as a person's would.
#pragma once

#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ventana_cargador.h"
#include "gui/ventana_qt.h"
#include "sim/config_medidor.h"
#include "sim/enlace_simulado.h"
#include "sim/entorno_virtual.h"
#include "sim/medidor_simulado.h"
#include "sim/reloj_virtual.h"

class QAbstractButton;
class QWidget;

namespace z82::gui::prueba {

class Entorno_prueba : public sim::Entorno_virtual {
  public:
    using Entorno_virtual::Entorno_virtual;
    void procesar_mensajes() override;
    // Runs after every message pump (the bench watches the window here).
    std::vector<std::function<void()>> vigilantes;
    // A click that waits for the run ends well before this much virtual time: past it, the
    // window is stuck (a question nobody can answer) and the test stops at once.
    int64_t limite_ms = 4 * 3600 * 1000;
};

// What the attention panel showed when it was answered.
struct Pregunta_vista {
    QString titulo;
    QStringList lineas;
    QString ok, cancelar;
    bool visible_ok = false;
};

// Writes idiomas.ini in the working directory: the sample file with COMUN/IDIOMA set.
void Escribir_idiomas(const std::string& idioma);

// Visible labels, buttons and panels whose text does not fit in them, by object name.
QStringList Textos_que_no_caben(QWidget* raiz);

struct Banco_gui {
    // No meter at all, a port with nothing answering, or the simulated meter on port 1.
    enum class Extremo { ninguno, mudo, medidor };

    explicit Banco_gui(Extremo extremo = Extremo::medidor, const sim::Config_medidor& c = {});
    ~Banco_gui();

    // A click as the mouse gives it, now; false (and no click) when the button is hidden or
    // disabled, as a person could not click it then.
    static bool Clic(QAbstractButton* boton);
    // The same click at the engine's next message pump.
    void Publicar_clic(QAbstractButton* boton);
    // Calls f once, at the first message pump where cuando() holds.
    void Cuando(std::function<bool()> cuando, std::function<void()> f);

    sim::Reloj_virtual reloj;
    Entorno_prueba entorno{reloj};
    sim::Enlace_simulado enlace{reloj};
    std::unique_ptr<sim::Medidor_simulado> medidor;
    Modelo_ventana modelo{entorno};
    Ventana_qt vista{modelo};
    std::unique_ptr<Tventana_cargador> ventana;

    // Answers for the attention panel, in order (true = OK), given by clicking its buttons.
    std::deque<bool> respuestas;
    std::vector<Pregunta_vista> preguntas;
    // Message boxes that appeared (each is closed with its OK button).
    QStringList mensajes;
    // Wizard images in the order they were shown, without repeats in a row.
    std::vector<int> imagenes;
    // The progress bar was on show at some message pump.
    bool barra_vista = false;
    // Clicks that could not be made: the button was hidden or disabled at the time.
    int clics_imposibles = 0;
    // Exit code passed to terminar, -1 if never called.
    int terminado = -1;

  private:
    void Vigilar();
    QTimer cerrador_;
    bool respuesta_en_cola_ = false;
};

}  // namespace z82::gui::prueba
