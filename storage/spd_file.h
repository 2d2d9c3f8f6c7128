#pragma once

#include <QString>

#include "core/result.h"
#include "core/spd_image.h"

namespace keyloom {

// .SPD files hold the 512 image bytes and nothing else. A file of any length
// loads: its first bytes (at most 512) go to the start of the image.

// Reads at most 512 bytes of `path` into the start of `image`, and returns how
// many. On any failure the image is left exactly as it was.
Result<int> LoadSpdFile(const QString& path, SpdImage& image);

// Replaces `path` with the 512 bytes of `image`, whole or not at all: a failure
// leaves an existing file as it was.
Status SaveSpdFile(const QString& path, const SpdImage& image);

// Whether anything stands at `path` already (a file that cannot be read included),
// so a save asks before it replaces it.
bool SpdPathTaken(const QString& path);

// The file name without its folder, for titles and dialogs.
QString SpdFileName(const QString& path);

} // namespace keyloom
