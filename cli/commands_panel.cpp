// The commands that talk to the panel: ports, read and write.
#include "commands.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include "cli/panel.h"
#include "cli/port_choice.h"
#include "link/port_names.h"
#include "link/transfer.h"
#include "storage/port_device.h"
#include "storage/spd_file.h"

namespace keyloom::cli {

namespace {

// --port, required and valid, or a usage error already told.
std::optional<PortChoice> RequiredPort(const ParsedArgs& args, Console& console,
                                       const QString& command, int* exitCode) {
    if (!args.has("port")) {
        *exitCode = UsageError(console, command, QStringLiteral("--port P is required"));
        return std::nullopt;
    }
    QString problem;
    std::optional<PortChoice> port = ParsePort(args.value("port"), &problem);
    if (!port)
        *exitCode = UsageError(console, command, problem);
    return port;
}

// A file can be saved at `path` as far as can be told before a transfer: its
// folder exists and it is no folder itself. Saves that fail later still say why.
bool CanSaveAt(const QString& path, Console& console) {
    const QFileInfo info(path);
    if (info.isDir()) {
        console.error(QStringLiteral("Cannot save \"%1\": it is a folder.").arg(path));
        return false;
    }
    if (!info.absoluteDir().exists()) {
        console.error(QStringLiteral("Cannot save \"%1\": the folder %2 does not exist.")
                          .arg(path, QDir::toNativeSeparators(info.absolutePath())));
        return false;
    }
    return true;
}

// DIR/<port>-<UTC time>.SPD, with -2, -3, ... added when that name is taken, so a
// backup never replaces an earlier one.
QString BackupPath(const QString& dir, const PortChoice& port) {
    const QString stem =
        BackupStem(port) + QLatin1Char('-') +
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    QString path = QDir(dir).filePath(stem + QStringLiteral(".SPD"));
    for (int n = 2; SpdPathTaken(path); ++n)
        path = QDir(dir).filePath(QStringLiteral("%1-%2.SPD").arg(stem).arg(n));
    return path;
}

} // namespace

int CommandPorts(const ParsedArgs& args, Console& console) {
    if (!args.operands().isEmpty())
        return UsageError(console, QStringLiteral("ports"),
                          QStringLiteral("ports takes no operands"));
    struct Row {
        QString name, device, state;
    };
    std::vector<Row> rows;
    int width = 6;
    for (int n = 1; n <= kPortCount; ++n) {
        const QString device = DeviceForPort(n);
        QString state = DeviceExists(device) ? QStringLiteral("present") : QStringLiteral("absent");
        if (PortIsMapped(n))
            state += QStringLiteral("  (settings)");
        rows.push_back({QString::fromStdString(PortItemText(n)), device, state});
        width = std::max(width, DisplayWidth(device));
    }
    console.out << PadToWidth(QStringLiteral("Port"), 7)
                << PadToWidth(QStringLiteral("Device"), width + 2) << "State\n";
    for (const Row& row : rows)
        console.out << PadToWidth(row.name, 7) << PadToWidth(row.device, width + 2) << row.state
                    << '\n';
    console.out.flush();
    return kExitOk;
}

int CommandRead(const ParsedArgs& args, Console& console) {
    const QString command = QStringLiteral("read");
    int exitCode = kExitUsage;
    const std::optional<PortChoice> port = RequiredPort(args, console, command, &exitCode);
    if (!port)
        return exitCode;
    const QString path = args.value("output");
    if (path.isEmpty())
        return UsageError(console, command, QStringLiteral("-o FILE is required"));
    if (!args.operands().isEmpty()) {
        return UsageError(console, command,
                          QStringLiteral("unexpected operand %1").arg(args.operands().front()));
    }
    if (!CanSaveAt(path, console))
        return kExitFile;

    Panel panel(*port, console);
    if (!panel.open())
        return kExitDevice;
    const std::optional<SpdImage> image = panel.read();
    if (!image) {
        console.error(QStringLiteral("%1 was left as it was.").arg(path));
        return kExitDevice;
    }
    if (const Status saved = SaveSpdFile(path, *image); !saved) {
        console.error(QString::fromStdString(saved.error().message));
        return kExitFile;
    }
    console.result(QStringLiteral("%1: 512 bytes from %2 saved in %3")
                       .arg(QString::fromUtf8(kTextReadDone), port->label(), path));
    return kExitOk;
}

int CommandWrite(const ParsedArgs& args, Console& console) {
    const QString command = QStringLiteral("write");
    int exitCode = kExitUsage;
    const std::optional<PortChoice> port = RequiredPort(args, console, command, &exitCode);
    if (!port)
        return exitCode;
    const QStringList operands = args.operands();
    if (operands.size() != 1)
        return UsageError(console, command, QStringLiteral("write takes one FILE"));
    const bool backup = args.has("backup");
    const QString backupDir = args.value("backup");
    if (backup && backupDir.isEmpty())
        return UsageError(console, command, QStringLiteral("--backup needs a folder"));

    const std::optional<LoadedImage> loaded = LoadImage(operands.front(), console);
    if (!loaded)
        return kExitFile;
    if (loaded->source.fileBytes != qint64(kImageSize))
        console.note(QStringLiteral("Note: %1").arg(loaded->source.describe()));
    if (backup && !QDir().mkpath(backupDir)) {
        console.error(QStringLiteral("Cannot create the backup folder %1. Nothing was written.")
                          .arg(backupDir));
        return kExitFile;
    }

    Panel panel(*port, console);
    if (!panel.open())
        return kExitDevice;

    if (backup) {
        const std::optional<SpdImage> before = panel.read(QStringLiteral("backup"));
        if (!before) {
            console.error(QStringLiteral("Without a backup nothing was written."));
            return kExitDevice;
        }
        const QString path = BackupPath(backupDir, *port);
        if (const Status saved = SaveSpdFile(path, *before); !saved) {
            console.error(QString::fromStdString(saved.error().message) +
                          QStringLiteral(" Without a backup nothing was written."));
            return kExitFile;
        }
        console.result(QStringLiteral("Backup of %1 saved in %2").arg(port->label(), path));
    }

    if (!panel.write(loaded->image))
        return kExitDevice;
    console.result(QStringLiteral("%1: %2 written to %3")
                       .arg(QString::fromUtf8(kTextWriteDone), operands.front(), port->label()));
    if (!args.has("verify"))
        return kExitOk;

    const std::optional<SpdImage> after = panel.read(QStringLiteral("verify"));
    if (!after)
        return kExitDevice;
    const std::vector<ByteDifference> differences = CompareImages(loaded->image, *after);
    if (differences.empty()) {
        console.result(QStringLiteral("Verify: %1, all 512 bytes match.")
                           .arg(QString::fromUtf8(kTextReadDone)));
        return kExitOk;
    }
    // The differences are the finding, so they are shown even with --quiet.
    console.out << QStringLiteral(
                       "Verify: %1 of 512 bytes differ between the file and the panel:\n")
                       .arg(differences.size())
                << ByteDifferenceTable(differences, QStringLiteral("file"),
                                       QStringLiteral("panel"));
    console.out.flush();
    console.error(
        QStringLiteral("verify failed: the panel does not hold what was written. Write "
                       "again; if the same bytes differ, the panel's memory may be faulty."));
    return kExitDifferent;
}

} // namespace keyloom::cli
