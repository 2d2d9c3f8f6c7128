#include "image_edit.h"

#include <QRegularExpression>
#include <QStringList>

#include "cli/image_words.h"
#include "core/cell_codec.h"

namespace keyloom::cli {

namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// A decimal number, or hex after "0x"; nothing for any other text.
std::optional<int> Number(const QString& text) {
    bool ok = false;
    int value = 0;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = text.mid(2).toInt(&ok, 16);
    else if (!text.isEmpty() && text.front().isDigit())
        value = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

// An entry by its text (as the window's lists match typed text: Latin letters
// in any case) or by its index.
template <std::size_t N>
std::optional<int> Entry(const QString& value, const std::array<std::string_view, N>& texts) {
    for (std::size_t i = 0; i < N; ++i) {
        if (value.compare(FromUtf8(texts[i]), Qt::CaseInsensitive) == 0)
            return int(i);
    }
    const std::optional<int> n = Number(value);
    if (n && *n >= 0 && *n < int(N))
        return n;
    return std::nullopt;
}

template <std::size_t N> QString Entries(const std::array<std::string_view, N>& texts) {
    QStringList list;
    for (std::size_t i = 0; i < N; ++i)
        list << QStringLiteral("%1=%2").arg(i).arg(FromUtf8(texts[i]));
    return list.join(QStringLiteral(", "));
}

QString Change(const QString& part, const QString& before, const QString& after) {
    return QStringLiteral("%1: %2 -> %3").arg(part, before, after);
}

} // namespace

QString AcceptedKeys() {
    return QStringLiteral("K1..K9, baud, byte:N (N = 0..511)");
}

QString AcceptedActions() {
    return Entries(kLinkActionTexts);
}

QString AcceptedBauds() {
    return Entries(kBaudTexts);
}

std::optional<QString> ApplyAssignment(const QString& assignment, SpdImage& image, QString* error) {
    const qsizetype equals = assignment.indexOf(QLatin1Char('='));
    if (equals < 0) {
        *error =
            QStringLiteral("\"%1\" is no KEY=VALUE; keys are %2").arg(assignment, AcceptedKeys());
        return std::nullopt;
    }
    const QString key = assignment.left(equals).trimmed();
    const QString value = assignment.mid(equals + 1).trimmed();

    static const QRegularExpression keyPattern(QStringLiteral("^K([1-9])$"),
                                               QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = keyPattern.match(key); m.hasMatch()) {
        const int k = m.captured(1).toInt();
        const std::optional<int> code = Entry(value, kLinkActionTexts);
        if (!code) {
            *error = QStringLiteral("K%1: \"%2\" is no linked action; accepted are the codes and "
                                    "texts %3")
                         .arg(k)
                         .arg(value, AcceptedActions());
            return std::nullopt;
        }
        std::uint8_t& byte = image[std::size_t(kKeys[std::size_t(k - 1)].linkActionOffset)];
        const std::uint8_t before = byte;
        byte = ListIndexToByte(*code);
        return Change(QStringLiteral("K%1 linked action").arg(k), LinkActionWords(before),
                      LinkActionWords(byte));
    }

    if (key.compare(QLatin1String("baud"), Qt::CaseInsensitive) == 0) {
        const std::optional<int> index = Entry(value, kBaudTexts);
        if (!index) {
            *error = QStringLiteral("baud: \"%1\" is no baud rate; accepted are the indexes and "
                                    "rates %2")
                         .arg(value, AcceptedBauds());
            return std::nullopt;
        }
        std::uint8_t& byte = image[kBaudIndexOffset];
        const std::uint8_t before = byte;
        byte = ListIndexToByte(*index);
        return Change(QStringLiteral("Baud rate"), BaudWords(before), BaudWords(byte));
    }

    if (key.startsWith(QLatin1String("byte:"), Qt::CaseInsensitive)) {
        const std::optional<int> offset = Number(key.mid(5));
        if (!offset || *offset < 0 || *offset >= int(kImageSize)) {
            *error = QStringLiteral("%1: byte offsets run from 0 to 511").arg(key);
            return std::nullopt;
        }
        const std::optional<int> v = Number(value);
        if (!v || *v < 0 || *v > 0xFF) {
            *error = QStringLiteral("%1: \"%2\" is no byte; accepted are 0..255 and 0x00..0xFF")
                         .arg(key, value);
            return std::nullopt;
        }
        std::uint8_t& byte = image[std::size_t(*offset)];
        const std::uint8_t before = byte;
        byte = std::uint8_t(*v);
        return Change(QStringLiteral("Byte %1 (%2)").arg(*offset).arg(PartAt(*offset)),
                      QString::fromStdString(ByteToHex(before)),
                      QString::fromStdString(ByteToHex(byte)));
    }

    *error = QStringLiteral("unknown setting \"%1\"; accepted are %2").arg(key, AcceptedKeys());
    return std::nullopt;
}

} // namespace keyloom::cli
