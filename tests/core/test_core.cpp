#include <set>
#include <string>

#include "core/cell_codec.h"
#include "core/spd_image.h"
#include "tests/support/check.h"

using namespace keyloom;

TEST_CASE(hex_display_table) {
    const struct {
        int byte;
        const char* text;
    } table[] = {{0, "00"}, {10, "0A"}, {16, "10"}, {171, "AB"}, {255, "FF"}};
    for (const auto& row : table)
        CHECK_EQ(ByteToHex(static_cast<std::uint8_t>(row.byte)), std::string(row.text));
}

TEST_CASE(hex_commit_table) {
    const struct {
        const char* text;
        int byte;
    } table[] = {{"00", 0x00}, {"0A", 0x0A}, {"10", 0x10}, {"7f", 0x7F}, {"A5", 0xA5},
                 {"aB", 0xAB}, {"FF", 0xFF}, {"ff", 0xFF}, {"123", 0x12}, {"5", 0x05}};
    for (const auto& row : table) {
        const auto value = HexToByte(row.text);
        CHECK(value.has_value());
        if (value)
            CHECK_EQ(int{*value}, row.byte);
    }
}

TEST_CASE(hex_commit_rejects_what_is_no_byte) {
    for (const char* text : {"", "G1", "1G", " 7", "5 ", "-1", "0x"})
        CHECK(!HexToByte(text).has_value());
}

TEST_CASE(hex_round_trips_every_byte) {
    for (int b = 0; b < 256; ++b) {
        const auto value = HexToByte(ByteToHex(static_cast<std::uint8_t>(b)));
        CHECK(value && *value == b);
    }
}

TEST_CASE(ascii_display_and_commit) {
    CHECK_EQ(AsciiDisplay(0x41), std::string("A"));
    CHECK_EQ(int{AsciiCommit("A")}, 0x41);
    CHECK_EQ(AsciiDisplay(0), std::string());
    CHECK_EQ(int{AsciiCommit("")}, 0);
    CHECK_EQ(AsciiDisplay(0x2E), std::string("."));
    CHECK_EQ(int{AsciiCommit(".")}, 0);
    CHECK_EQ(int{AsciiCommit("AB")}, 0x41);
    CHECK_EQ(int{AsciiCommit(".A")}, 0);
    CHECK_EQ(int{AsciiCommit("\xB3\x5C")}, 0xB3); // first byte of a Big5 character
}

TEST_CASE(ascii_stand_in_for_bytes_without_a_character) {
    for (int b : {0x01, 0x1F, 0x7F, 0x80, 0xA4, 0xFF}) {
        CHECK(!AsciiHasOwnCharacter(static_cast<std::uint8_t>(b)));
        CHECK_EQ(AsciiDisplay(static_cast<std::uint8_t>(b)), std::string(kAsciiStandIn));
    }
    // Every printable byte shows as itself and commits back to itself, except ".".
    for (int b = 0x20; b <= 0x7E; ++b) {
        const std::string shown = AsciiDisplay(static_cast<std::uint8_t>(b));
        CHECK_EQ(int{AsciiCommit(shown)}, b == '.' ? 0 : b);
    }
}

TEST_CASE(layout_of_the_key_table) {
    std::set<int> records, links;
    for (int k = 0; k < kKeyCount; ++k) {
        CHECK_EQ(kKeys[k].recordOffset, 16 * k);
        CHECK_EQ(kKeys[k].linkActionOffset, kLinkActionOffset + k);
        CHECK_EQ(std::string(kKeys[k].legend),
                 "K" + std::to_string(k + 1) + ":" + (k == 0 ? "00" : std::to_string(16 * k)));
        records.insert(kKeys[k].recordOffset);
        links.insert(kKeys[k].linkActionOffset);
    }
    CHECK_EQ(records.size(), std::size_t{9});
    CHECK_EQ(links.size(), std::size_t{9});
    CHECK_EQ(std::string(kLinkActionTexts[0]), std::string("無連動"));
    CHECK_EQ(std::string(kLinkActionTexts[15]), std::string("關機行程2"));
    CHECK_EQ(std::string(kBaudTexts[0]), std::string("9600"));
}

TEST_CASE(list_selection_and_stored_byte) {
    CHECK_EQ(int{ListIndexToByte(-1)}, 0xFF);
    CHECK_EQ(int{ListIndexToByte(15)}, 15);
    CHECK_EQ(ByteToListIndex(15, 16), 15);
    CHECK_EQ(ByteToListIndex(16, 16), -1);
    CHECK_EQ(ByteToListIndex(4, 5), 4);
    CHECK_EQ(ByteToListIndex(5, 5), -1);
    CHECK_EQ(ByteToListIndex(0xFF, 16), -1);
}

int main() {
    return keyloom::test::RunAll();
}
