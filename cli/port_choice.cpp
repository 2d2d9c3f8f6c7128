#include "port_choice.h"

#include <cerrno>

#include <QFile>
#include <QRegularExpression>

#include "link/port_names.h"
#include "storage/port_device.h"

#ifdef Q_OS_WIN
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace keyloom::cli {

QString PortChoice::label() const {
    if (number == 0 || device == name)
        return device;
    return QStringLiteral("%1 (%2)").arg(name, device);
}

std::optional<PortChoice> ParsePort(const QString& text, QString* error) {
    if (text.trimmed().isEmpty()) {
        *error =
            QStringLiteral("the port is empty; give COM1..COM%1 or a device path").arg(kPortCount);
        return std::nullopt;
    }
    static const QRegularExpression com(QStringLiteral("^COM([0-9]+)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = com.match(text.trimmed());
    if (!match.hasMatch())
        return PortChoice{text, text, 0};
    bool ok = false;
    const int n = match.captured(1).toInt(&ok);
    if (!ok || n < 1 || n > kPortCount) {
        *error =
            QStringLiteral("%1 is not a port of the list; the COM numbers run from COM1 to COM%2")
                .arg(text)
                .arg(kPortCount);
        return std::nullopt;
    }
    return PortChoice{QStringLiteral("COM%1").arg(n), DeviceForPort(n), n};
}

bool DeviceExists(const QString& device) {
    if (device.isEmpty())
        return false;
#ifdef Q_OS_WIN
    // "\\.\COMn" is no file; the DOS device table knows whether COMn is there now.
    QString name = device;
    if (name.startsWith(QLatin1String("\\\\.\\")))
        name = name.mid(4);
    wchar_t target[1024];
    return QueryDosDeviceW(reinterpret_cast<const wchar_t*>(name.utf16()), target, 1024) != 0;
#else
    struct stat info {};
    return ::stat(QFile::encodeName(device).constData(), &info) == 0;
#endif
}

QString BackupStem(const PortChoice& port) {
    if (port.number > 0)
        return port.name;
    QString stem = port.device;
    for (const QLatin1String prefix : {QLatin1String("/dev/"), QLatin1String("\\\\.\\")}) {
        if (stem.startsWith(prefix)) {
            stem = stem.mid(prefix.size());
            break;
        }
    }
    // A file name of plain characters on every system, whatever the path holds.
    QString plain;
    for (const QChar c : stem) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\'))
            plain += QLatin1Char('-');
        else if (c.isLetterOrNumber() && c.unicode() < 0x80)
            plain += c;
        else if (c == QLatin1Char('.') || c == QLatin1Char('_') || c == QLatin1Char('-'))
            plain += c;
        else
            plain += QLatin1Char('_');
    }
    while (plain.startsWith(QLatin1Char('-')) || plain.startsWith(QLatin1Char('.')))
        plain.remove(0, 1);
    return plain.isEmpty() ? QStringLiteral("port") : plain;
}

QString OpenFailureHint(int code) {
    switch (code) {
    case EACCES:
    case EPERM:
#ifdef Q_OS_LINUX
        // The same advice as the window's port status.
        return QStringLiteral("Permission denied: ") + QString::fromStdString(PortOpenHint(code));
#else
        return QStringLiteral("Permission denied: ask for the rights to use this device.");
#endif
    case EBUSY:
        return QStringLiteral("The port is busy: another program (a Keyloom window, a terminal "
                              "program, another keyloom-cli) holds it. Close that and try again.");
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return QStringLiteral("No such device now: check that the adapter is plugged in. "
                              "'keyloom-cli ports' lists the devices that exist.");
    case ENOTTY:
        return QStringLiteral("This device is no serial line: check the port.");
    default:
        return QStringLiteral("Check the adapter and the port.");
    }
}

} // namespace keyloom::cli
