#include "spd_file.h"

#include <algorithm>
#include <array>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace keyloom {

namespace {

Error FileError(const QString& path, const QString& what, const QString& reason) {
    return Error{0, QStringLiteral("%1 \"%2\": %3").arg(what, SpdFileName(path), reason).toStdString()};
}

} // namespace

Result<int> LoadSpdFile(const QString& path, SpdImage& image) {
    QFile file(path);
    if (QFileInfo(path).isDir())
        return FileError(path, QStringLiteral("Cannot open"), QStringLiteral("it is a folder"));
    if (!file.open(QIODevice::ReadOnly))
        return FileError(path, QStringLiteral("Cannot open"), file.errorString());
    // Only the first 512 bytes matter, however large the file is.
    std::array<char, kImageSize> buffer{};
    qint64 got = 0;
    while (got < qint64(kImageSize)) {
        const qint64 n = file.read(buffer.data() + got, qint64(kImageSize) - got);
        if (n < 0)
            return FileError(path, QStringLiteral("Cannot read"), file.errorString());
        if (n == 0)
            break;
        got += n;
    }
    std::copy_n(reinterpret_cast<const std::uint8_t*>(buffer.data()), got, image.begin());
    return int(got);
}

Status SaveSpdFile(const QString& path, const SpdImage& image) {
    if (QFileInfo(path).isDir())
        return FileError(path, QStringLiteral("Cannot save"), QStringLiteral("it is a folder"));
    QSaveFile file(path);
    // Unbuffered, so a full disk shows in write() itself and not only in a
    // commit() that might report success over an empty file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return FileError(path, QStringLiteral("Cannot save"), file.errorString());
    const qint64 written =
        file.write(reinterpret_cast<const char*>(image.data()), qint64(image.size()));
    if (written != qint64(image.size()) || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return FileError(path, QStringLiteral("Cannot save"), reason);
    }
    if (!file.commit())
        return FileError(path, QStringLiteral("Cannot save"), file.errorString());
    return {};
}

bool SpdPathTaken(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QString SpdFileName(const QString& path) {
    return QFileInfo(QDir::fromNativeSeparators(path)).fileName();
}

} // namespace keyloom
