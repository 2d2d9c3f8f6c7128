#include "pictures.h"

#include <QPainter>
#include <QPainterPath>

#include "ui/grid_geometry.h"

namespace keyloom {

namespace {

const QColor kFace(0xC0, 0xC0, 0xC0);
const QColor kShadow(0x80, 0x80, 0x80);
const QColor kGreen(0x00, 0x80, 0x00);

void RaisedBox(QPainter& p, const QRect& r, const QString& text) {
    p.fillRect(r, kFace);
    p.setPen(Qt::white);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(kShadow);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    p.setPen(Qt::black);
    p.drawText(r, Qt::AlignCenter, text);
}

QFont HeaderFont() {
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    return f;
}

} // namespace

QPixmap DrawPanelPicture() {
    QPixmap pm(120, 109);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // The panel's face plate.
    QLinearGradient plate(0, 0, 0, 109);
    plate.setColorAt(0, QColor(0xF4, 0xF4, 0xF0));
    plate.setColorAt(1, QColor(0xC8, 0xCC, 0xD0));
    p.setPen(QPen(QColor(0x50, 0x58, 0x60), 1.5));
    p.setBrush(plate);
    p.drawRoundedRect(QRectF(14, 2, 92, 90), 8, 8);
    // Nine keys, 3 x 3; the power keys lit.
    for (int k = 0; k < 9; ++k) {
        const QRectF key(24 + (k % 3) * 25, 10 + (k / 3) * 25, 20, 20);
        const QColor lit = k == 0 ? QColor(0x30, 0xB0, 0x40)
                           : k == 1 ? QColor(0xD0, 0x40, 0x30)
                                    : QColor(0x5A, 0x7C, 0xB0);
        p.setPen(QPen(QColor(0x30, 0x30, 0x38), 1));
        p.setBrush(lit);
        p.drawRoundedRect(key, 4, 4);
        p.setBrush(QColor(255, 255, 255, 90));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(key.adjusted(3, 2, -3, -12), 2, 2);
    }
    // A serial cable leaving the panel.
    QPainterPath cable(QPointF(60, 92));
    cable.cubicTo(60, 104, 96, 96, 112, 106);
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(cable);
    return pm;
}

QPixmap DrawColumnHeader(int left) {
    QPixmap pm(604, 20);
    pm.fill(kFace);
    QPainter p(&pm);
    p.setFont(HeaderFont());
    RaisedBox(p, QRect(0, 0, kColumnLeft[0] - left, 20), QStringLiteral("HEX"));
    for (int c = 0; c < 16; ++c) {
        const int x = kColumnLeft[c] - left;
        const int end = c + 1 < 16 ? kColumnLeft[c + 1] - left : pm.width();
        RaisedBox(p, QRect(x, 0, end - x, 20), QStringLiteral("%1").arg(c, 2, 16, QLatin1Char('0')).toUpper());
    }
    return pm;
}

QPixmap DrawRowHeader(int top) {
    QPixmap pm(48, 308);
    pm.fill(kFace);
    QPainter p(&pm);
    p.setFont(HeaderFont());
    for (int r = 0; r < 16; ++r) {
        const int y = r == 0 ? 0 : kRowTop[r] - top;
        const int end = r + 1 < 16 ? kRowTop[r + 1] - top : pm.height();
        RaisedBox(p, QRect(0, y, 48, end - y),
                  r == 0 ? QStringLiteral("00") : QString::number(16 * r));
    }
    return pm;
}

QPixmap DrawToolButtonPicture(ButtonPicture picture, const QString& caption) {
    QPixmap pm(44, 52);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    switch (picture) {
    case ButtonPicture::OpenFolder: {
        p.setBrush(QColor(0xE8, 0xC0, 0x50));
        p.drawRect(QRectF(6, 10, 30, 20));
        p.drawRect(QRectF(6, 7, 12, 4));
        QPolygonF flap{{10, 16}, {40, 16}, {34, 30}, {6, 30}};
        p.setBrush(QColor(0xF8, 0xDC, 0x80));
        p.drawPolygon(flap);
        break;
    }
    case ButtonPicture::Diskette: {
        p.setBrush(QColor(0x30, 0x40, 0x80));
        p.drawRect(QRectF(9, 4, 26, 26));
        p.setBrush(QColor(0xD0, 0xD0, 0xD0));
        p.drawRect(QRectF(14, 4, 16, 9));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(13, 18, 18, 12));
        break;
    }
    case ButtonPicture::Sheet: {
        QPolygonF sheet{{12, 3}, {27, 3}, {33, 9}, {33, 31}, {12, 31}};
        p.setBrush(Qt::white);
        p.drawPolygon(sheet);
        p.drawLine(QPointF(27, 3), QPointF(27, 9));
        p.drawLine(QPointF(27, 9), QPointF(33, 9));
        p.setPen(QPen(QColor(0x90, 0x90, 0x90), 1));
        for (int y = 14; y <= 27; y += 4)
            p.drawLine(QPointF(16, y), QPointF(29, y));
        break;
    }
    }
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    f.setBold(true);
    p.setFont(f);
    p.setPen(kGreen);
    p.drawText(QRect(0, 33, pm.width(), 18), Qt::AlignCenter, caption);
    return pm;
}

} // namespace keyloom
