#include "port_names.h"

#include <cerrno>

namespace keyloom {

std::string PortItemText(int portNumber) {
    return "COM" + std::to_string(portNumber);
}

int PortNumberForIndex(int index) {
    return index >= 0 && index < kPortCount ? index + 1 : 0;
}

std::string PortPath(int portNumber) {
    return "\\\\.\\COM" + std::to_string(portNumber);
}

std::string DefaultDevice(int portNumber) {
    if (portNumber < 1 || portNumber > kPortCount)
        return {};
#ifdef _WIN32
    return PortPath(portNumber);
#else
    // The four legacy UARTs a PC can have come first; USB adapters, which is what
    // most installers carry, take the rest in the order the kernel numbers them.
    if (portNumber <= 4)
        return "/dev/ttyS" + std::to_string(portNumber - 1);
    return "/dev/ttyUSB" + std::to_string(portNumber - 5);
#endif
}

std::string PortOpenHint(int errorCode) {
#ifdef _WIN32
    (void)errorCode;
    return {};
#else
    switch (errorCode) {
    case EACCES:
    case EPERM:
        return "Your user may not use serial ports. Join the dialout group "
               "(sudo adduser $USER dialout), then log out and in again.";
    case EBUSY:
        return "Another program holds this port. Close it, or pick another port.";
    case ENOENT:
        return "No such device: is the adapter plugged in? A COM number can be pointed "
               "at another device in the settings file (Ports/COMn).";
    default:
        return {};
    }
#endif
}

} // namespace keyloom
