#pragma once

#include <optional>

#include <QString>

namespace keyloom::cli {

// The port a command talks to, as the user named it and as it is opened.
struct PortChoice {
    QString name;   // "COM8" or the device path as given
    QString device; // what is opened
    int number = 0; // the COM number; 0 when a device path was given

    // "COM8 (/dev/ttyUSB3)" or just the path, for messages.
    QString label() const;
};

// `text` is COMn (n = 1..49, any letter case), mapped to a device as the window
// maps it, or else a device path. Returns nothing, with `error` set, for an empty
// text or a COM number outside the list.
std::optional<PortChoice> ParsePort(const QString& text, QString* error);

// Whether `device` exists now.
bool DeviceExists(const QString& device);

// The port's part of a backup file name: "COM8", or the device path made into a
// plain name ("/dev/ttyUSB0" -> "ttyUSB0", "/dev/serial/by-id/x" -> "serial-by-id-x").
QString BackupStem(const PortChoice& port);

// What to do about a port that cannot be opened, by the errno-style code of the failure.
QString OpenFailureHint(int code);

} // namespace keyloom::cli
