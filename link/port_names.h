#pragma once

#include <string>

namespace keyloom {

inline constexpr int kPortCount = 49; // COM1..COM49

// "COM" + number, the port list's item text.
std::string PortItemText(int portNumber);

// The port number an item index of the port list stands for: index + 1, and 0
// for no selection (-1) or any index outside the list.
int PortNumberForIndex(int index);

// The Windows device name "\\.\COMn" for port number n (0 included, which no
// device answers to).
std::string PortPath(int portNumber);

// The device port n maps to by the default rule of this platform; empty when no
// device stands behind it (port 0). Windows: PortPath(n). Linux: COM1..COM4 are
// /dev/ttyS0..ttyS3, COM5..COM49 are /dev/ttyUSB0..ttyUSB44.
std::string DefaultDevice(int portNumber);

// What a user can do about a port that would not open, from the error's code:
// on Linux a missing permission means joining the "dialout" group. Empty when
// there is nothing to add to the system's own reason.
std::string PortOpenHint(int errorCode);

} // namespace keyloom
