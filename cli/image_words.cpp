#include "image_words.h"

#include <algorithm>

#include <QJsonArray>
#include <QStringList>

#include "core/cell_codec.h"

namespace keyloom::cli {

namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString KeyName(int k) {
    return QStringLiteral("K%1").arg(k + 1);
}

int RecordOffset(int k) {
    return kKeys[std::size_t(k)].recordOffset;
}

int LinkOffset(int k) {
    return kKeys[std::size_t(k)].linkActionOffset;
}

QString Hex(std::uint8_t value) {
    return QString::fromStdString(ByteToHex(value));
}

// "64, 70" for a few offsets, "64, 65, ... and 300 more" for many.
QString OffsetList(const std::vector<int>& offsets) {
    constexpr std::size_t kShown = 10;
    QStringList parts;
    for (std::size_t i = 0; i < offsets.size() && i < kShown; ++i)
        parts << QString::number(offsets[i]);
    QString text = parts.join(QStringLiteral(", "));
    if (offsets.size() > kShown)
        text += QStringLiteral(" and %1 more").arg(offsets.size() - kShown);
    return text;
}

QString CountOfBytes(std::size_t n, const char* verb) {
    return QStringLiteral("%1 byte%2 %3%4")
        .arg(n)
        .arg(n == 1 ? QString() : QStringLiteral("s"))
        .arg(QLatin1String(verb))
        .arg(n == 1 ? QStringLiteral("s") : QString());
}

QJsonValue NameOrNull(const QString& name) {
    return name.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(name);
}

QJsonObject SourceJson(const ImageSource& source) {
    return QJsonObject{{QStringLiteral("source"), source.name},
                       {QStringLiteral("fromPanel"), source.fromPanel},
                       {QStringLiteral("sourceBytes"), source.fileBytes}};
}

// The offsets of one part of the image where a and b differ.
std::vector<int> DifferingOffsets(const std::vector<ByteDifference>& differences, int begin,
                                  int end) {
    std::vector<int> offsets;
    for (const ByteDifference& d : differences) {
        if (d.offset >= begin && d.offset < end)
            offsets.push_back(d.offset);
    }
    return offsets;
}

bool IsOther(int offset) {
    return PartAt(offset) == QLatin1String("other");
}

} // namespace

QString ImageSource::describe() const {
    if (fromPanel)
        return QStringLiteral("panel on %1").arg(name);
    const qint64 size = qint64(kImageSize);
    if (fileBytes == size)
        return QStringLiteral("%1 (512 bytes)").arg(name);
    if (fileBytes < size)
        return QStringLiteral("%1 (%2 bytes; bytes %2..511 are not in the file and count as 00)")
            .arg(name)
            .arg(fileBytes);
    return QStringLiteral("%1 (%2 bytes; only the first 512 are the image)")
        .arg(name)
        .arg(fileBytes);
}

QString LinkActionName(std::uint8_t code) {
    const int index = ByteToListIndex(code, int(kLinkActionTexts.size()));
    return index < 0 ? QString() : FromUtf8(kLinkActionTexts[std::size_t(index)]);
}

QString BaudName(std::uint8_t code) {
    const int index = ByteToListIndex(code, int(kBaudTexts.size()));
    return index < 0 ? QString() : FromUtf8(kBaudTexts[std::size_t(index)]);
}

QString LinkActionWords(std::uint8_t code) {
    const QString name = LinkActionName(code);
    return name.isEmpty() ? QStringLiteral("%1 (names no action)").arg(code)
                          : QStringLiteral("%1 (%2)").arg(name).arg(code);
}

QString BaudWords(std::uint8_t code) {
    const QString name = BaudName(code);
    return name.isEmpty() ? QStringLiteral("%1 (names no baud rate)").arg(code)
                          : QStringLiteral("%1 (%2)").arg(name).arg(code);
}

QString PartAt(int offset) {
    for (int k = 0; k < kKeyCount; ++k) {
        if (offset >= RecordOffset(k) && offset < RecordOffset(k) + kKeyRecordSize)
            return KeyName(k) + QStringLiteral(" record");
        if (offset == LinkOffset(k))
            return KeyName(k) + QStringLiteral(" linked action");
    }
    if (offset == kBaudIndexOffset)
        return QStringLiteral("baud rate");
    return QStringLiteral("other");
}

QString HexBytes(const SpdImage& image, int offset, int count, const QString& separator) {
    QStringList parts;
    for (int i = offset; i < offset + count; ++i)
        parts << Hex(image[std::size_t(i)]);
    return parts.join(separator);
}

