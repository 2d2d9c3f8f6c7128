// The byte grid, the key settings lists and the pages, driven through the real
// widgets by their designer names.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

#include "ui/cell_edit.h"
#include "ui/grid_geometry.h"
#include "ui/tab_control.h"
#include "tests/ui/ui_fixture.h"

using namespace keyloom;
using namespace keyloom::test;

namespace {

QString Cell(int i) {
    return QStringLiteral("E%1").arg(i);
}

// Key presses carrying `text`, CJK characters included.
void Keys(QWidget* widget, const QString& text) {
    for (QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

// The user focuses a cell from the keyboard and types over its text.
void TypeInto(CellEdit* cell, const QString& text) {
    cell->setFocus(Qt::TabFocusReason);
    Keys(cell, text);
}

} // namespace

class GridTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_config = std::make_unique<TempConfig>();
        m_window = std::make_unique<Window>();
        m_window->show();
    }
    void cleanup() {
        m_window.reset();
        m_config.reset();
    }

    void startUpShowsTheZeroImage();
    void cellsStandOnTheirGrid_data();
    void cellsStandOnTheirGrid();
    void pagesShowTheirGroups_data();
    void pagesShowTheirGroups();
    void typedByteIsCommittedByAHoverOverTheMargin();
    void hoverOverControlsDoesNotCommit_data();
    void hoverOverControlsDoesNotCommit();
    void editsOnTheExplanationPageWaitForTheDataPage();
    void listsAreCommittedOnEveryPageAfterTheCells();
    void byteThatIsNoEntryShowsAnEmptyList_data();
    void byteThatIsNoEntryShowsAnEmptyList();
    void modeSwitchDiscardsUncommittedEdits();
    void asciiViewingLeavesTheBytesAlone();
    void asciiTypedTextCommitsItsFirstBig5Byte_data();
    void asciiTypedTextCommitsItsFirstBig5Byte();
    void invalidHexTextIsMarkedAndKeepsTheByte_data();
    void invalidHexTextIsMarkedAndKeepsTheByte();
    void keySettingsPanelAsDesigned_data();
    void keySettingsPanelAsDesigned();
    void dataPageTools();

private:
    TForm1& form() { return *m_window->form; }
    CellEdit* cell(int i) { return m_window->child<CellEdit>(Cell(i)); }
    QComboBox* list(int n) { return m_window->child<QComboBox>(QStringLiteral("ComboBox%1").arg(n)); }
    void selectPage(int index) { m_window->child<TabControl>(QStringLiteral("TabControl1"))->setCurrentIndex(index); }

    std::unique_ptr<TempConfig> m_config;
    std::unique_ptr<Window> m_window;
};

void GridTest::startUpShowsTheZeroImage() {
    for (int i = 0; i < kGridBytes; ++i)
        QCOMPARE(cell(i)->text(), QStringLiteral("00"));
    for (int n = 4; n <= 12; ++n)
        QCOMPARE(list(n)->currentText(), QStringLiteral("無連動"));
    QCOMPARE(list(13)->currentText(), QStringLiteral("9600"));
    QVERIFY(std::all_of(form().image().begin(), form().image().end(), [](auto b) { return b == 0; }));
    QVERIFY(!cell(0)->isVisible());
    selectPage(1);
    QVERIFY(cell(0)->isVisible() && cell(255)->isVisible());
    QVERIFY(m_window->child(QStringLiteral("Image2"))->isVisible());
    QCOMPARE(m_window->child(QStringLiteral("Image2"))->geometry(), QRect(15, 8, 604, 20));
    QCOMPARE(m_window->child(QStringLiteral("Image3"))->geometry(), QRect(15, 26, 48, 308));
}

void GridTest::cellsStandOnTheirGrid_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QPoint>("topLeft");
    QTest::newRow("E0") << 0 << QPoint(74, 70);
    QTest::newRow("E10") << 10 << QPoint(416, 70);
    QTest::newRow("E31") << 31 << QPoint(588, 89);
    QTest::newRow("E144") << 144 << QPoint(74, 238);
    QTest::newRow("E200") << 200 << QPoint(348, 293);
    QTest::newRow("E255") << 255 << QPoint(588, 349);
}

