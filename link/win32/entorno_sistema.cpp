#include "link/win32/entorno_sistema.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <setupapi.h>

#include <algorithm>
#include <cctype>
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

int Enlace_sistema::numero(const std::string& nombre) {
    std::string resto = nombre;
    if (resto.rfind("\\\\.\\", 0) == 0) resto = resto.substr(4);
    if (!resto.empty() && resto.back() == ':') resto.pop_back();  // "COM7:" in the registry
    if (resto.size() > 3 && (resto.rfind("COM", 0) == 0 || resto.rfind("com", 0) == 0)) {
        resto = resto.substr(3);
    }
    if (resto.empty() || resto.size() > 8) return 0;
    for (const char c : resto) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
    }
    return std::stoi(resto);
}

std::vector<int> Enlace_sistema::numeros() {
    // The ports the registry lists, and any of COM1 to COM32 the system knows of.
    Entorno_sistema entorno(*this);
    std::vector<int> r;
    for (const std::string& nombre : entorno.puertos_registro()) {
        if (const int n = numero(nombre); n > 0) r.push_back(n);
    }
    for (int n = 1; n <= 32; ++n) {
        if (entorno.existe_puerto(n)) r.push_back(n);
    }
    std::sort(r.begin(), r.end());
    r.erase(std::unique(r.begin(), r.end()), r.end());
    return r;
}

std::string Enlace_sistema::descripcion(int n) const {
    // The friendly name the device manager shows ("USB Serial Port (COM3)"), found through
    // the port's own "PortName"; just "COMn" when no present device has that port.
    const std::string nombre = "COM" + std::to_string(n);
    // The class of ports (COM and LPT).
    static const GUID kClasePuertos = {
        0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
    HDEVINFO lista = ::SetupDiGetClassDevsA(&kClasePuertos, nullptr, nullptr, DIGCF_PRESENT);
    if (lista == INVALID_HANDLE_VALUE) return nombre;
    std::string r = nombre;
    SP_DEVINFO_DATA dato{};
    dato.cbSize = sizeof dato;
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(lista, i, &dato) != FALSE; ++i) {
        HKEY clave = ::SetupDiOpenDevRegKey(lista, &dato, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (clave == INVALID_HANDLE_VALUE) continue;
        char puerto[64] = "";
        DWORD largo = sizeof puerto - 1;
        DWORD tipo = 0;
        const LONG leido = ::RegQueryValueExA(clave, "PortName", nullptr, &tipo,
                                              reinterpret_cast<BYTE*>(puerto), &largo);
        ::RegCloseKey(clave);
        if (leido != ERROR_SUCCESS || tipo != REG_SZ || nombre != puerto) continue;
        char amigo[256] = "";
        if (::SetupDiGetDeviceRegistryPropertyA(lista, &dato, SPDRP_FRIENDLYNAME, nullptr,
                                                reinterpret_cast<BYTE*>(amigo), sizeof amigo - 1,
                                                nullptr) != FALSE &&
            amigo[0] != '\0') {
            r = amigo;
        }
        break;
    }
    ::SetupDiDestroyDeviceInfoList(lista);
    return r;
}

}  // namespace z82
