#pragma once

// Shared pieces of the keyloom-cli tests: a private settings file, the commands
// run in-process with their output kept, and small image files.

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "cli/cli.h"
#include "core/spd_image.h"

namespace keyloom::test {

// The settings file of one test, in a folder of its own.
class TempConfig {
public:
    TempConfig() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    }
    QString dir() const { return m_dir.path(); }
    // Stands `device` behind COMn.
    void mapPort(int portNumber, const QString& device) {
        QSettings s(m_dir.path() + QStringLiteral("/Tevrano/Keyloom.conf"), QSettings::IniFormat);
        s.setValue(QStringLiteral("Ports/COM%1").arg(portNumber), device);
    }

private:
    QTemporaryDir m_dir;
};

struct CliRun {
    int code = -1;
    QString out;
    QString err;
};

inline CliRun RunCli(const QStringList& args, bool errIsTerminal = false) {
    CliRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    cli::RunOptions options;
    options.errIsTerminal = errIsTerminal;
    run.code = cli::Run(args, out, err, options);
    out.flush();
    err.flush();
    return run;
}

inline QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray Bytes(const SpdImage& image) {
    return QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size()));
}

inline SpdImage Pattern(int seed) {
    SpdImage image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = std::uint8_t((i * 31 + std::size_t(seed)) & 0xFF);
    return image;
}

} // namespace keyloom::test
