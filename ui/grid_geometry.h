#pragma once

#include <array>

namespace keyloom {

// Where cell i of the byte grid stands on the page control: column i % 16, row
// i / 16. The places come from truncating 74 + 34.3 * column and 52 + 18.6 * (row + 1)
// in extended precision, which is why column 10 sits at 416 and not 417; they are
// kept as the fixed table they are.
inline constexpr std::array<int, 16> kColumnLeft{74,  108, 142, 176, 211, 245, 279, 314,
                                                 348, 382, 416, 451, 485, 519, 554, 588};
inline constexpr std::array<int, 16> kRowTop{70,  89,  107, 126, 145, 163, 182, 200,
                                             219, 238, 256, 275, 293, 312, 331, 349};
inline constexpr int kCellWidth = 38;
inline constexpr int kCellHeight = 21;
inline constexpr int kGridColumns = 16;

constexpr int CellColumn(int index) { return index % kGridColumns; }
constexpr int CellRow(int index) { return index / kGridColumns; }
constexpr int CellLeft(int index) { return kColumnLeft[CellColumn(index)]; }
constexpr int CellTop(int index) { return kRowTop[CellRow(index)]; }

} // namespace keyloom
