// The one wait of the meter protocols: read single bytes from the link until one comes or
// a limit of whole seconds has passed. Elapsed time is the difference of two whole-second
// readings of the clock, taken again after every poll, so a limit of N lasts between N - 1
// and N seconds, and a byte that arrives once the seconds reading has moved on is seen with
// a non-zero elapsed time. What differs between the exchanges is named here.
#pragma once

#include <cstdint>
#include <functional>

namespace z82 {

class Entorno;
class TCPuerto;

// What a wait does between two polls of the link.
enum class Entre_lecturas {
    mensajes,    // lets the window's messages run
    pausa_50ms,  // sleeps 50 ms; the window does not respond meanwhile
    nada,        // polls again at once
};

// When the limit ends the wait.
enum class Limite {
    alcanzado,  // once elapsed reaches the limit
    superado,   // only once elapsed is past it
};

class Espera {
  public:
    Espera(TCPuerto& puerto, Entorno& entorno, Entre_lecturas entre = Entre_lecturas::mensajes);

    // The clock starts now, or counts from an earlier reading (the run clock).
    void reiniciar();
    void reiniciar_en(int64_t inicio);
    void entre_lecturas(Entre_lecturas entre) { entre_ = entre; }
    // Checked after every pause between polls; when it says so the wait ends at once.
    void detener_si(std::function<bool()> detener) { detener_ = std::move(detener); }

    // Waits for any byte: true when one came (in b). False when the limit was reached or
    // the wait was stopped, with 0 left in b.
    bool byte(uint8_t& b, int64_t limite, Limite cuando = Limite::alcanzado);
    // Waits for one particular byte, dropping any other.
    bool byte_igual(uint8_t esperado, int64_t limite);

    // Whole seconds from the start to the last poll.
    int64_t transcurrido() const { return transcurrido_; }
    bool detenida() const { return detenida_; }
    // Bytes read off the link since the wait was made, wanted or not.
    int recibidos() const { return recibidos_; }

  private:
    bool esperar(uint8_t& b, int64_t limite, Limite cuando, const uint8_t* esperado);

    TCPuerto& puerto_;
    Entorno& entorno_;
    Entre_lecturas entre_;
    std::function<bool()> detener_;
    int64_t inicio_ = 0;
    int64_t transcurrido_ = 0;
    bool detenida_ = false;
    int recibidos_ = 0;
};

}  // namespace z82