int DisplayWidth(const QString& text) {
    int width = 0;
    for (const char32_t c : text.toUcs4()) {
        // East Asian wide characters (CJK, Hangul, full-width forms) take two cells.
        const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                          (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                          (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                          (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
        width += wide ? 2 : 1;
    }
    return width;
}

QString PadToWidth(const QString& text, int width) {
    const int missing = width - DisplayWidth(text);
    return missing > 0 ? text + QString(missing, QLatin1Char(' ')) : text;
}

QString ShowText(const SpdImage& image, const ImageSource& source) {
    QString text;
    const auto line = [&](const QString& s = {}) { text += s + QLatin1Char('\n'); };

    line(source.describe());
    line();
    line(QStringLiteral("Key  %1Linked action").arg(PadToWidth(QStringLiteral("Caption"), 17)));
    for (int k = 0; k < kKeyCount; ++k) {
        line(QStringLiteral("%1   %2%3")
                 .arg(KeyName(k), PadToWidth(FromUtf8(kKeys[std::size_t(k)].caption), 17),
                      LinkActionWords(image[std::size_t(LinkOffset(k))])));
    }
    line(QStringLiteral("Baud rate: %1").arg(BaudWords(image[kBaudIndexOffset])));
    line();

    // Rows of 16 with a decimal offset, as the window's grid counts them.
    const auto row = [&](const QString& head, int offset) {
        line(QStringLiteral("%1  %2").arg(head, HexBytes(image, offset, 16, QStringLiteral(" "))));
    };
    line(QStringLiteral("Key records (hex)"));
    for (int k = 0; k < kKeyCount; ++k)
        row(QStringLiteral("  %1%2").arg(KeyName(k)).arg(RecordOffset(k), 6), RecordOffset(k));

    line(QStringLiteral("Other bytes (hex; 144..152 are the linked actions, 288 the baud rate)"));
    const int firstOther = kKeyCount * kKeyRecordSize;
    const auto zeroRow = [&](int offset) {
        for (int i = offset; i < offset + 16; ++i) {
            if (image[std::size_t(i)] != 0)
                return false;
        }
        return true;
    };
    for (int offset = firstOther; offset < int(kImageSize);) {
        int end = offset;
        while (end < int(kImageSize) && zeroRow(end))
            end += 16;
        // Two or more rows of zeros in a row say so in one line; a lone one is shown.
        if (end - offset >= 32) {
            line(QStringLiteral("%1  all 00")
                     .arg(QStringLiteral("%1..%2").arg(offset).arg(end - 1), 10));
            offset = end;
            continue;
        }
        row(QStringLiteral("%1").arg(offset, 10), offset);
        offset += 16;
    }
    return text;
}

QJsonObject ShowJson(const SpdImage& image, const ImageSource& source) {
    QJsonArray keys;
    for (int k = 0; k < kKeyCount; ++k) {
        const std::uint8_t code = image[std::size_t(LinkOffset(k))];
        keys.append(QJsonObject{
            {QStringLiteral("key"), KeyName(k)},
            {QStringLiteral("caption"), FromUtf8(kKeys[std::size_t(k)].caption)},
            {QStringLiteral("recordOffset"), RecordOffset(k)},
            {QStringLiteral("record"), HexBytes(image, RecordOffset(k), kKeyRecordSize, {})},
            {QStringLiteral("linkActionOffset"), LinkOffset(k)},
            {QStringLiteral("linkAction"), int(code)},
            {QStringLiteral("linkActionName"), NameOrNull(LinkActionName(code))},
        });
    }
    const std::uint8_t baud = image[kBaudIndexOffset];
    const int firstOther = kLinkActionOffset + kKeyCount;
    QJsonObject json = SourceJson(source);
    json.insert(QStringLiteral("keys"), keys);
    json.insert(QStringLiteral("baud"),
                QJsonObject{{QStringLiteral("offset"), kBaudIndexOffset},
                            {QStringLiteral("code"), int(baud)},
                            {QStringLiteral("name"), NameOrNull(BaudName(baud))}});
    json.insert(QStringLiteral("otherBytes"),
                QJsonArray{
                    QJsonObject{{QStringLiteral("offset"), firstOther},
                                {QStringLiteral("hex"),
                                 HexBytes(image, firstOther, kBaudIndexOffset - firstOther, {})}},
                    QJsonObject{{QStringLiteral("offset"), kBaudIndexOffset + 1},
                                {QStringLiteral("hex"),
                                 HexBytes(image, kBaudIndexOffset + 1,
                                          int(kImageSize) - kBaudIndexOffset - 1, {})}},
                });
    json.insert(QStringLiteral("image"), HexBytes(image, 0, int(kImageSize), {}));
    return json;
}

std::vector<ByteDifference> CompareImages(const SpdImage& a, const SpdImage& b) {
    std::vector<ByteDifference> differences;
    for (std::size_t i = 0; i < kImageSize; ++i) {
        if (a[i] != b[i])
            differences.push_back({int(i), a[i], b[i]});
    }
    return differences;
}

QString ByteDifferenceTable(const std::vector<ByteDifference>& differences, const QString& titleA,
                            const QString& titleB) {
    const int widthA = std::max(2, DisplayWidth(titleA));
    const int widthB = std::max(2, DisplayWidth(titleB));
    QString text = QStringLiteral("Offset  %1  %2  Part\n")
                       .arg(PadToWidth(titleA, widthA), PadToWidth(titleB, widthB));
    for (const ByteDifference& d : differences) {
        text +=
            QStringLiteral("%1  %2  %3  %4\n")
                .arg(d.offset, 6)
                .arg(PadToWidth(Hex(d.a), widthA), PadToWidth(Hex(d.b), widthB), PartAt(d.offset));
    }
    return text;
}

QString DiffText(const SpdImage& a, const ImageSource& sourceA, const SpdImage& b,
                 const ImageSource& sourceB) {
    const std::vector<ByteDifference> differences = CompareImages(a, b);
    QString text = QStringLiteral("A: %1\nB: %2\n").arg(sourceA.describe(), sourceB.describe());
    if (differences.empty())
        return text + QStringLiteral("The same: all 512 bytes are equal.\n");

    for (int k = 0; k < kKeyCount; ++k) {
        const std::size_t link = std::size_t(LinkOffset(k));
        if (a[link] != b[link]) {
            text += QStringLiteral("%1 linked action: %2 -> %3\n")
                        .arg(KeyName(k), LinkActionWords(a[link]), LinkActionWords(b[link]));
        }
        const std::vector<int> record =
            DifferingOffsets(differences, RecordOffset(k), RecordOffset(k) + kKeyRecordSize);
        if (!record.empty()) {
            text += QStringLiteral("%1 record: %2 (%3)\n")
                        .arg(KeyName(k), CountOfBytes(record.size(), "differ"), OffsetList(record));
        }
    }
    if (a[kBaudIndexOffset] != b[kBaudIndexOffset]) {
        text += QStringLiteral("Baud rate: %1 -> %2\n")
                    .arg(BaudWords(a[kBaudIndexOffset]), BaudWords(b[kBaudIndexOffset]));
    }
    std::vector<int> other;
    for (const ByteDifference& d : differences) {
        if (IsOther(d.offset))
            other.push_back(d.offset);
    }
    if (!other.empty()) {
        text += QStringLiteral("Other bytes: %1 (%2)\n")
                    .arg(CountOfBytes(other.size(), "differ"), OffsetList(other));
    }
    text += QLatin1Char('\n');
    text += ByteDifferenceTable(differences, QStringLiteral("A"), QStringLiteral("B"));
    text += CountOfBytes(differences.size(), "differ") + QStringLiteral(".\n");
    return text;
}

QJsonObject DiffJson(const SpdImage& a, const ImageSource& sourceA, const SpdImage& b,
                     const ImageSource& sourceB) {
    const std::vector<ByteDifference> differences = CompareImages(a, b);

    QJsonArray settings;
    const auto setting = [&](const QString& part, int offset, QString (*name)(std::uint8_t)) {
        const std::uint8_t va = a[std::size_t(offset)];
        const std::uint8_t vb = b[std::size_t(offset)];
        if (va == vb)
            return;
        settings.append(QJsonObject{{QStringLiteral("part"), part},
                                    {QStringLiteral("offset"), offset},
                                    {QStringLiteral("a"), int(va)},
                                    {QStringLiteral("aName"), NameOrNull(name(va))},
                                    {QStringLiteral("b"), int(vb)},
                                    {QStringLiteral("bName"), NameOrNull(name(vb))}});
    };
    QJsonArray blocks;
    const auto block = [&](const QString& part, const std::vector<int>& offsets) {
        if (offsets.empty())
            return;
        QJsonArray list;
        for (const int offset : offsets)
            list.append(offset);
        blocks.append(
            QJsonObject{{QStringLiteral("part"), part}, {QStringLiteral("offsets"), list}});
    };
    for (int k = 0; k < kKeyCount; ++k) {
        setting(KeyName(k) + QStringLiteral(" linked action"), LinkOffset(k), &LinkActionName);
        block(KeyName(k) + QStringLiteral(" record"),
              DifferingOffsets(differences, RecordOffset(k), RecordOffset(k) + kKeyRecordSize));
    }
    setting(QStringLiteral("baud rate"), kBaudIndexOffset, &BaudName);
    std::vector<int> other;
    for (const ByteDifference& d : differences) {
        if (IsOther(d.offset))
            other.push_back(d.offset);
    }
    block(QStringLiteral("other"), other);

    QJsonArray bytes;
    for (const ByteDifference& d : differences) {
        bytes.append(QJsonObject{{QStringLiteral("offset"), d.offset},
                                 {QStringLiteral("part"), PartAt(d.offset)},
                                 {QStringLiteral("a"), int(d.a)},
                                 {QStringLiteral("b"), int(d.b)}});
    }
    return QJsonObject{{QStringLiteral("a"), SourceJson(sourceA)},
                       {QStringLiteral("b"), SourceJson(sourceB)},
                       {QStringLiteral("equal"), differences.empty()},
                       {QStringLiteral("settings"), settings},
                       {QStringLiteral("blocks"), blocks},
                       {QStringLiteral("bytes"), bytes}};
}

} // namespace keyloom::cli
