// The three pages of the tab strip and the panels that only some pages show.
#include "form1.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QToolButton>

#include "ui/cell_edit.h"
#include "ui/pictures.h"
#include "ui/tab_control.h"
#include "ui/widgets.h"

namespace keyloom {

namespace {

QFrame* MakePagePanel(QWidget* parent, const char* name) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return panel;
}

QToolButton* MakePictureButton(QWidget* parent, const char* name, const QRect& geometry,
                               const QPixmap& picture, const QString& toolTip) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setIcon(QIcon(picture));
    button->setIconSize(picture.size());
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setToolTip(toolTip);
    return button;
}

// Where the page panels stand on the page control once start-up has placed them.
constexpr QRect kGridPanelPlace{8, 40, 665, 370};
constexpr QRect kToolPanelPlace{8, 420, 665, 126};
constexpr QPoint kColumnHeaderAt{15, 8};
constexpr QPoint kRowHeaderAt{15, 26};

} // namespace

void TForm1::BuildPagePanels() {
    m_panel3 = MakePagePanel(m_tabControl1, "Panel3");
    m_panel5 = MakePagePanel(m_tabControl1, "Panel5");
    m_panel6 = MakePagePanel(m_tabControl1, "Panel6");
    m_panel8 = MakePagePanel(m_tabControl1, "Panel8");

    // Grid headers, drawn to line up with the cells over them.
    auto* image2 = new QLabel(m_panel3);
    image2->setObjectName(QStringLiteral("Image2"));
    image2->setPixmap(DrawColumnHeader(kGridPanelPlace.left() + kColumnHeaderAt.x()));
    image2->setGeometry(QRect(kColumnHeaderAt, QSize(604, 20)));
    auto* image3 = new QLabel(m_panel3);
    image3->setObjectName(QStringLiteral("Image3"));
    image3->setPixmap(DrawRowHeader(kGridPanelPlace.top() + kRowHeaderAt.y()));
    image3->setGeometry(QRect(kRowHeaderAt, QSize(48, 308)));

    // File and display-mode tools.
    QWidget* p5 = m_panel5;
    auto* open = m_speedButtonOpen = MakePictureButton(
        p5, "SpeedButtonOpen", {208, 24, 50, 60},
        DrawToolButtonPicture(ButtonPicture::OpenFolder, QStringLiteral("開檔")),
        tr("Open an .SPD file"));
    auto* save = MakePictureButton(
        p5, "SpeedButtonSave", {260, 24, 50, 60},
        DrawToolButtonPicture(ButtonPicture::Diskette, QStringLiteral("存檔")),
        tr("Save the image to a file"));
    connect(open, &QToolButton::clicked, this, [this] { SpeedButtonOpenClick(); });
    connect(save, &QToolButton::clicked, this, [this] { SpeedButtonSaveClick(); });
    auto* hex = MakePictureButton(p5, "SpeedButtonHEX", {312, 24, 50, 60},
                                  DrawToolButtonPicture(ButtonPicture::Sheet, QStringLiteral("HEX")),
                                  tr("Show the bytes in hex"));
    auto* ascii = MakePictureButton(
        p5, "SpeedButtonACSII", {364, 24, 50, 60},
        DrawToolButtonPicture(ButtonPicture::Sheet, QStringLiteral("ASCII")),
        tr("Show the bytes as characters"));
    connect(hex, &QToolButton::clicked, this, [this] { SpeedButtonHEXClick(); });
    connect(ascii, &QToolButton::clicked, this, [this] { SpeedButtonACSIIClick(); });

    // Key offset legend, three keys to a line.
    QLabel* heading = MakeLabel(p5, "Label8", QStringLiteral("Key 對應位置:"), {8, 8, 89, 17});
    heading->setWordWrap(false);
    const struct {
        const char* name;
        QRect geometry;
    } legend[kKeyCount] = {
        {"Label12", {8, 32, 33, 17}},  {"Label16", {56, 32, 33, 17}},  {"Label25", {104, 32, 33, 17}},
        {"Label14", {8, 46, 33, 17}},  {"Label22", {56, 46, 33, 17}},  {"Label26", {104, 46, 33, 17}},
        {"Label15", {8, 60, 33, 17}},  {"Label24", {56, 60, 41, 17}},  {"Label28", {104, 60, 41, 17}},
    };
    for (int k = 0; k < kKeyCount; ++k) {
        const std::string_view text = kKeys[std::size_t(k)].legend;
        MakeLabel(p5, legend[k].name, QString::fromUtf8(text.data(), qsizetype(text.size())),
                  legend[k].geometry);
    }

    // Explanation lines of the second data page.
    MakeLabel(m_panel8, "Label29", QStringLiteral("開機行程1 : Down + Relay_Out ON"),
              {8, 8, 209, 13});
    MakeLabel(m_panel8, "Label30", QStringLiteral("關機行程1 : UP + Relay_Out OFF"),
              {8, 24, 209, 13});
}

void TForm1::PlacePagePanels() {
    m_panel3->setGeometry(kGridPanelPlace);
    m_panel5->setGeometry(kToolPanelPlace);
    m_panel6->setGeometry(kGridPanelPlace);
    m_panel8->setGeometry(kToolPanelPlace);
}

void TForm1::TabControl1Change() {
    ShowPage();
}

void TForm1::SetCellsVisible(bool show) {
    for (CellEdit* cell : m_cells)
        cell->setVisible(show);
}

void TForm1::ShowPage() {
    switch (m_tabControl1->currentIndex()) {
    case 0:
        SetCellsVisible(false);
        m_panel1->show();
        m_panel2->show();
        m_groupBox1->show();
        m_panel3->hide();
        m_panel5->hide();
        m_panel6->hide();
        m_panel8->hide();
        break;
    case 1:
        m_panel1->hide();
        m_groupBox1->hide();
        m_panel3->show();
        m_panel5->show();
        m_panel6->hide();
        m_panel8->hide();
        SetCellsVisible(true);
        break;
    case 2:
        m_panel1->hide();
        m_groupBox1->hide();
        m_panel3->show();
        m_panel5->hide();
        m_panel6->hide();
        m_panel8->show();
        SetCellsVisible(true);
        break;
    default:
        break;
    }
}

} // namespace keyloom
