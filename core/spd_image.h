#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace keyloom {

// The panel's configuration memory, byte for byte.
inline constexpr std::size_t kImageSize = 512;
using SpdImage = std::array<std::uint8_t, kImageSize>;

// Layout. Everything not named here is carried unchanged.
inline constexpr int kKeyCount = 9;
inline constexpr int kKeyRecordSize = 16;    // KeyRecord of Kk at 16 * (k - 1)
inline constexpr int kLinkActionOffset = 144; // LinkAction of Kk at 144 + (k - 1)
inline constexpr int kBaudIndexOffset = 288;  // BaudIndex
inline constexpr int kGridBytes = 256;        // bytes the byte grid shows

struct KeyInfo {
    std::string_view caption; // as the key settings panel labels it
    std::string_view legend;  // as the data page's offset legend shows it
    int recordOffset;
    int linkActionOffset;
};

inline constexpr std::array<KeyInfo, kKeyCount> kKeys{{
    {"系統開機(K1)", "K1:00", 0, 144},
    {"系統關機(K2)", "K2:16", 16, 145},
    {"FN(K3)", "K3:32", 32, 146},
    {"桌台電腦(K4)", "K4:48", 48, 147},
    {"筆計型電腦(K5)", "K5:64", 64, 148},
    {"電腦開關(K6)", "K6:80", 80, 149},
    {"BD(K7)", "K7:96", 96, 150},
    {"AUX(K8)", "K8:112", 112, 151},
    {"單槍開關(K9)", "K9:128", 128, 152},
}};

// Entry texts of the link-action lists; the code stored is the entry's index.
inline constexpr std::array<std::string_view, 16> kLinkActionTexts{
    "無連動",       "布幕上",         "布幕下",         "Pow Relay ON",
    "Pow Relay OFF", "Pow Relay Toggle", "Comp Relay ON",  "Comp Relay OFF",
    "Comp Relay Toggle", "Relay ON",  "Relay OFF",      "Relay Toggle",
    "開機行程1",    "開機行程2",      "關機行程1",      "關機行程2",
};

// Entry texts of the baud list; BaudIndex is the entry's index.
inline constexpr std::array<std::string_view, 5> kBaudTexts{"9600", "19200", "38400", "57600",
                                                             "115200"};

// A list's selected index as stored: its low 8 bits, so "no selection" (-1) is 0xFF.
constexpr std::uint8_t ListIndexToByte(int index) {
    return static_cast<std::uint8_t>(index & 0xFF);
}

// The entry a stored byte selects, or -1 when it is no entry's index.
constexpr int ByteToListIndex(std::uint8_t value, int entryCount) {
    return value < entryCount ? int{value} : -1;
}

} // namespace keyloom