void GridTest::cellsStandOnTheirGrid() {
    QFETCH(int, index);
    QFETCH(QPoint, topLeft);
    CellEdit* c = cell(index);
    QCOMPARE(c->parentWidget()->objectName(), QStringLiteral("TabControl1"));
    QCOMPARE(c->geometry(), QRect(topLeft, QSize(38, 21)));
    QCOMPARE(c->maxLength(), 2);
    QCOMPARE(c->font().pointSize(), 10);
    QCOMPARE(c->palette().color(QPalette::Text), QColor(0, 0, 255));
    // Keyboard focus runs in index order.
    if (index < 255)
        QCOMPARE(c->nextInFocusChain()->objectName(), Cell(index + 1));
    // Focus from the keyboard selects the whole text, so typing replaces it.
    selectPage(1);
    c->setFocus(Qt::TabFocusReason);
    QCOMPARE(c->selectedText(), QStringLiteral("00"));
}

void GridTest::pagesShowTheirGroups_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("hidden");
    const auto names = [](const char* text) { return QString::fromLatin1(text).split(u' '); };
    QTest::newRow("主畫面") << 0 << names("GroupBox1 Panel1 Panel2")
                         << names("E0 E255 Panel3 Panel5 Panel6 Panel8");
    QTest::newRow("SPD Data") << 1 << names("E0 E255 Panel2 Panel3 Panel5 SpeedButtonOpen")
                              << names("GroupBox1 Panel1 Panel6 Panel8");
    QTest::newRow("SPD 說明") << 2 << names("E0 E255 Panel2 Panel3 Panel8")
                            << names("GroupBox1 Panel1 Panel5 Panel6");
}

void GridTest::pagesShowTheirGroups() {
    QFETCH(int, page);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, hidden);
    selectPage(1);
    TypeInto(cell(7), QStringLiteral("AB"));
    selectPage(page == 0 ? 2 : 0);
    selectPage(page);
    for (const QString& name : shown)
        QVERIFY2(m_window->child(name)->isVisible(), qPrintable(name));
    for (const QString& name : hidden)
        QVERIFY2(!m_window->child(name)->isVisible(), qPrintable(name));
    // A page change neither commits nor refreshes.
    QCOMPARE(cell(7)->text(), QStringLiteral("AB"));
    QCOMPARE(int(form().image()[7]), 0);
}

void GridTest::typedByteIsCommittedByAHoverOverTheMargin() {
    selectPage(1);
    TypeInto(cell(3), QStringLiteral("5A"));
    QCOMPARE(int(form().image()[3]), 0); // not before the pointer passes the margin
    m_window->hoverMargin();
    QCOMPARE(int(form().image()[3]), 0x5A);
    // Lower case is a byte too, shown in upper case after the next refresh.
    TypeInto(cell(4), QStringLiteral("ff"));
    m_window->hover(QPoint(5, 400)); // the margin left of the page control
    QCOMPARE(int(form().image()[4]), 0xFF);
    form().SpeedButtonHEXClick();
    QCOMPARE(cell(4)->text(), QStringLiteral("FF"));
}

void GridTest::hoverOverControlsDoesNotCommit_data() {
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<bool>("tracking");
    QTest::newRow("page control") << QPoint(300, 117) << false;
    // A child that tracks the pointer and ignores the move hands it up to the
    // window; that must not count as the window's own surface either.
    QTest::newRow("page control, tracking") << QPoint(300, 117) << true;
    QTest::newRow("tab strip") << QPoint(40, 92) << false;
    QTest::newRow("a cell") << QPoint(10 + 74 + 5, 80 + 70 + 5) << false;
    QTest::newRow("transfer button") << QPoint(10 + 688 + 40, 80 + 32 + 300) << false;
    QTest::newRow("port list") << QPoint(100, 20) << false;
    QTest::newRow("port label") << QPoint(30, 22) << false;
}

