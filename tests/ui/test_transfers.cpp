// The window's transfers against the virtual panel on a pseudo-terminal.
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include "sim/virtual_panel.h"
#include "core/cell_codec.h"
#include "ui/cell_edit.h"
#include "ui/tab_control.h"
#include "tests/ui/ui_fixture.h"

using namespace keyloom;
using namespace keyloom::test;

namespace {

constexpr int kPanelPort = 8; // COM8 stands on the virtual panel

SpdImage Pattern(int seed) {
    SpdImage image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = std::uint8_t((i * 31 + std::size_t(seed)) & 0xFF);
    return image;
}

} // namespace

class TransfersTest : public QObject {
    Q_OBJECT
private slots:
    void init() { m_config = std::make_unique<TempConfig>(); }
    void cleanup() { m_config.reset(); }

    void writeThenReadBackInAFreshWindow();
    void silentPanelFailsTheWriteAndChangesNothing();
    void hangUpDuringAWriteFailsIt();
    void shortAnswerLeavesImageAndViewsAlone();

private:
    // A window whose stored choice is the panel's port.
    std::unique_ptr<Window> OpenWindow(sim::VirtualPanel& panel) {
        m_config->mapPort(kPanelPort, QString::fromStdString(panel.devicePath()));
        m_config->set(QStringLiteral("ComPortIndex"), kPanelPort - 1);
        auto w = std::make_unique<Window>();
        w->show();
        [&] { QVERIFY((*w)->portOpened()); }();
        return w;
    }
    static QString Text(const Window& w, const char* label) {
        return w.child<QLabel>(QLatin1String(label))->text();
    }
    static bool WaitForEnd(const Window& w, int ms) {
        return QTest::qWaitFor([&] { return !w->transferRunning(); }, ms);
    }

    std::unique_ptr<TempConfig> m_config;
};

void TransfersTest::writeThenReadBackInAFreshWindow() {
    // The panel's own thread stamps arrivals; on a loaded machine (sanitizers) its
    // jitter needs more slack than the default.
    sim::PanelOptions options;
    options.pacingSlackUs = 8000;
    sim::VirtualPanel panel(options);
    QVERIFY(panel.start().ok());
    const SpdImage edited = [&] {
        auto w = OpenWindow(panel);
        (*w)->image() = Pattern(3);
        (*w)->ImageToViews();
        // A list edit, committed by the pointer over the margin: K4 = 布幕上.
        w->child<QComboBox>(QStringLiteral("ComboBox7"))->setCurrentIndex(1);
        w->hoverMargin();
        const SpdImage sent = (*w)->image();
        QTest::mouseClick(w->child<QPushButton>(QStringLiteral("SpeedButton1")), Qt::LeftButton);
        [&] {
            QVERIFY((*w)->transferRunning());
            // One transfer at a time, on the port it started on.
            for (const char* name : {"SpeedButton1", "SpeedButton2", "ComboBox1"})
                QVERIFY2(!w->child(QLatin1String(name))->isEnabled(), name);
            QTRY_COMPARE_WITH_TIMEOUT(Text(*w, "Label6"), QStringLiteral("燒錄中 ..."), 2000);
            // An edit made while the write runs does not reach the frames still to go.
            (*w)->image()[500] ^= 0xFF;
            QVERIFY(WaitForEnd(*w, 25000));
            QCOMPARE(Text(*w, "Label6"), QStringLiteral("燒錄成功"));
            QCOMPARE(Text(*w, "Label3"), QStringLiteral("1"));
            QCOMPARE(w->child<QProgressBar>(QStringLiteral("ProgressBar1"))->value(), 124);
            for (const char* name : {"SpeedButton1", "SpeedButton2", "ComboBox1"})
                QVERIFY2(w->child(QLatin1String(name))->isEnabled(), name);
        }();
        return sent;
    }();
    QCOMPARE(int(edited[147]), 1);
    QCOMPARE(panel.memory(), edited);
    QVERIFY(panel.violations().empty());

    auto fresh = OpenWindow(panel);
    QTest::mouseClick(fresh->child<QPushButton>(QStringLiteral("SpeedButton2")), Qt::LeftButton);
    QVERIFY(WaitForEnd(*fresh, 25000));
    QCOMPARE(Text(*fresh, "Label6"), QStringLiteral("讀取完成"));
    QCOMPARE(Text(*fresh, "Label86"), QStringLiteral("512"));
    QCOMPARE(fresh->child<QProgressBar>(QStringLiteral("ProgressBar1"))->value(), 128);
    QCOMPARE((*fresh)->image(), edited);
    QCOMPARE(fresh->child<QComboBox>(QStringLiteral("ComboBox7"))->currentText(),
             QStringLiteral("布幕上"));
    QCOMPARE((*fresh)->cell(1)->text(), QString::fromStdString(ByteToHex(edited[1])));
}

void TransfersTest::silentPanelFailsTheWriteAndChangesNothing() {
    sim::PanelOptions options;
    options.silent = true;
    sim::VirtualPanel panel(options);
    QVERIFY(panel.start().ok());
    auto w = OpenWindow(panel);
    QTest::mouseClick(w->child<QPushButton>(QStringLiteral("SpeedButton1")), Qt::LeftButton);
    QVERIFY(WaitForEnd(*w, 5000));
    QCOMPARE(Text(*w, "Label6"), QStringLiteral("燒錄失敗"));
    QCOMPARE(Text(*w, "Label3"), QStringLiteral("DEVIEC NAME "));
    QCOMPARE(w->child<QProgressBar>(QStringLiteral("ProgressBar1"))->value(), 0);
    QCOMPARE(panel.received().size(), std::size_t(17)); // the command frame and nothing more
}

void TransfersTest::hangUpDuringAWriteFailsIt() {
    sim::PanelOptions options;
    options.hangUpAfter = 17 + 3 * 17 + 5; // in the middle of data frame 3
    sim::VirtualPanel panel(options);
    QVERIFY(panel.start().ok());
    auto w = OpenWindow(panel);
    QTest::mouseClick(w->child<QPushButton>(QStringLiteral("SpeedButton1")), Qt::LeftButton);
    // Closing while it runs waits for the end, then closes and stores the choice.
    (*w)->close();
    QVERIFY((*w)->isVisible());
    QVERIFY(WaitForEnd(*w, 10000));
    QCOMPARE(Text(*w, "Label6"), QStringLiteral("燒錄失敗"));
    QTRY_VERIFY(!(*w)->isVisible());
    QCOMPARE(m_config->get(QStringLiteral("ComPortIndex")).toInt(), kPanelPort - 1);
}

void TransfersTest::shortAnswerLeavesImageAndViewsAlone() {
    sim::PanelOptions options;
    options.answerBytes = 300;
    sim::VirtualPanel panel(options);
    panel.setMemory(Pattern(9));
    QVERIFY(panel.start().ok());
    auto w = OpenWindow(panel);
    (*w)->image() = Pattern(1);
    (*w)->ImageToViews();
    const SpdImage before = (*w)->image();
    QTest::mouseClick(w->child<QPushButton>(QStringLiteral("SpeedButton2")), Qt::LeftButton);
    QVERIFY(WaitForEnd(*w, 25000));
    QCOMPARE(Text(*w, "Label6"), QStringLiteral("讀取失敗"));
    QCOMPARE(Text(*w, "Label86"), QStringLiteral("300"));
    QCOMPARE((*w)->image(), before);
    QCOMPARE((*w)->cell(0)->text(), QString::fromStdString(ByteToHex(before[0])));
}

QTEST_MAIN(TransfersTest)
#include "test_transfers.moc"
