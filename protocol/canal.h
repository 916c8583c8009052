// What an exchange with the meter works through: the port, the machine's environment (the
// clock, pauses, the message pump) and the run's stop flag, set when the user asks the run
// to stop or an item has failed.
#pragma once

namespace z82 {

class Entorno;
class TCPuerto;

struct Canal {
    TCPuerto& puerto;
    Entorno& entorno;
    const bool& parar;
};

}  // namespace z82