void GridTest::hoverOverControlsDoesNotCommit() {
    QFETCH(QPoint, pos);
    QFETCH(bool, tracking);
    selectPage(1);
    m_window->child(QStringLiteral("TabControl1"))->setMouseTracking(tracking);
    TypeInto(cell(3), QStringLiteral("5A"));
    list(4)->setCurrentIndex(2);
    m_window->hover(pos);
    QCOMPARE(int(form().image()[3]), 0);
    QCOMPARE(int(form().image()[144]), 0);
}

void GridTest::editsOnTheExplanationPageWaitForTheDataPage() {
    selectPage(2);
    TypeInto(cell(20), QStringLiteral("7F"));
    m_window->hoverMargin();
    QCOMPARE(int(form().image()[20]), 0);
    selectPage(1);
    m_window->hoverMargin();
    QCOMPARE(int(form().image()[20]), 0x7F);
}

void GridTest::listsAreCommittedOnEveryPageAfterTheCells() {
    selectPage(1);
    TypeInto(cell(144), QStringLiteral("12"));
    list(4)->setCurrentIndex(3);
    list(13)->setCurrentIndex(4);
    m_window->hoverMargin();
    QCOMPARE(int(form().image()[144]), 3); // the list wins over the cell
    QCOMPARE(int(form().image()[288]), 4);
    QCOMPARE(cell(144)->text(), QStringLiteral("12"));
    // On the explanation page the lists are hidden and still committed.
    selectPage(2);
    list(7)->setCurrentIndex(1); // K4: 布幕上
    m_window->hoverMargin();
    QCOMPARE(int(form().image()[147]), 1);
}

void GridTest::byteThatIsNoEntryShowsAnEmptyList_data() {
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("listNumber");
    QTest::addColumn<int>("value");
    QTest::newRow("byte 144 = 0x20") << 144 << 4 << 0x20;
    QTest::newRow("byte 152 = 16") << 152 << 12 << 16;
    QTest::newRow("byte 288 = 9") << 288 << 13 << 9;
    QTest::newRow("byte 288 = 5") << 288 << 13 << 5;
}

void GridTest::byteThatIsNoEntryShowsAnEmptyList() {
    QFETCH(int, offset);
    QFETCH(int, listNumber);
    QFETCH(int, value);
    form().image()[std::size_t(offset)] = std::uint8_t(value);
    form().ImageToViews();
    QCOMPARE(list(listNumber)->currentIndex(), -1);
    QCOMPARE(list(listNumber)->currentText(), QString());
    QCOMPARE(int(form().image()[std::size_t(offset)]), value); // kept until the next commit
    m_window->hoverMargin();
    QCOMPARE(int(form().image()[std::size_t(offset)]), 0xFF);
}

void GridTest::modeSwitchDiscardsUncommittedEdits() {
    selectPage(1);
    form().image()[9] = 0x41;
    form().ImageToViews();
    TypeInto(cell(9), QStringLiteral("12"));
    form().SpeedButtonACSIIClick();
    QCOMPARE(cell(9)->text(), QStringLiteral("A"));
    TypeInto(cell(9), QStringLiteral("B"));
    form().SpeedButtonHEXClick();
    QCOMPARE(cell(9)->text(), QStringLiteral("41"));
    m_window->hoverMargin();
    QCOMPARE(int(form().image()[9]), 0x41);
}

void GridTest::asciiViewingLeavesTheBytesAlone() {
    selectPage(1);
    auto& image = form().image();
    image[0] = 0x2E;
    image[1] = 0x01;
    image[2] = 0xA4;
    image[3] = 0x41;
    form().SpeedButtonACSIIClick();
    QCOMPARE(cell(0)->text(), QStringLiteral("."));
    QCOMPARE(cell(1)->text(), QStringLiteral("\u25A1")); // a visible stand-in
    QCOMPARE(cell(1)->toolTip(), QStringLiteral("0x01"));
    QCOMPARE(cell(2)->text(), QStringLiteral("\u25A1"));
    QCOMPARE(cell(3)->text(), QStringLiteral("A"));
    QCOMPARE(cell(4)->text(), QString()); // byte 0
    m_window->hoverMargin();
    QCOMPARE(int(image[0]), 0x2E);
    QCOMPARE(int(image[1]), 0x01);
    QCOMPARE(int(image[2]), 0xA4);
    QCOMPARE(int(image[3]), 0x41);
}

