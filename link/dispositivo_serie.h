// The thin layer between the port object and the operating system's serial device.
// Three implementations: termios (Linux), Win32, and the simulated link (virtual time).
#pragma once

#include <cstdint>
#include <string>

namespace z82 {

// The Windows device control block as the window fills it (only the members that matter).
struct Config_puerto {
    uint32_t numero_puerto = 1;
    uint32_t BaudRate = 115200;
    uint8_t ByteSize = 8;
    uint8_t Parity = 0;       // none
    uint8_t StopBits = 2;     // two stop bits
    uint8_t fDtrControl = 1;  // enable
    uint8_t fRtsControl = 0;  // disable: RTS is driven by hand
    bool fParity = false;
    bool fOutxCtsFlow = false;
    bool fOutX = false;
    bool fInX = false;
};

// The DCB as the port object applies it (already cleared and completed).
struct Dcb {
    uint32_t DCBlength = 28;
    uint32_t BaudRate = 0;
    bool fBinary = false, fParity = false, fOutxCtsFlow = false, fOutxDsrFlow = false;
    uint8_t fDtrControl = 0;
    bool fDsrSensitivity = false, fTXContinueOnXoff = false, fOutX = false, fInX = false;
    bool fErrorChar = false, fNull = false;
    uint8_t fRtsControl = 0;
    bool fAbortOnError = false;
    uint16_t XonLim = 0, XoffLim = 0;
    uint8_t ByteSize = 0, Parity = 0, StopBits = 0;
    char XonChar = 0, XoffChar = 0;
};

// COMMTIMEOUTS.
struct Tiempos_com {
    uint32_t ReadIntervalTimeout = 0;
    uint32_t ReadTotalTimeoutMultiplier = 0;
    uint32_t ReadTotalTimeoutConstant = 0;
    uint32_t WriteTotalTimeoutMultiplier = 0;
    uint32_t WriteTotalTimeoutConstant = 0;
};

constexpr uint32_t PURGE_TXABORT = 0x0001;
constexpr uint32_t PURGE_RXABORT = 0x0002;
constexpr uint32_t PURGE_TXCLEAR = 0x0004;
constexpr uint32_t PURGE_RXCLEAR = 0x0008;
constexpr int ESCAPE_SETRTS = 3;
constexpr int ESCAPE_CLRRTS = 4;

class Dispositivo_serie {
  public:
    virtual ~Dispositivo_serie() = default;

    // CreateFile of the device for this port number; false when absent, busy or denied.
    virtual bool abrir(uint32_t numero_puerto) = 0;
    virtual bool abierto() const = 0;
    // CloseHandle.
    virtual void cerrar() = 0;
    // SetCommState, SetupComm, SetCommTimeouts, PurgeComm: results as the system gives them.
    virtual bool configurar(const Dcb& dcb) = 0;
    virtual bool colas(uint32_t entrada, uint32_t salida) = 0;
    virtual bool tiempos(const Tiempos_com& t) = 0;
    virtual bool purgar(uint32_t mascara) = 0;
    // ClearCommError: false on failure; errores = error flags; en_cola_salida = bytes
    // waiting in the output queue.
    virtual bool estado(uint32_t& errores, uint32_t& en_cola_salida) = 0;
    // EscapeCommFunction (SETRTS / CLRRTS). A device that cannot do it (a pseudo-terminal)
    // answers true and does nothing.
    virtual bool escape(int funcion) = 0;
    // ReadFile under the time-outs last set: returns at once with what is there, else waits
    // for the first byte up to multiplier * n + constant ms. leidos = bytes delivered.
    virtual bool leer(uint8_t* destino, uint32_t n, uint32_t& leidos) = 0;
    // WriteFile: never hands the driver more than it can queue.
    virtual bool escribir(const uint8_t* origen, uint32_t n, uint32_t& escritos) = 0;
    // Why the last abrir failed, in words for the user (rights, held by another program).
    virtual std::string ultimo_error() const { return {}; }
};

// The named lock "Mutex_Puerto" around each port operation. Implementations are recursive
// for the owning thread.
class Cerrojo_puerto {
  public:
    virtual ~Cerrojo_puerto() = default;
    virtual void bloquear() = 0;
    virtual void desbloquear() = 0;
    // The lock for an operation on port n. On Windows it is one per user, whatever the port;
    // on Linux one per device.
    virtual void bloquear_puerto(uint32_t numero_puerto) {
        (void)numero_puerto;
        bloquear();
    }
};

}  // namespace z82
