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
#include "tests/support/temp_config.h"

namespace keyloom::test {

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
