// Frame and start-up of the main window: the controls every page shares, the
// order of FormCreate, and closing.
#include "form1.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include "ui/cell_edit.h"
#include "ui/form2.h"
#include "ui/pictures.h"
#include "ui/tab_control.h"
#include "ui/widgets.h"

namespace keyloom {

namespace {

QFrame* MakePanel(QWidget* parent, const char* name, const QRect& geometry) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    panel->setGeometry(geometry);
    return panel;
}

QPushButton* MakeSpeedButton(QWidget* parent, const char* name, const QString& caption,
                             const QRect& geometry, const QColor& colour) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFont(DesignFont(12, true));
    QPalette pal = button->palette();
    pal.setColor(QPalette::ButtonText, colour);
    button->setPalette(pal);
    return button;
}

} // namespace

TForm1::TForm1(UserMessage userMessage, QWidget* parent)
    : QWidget(parent), m_userMessage(std::move(userMessage)) {
    setObjectName(QStringLiteral("Form1"));
    BuildFrame();
    BuildTransferPanel();
    BuildHeaderPanel();
    BuildKeySettings();
    BuildPagePanels();
    FormCreate();
    // The overwrite dialog comes right after the main window and stays hidden.
    m_form2 = new TForm2(this);
}

TForm1::~TForm1() {
    // The worker goes before the port and the image it uses.
    if (m_transferThread) {
        m_transferThread->quit();
        m_transferThread->wait();
    }
}

void TForm1::BuildFrame() {
    setWindowTitle(QStringLiteral("Keyloom"));
    setFont(DesignFont(8));
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    move(193, 110);
    resize(913, 662);
    // Pointer moves over the bare surface commit the views.
    setMouseTracking(true);

    MakeLabel(this, "Label1", QStringLiteral("Com Port"), {16, 17, 57, 13});
    m_comboBox1 = new QComboBox(this);
    m_comboBox1->setObjectName(QStringLiteral("ComboBox1"));
    m_comboBox1->setGeometry(72, 14, 81, m_comboBox1->sizeHint().height());
    // Only the user's pick reopens the port; selecting the stored choice does not.
    connect(m_comboBox1, &QComboBox::activated, this, [this] { ComboBox1Change(); });
    m_label18 = MakeLabel(this, "Label18", QString(), {171, 16, 142, 25});

    m_tabControl1 = new TabControl(this);
    m_tabControl1->setObjectName(QStringLiteral("TabControl1"));
    m_tabControl1->setGeometry(10, 80, 871, 561);
    m_tabControl1->addTab(QStringLiteral("主畫面"));
    m_tabControl1->addTab(QStringLiteral("SPD Data"));
    m_tabControl1->addTab(QStringLiteral("SPD 說明"));
    connect(m_tabControl1, &TabControl::currentChanged, this, [this] { TabControl1Change(); });
}

