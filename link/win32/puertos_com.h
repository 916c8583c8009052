// The COM ports the device manager shows, read through SetupAPI: each port's number (from
// its "PortName"), its friendly name, the location path of the hub slot it is plugged into,
// and its device instance id.
#pragma once

#include <string>
#include <vector>

namespace z82 {

struct Puerto_com {
    int numero = 0;           // the n of "COMn"
    std::string nombre{};     // "USB Serial Port (COM3)", empty when the driver gives none
    std::string ubicacion{};  // "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)#USB(3)", or empty
    std::string instancia{};  // "FTDIBUS\VID_0403+PID_6001+A50285BIA\0000", or empty
};

// The present devices of the ports class and of the COM port interface, each port once.
std::vector<Puerto_com> puertos_com();

// The number in "3", "COM3", "com3", "COM3:" (as the registry writes it) or "\\.\COM3"; 0
// for anything else.
int numero_com(const std::string& nombre);

}  // namespace z82