void GridTest::asciiTypedTextCommitsItsFirstBig5Byte_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("byte");
    QTest::newRow("A") << QStringLiteral("A") << 0x41;
    QTest::newRow("AB") << QStringLiteral("AB") << 0x41;
    QTest::newRow(".") << QStringLiteral(".") << 0;
    QTest::newRow(".A") << QStringLiteral(".A") << 0;
    QTest::newRow("許 (B3 5C)") << QStringLiteral("許") << 0xB3;
    QTest::newRow("cleared") << QString() << 0;
}

void GridTest::asciiTypedTextCommitsItsFirstBig5Byte() {
    QFETCH(QString, typed);
    QFETCH(int, byte);
    selectPage(1);
    form().image()[30] = 0x55;
    form().SpeedButtonACSIIClick();
    CellEdit* c = cell(30);
    c->setFocus(Qt::TabFocusReason);
    QTest::keyClick(c, Qt::Key_Delete);
    Keys(c, typed);
    m_window->hoverMargin();
    QCOMPARE(int(form().image()[30]), byte);
    QVERIFY(!c->isInvalid());
}

void GridTest::invalidHexTextIsMarkedAndKeepsTheByte_data() {
    QTest::addColumn<QString>("typed");
    QTest::newRow("G1") << QStringLiteral("G1");
    QTest::newRow("1G") << QStringLiteral("1G");
    QTest::newRow("space 7") << QStringLiteral(" 7");
    QTest::newRow("empty") << QString();
}

void GridTest::invalidHexTextIsMarkedAndKeepsTheByte() {
    QFETCH(QString, typed);
    selectPage(1);
    form().image()[40] = 0x33;
    form().ImageToViews();
    CellEdit* c = cell(40);
    c->setFocus(Qt::TabFocusReason);
    QTest::keyClick(c, Qt::Key_Delete);
    Keys(c, typed);
    m_window->hoverMargin();
    QCOMPARE(int(form().image()[40]), 0x33);
    QVERIFY(c->isInvalid());
    QVERIFY(!c->toolTip().isEmpty());
    QCOMPARE(c->text(), typed); // kept as typed until corrected
    // Correcting it commits and clears the mark.
    QTest::keyClick(c, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(c, QStringLiteral("4"));
    m_window->hoverMargin();
    QCOMPARE(int(form().image()[40]), 0x04);
    QVERIFY(!c->isInvalid());
}

void GridTest::keySettingsPanelAsDesigned_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("topLeft");
    QTest::addColumn<QString>("text");
    QTest::newRow("Label9") << QStringLiteral("Label9") << QPoint(160, 48) << QStringLiteral("連動");
    QTest::newRow("Label7") << QStringLiteral("Label7") << QPoint(56, 56) << QStringLiteral("Baud rate");
    QTest::newRow("Label98") << QStringLiteral("Label98") << QPoint(240, 24) << QStringLiteral("系統開機(K1)");
    QTest::newRow("Label32") << QStringLiteral("Label32") << QPoint(360, 144) << QStringLiteral("筆計型電腦(K5)");
    QTest::newRow("Label51") << QStringLiteral("Label51") << QPoint(480, 264) << QStringLiteral("單槍開關(K9)");
    QTest::newRow("ComboBox4") << QStringLiteral("ComboBox4") << QPoint(240, 48) << QString();
    QTest::newRow("ComboBox12") << QStringLiteral("ComboBox12") << QPoint(480, 288) << QString();
    QTest::newRow("ComboBox13") << QStringLiteral("ComboBox13") << QPoint(56, 80) << QString();
    QTest::newRow("Edit7") << QStringLiteral("Edit7") << QPoint(240, 76) << QString();
    QTest::newRow("Edit12") << QStringLiteral("Edit12") << QPoint(360, 106) << QString();
    QTest::newRow("Edit26") << QStringLiteral("Edit26") << QPoint(480, 346) << QString();
}

