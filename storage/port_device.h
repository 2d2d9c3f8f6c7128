#pragma once

#include <QString>

namespace keyloom {

// The device COMn stands for: the "Ports/COMn" entry of the settings when there is
// one, else the platform's default rule (DefaultDevice). Empty outside COM1..COM49.
// The window and keyloom-cli both go through here, so a COM number means the same
// device in both.
QString DeviceForPort(int portNumber);

// Whether the device for port n comes from a "Ports/COMn" entry rather than the rule.
bool PortIsMapped(int portNumber);

} // namespace keyloom
