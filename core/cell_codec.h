#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace keyloom {

// Hex display: always two upper-case digits, leading zero shown.
std::string ByteToHex(std::uint8_t value);

// Hex commit. Only the first two characters count; one or two hex digits (either
// case) are a byte. Anything else is not a byte, so the caller keeps the old value
// instead of storing a guess.
std::optional<std::uint8_t> HexToByte(std::string_view text);

// Shown in an ASCII cell for a byte that has no character of its own
// (control bytes, 0x7F, and 0x80..0xFF, which are lone Big5 lead bytes or unused).
inline constexpr std::string_view kAsciiStandIn = "\u25A1";

// ASCII display as UTF-8: 0 is the empty text, 0x20..0x7E the character itself,
// every other byte the stand-in.
std::string AsciiDisplay(std::uint8_t value);
bool AsciiHasOwnCharacter(std::uint8_t value);

// ASCII commit of a cell text already encoded in Big5: its first byte, where an
// empty text and "." both give 0.
std::uint8_t AsciiCommit(std::string_view big5Bytes);

} // namespace keyloom
