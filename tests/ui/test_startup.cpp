// Start-up, the main window's frame, the serial port choice and where it is kept.
#include <unistd.h>

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "link/serial_port.h"
#include "ui/tab_control.h"
#include "tests/ui/ui_fixture.h"

using namespace keyloom;
using namespace keyloom::test;

namespace {
const QString kOpen = QStringLiteral("COM Port 開啟中");
const QString kFailed = QStringLiteral("COM Port 無法開啟");
const QString kMissing = QStringLiteral("/nonexistent/ttyKeyloom");
} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void init() { m_config = std::make_unique<TempConfig>(); }
    void cleanup() { m_config.reset(); }

    void startsOnTheMainPageWithItsControls();
    void controlsStandWhereDesigned_data();
    void controlsStandWhereDesigned();
    void portPathFollowsTheSelection_data();
    void portPathFollowsTheSelection();
    void mappedPortOpensAndShowsItsDevice();
    void portThatCannotBeOpened_data();
    void portThatCannotBeOpened();
    void changingTheChoiceFreesTheOldPort();
    void goodChoiceAfterAFailedOne();
    void storedChoice_data();
    void storedChoice();
    void everyWayOfClosingStoresTheChoice_data();
    void everyWayOfClosingStoresTheChoice();
    void refusedSettingsWriteIsToldOnceAndStartupGoesOn();

private:
    std::unique_ptr<TempConfig> m_config;
};

void StartupTest::startsOnTheMainPageWithItsControls() {
    Window w;
    QCOMPARE(w->windowTitle(), QStringLiteral("Keyloom"));
    QCOMPARE(w->size(), QSize(913, 662));
    QCOMPARE(w.child<TabControl>(QStringLiteral("TabControl1"))->currentIndex(), 0);
    QCOMPARE(w.child<QLabel>(QStringLiteral("Label6"))->text(), QStringLiteral(":"));
    QCOMPARE(w.child<QLabel>(QStringLiteral("Label3"))->text(), QStringLiteral("DEVIEC NAME "));
    QCOMPARE(w.child<QLabel>(QStringLiteral("Label86"))->text(), QStringLiteral("SPD FILE :"));
    auto* bar = w.child<QProgressBar>(QStringLiteral("ProgressBar1"));
    QCOMPARE(bar->value(), 0);
    QCOMPARE(bar->maximum(), 128);

    auto* ports = w.child<QComboBox>(QStringLiteral("ComboBox1"));
    QCOMPARE(ports->count(), 49);
    for (int i = 0; i < 49; ++i)
        QCOMPARE(ports->itemText(i), QStringLiteral("COM%1").arg(i + 1));

    for (const char* name : {"SpeedButton1", "SpeedButton2", "SpeedButton3"}) {
        auto* button = w.child<QPushButton>(QLatin1String(name));
        QCOMPARE(button->font().pointSize(), 14);
        QVERIFY(button->font().bold());
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
    }
    w.show();
    for (const char* name : {"Panel1", "Panel2", "GroupBox1"})
        QVERIFY2(w.child(QLatin1String(name))->isVisible(), name);
    for (const char* name : {"Panel3", "Panel5", "Panel6", "Panel8", "E0", "E255"})
        QVERIFY2(!w.child(QLatin1String(name))->isVisible(), name);

    // The header fields take the keyboard in their designed order.
    QStringList order;
    QWidget* edit = w.child(QStringLiteral("Edit2"));
    for (int i = 0; i < 8; ++i, edit = edit->nextInFocusChain())
        order << edit->objectName();
    QCOMPARE(order.join(u' '), QStringLiteral("Edit2 Edit3 Edit4 Edit5 Edit1 Edit6 Edit8 Edit9"));
}

void StartupTest::controlsStandWhereDesigned_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    const struct {
        const char *name, *parent;
        QRect geometry;
        const char* text;
    } rows[] = {
        {"Label1", "Form1", {16, 17, 57, 13}, "Com Port"},
        {"Label18", "Form1", {171, 16, 142, 25}, nullptr},
        {"TabControl1", "Form1", {10, 80, 871, 561}, nullptr},
        {"Panel2", "TabControl1", {688, 32, 178, 506}, nullptr},
        {"Panel1", "TabControl1", {16, 432, 665, 105}, nullptr},
        {"GroupBox1", "TabControl1", {16, 32, 665, 393}, nullptr},
        {"Image1", "Panel2", {8, 8, 153, 113}, nullptr},
        {"ProgressBar1", "Panel2", {10, 100, 160, 17}, nullptr},
        {"Label91", "Panel2", {8, 208, 153, 13}, "Serial Number :"},
        {"Label6", "Panel2", {10, 236, 119, 18}, ":"},
        {"SpeedButton1", "Panel2", {8, 280, 164, 73}, "燒錄 SPD"},
        {"SpeedButton2", "Panel2", {8, 352, 164, 73}, "讀取 SPD"},
        {"SpeedButton3", "Panel2", {8, 424, 164, 65}, "離開"},
        {"Label2", "Panel1", {18, 12, 81, 18}, "SPD FILE"},
        {"Label96", "Panel1", {376, 60, 97, 18}, "Serial Number"},
        {"Edit9", "Panel1", {440, 78, 49, 19}, ""},
        {"Panel3", "TabControl1", {8, 40, 665, 370}, nullptr},
        {"Panel5", "TabControl1", {8, 420, 665, 126}, nullptr},
        {"Panel6", "TabControl1", {8, 40, 665, 370}, nullptr},
        {"Panel8", "TabControl1", {8, 420, 665, 126}, nullptr},
    };
    for (const auto& r : rows)
        QTest::newRow(r.name) << QString::fromLatin1(r.name) << QString::fromLatin1(r.parent)
                              << r.geometry
                              << (r.text ? QString::fromUtf8(r.text) : QString());
}

