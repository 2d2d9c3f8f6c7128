#pragma once

#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QLineEdit;
class QWidget;

namespace keyloom {

// The window's default face, as designed; fontconfig substitutes a face that has
// the glyphs (CJK included) where it is missing.
inline constexpr const char* kDefaultFace = "MS Sans Serif";

QFont DesignFont(int pointSize, bool bold = false);

// A label with its designer name, text and font. A geometry with zero width is
// sized to its text at the given place.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                  int pointSize = 8, bool bold = false);

// A single-line edit with a flat one-pixel border instead of the sunken frame.
QLineEdit* MakeFlatEdit(QWidget* parent, const char* name, const QRect& geometry);

// Call once before the first window: maps the designed face onto installed ones.
void InstallFontSubstitutes();

} // namespace keyloom
