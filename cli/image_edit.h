#pragma once

#include <optional>

#include <QString>

#include "core/spd_image.h"

namespace keyloom::cli {

// One KEY=VALUE of `set`, applied to `image`:
//   Kk=ACTION    k = 1..9; ACTION is an entry text ("布幕上", "Relay ON") or its code 0..15
//   baud=RATE    a baud entry ("19200") or its index 0..4
//   byte:N=V     N = 0..511; V = 0..255 or 0x00..0xFF
// Returns the change in words ("K4 linked action: 無連動 (0) -> 布幕上 (1)"), or
// nothing with `error` naming what is accepted; the image is then unchanged.
std::optional<QString> ApplyAssignment(const QString& assignment, SpdImage& image, QString* error);

// The accepted keys and values, for help texts and errors.
QString AcceptedKeys();
QString AcceptedActions();
QString AcceptedBauds();

} // namespace keyloom::cli