void StartupTest::controlsStandWhereDesigned() {
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    Window w;
    QWidget* control = w.child(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget()->objectName(), parent);
    QCOMPARE(control->geometry(), geometry);
    if (!text.isNull()) {
        if (auto* label = qobject_cast<QLabel*>(control))
            QCOMPARE(label->text(), text);
        else if (auto* button = qobject_cast<QAbstractButton*>(control))
            QCOMPARE(button->text(), text);
        else if (auto* edit = qobject_cast<QLineEdit*>(control))
            QCOMPARE(edit->text(), text);
    }
}

void StartupTest::portPathFollowsTheSelection_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("device");
    QTest::newRow("item 0") << 0 << QStringLiteral("\\\\.\\COM1") << QStringLiteral("/dev/ttyS0");
    QTest::newRow("item 9") << 9 << QStringLiteral("\\\\.\\COM10") << QStringLiteral("/dev/ttyUSB5");
    QTest::newRow("item 48") << 48 << QStringLiteral("\\\\.\\COM49") << QStringLiteral("/dev/ttyUSB44");
    QTest::newRow("no selection") << -1 << QStringLiteral("\\\\.\\COM0") << QString();
}

void StartupTest::portPathFollowsTheSelection() {
    QFETCH(int, index);
    QFETCH(QString, path);
    QFETCH(QString, device);
    Window w;
    w.pickPort(index);
    QCOMPARE(w->portPath(), path);
    QCOMPARE(w->portDevice(), device);
    if (index < 0)
        QCOMPARE(w.child<QLabel>(QStringLiteral("Label18"))->text(), kFailed);
    else
        QCOMPARE(w.child<QComboBox>(QStringLiteral("ComboBox1"))->itemData(index, Qt::ToolTipRole)
                     .toString(),
                 device);
}

void StartupTest::mappedPortOpensAndShowsItsDevice() {
    Pty pty;
    m_config->mapPort(7, pty.path());
    Window w;
    w.pickPort(6);
    QCOMPARE(w.child<QLabel>(QStringLiteral("Label18"))->text(), kOpen);
    QVERIFY(w->portOpened());
    QCOMPARE(w->portDevice(), pty.path());
    QCOMPARE(w.child<QComboBox>(QStringLiteral("ComboBox1"))->itemData(6, Qt::ToolTipRole).toString(),
             pty.path());
}

void StartupTest::portThatCannotBeOpened_data() {
    QTest::addColumn<QString>("why");
    QTest::addColumn<QString>("hint"); // a part of what the status tooltip says
    QTest::newRow("missing device") << QStringLiteral("missing") << QStringLiteral("plugged in");
    QTest::newRow("held by another open") << QStringLiteral("held") << QStringLiteral("Another program");
    QTest::newRow("no permission") << QStringLiteral("denied") << QStringLiteral("dialout");
}

void StartupTest::portThatCannotBeOpened() {
    QFETCH(QString, why);
    QFETCH(QString, hint);
    Pty pty;
    SerialPort other;
    if (why == QStringLiteral("missing")) {
        m_config->mapPort(3, kMissing);
    } else if (why == QStringLiteral("held")) {
        m_config->mapPort(3, pty.path());
        QVERIFY(other.open(pty.path().toStdString()).ok());
    } else {
        if (geteuid() == 0)
            QSKIP("root opens any device; this case runs in the unprivileged pass");
        // A device node we may not open, as /dev/ttyS* (root:dialout) is to most users.
        const QString locked = m_config->dir() + QStringLiteral("/ttyLocked");
        QFile node(locked);
        QVERIFY(node.open(QIODevice::WriteOnly));
        node.close();
        QVERIFY(QFile::setPermissions(locked, {}));
        m_config->mapPort(3, locked);
    }
    Window w;
    w.pickPort(2);
    QCOMPARE(w.child<QLabel>(QStringLiteral("Label18"))->text(), kFailed);
    QVERIFY(!w->portOpened());
    const QString tip = w.child<QLabel>(QStringLiteral("Label18"))->toolTip();
    QVERIFY2(tip.contains(hint), qPrintable(tip));
}

