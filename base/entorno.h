// What the engine needs from the machine: clocks, pauses, the beep, the message pump,
// the port tests and the one diagnostic line. Protocol code waits only through this.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace z82 {

class Entorno;

// A periodic timer serviced by the message pump (the window's Timer_desconexion).
// It never fires inside its own handler.
class Temporizador {
  public:
    Temporizador(int intervalo_ms, std::function<void()> al_vencer)
        : intervalo_ms_(intervalo_ms), al_vencer_(std::move(al_vencer)) {}

    bool Enabled() const { return habilitado_; }
    void Enabled(bool si);
    int Interval() const { return intervalo_ms_; }

  private:
    friend class Entorno;
    int intervalo_ms_;
    std::function<void()> al_vencer_;
    Entorno* entorno_ = nullptr;
    bool habilitado_ = false;
    bool en_curso_ = false;
    int64_t proximo_ms_ = 0;
};

class Entorno {
  public:
    virtual ~Entorno() = default;

    // Whole seconds of a monotonic clock: a limit of N seconds lasts between N - 1 and N.
    virtual int64_t segundos() = 0;
    // Millisecond tick.
    virtual int64_t milisegundos() = 0;
    // Pause of the given milliseconds.
    virtual void dormir(int ms) = 0;
    // Beep of 1000 Hz for 500 ms; returns when it is over.
    virtual void pitar() = 0;
    // Lets pending messages run: posted events and due timers, plus the face's own.
    virtual void procesar_mensajes() { atender(); }

    // True when the system has a serial device numbered n (COMn on Windows).
    virtual bool existe_puerto(int n) = 0;
    // The names the system lists as its serial ports, in its order ("COM3", "COM20" ...).
    virtual std::vector<std::string> puertos_registro() = 0;
    // The program's one diagnostic line (the memory erase's acknowledgements): on standard
    // output, or where the face puts it.
    virtual void diagnostico(const std::string& linea) = 0;

    // Queue work to run at the next message processing (a click, an answer, a close).
    void publicar(std::function<void()> evento) { eventos_.push_back(std::move(evento)); }
    void registrar(Temporizador& t);
    void olvidar(Temporizador& t);

    // While an exchange with the meter waits for its reply, the engine's timers (the link
    // watch, which reads single bytes off the link) are held: a byte they took would be
    // missing from the reply. Posted work still runs. Counted, so exchanges may nest.
    void empezar_intercambio() { ++intercambios_; }
    void terminar_intercambio() { --intercambios_; }

  protected:
    // Runs the posted events and every due timer once. Implementations call it from
    // procesar_mensajes().
    void atender();

  private:
    friend class Temporizador;
    std::deque<std::function<void()>> eventos_;
    std::vector<Temporizador*> temporizadores_;
    int intercambios_ = 0;
};

// How a window's environment pauses. A short pause, or one inside another, just sleeps
// (dormir_sistema). A long one (the waits between update steps last seconds) sleeps in
// slices and lets the window paint (pintar) before each, so that it stays drawn while its
// user's input and the engine's own work wait for the engine to let messages run.
class Pausa_de_ventana {
  public:
    static constexpr int kPausaLarga = 50;
    static constexpr int kRebanada = 20;

    // True during a long pause: the face's idle work must not run the engine's events then.
    bool en_curso() const { return en_curso_; }
    void dormir(Entorno& entorno, int ms, const std::function<void()>& pintar,
                const std::function<void(int)>& dormir_sistema);

  private:
    bool en_curso_ = false;
};

}  // namespace z82
