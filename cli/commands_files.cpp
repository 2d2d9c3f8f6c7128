// The commands that work on images in words: show, diff and set.
#include "commands.h"

#include <QFileInfo>
#include <QJsonDocument>

#include "cli/image_edit.h"
#include "cli/panel.h"
#include "cli/port_choice.h"
#include "storage/spd_file.h"

namespace keyloom::cli {

namespace {

void PrintJson(Console& console, const QJsonObject& json) {
    console.out << QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Indented));
    console.out.flush();
}

} // namespace

std::optional<LoadedImage> LoadImage(const QString& path, Console& console) {
    LoadedImage loaded;
    const Result<int> got = LoadSpdFile(path, loaded.image);
    if (!got) {
        console.error(QString::fromStdString(got.error().message));
        return std::nullopt;
    }
    // The load stops at 512 bytes; the length on disk tells whether there were more.
    const qint64 size = QFileInfo(path).size();
    loaded.source = ImageSource{path, size > qint64(kImageSize) ? size : qint64(*got), false};
    return loaded;
}

int CommandShow(const ParsedArgs& args, Console& console) {
    const QStringList operands = args.operands();
    if (operands.size() != 1)
        return UsageError(console, QStringLiteral("show"), QStringLiteral("show takes one FILE"));
    const std::optional<LoadedImage> loaded = LoadImage(operands.front(), console);
    if (!loaded)
        return kExitFile;
    if (args.has("json"))
        PrintJson(console, ShowJson(loaded->image, loaded->source));
    else
        console.out << ShowText(loaded->image, loaded->source);
    console.out.flush();
    return kExitOk;
}

int CommandDiff(const ParsedArgs& args, Console& console) {
    const QString command = QStringLiteral("diff");
    struct Operand {
        QString file;
        std::optional<PortChoice> port;
        LoadedImage loaded;
    };
    std::vector<Operand> operands;
    for (const ArgItem& item : args.items) {
        if (item.option.isEmpty()) {
            operands.push_back({item.value, std::nullopt, {}});
        } else if (item.option == QLatin1String("port")) {
            QString problem;
            std::optional<PortChoice> port = ParsePort(item.value, &problem);
            if (!port)
                return UsageError(console, command, problem);
            operands.push_back({QString(), std::move(port), {}});
        }
    }
    if (operands.size() != 2) {
        return UsageError(console, command,
                          QStringLiteral("diff compares two images: give two of FILE or --port P"));
    }
    // Files first: a missing file is found before anyone waits for a panel.
    for (Operand& operand : operands) {
        if (operand.port)
            continue;
        std::optional<LoadedImage> loaded = LoadImage(operand.file, console);
        if (!loaded)
            return kExitFile;
        operand.loaded = std::move(*loaded);
    }
    for (Operand& operand : operands) {
        if (!operand.port)
            continue;
        Panel panel(*operand.port, console);
        if (!panel.open())
            return kExitDevice;
        const std::optional<SpdImage> image = panel.read();
        if (!image)
            return kExitDevice;
        operand.loaded = LoadedImage{*image, ImageSource{operand.port->label(), 512, true}};
    }

    const LoadedImage& a = operands[0].loaded;
    const LoadedImage& b = operands[1].loaded;
    if (args.has("json"))
        PrintJson(console, DiffJson(a.image, a.source, b.image, b.source));
    else
        console.out << DiffText(a.image, a.source, b.image, b.source);
    console.out.flush();
    return a.image == b.image ? kExitOk : kExitDifferent;
}

int CommandSet(const ParsedArgs& args, Console& console) {
    const QString command = QStringLiteral("set");
    QStringList operands = args.operands();
    if (operands.size() < 2) {
        return UsageError(console, command,
                          QStringLiteral("set takes a FILE and at least one KEY=VALUE"));
    }
    const QString path = operands.takeFirst();
    std::optional<LoadedImage> loaded = LoadImage(path, console);
    if (!loaded)
        return kExitFile;
    if (loaded->source.fileBytes > qint64(kImageSize)) {
        console.error(QStringLiteral("%1 has %2 bytes, more than the 512 of an image; set would "
                                     "drop the rest, so the file is left as it was.")
                          .arg(path)
                          .arg(loaded->source.fileBytes));
        return kExitFile;
    }

    // Every assignment on a copy first: one bad one leaves the file untouched.
    SpdImage image = loaded->image;
    QStringList changes;
    for (const QString& assignment : operands) {
        QString problem;
        const std::optional<QString> change = ApplyAssignment(assignment, image, &problem);
        if (!change) {
            return UsageError(console, command,
                              problem + QStringLiteral("\n%1 was left as it was.").arg(path));
        }
        changes << *change;
    }
    if (const Status saved = SaveSpdFile(path, image); !saved) {
        console.error(QString::fromStdString(saved.error().message) +
                      QStringLiteral(" The file was left as it was."));
        return kExitFile;
    }
    for (const QString& change : changes)
        console.result(change);
    if (loaded->source.fileBytes < qint64(kImageSize)) {
        console.note(QStringLiteral("%1 had %2 bytes; it now holds all 512, the missing ones 00.")
                         .arg(path)
                         .arg(loaded->source.fileBytes));
    }
    return kExitOk;
}

} // namespace keyloom::cli