void TForm1::BuildTransferPanel() {
    m_panel2 = MakePanel(m_tabControl1, "Panel2", {688, 32, 178, 506});

    auto* image1 = new QLabel(m_panel2);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setGeometry(8, 8, 153, 113);
    image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    image1->setPixmap(DrawPanelPicture());

    m_progressBar1 = new QProgressBar(m_panel2);
    m_progressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar1->setGeometry(10, 100, 160, 17);
    m_progressBar1->setRange(0, 128);
    m_progressBar1->setValue(0);
    m_progressBar1->setTextVisible(false);
    m_progressBar1->raise(); // drawn over the lower edge of the picture

    m_label86 = MakeLabel(m_panel2, "Label86", QStringLiteral("SPD FILE :"), {8, 128, 0, 0});
    MakeLabel(m_panel2, "Label87", QStringLiteral("DEVIEC NAME :"), {8, 144, 0, 0});
    MakeLabel(m_panel2, "Label88", QStringLiteral("Year  :"), {8, 160, 0, 0});
    MakeLabel(m_panel2, "Label89", QStringLiteral("Week  :"), {8, 176, 0, 0});
    MakeLabel(m_panel2, "Label90", QStringLiteral("Record :"), {8, 192, 0, 0});
    MakeLabel(m_panel2, "Label91", QStringLiteral("Serial Number :"), {8, 208, 153, 13});
    m_label6 = MakeLabel(m_panel2, "Label6", QStringLiteral(":"), {10, 236, 119, 18}, 10, true);

    m_speedButton1 = MakeSpeedButton(m_panel2, "SpeedButton1", QStringLiteral("燒錄 SPD"),
                                     {8, 280, 164, 73}, Qt::black);
    m_speedButton2 = MakeSpeedButton(m_panel2, "SpeedButton2", QStringLiteral("讀取 SPD"),
                                     {8, 352, 164, 73}, Qt::black);
    m_speedButton3 =
        MakeSpeedButton(m_panel2, "SpeedButton3", QStringLiteral("離開"), {8, 424, 164, 65}, Qt::red);
    connect(m_speedButton1, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(m_speedButton2, &QPushButton::clicked, this, [this] { SpeedButton2Click(); });
    connect(m_speedButton3, &QPushButton::clicked, this, [this] { SpeedButton3Click(); });
}

void TForm1::BuildHeaderPanel() {
    m_panel1 = MakePanel(m_tabControl1, "Panel1", {16, 432, 665, 105});
    m_panel1->setFont(DesignFont(8, true));
    QWidget* p = m_panel1;
    MakeLabel(p, "Label2", QStringLiteral("SPD FILE"), {18, 12, 81, 18}, 10, true);
    m_label3 = MakeLabel(p, "Label3", QStringLiteral("DEVIEC NAME "), {192, 12, 137, 18}, 10, true);
    MakeLabel(p, "Label4", QStringLiteral("Year"), {368, 12, 57, 15}, 8, true);
    MakeLabel(p, "Label5", QStringLiteral("Week"), {440, 12, 57, 18}, 10, true);
    MakeLabel(p, "Label93", QStringLiteral("Record"), {18, 60, 81, 18}, 10, true);
    MakeLabel(p, "Label94", QStringLiteral("Work Order"), {192, 60, 81, 18}, 10, true);
    MakeLabel(p, "Label96", QStringLiteral("Serial Number"), {376, 60, 97, 18}, 10, true);
    MakeLabel(p, "Label97", QStringLiteral("-"), {430, 78, 17, 15}, 8, true);
    // Created in the keyboard order the header fields are filled in.
    const struct {
        const char* name;
        QRect geometry;
    } edits[] = {
        {"Edit2", {16, 32, 161, 19}}, {"Edit3", {192, 32, 161, 19}}, {"Edit4", {368, 32, 57, 19}},
        {"Edit5", {440, 32, 49, 19}}, {"Edit1", {16, 78, 161, 19}},  {"Edit6", {192, 78, 161, 19}},
        {"Edit8", {376, 78, 49, 19}}, {"Edit9", {440, 78, 49, 19}},
    };
    QWidget* previous = nullptr;
    for (const auto& e : edits) {
        QLineEdit* edit = MakeFlatEdit(p, e.name, e.geometry);
        edit->setFont(DesignFont(8, true));
        if (previous)
            QWidget::setTabOrder(previous, edit);
        previous = edit;
    }
}

void TForm1::FormCreate() {
    m_inFormCreate = true;
    FillPortList();                               // 1
    LoadPara();                                   // 2
    ComboBox1Change();                            // 3
    BuildCells();                                 // 4
    ImageToViews();                               // 5
    if (m_portOpened)                             // 6
        m_port.close();
    OpenPort();                                   // 7
    for (QPushButton* b : {m_speedButton1, m_speedButton2, m_speedButton3}) { // 8
        QFont f = b->font();
        f.setPointSize(14);
        b->setFont(f);
    }
    PlacePagePanels();                            // 9
    for (QComboBox* list : m_linkLists)           // 10
        list->setCurrentIndex(0);
    ShowPage();                                   // 11
    m_inFormCreate = false;
}

void TForm1::SpeedButton3Click() {
    close();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (m_transferRunning) {
        // A transfer is never cut off half way: the window closes when it ends.
        m_closeAfterTransfer = true;
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TForm1::FormClose() {
    if (m_closed)
        return;
    m_closed = true;
    SavePara();
}

void TForm1::mouseMoveEvent(QMouseEvent* event) {
    // Qt hands moves that a child did not take up to its parents; only a point
    // that no control covers is the window's own surface.
    if (childAt(event->position().toPoint()) == nullptr)
        FormMouseMove();
    QWidget::mouseMoveEvent(event);
}

void TForm1::FormMouseMove() {
    // The designer routed the window's pointer moves through the group box handler.
    ViewsToImage();
}

void TForm1::TellUser(const QString& title, const QString& text) {
    if (m_userMessage) {
        m_userMessage(title, text);
        return;
    }
    if (m_inFormCreate || !isVisible()) {
        // Start-up must run to its end: show the message once the window is up.
        QTimer::singleShot(0, this, [this, title, text] {
            auto* box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->open();
        });
        return;
    }
    QMessageBox::warning(this, title, text);
}

} // namespace keyloom
