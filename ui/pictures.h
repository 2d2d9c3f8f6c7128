#pragma once

#include <QPixmap>
#include <QString>

namespace keyloom {

// Every picture of the window is drawn here, by our own code.

// The decoration of the transfer panel: a nine-key panel, 120 x 109.
QPixmap DrawPanelPicture();

// Column header of the byte grid, 604 x 20: "HEX" then "00".."0F", one raised box
// above each column. `left` is the header's left edge in page coordinates.
QPixmap DrawColumnHeader(int left);

// Row header of the byte grid, 48 x 308: the row offsets "00", "16" .. "240",
// one raised box beside each row. `top` is the header's top in page coordinates.
QPixmap DrawRowHeader(int top);

enum class ButtonPicture { OpenFolder, Diskette, Sheet };

// A tool button face: a small drawing above a green caption, e.g. 開檔 or HEX.
QPixmap DrawToolButtonPicture(ButtonPicture picture, const QString& caption);

} // namespace keyloom
