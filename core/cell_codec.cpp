#include "cell_codec.h"

namespace keyloom {

namespace {

constexpr std::string_view kHexDigits = "0123456789ABCDEF";

std::optional<int> HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return std::nullopt;
}

} // namespace

std::string ByteToHex(std::uint8_t value) {
    return {kHexDigits[value >> 4], kHexDigits[value & 0x0F]};
}

std::optional<std::uint8_t> HexToByte(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    const auto high = HexDigitValue(text[0]);
    if (!high)
        return std::nullopt;
    if (text.size() == 1)
        return static_cast<std::uint8_t>(*high);
    const auto low = HexDigitValue(text[1]);
    if (!low)
        return std::nullopt;
    return static_cast<std::uint8_t>(*high * 16 + *low);
}

bool AsciiHasOwnCharacter(std::uint8_t value) {
    return value >= 0x20 && value <= 0x7E;
}

std::string AsciiDisplay(std::uint8_t value) {
    if (value == 0)
        return {};
    if (AsciiHasOwnCharacter(value))
        return std::string(1, static_cast<char>(value));
    return std::string(kAsciiStandIn);
}

std::uint8_t AsciiCommit(std::string_view big5Bytes) {
    if (big5Bytes.empty())
        return 0;
    const auto first = static_cast<std::uint8_t>(big5Bytes.front());
    return first == '.' ? 0 : first;
}

} // namespace keyloom
