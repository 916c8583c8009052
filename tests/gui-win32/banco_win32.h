// Test bench for the Windows window: the real window against the simulated meter under
// virtual time. The engine's message pump also runs the window's messages; clicks
// scheduled during a run are posted through the engine's queue, so they arrive while it
// waits, as a person's would.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ventana_cargador.h"
#include "sim/config_medidor.h"
#include "sim/enlace_simulado.h"
#include "sim/entorno_virtual.h"
#include "sim/medidor_simulado.h"
#include "sim/reloj_virtual.h"
// The system's headers after the engine's: some of its names are macros there.
#include "gui-win32/ventana_win32.h"
// The progress bar's messages.
#include <commctrl.h>

namespace z82::win32::prueba {

class Entorno_prueba : public sim::Entorno_virtual {
  public:
    using Entorno_virtual::Entorno_virtual;
    void procesar_mensajes() override;
    // Runs after every message pump (the bench watches the window here).
    std::vector<std::function<void()>> vigilantes;
    // Past this much virtual time the window is stuck: the test ends at once.
    int64_t limite_ms = 4 * 3600 * 1000;

  private:
    static constexpr uint64_t kCadaDespacho = 10;
    uint64_t ultimo_despacho_ = 0;
};

// What the attention panel showed when it was answered.
struct Pregunta_vista {
    std::wstring titulo;
    std::array<std::wstring, 3> lineas;
    std::wstring ok, cancelar;
};

// The carried language file with COMUN/IDIOMA set ("EN", "DE" ...).
std::string Idiomas(const std::string& idioma);

std::wstring Texto_de(HWND control);
// The window's menu bar and client area as they are on screen, saved as a PNG.
bool Guardar_captura(HWND ventana, const std::string& ruta);
// A menu item as a person reaches it: only when it and its menu are enabled.
bool Elegir(Ventana_win32& v, int posicion_menu, int orden);
bool Marcado(const Ventana_win32& v, int orden);
bool Menu_activo(const Ventana_win32& v, int posicion_menu);

struct Banco_win32 {
    // No meter at all, a port with nothing answering, or the simulated meter on port 1.
    enum class Extremo { ninguno, mudo, medidor };

    // dpi 0: the system's, as the program has it.
    explicit Banco_win32(Extremo extremo = Extremo::medidor, const sim::Config_medidor& c = {},
                         const std::string& idioma = "EN", int dpi = 96);
    ~Banco_win32();

    // A click as the mouse gives it, now; false (and no click) when the control is hidden
    // or disabled, as a person could not click it then.
    static bool Clic(HWND control);
    // The same click at the engine's next message pump.
    void Publicar_clic(HWND control);
    // Calls f once, at the first message pump where cuando() holds.
    void Cuando(std::function<bool()> cuando, std::function<void()> f);

    sim::Reloj_virtual reloj;
    Entorno_prueba entorno{reloj};
    sim::Enlace_simulado enlace{reloj};
    std::unique_ptr<sim::Medidor_simulado> medidor;
    Modelo_ventana modelo{entorno};
    Ventana_win32 vista;
    std::unique_ptr<Tventana_cargador> ventana;

    // Answers for the attention panel, in order (true = OK), given by clicking its buttons.
    std::deque<bool> respuestas;
    std::vector<Pregunta_vista> preguntas;
    std::vector<std::wstring> mensajes;
    // Wizard images in the order they were shown, without repeats in a row.
    std::vector<int> imagenes;
    bool barra_vista = false;
    int clics_imposibles = 0;
    // Exit code passed to terminar, -1 if never called.
    int terminado = -1;

  private:
    void Vigilar();
    bool respuesta_en_cola_ = false;
};

}  // namespace z82::win32::prueba
