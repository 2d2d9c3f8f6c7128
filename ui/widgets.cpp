#include "widgets.h"

#include <QLabel>
#include <QLineEdit>

namespace keyloom {

QFont DesignFont(int pointSize, bool bold) {
    QFont font{QLatin1String(kDefaultFace)};
    font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                  int pointSize, bool bold) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(DesignFont(pointSize, bold));
    if (geometry.width() == 0) {
        label->move(geometry.topLeft());
        label->adjustSize();
    } else {
        label->setGeometry(geometry);
    }
    return label;
}

QLineEdit* MakeFlatEdit(QWidget* parent, const char* name, const QRect& geometry) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(geometry);
    edit->setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid #707070; background: white; }"));
    return edit;
}

void InstallFontSubstitutes() {
    QFont::insertSubstitutions(QLatin1String(kDefaultFace),
                               {QStringLiteral("Noto Sans CJK TC"), QStringLiteral("Noto Sans CJK SC"),
                                QStringLiteral("DejaVu Sans")});
}

} // namespace keyloom