void StartupTest::changingTheChoiceFreesTheOldPort() {
    Pty pty;
    m_config->mapPort(5, pty.path());
    m_config->mapPort(6, kMissing);
    Window w;
    w.pickPort(4);
    QVERIFY(w->portOpened());
    SerialPort other;
    QVERIFY(!other.open(pty.path().toStdString()).ok());
    w.pickPort(5); // fails, but the old port is already free
    QVERIFY(!w->portOpened());
    QVERIFY(other.open(pty.path().toStdString()).ok());
}

void StartupTest::goodChoiceAfterAFailedOne() {
    Pty pty;
    m_config->mapPort(2, kMissing);
    m_config->mapPort(3, pty.path());
    Window w;
    auto* label = w.child<QLabel>(QStringLiteral("Label18"));
    w.pickPort(1);
    QCOMPARE(label->text(), kFailed);
    w.pickPort(2);
    QCOMPARE(label->text(), kOpen);
}

void StartupTest::storedChoice_data() {
    QTest::addColumn<QVariant>("stored"); // invalid: nothing stored yet
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<int>("storedOnClose");
    QTest::newRow("first run") << QVariant() << 0 << true << 0;
    QTest::newRow("stored 5") << QVariant(5) << 5 << true << 5;
    QTest::newRow("stored 49") << QVariant(49) << -1 << false << -1;
    QTest::newRow("stored -3") << QVariant(-3) << -1 << false << -1;
    QTest::newRow("text 5x") << QVariant(QStringLiteral("5x")) << 0 << true << 0;
}

void StartupTest::storedChoice() {
    QFETCH(QVariant, stored);
    QFETCH(int, selected);
    QFETCH(bool, opens);
    QFETCH(int, storedOnClose);
    // Every port that can be selected stands on a pseudo-terminal.
    Pty ptys[2];
    m_config->mapPort(1, ptys[0].path());
    m_config->mapPort(6, ptys[1].path());
    if (stored.isValid())
        m_config->set(QStringLiteral("ComPortIndex"), stored);
    {
        Window w;
        QCOMPARE(w.child<QComboBox>(QStringLiteral("ComboBox1"))->currentIndex(), selected);
        QCOMPARE(w->portOpened(), opens);
        QCOMPARE(w.child<QLabel>(QStringLiteral("Label18"))->text(), opens ? kOpen : kFailed);
        if (!stored.isValid() || stored.typeId() == QMetaType::QString)
            QCOMPARE(m_config->get(QStringLiteral("ComPortIndex")).toInt(), 0); // stored at once
        w->close();
        QVERIFY(w.messages.isEmpty());
    }
    QCOMPARE(m_config->get(QStringLiteral("ComPortIndex")).toInt(), storedOnClose);
}

void StartupTest::everyWayOfClosingStoresTheChoice_data() {
    QTest::addColumn<bool>("byExitButton");
    QTest::newRow("離開") << true;
    QTest::newRow("close box") << false;
}

void StartupTest::everyWayOfClosingStoresTheChoice() {
    QFETCH(bool, byExitButton);
    Window w;
    w.show();
    w.pickPort(11); // COM12
    QCOMPARE(m_config->get(QStringLiteral("ComPortIndex")).toInt(), 0); // not stored yet
    if (byExitButton)
        QTest::mouseClick(w.child<QPushButton>(QStringLiteral("SpeedButton3")), Qt::LeftButton);
    else
        w->close();
    QVERIFY(!w->isVisible());
    QCOMPARE(m_config->get(QStringLiteral("ComPortIndex")).toInt(), 11);
    // A second close request stores nothing more: the stored value stays as it was.
    m_config->set(QStringLiteral("ComPortIndex"), 3);
    w->close();
    QCOMPARE(m_config->get(QStringLiteral("ComPortIndex")).toInt(), 3);
}

void StartupTest::refusedSettingsWriteIsToldOnceAndStartupGoesOn() {
    // A file where the settings folder should be refuses the write even to root.
    QFile blocker(m_config->dir() + QStringLiteral("/Tevrano"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Window w;
    // Start-up ran to its end: cells built, first page shown, COM1 chosen.
    QVERIFY(w.child(QStringLiteral("E255")));
    QCOMPARE(w.child<QComboBox>(QStringLiteral("ComboBox1"))->currentIndex(), 0);
    QCOMPARE(w.messages.size(), 1);
    QVERIFY(w.messages.first().contains(QStringLiteral("Keyloom.conf")));
    w.show();
    w->close();
    QVERIFY(!w->isVisible());
    QCOMPARE(w.messages.size(), 1);
}

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
