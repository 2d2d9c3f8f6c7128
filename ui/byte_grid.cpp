// The byte grid: the 256 cells, the refresh and the commit that join the views
// with the image, and the two display modes.
#include "form1.h"

#include <QStringEncoder>

#include "core/cell_codec.h"
#include "ui/cell_edit.h"
#include "ui/grid_geometry.h"
#include "ui/tab_control.h"
#include "ui/widgets.h"

namespace keyloom {

namespace {

const QString kStandIn = QString::fromUtf8(kAsciiStandIn.data(), qsizetype(kAsciiStandIn.size()));

struct CellCommit {
    std::optional<std::uint8_t> byte; // nothing: keep the image's byte
    QString invalidBecause;           // set when the text is no byte
};

CellCommit CommitHex(const QString& text) {
    if (const auto byte = HexToByte(text.toStdString()))
        return {byte, {}};
    return {std::nullopt, QObject::tr("Not a byte: type one or two hex digits (0-9, A-F).")};
}

CellCommit CommitAscii(const QString& text) {
    // The stand-in only says "no character of its own": the byte stays as it is.
    if (text == kStandIn)
        return {};
    QStringEncoder big5("Big5");
    const QByteArray bytes = big5.encode(text);
    if (big5.hasError() || !big5.isValid())
        return {std::nullopt, QObject::tr("This character has no Big5 code.")};
    return {AsciiCommit(std::string_view(bytes.constData(), std::size_t(bytes.size()))), {}};
}

} // namespace

void TForm1::BuildCells() {
    QFont font = m_tabControl1->font();
    font.setPointSize(10);
    QWidget* previous = nullptr;
    for (int i = 0; i < kGridBytes; ++i) {
        auto* cell = new CellEdit(m_tabControl1);
        m_cells[std::size_t(i)] = cell;
        cell->setText(QStringLiteral("00"));
        cell->setEnabled(true);
        cell->setMaxLength(2);
        cell->setFont(font);
        QPalette pal = cell->palette();
        pal.setColor(QPalette::Text, QColor(0x00, 0x00, 0xFF));
        cell->setPalette(pal);
        cell->setGeometry(CellLeft(i), CellTop(i), kCellWidth, kCellHeight);
        cell->setObjectName(QStringLiteral("E%1").arg(i));
        connect(cell, &CellEdit::userEdited, this, &TForm1::CellEdited);
        if (previous)
            QWidget::setTabOrder(previous, cell);
        previous = cell;
    }
}

void TForm1::CellEdited(CellEdit* cell) {
    // Say at once that a text is no byte, rather than only when it is not committed.
    const CellCommit c = m_hexMode ? CommitHex(cell->text()) : CommitAscii(cell->text());
    cell->setInvalid(!c.invalidBecause.isEmpty(), c.invalidBecause);
}

void TForm1::ImageToViews() {
    const bool hex = m_hexMode;
    for (int i = 0; i < kGridBytes; ++i) {
        const std::uint8_t b = m_image[std::size_t(i)];
        CellEdit* cell = m_cells[std::size_t(i)];
        if (hex) {
            const std::string text = ByteToHex(b);
            cell->showRefreshed(QLatin1String(text.data(), qsizetype(text.size())));
        } else if (AsciiHasOwnCharacter(b) || b == 0) {
            cell->showRefreshed(b == 0 ? QString() : QString(QLatin1Char(char(b))));
        } else {
            cell->showRefreshed(kStandIn, QStringLiteral("0x") + QString::fromStdString(ByteToHex(b)));
        }
    }
    ImageToLists();
}

void TForm1::ViewsToImage() {
    if (m_tabControl1->currentIndex() == 1) {
        const bool hex = m_hexMode;
        for (int i = 0; i < kGridBytes; ++i) {
            CellEdit* cell = m_cells[std::size_t(i)];
            // Untouched cells keep their bytes: viewing never rewrites the image.
            if (!cell->isEdited())
                continue;
            const CellCommit c = hex ? CommitHex(cell->text()) : CommitAscii(cell->text());
            if (c.byte)
                m_image[std::size_t(i)] = *c.byte;
            cell->setInvalid(!c.invalidBecause.isEmpty(), c.invalidBecause);
        }
    }
    ListsToImage();
}

void TForm1::SpeedButtonHEXClick() {
    m_hexMode = true;
    ImageToViews();
}

void TForm1::SpeedButtonACSIIClick() {
    m_hexMode = false;
    ImageToViews();
}

} // namespace keyloom
