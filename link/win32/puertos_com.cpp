#include "link/win32/puertos_com.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After windows.h, which they need.
#include <cfgmgr32.h>
#include <setupapi.h>

#include <cctype>
#include <cstring>
#include <map>

namespace z82 {

namespace {

// The class of ports (COM and LPT).
const GUID kClasePuertos = {
    0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
// The COM port interface, which drivers that install in another class (modems) offer too.
const GUID kInterfazCom = {
    0x86e0d1e0, 0x8089, 0x11d0, {0x9c, 0xe4, 0x08, 0x00, 0x3e, 0x30, 0x1f, 0x73}};

std::string puerto_del_registro(HDEVINFO lista, SP_DEVINFO_DATA& dato) {
    HKEY clave = ::SetupDiOpenDevRegKey(lista, &dato, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (clave == INVALID_HANDLE_VALUE) return {};
    char puerto[64] = "";
    DWORD largo = sizeof puerto - 1;
    DWORD tipo = 0;
    const LONG leido = ::RegQueryValueExA(clave, "PortName", nullptr, &tipo,
                                          reinterpret_cast<BYTE*>(puerto), &largo);
    ::RegCloseKey(clave);
    return leido == ERROR_SUCCESS && tipo == REG_SZ ? std::string(puerto) : std::string();
}

// The first of the device's location paths. Bus drivers such as the FTDI one put the port
// below the USB device or interface that has the location: then that one's.
std::string ubicacion(HDEVINFO lista, SP_DEVINFO_DATA& dato) {
    char texto[1024] = {};  // several strings, each ended by a zero: the first is kept
    if (::SetupDiGetDeviceRegistryPropertyA(lista, &dato, SPDRP_LOCATION_PATHS, nullptr,
                                            reinterpret_cast<BYTE*>(texto), sizeof texto - 2,
                                            nullptr) != FALSE &&
        texto[0] != '\0') {
        return texto;
    }
    DEVINST padre = 0;
    char id[MAX_DEVICE_ID_LEN + 1] = {};
    if (::CM_Get_Parent(&padre, dato.DevInst, 0) != CR_SUCCESS ||
        ::CM_Get_Device_IDA(padre, id, MAX_DEVICE_ID_LEN, 0) != CR_SUCCESS ||
        std::strncmp(id, "USB\\", 4) != 0) {
        return {};
    }
    ULONG largo = sizeof texto - 2;
    std::memset(texto, 0, sizeof texto);
    if (::CM_Get_DevNode_Registry_PropertyA(padre, CM_DRP_LOCATION_PATHS, nullptr, texto, &largo,
                                            0) != CR_SUCCESS) {
        return {};
    }
    return texto;
}

void recorrer(const GUID& clase, DWORD banderas, std::vector<Puerto_com>& puertos) {
    HDEVINFO lista = ::SetupDiGetClassDevsA(&clase, nullptr, nullptr, DIGCF_PRESENT | banderas);
    if (lista == INVALID_HANDLE_VALUE) return;
    SP_DEVINFO_DATA dato{};
    dato.cbSize = sizeof dato;
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(lista, i, &dato) != FALSE; ++i) {
        const std::string nombre = puerto_del_registro(lista, dato);
        if (nombre.rfind("COM", 0) != 0) continue;  // LPT ports share the class
        Puerto_com p;
        p.numero = numero_com(nombre);
        bool visto = p.numero <= 0;
        for (const Puerto_com& otro : puertos) visto = visto || otro.numero == p.numero;
        if (visto) continue;
        char texto[256] = {};
        if (::SetupDiGetDeviceRegistryPropertyA(lista, &dato, SPDRP_FRIENDLYNAME, nullptr,
                                                reinterpret_cast<BYTE*>(texto), sizeof texto - 1,
                                                nullptr) != FALSE) {
            p.nombre = texto;
        }
        p.ubicacion = ubicacion(lista, dato);
        char id[MAX_DEVICE_ID_LEN + 1] = {};
        if (::SetupDiGetDeviceInstanceIdA(lista, &dato, id, MAX_DEVICE_ID_LEN, nullptr) != FALSE) {
            p.instancia = id;
        }
        puertos.push_back(std::move(p));
    }
    ::SetupDiDestroyDeviceInfoList(lista);
}

}  // namespace

std::vector<Puerto_com> puertos_com() {
    std::vector<Puerto_com> puertos;
    recorrer(kClasePuertos, 0, puertos);
    recorrer(kInterfazCom, DIGCF_DEVICEINTERFACE, puertos);
    // A location two ports share (the channels of one multi-port adapter, which took their
    // USB device's) names no single slot: those ports go by their COM names.
    std::map<std::string, int> veces;
    for (const Puerto_com& p : puertos) ++veces[p.ubicacion];
    for (Puerto_com& p : puertos) {
        if (veces[p.ubicacion] > 1) p.ubicacion.clear();
    }
    return puertos;
}

int numero_com(const std::string& nombre) {
    std::string resto = nombre;
    if (resto.rfind("\\\\.\\", 0) == 0) resto = resto.substr(4);
    if (!resto.empty() && resto.back() == ':') resto.pop_back();
    if (resto.size() > 3 && (resto.rfind("COM", 0) == 0 || resto.rfind("com", 0) == 0)) {
        resto = resto.substr(3);
    }
    if (resto.empty() || resto.size() > 8) return 0;
    for (const char c : resto) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
    }
    return std::stoi(resto);
}

}  // namespace z82
