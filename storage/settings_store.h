#pragma once

#include <optional>

#include <QString>

#include "core/result.h"

namespace keyloom {

// The one setting Keyloom keeps between runs (the port choice) and the per-port
// device overrides. Windows: HKEY_LOCAL_MACHINE\SOFTWARE\Tevrano\Keyloom.
// Elsewhere: the user's config file for organisation "Tevrano", application
// "Keyloom" ($XDG_CONFIG_HOME/Tevrano/Keyloom.conf on Linux).
class SettingsStore {
public:
    // The stored ComPortIndex, or nothing when it is missing or not an integer.
    std::optional<int> comPortIndex() const;

    // Stores ComPortIndex as given, without a range check. Fails when the store
    // refuses the write (read-only folder, no rights on the registry key).
    Status setComPortIndex(int index) const;

    // The device that "Ports/COMn" names for port n; empty when there is none.
    QString portDevice(int portNumber) const;

    // Where the settings live, for messages.
    QString location() const;

    static constexpr const char* kComPortIndexKey = "ComPortIndex";
};

} // namespace keyloom
