#pragma once

#include <cstdint>
#include <vector>

#include <QJsonObject>
#include <QString>

#include "core/spd_image.h"

namespace keyloom::cli {

// Where an image came from, for headings: a file (with its real length, which may
// differ from 512) or a panel.
struct ImageSource {
    QString name;                          // file path, or the port's label
    qint64 fileBytes = qint64(kImageSize); // a panel always gives 512
    bool fromPanel = false;

    // "room.SPD (100 bytes; 100..511 count as 00)" and the like.
    QString describe() const;
};

// The entry a code names, or an empty text when it names none.
QString LinkActionName(std::uint8_t code);
QString BaudName(std::uint8_t code);

// "布幕上 (1)", or "20 (names no action)" for a code that is no entry's.
QString LinkActionWords(std::uint8_t code);
QString BaudWords(std::uint8_t code);

// The part of the image a byte belongs to: "K3 record", "K3 linked action",
// "baud rate" or "other".
QString PartAt(int offset);

// Upper-case hex of `count` bytes from `offset`, separated by `separator`.
QString HexBytes(const SpdImage& image, int offset, int count, const QString& separator);

// The image in words for `show`: keys with caption and linked action, the baud
// rate, then the key records and the other bytes in hex.
QString ShowText(const SpdImage& image, const ImageSource& source);
QJsonObject ShowJson(const SpdImage& image, const ImageSource& source);

struct ByteDifference {
    int offset;
    std::uint8_t a;
    std::uint8_t b;
};
std::vector<ByteDifference> CompareImages(const SpdImage& a, const SpdImage& b);

// The differences for `diff`: per key and setting in words, then per byte.
QString DiffText(const SpdImage& a, const ImageSource& sourceA, const SpdImage& b,
                 const ImageSource& sourceB);
QJsonObject DiffJson(const SpdImage& a, const ImageSource& sourceA, const SpdImage& b,
                     const ImageSource& sourceB);

// One line per differing byte: "    147  01  02  K4 linked action", under a heading
// whose column titles are `titleA` and `titleB`.
QString ByteDifferenceTable(const std::vector<ByteDifference>& differences, const QString& titleA,
                            const QString& titleB);

// Columns for mixed Latin and CJK text: CJK characters take two terminal cells.
int DisplayWidth(const QString& text);
QString PadToWidth(const QString& text, int width);

} // namespace keyloom::cli
