#include "form2.h"

#include <QLabel>
#include <QPushButton>

#include "ui/widgets.h"

namespace keyloom {

namespace {

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setFont(DesignFont(8));
    // Neither button answers Enter by itself: the user picks one.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(tr("Keyloom - overwrite file?"));
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
    move(308, 259);
    resize(260, 165);

    m_label1 = MakeLabel(this, "Label1", QString(), {16, 16, 209, 25}, 10);
    m_label2 = MakeLabel(this, "Label2", QString(), {8, 48, 217, 25}, 10);
    for (QLabel* label : {m_label1, m_label2}) {
        label->setWordWrap(false);
        // A longer text is cut at the label's width, never widens the label.
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    }
    m_button1 = MakeButton(this, "Button1", QStringLiteral("確認"), {40, 88, 65, 33});
    m_button2 = MakeButton(this, "Button2", QStringLiteral("放棄"), {136, 88, 65, 33});
    QWidget::setTabOrder(m_button1, m_button2);
    connect(m_button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(m_button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void TForm2::Button1Click() {
    if (m_overwrite)
        m_overwrite();
    accept();
}

void TForm2::Button2Click() {
    reject();
}

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    // 260 x 165 is the outer size, frame included; take the frame off the client.
    const QSize frame = frameGeometry().size() - size();
    if (!frame.isEmpty())
        resize(QSize(260, 165) - frame);
}

} // namespace keyloom
