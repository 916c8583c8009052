#include "link/win32/entorno_sistema.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>

namespace z82 {

int64_t Entorno_sistema::segundos() { return static_cast<int64_t>(::GetTickCount64() / 1000); }

int64_t Entorno_sistema::milisegundos() { return static_cast<int64_t>(::GetTickCount64()); }

void Entorno_sistema::dormir(int ms) {
    if (ms > 0) ::Sleep(static_cast<DWORD>(ms));
}

void Entorno_sistema::pitar() {
    const int64_t inicio = milisegundos();
    if (campana) ::Beep(1000, 500);
    const int64_t resto = 500 - (milisegundos() - inicio);
    if (resto > 0) dormir(static_cast<int>(resto));
}

bool Entorno_sistema::existe_puerto(int n) {
    const std::string nombre = "COM" + std::to_string(n);
    COMMCONFIG cc;
    ZeroMemory(&cc, sizeof cc);
    DWORD tamano = sizeof cc;
    cc.dwSize = tamano;
    if (::GetDefaultCommConfigA(nombre.c_str(), &cc, &tamano) != FALSE) return true;
    // A driver with a larger record still has the device.
    return ::GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

std::vector<std::string> Entorno_sistema::puertos_registro() {
    std::vector<std::string> nombres;
    // One level at a time, for reading only; nothing is ever created.
    const char* const camino[] = {"SOFTWARE", "Microsoft", "Windows NT", "CurrentVersion", "Ports"};
    HKEY clave = HKEY_LOCAL_MACHINE;
    bool propia = false;
    for (const char* nivel : camino) {
        HKEY siguiente = nullptr;
        const LONG r = ::RegOpenKeyExA(clave, nivel, 0, KEY_READ, &siguiente);
        if (propia) ::RegCloseKey(clave);
        if (r != ERROR_SUCCESS) return nombres;
        clave = siguiente;
        propia = true;
    }
    for (DWORD i = 0;; ++i) {
        char nombre[256];
        DWORD largo = sizeof nombre;
        const LONG r =
            ::RegEnumValueA(clave, i, nombre, &largo, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_MORE_DATA) continue;  // a name too long to be a port
        if (r != ERROR_SUCCESS) break;
        nombres.emplace_back(nombre, largo);
    }
    ::RegCloseKey(clave);
    return nombres;
}

void Entorno_sistema::diagnostico(const std::string& linea) {
    // The line as the meter's protocol writes it; its end of line is added when missing.
    std::fputs(linea.c_str(), stdout);
    if (linea.empty() || linea.back() != '\n') std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace z82
