// What an exchange with the meter works through: the port, the machine's environment (the
// clock, pauses, the message pump) and the signals of the run: whether an item has failed,
// whether the user asked the run to stop, and, coming back, why an exchange gave up.
#pragma once

#include <stop_token>
#include <string>
#include <utility>

namespace z82 {

class Entorno;
class TCPuerto;

// The run's signals. The failure flag is the window's abortar: an item failed, the items
// after it are skipped. The user's stop is its own signal, which no step resets. The cause
// is what the last exchange that failed found, in the meter's terms ("no answer to block
// 2,341 after 3 tries"); the run names the item in front of it.
struct Senales {
    bool abortar = false;
    std::stop_source parada;
    std::string causa;

    bool parada_pedida() const { return parada.stop_requested(); }
    // A new run: no failure, no stop, no cause.
    void reiniciar() {
        abortar = false;
        parada = std::stop_source{};
        causa.clear();
    }
};

struct Canal {
    TCPuerto& puerto;
    Entorno& entorno;
    Senales& senales;

    // The exchanges that may give up early do so on a failure or on the user's stop.
    bool parar() const { return senales.abortar || senales.parada_pedida(); }
    // Where an exchange gives up: why, in the meter's terms. The last one said is kept.
    void fallar(std::string por_que) const { senales.causa = std::move(por_que); }
};

}  // namespace z82
