#include "port_device.h"

#include "link/port_names.h"
#include "storage/settings_store.h"

namespace keyloom {

QString DeviceForPort(int portNumber) {
    if (portNumber < 1 || portNumber > kPortCount)
        return {};
    const QString mapped = SettingsStore().portDevice(portNumber);
    return mapped.isEmpty() ? QString::fromStdString(DefaultDevice(portNumber)) : mapped;
}

bool PortIsMapped(int portNumber) {
    return portNumber >= 1 && portNumber <= kPortCount &&
           !SettingsStore().portDevice(portNumber).isEmpty();
}

} // namespace keyloom
