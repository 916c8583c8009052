// The service bench: several meters updated side by side by one program, each in a session
// of its own on a thread of its own, with its own environment, serial device and log. The
// sessions share nothing: what they tell goes as events to the bench's thread, which alone
// writes the output (live lines, plain lines or JSON Lines), decides when to start a session
// on a slot, and sums the outcomes up.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/entorno.h"
#include "cli/eventos_banco.h"
#include "cli/observador_terminal.h"
#include "link/dispositivo_serie.h"

namespace z82 {

// A place on the bench where a meter is plugged: its stable name (the hub slot), the
// device path behind it now, and words about it.
struct Ranura {
    std::string nombre;
    std::string ruta;
    std::string descripcion;
};

// What one session needs on its slot: an environment, a serial device and a lock of its
// own, and the port number its device answers to. Made and used on the session's thread.
class Puesto {
  public:
    virtual ~Puesto() = default;
    virtual Entorno& entorno() = 0;
    virtual Dispositivo_serie& dispositivo() = 0;
    virtual Cerrojo_puerto* cerrojo() = 0;
    virtual int numero_puerto() const = 0;
    // The session's log, named after its slot ("" when it has none); its outcome goes last.
    virtual std::string ruta_registro() const { return {}; }
    virtual void cerrar_registro(const std::string& /*desenlace*/) {}
    // No meter answered on a slot that was only tried: its log says nothing worth keeping,
    // and under --watch such tries come every few seconds.
    virtual void descartar_registro() {}
};

// Where the slots come from: the system's serial ports, or simulated meters in a test.
class Fuente_ranuras {
  public:
    virtual ~Fuente_ranuras() = default;
    // The slots whose device is there now.
    virtual std::vector<Ranura> presentes() = 0;
    // The place for a session on this slot. Called on the session's thread.
    virtual std::unique_ptr<Puesto> abrir(const Ranura& ranura) = 0;
};

struct Opciones_banco {
    // The answer to both questions: with several meters nobody can be asked.
    Respuesta_fija respuesta = Respuesta_fija::no;
    bool zona = false;
    // The slots named on the command line: each must hold a meter. Empty: every slot of the
    // source, and a slot where no meter answers is no meter of the run (--all, --watch).
    std::vector<Ranura> fijas;
    // Keep going: a meter is updated when it appears, its slot again only after the meter
    // there was unplugged.
    bool vigilar = false;
    // In watch mode, how often the slots are looked at, and how long a slot where no meter
    // answered waits before it is tried again.
    int periodo_ms = 1000;
    int reintento_ms = 5000;
};

// The exit code of a bench run: 0 when every meter ended updated or with nothing to do;
// else the first code present in the order 1, 14, 12, 13, 11, 10 (a meter that may hold a
// part of an item first, one with its firmware but not its zone next, then the meters
// left as they were).
int Codigo_banco(const std::vector<int>& codigos);

class Banco {
  public:
    // entorno: the bench's own clock (the sessions have theirs). salida receives every
    // event in order, on the bench's thread.
    Banco(Entorno& entorno, Fuente_ranuras& fuente, Opciones_banco opciones,
          std::function<void(const Evento_banco&)> salida);
    ~Banco();
    Banco(const Banco&) = delete;
    Banco& operator=(const Banco&) = delete;

    // Runs until every session has ended (and, in watch mode, the user stopped it).
    // Returns the exit code.
    int Ejecutar();
    // The user's stop (Ctrl-C): no session starts any more, and each running one stops at
    // its next safe point. Safe from any thread.
    void Detener();
    // The slots changed: look at them at the next turn (a test's hot-plug). Any thread.
    void Mirar_ranuras();
    // Called on the bench's thread at each turn of its loop (the terminal's Ctrl-C).
    std::function<void()> al_turno;
    // Seconds since Ejecutar started, by the bench's clock.
    double segundos() const {
        return static_cast<double>(entorno_.milisegundos() - inicio_ms_) / 1000.0;
    }
    // The outcomes so far, in the order they came.
    const std::vector<Evento_banco>& desenlaces() const { return desenlaces_; }

  private:
    enum class Estado { libre, en_curso, hecho, sin_medidor };
    struct Plaza {
        Estado estado = Estado::libre;
        std::thread hilo;
        int64_t reintento_ms = 0;
        bool presente = false;
        std::string puerto;  // the device path of its last session
        // Why no meter answered there, as last told; cleared when the slot empties or a
        // meter is found there.
        std::string aviso;
    };

    void Publicar(Evento_banco e);
    void Mirar(bool primera);
    void Arrancar(const Ranura& r);
    void Atender(Evento_banco& e);
    bool En_curso() const;

    Entorno& entorno_;
    Fuente_ranuras& fuente_;
    Opciones_banco opciones_;
    std::function<void(const Evento_banco&)> salida_;
    int64_t inicio_ms_ = 0;
    int64_t ultimo_vistazo_ms_ = 0;
    std::map<std::string, Plaza> plazas_;
    std::vector<Evento_banco> desenlaces_;

    std::atomic<int> parada_{0};
    std::atomic<bool> mirar_{false};
    std::mutex mutex_;
    std::condition_variable aviso_;
    std::deque<Evento_banco> cola_;
};

}  // namespace z82
