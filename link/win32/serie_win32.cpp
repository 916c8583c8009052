#include "link/win32/serie_win32.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace z82 {

namespace {

HANDLE manejador(void* h) { return static_cast<HANDLE>(h); }

}  // namespace

Serie_win32::~Serie_win32() { cerrar(); }

std::string Serie_win32::nombre_dispositivo(uint32_t numero_puerto) {
    return "\\\\.\\COM" + std::to_string(numero_puerto);
}

bool Serie_win32::abierto() const {
    return dispositivo_ != nullptr && manejador(dispositivo_) != INVALID_HANDLE_VALUE;
}

bool Serie_win32::abrir(uint32_t numero_puerto) {
    const std::string nombre = nombre_dispositivo(numero_puerto);
    error_.clear();
    HANDLE h = ::CreateFileA(nombre.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    dispositivo_ = h;
    if (h == INVALID_HANDLE_VALUE) {
        const std::string com = "COM" + std::to_string(numero_puerto);
        switch (::GetLastError()) {
            case ERROR_ACCESS_DENIED:
            case ERROR_SHARING_VIOLATION:
                error_ = com + " is in use by another program.";
                break;
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND:
                error_ = "There is no " + com + ".";
                break;
            default:
                error_ =
                    "Cannot open " + com + " (error " + std::to_string(::GetLastError()) + ").";
                break;
        }
    }
    return abierto();
}

void Serie_win32::cerrar() {
    if (!abierto()) return;
    ::CloseHandle(manejador(dispositivo_));
    dispositivo_ = nullptr;
}

bool Serie_win32::configurar(const Dcb& dcb) {
    DCB d;
    ZeroMemory(&d, sizeof d);
    d.DCBlength = sizeof(DCB);
    d.BaudRate = dcb.BaudRate;
    d.fBinary = dcb.fBinary ? 1u : 0u;
    d.fParity = dcb.fParity ? 1u : 0u;
    d.fOutxCtsFlow = dcb.fOutxCtsFlow ? 1u : 0u;
    d.fOutxDsrFlow = dcb.fOutxDsrFlow ? 1u : 0u;
    d.fDtrControl = dcb.fDtrControl & 3u;
    d.fDsrSensitivity = dcb.fDsrSensitivity ? 1u : 0u;
    d.fTXContinueOnXoff = dcb.fTXContinueOnXoff ? 1u : 0u;
    d.fOutX = dcb.fOutX ? 1u : 0u;
    d.fInX = dcb.fInX ? 1u : 0u;
    d.fErrorChar = dcb.fErrorChar ? 1u : 0u;
    d.fNull = dcb.fNull ? 1u : 0u;
    d.fRtsControl = dcb.fRtsControl & 3u;
    d.fAbortOnError = dcb.fAbortOnError ? 1u : 0u;
    d.XonLim = dcb.XonLim;
    d.XoffLim = dcb.XoffLim;
    d.ByteSize = dcb.ByteSize;
    d.Parity = dcb.Parity;
    d.StopBits = dcb.StopBits;
    d.XonChar = dcb.XonChar;
    d.XoffChar = dcb.XoffChar;
    return ::SetCommState(manejador(dispositivo_), &d) != FALSE;
}

bool Serie_win32::colas(uint32_t entrada, uint32_t salida) {
    return ::SetupComm(manejador(dispositivo_), entrada, salida) != FALSE;
}

bool Serie_win32::tiempos(const Tiempos_com& t) {
    COMMTIMEOUTS c;
    c.ReadIntervalTimeout = t.ReadIntervalTimeout;
    c.ReadTotalTimeoutMultiplier = t.ReadTotalTimeoutMultiplier;
    c.ReadTotalTimeoutConstant = t.ReadTotalTimeoutConstant;
    c.WriteTotalTimeoutMultiplier = t.WriteTotalTimeoutMultiplier;
    c.WriteTotalTimeoutConstant = t.WriteTotalTimeoutConstant;
    return ::SetCommTimeouts(manejador(dispositivo_), &c) != FALSE;
}

bool Serie_win32::purgar(uint32_t mascara) {
    return ::PurgeComm(manejador(dispositivo_), mascara) != FALSE;
}

bool Serie_win32::estado(uint32_t& errores, uint32_t& en_cola_salida) {
    DWORD err = 0;
    COMSTAT st;
    ZeroMemory(&st, sizeof st);
    const bool ok = ::ClearCommError(manejador(dispositivo_), &err, &st) != FALSE;
    errores = err;
    en_cola_salida = st.cbOutQue;
    return ok;
}

bool Serie_win32::escape(int funcion) {
    if (::EscapeCommFunction(manejador(dispositivo_), static_cast<DWORD>(funcion)) != FALSE) {
        return true;
    }
    // A pseudo-terminal behind the COM name (Wine) has no modem lines.
    const DWORD e = ::GetLastError();
    return e == ERROR_NOT_SUPPORTED || e == ERROR_INVALID_PARAMETER;
}

bool Serie_win32::leer(uint8_t* destino, uint32_t n, uint32_t& leidos) {
    DWORD r = 0;
    const bool ok = ::ReadFile(manejador(dispositivo_), destino, n, &r, nullptr) != FALSE;
    leidos = ok ? r : 0;
    return ok;
}

bool Serie_win32::escribir(const uint8_t* origen, uint32_t n, uint32_t& escritos) {
    DWORD w = 0;
    const bool ok = ::WriteFile(manejador(dispositivo_), origen, n, &w, nullptr) != FALSE;
    escritos = w;
    return ok;
}

}  // namespace z82