void GridTest::keySettingsPanelAsDesigned() {
    QFETCH(QString, name);
    QFETCH(QPoint, topLeft);
    QFETCH(QString, text);
    auto* group = m_window->child<QGroupBox>(QStringLiteral("GroupBox1"));
    QCOMPARE(group->title(), QStringLiteral("Resoult of Module  Test"));
    QWidget* w = m_window->child(name);
    QCOMPARE(w->parentWidget(), group);
    QCOMPARE(w->pos(), topLeft);
    if (auto* label = qobject_cast<QLabel*>(w))
        QCOMPARE(label->text(), text);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        QCOMPARE(edit->size(), QSize(105, 21));
    if (name == QStringLiteral("ComboBox4")) {
        auto* box = qobject_cast<QComboBox*>(w);
        QCOMPARE(box->count(), 16);
        QCOMPARE(box->itemText(1), QStringLiteral("布幕上"));
        QCOMPARE(box->itemText(15), QStringLiteral("關機行程2"));
        // Focus order inside the group: ... Edit26, Edit12, the lists, the baud list.
        QCOMPARE(m_window->child(QStringLiteral("Edit26"))->nextInFocusChain()->objectName(),
                 QStringLiteral("Edit12"));
        QCOMPARE(m_window->child(QStringLiteral("Edit12"))->nextInFocusChain(), w);
    }
}

void GridTest::dataPageTools() {
    selectPage(1);
    const struct {
        const char* name;
        QRect geometry;
    } buttons[] = {{"SpeedButtonOpen", {208, 24, 50, 60}},
                   {"SpeedButtonSave", {260, 24, 50, 60}},
                   {"SpeedButtonHEX", {312, 24, 50, 60}},
                   {"SpeedButtonACSII", {364, 24, 50, 60}}};
    for (const auto& b : buttons) {
        auto* button = m_window->child<QToolButton>(QLatin1String(b.name));
        QCOMPARE(button->geometry(), b.geometry);
        QVERIFY(button->text().isEmpty() || button->toolButtonStyle() == Qt::ToolButtonIconOnly);
        QVERIFY(!button->isCheckable());
    }
    QStringList legend;
    for (const char* name : {"Label8", "Label12", "Label16", "Label25", "Label14", "Label22",
                             "Label26", "Label15", "Label24", "Label28"})
        legend << m_window->child<QLabel>(QLatin1String(name))->text();
    QCOMPARE(legend.join(u'|'),
             QStringLiteral("Key 對應位置:|K1:00|K2:16|K3:32|K4:48|K5:64|K6:80|K7:96|K8:112|K9:128"));
    QCOMPARE(m_window->child<QLabel>(QStringLiteral("Label29"))->text(),
             QStringLiteral("開機行程1 : Down + Relay_Out ON"));
    QCOMPARE(m_window->child<QLabel>(QStringLiteral("Label30"))->text(),
             QStringLiteral("關機行程1 : UP + Relay_Out OFF"));
    // The ASCII button refreshes in ASCII; the HEX button back in hex.
    form().image()[5] = 0x41;
    QTest::mouseClick(m_window->child<QToolButton>(QStringLiteral("SpeedButtonACSII")), Qt::LeftButton);
    QCOMPARE(cell(5)->text(), QStringLiteral("A"));
    QTest::mouseClick(m_window->child<QToolButton>(QStringLiteral("SpeedButtonHEX")), Qt::LeftButton);
    QCOMPARE(cell(5)->text(), QStringLiteral("41"));
}

QTEST_MAIN(GridTest)
#include "test_grid.moc"
