#include "cell_edit.h"

#include <QPainter>

namespace keyloom {

namespace {
const QColor kBorder(0x70, 0x70, 0x70);
const QColor kInvalidBorder(0xD0, 0x00, 0x00);
const QColor kInvalidBase(0xFF, 0xD8, 0xD8);
} // namespace

CellEdit::CellEdit(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setTextMargins(2, 0, 1, 0);
    connect(this, &QLineEdit::textEdited, this, [this] {
        m_edited = true;
        emit userEdited(this);
    });
}

void CellEdit::setInvalid(bool invalid, const QString& why) {
    if (invalid || m_invalid)
        setToolTip(invalid ? why : QString());
    if (invalid == m_invalid)
        return;
    m_invalid = invalid;
    QPalette pal = palette();
    pal.setColor(QPalette::Base, invalid ? kInvalidBase : QColor(Qt::white));
    setPalette(pal);
}

void CellEdit::showRefreshed(const QString& text, const QString& tip) {
    m_edited = false;
    setInvalid(false);
    if (toolTip() != tip)
        setToolTip(tip);
    if (this->text() != text)
        setText(text);
}

void CellEdit::paintEvent(QPaintEvent* event) {
    QLineEdit::paintEvent(event);
    QPainter p(this);
    p.setPen(m_invalid ? kInvalidBorder : kBorder);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace keyloom
