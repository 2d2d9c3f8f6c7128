// keyloom-cli against the virtual panel on a pseudo-terminal, in-process. Real
// writes take about 16 s each (the panel's pacing), so only two cases write whole
// images; the faults below end early.
#include <QRegularExpression>
#include <QtTest>

#include "link/serial_port.h"
#include "sim/virtual_panel.h"
#include "tests/cli/cli_fixture.h"

using namespace keyloom;
using namespace keyloom::test;

namespace {

constexpr int kPanelPort = 8; // COM8 stands on the virtual panel

// The panel stamps bytes when its thread reads them, so a busy machine (a
// sanitizer build) can make a pause look a few milliseconds short. Exact pacing
// is the engine's and proven on fake time; here real pauses are enough.
sim::PanelOptions Options() {
    sim::PanelOptions options;
    options.pacingSlackUs = 8000;
    return options;
}

} // namespace

class CliPanelTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void writeWithBackupAndVerifyThenReadBack();
    void verifyFindsAByteThePanelStoredWrong();
    void silentPanel();
    void shortAnswerTouchesNoFileAndStopsTheWrite();
    void lineLostInTheMiddleOfAWrite();
    void busyPort();

private:
    QString path(const QString& name) const { return QDir(m_tmp->path()).filePath(name); }
    // Starts `panel` and stands it behind COM8.
    void start(sim::VirtualPanel& panel) {
        QVERIFY(panel.start().ok());
        m_config->mapPort(kPanelPort, QString::fromStdString(panel.devicePath()));
    }

    std::unique_ptr<TempConfig> m_config;
    std::unique_ptr<QTemporaryDir> m_tmp;
};

void CliPanelTest::init() {
    m_config = std::make_unique<TempConfig>();
    m_tmp = std::make_unique<QTemporaryDir>();
}

void CliPanelTest::cleanup() {
    m_tmp.reset();
    m_config.reset();
}

void CliPanelTest::writeWithBackupAndVerifyThenReadBack() {
    sim::VirtualPanel panel(Options());
    panel.setMemory(Pattern(1));
    start(panel);
    // A short file: its 300 bytes, then 00, reach the panel.
    const QString file = path(QStringLiteral("room.SPD"));
    QVERIFY(WriteBytes(file, Bytes(Pattern(2)).left(300)));
    SpdImage sent{};
    std::copy_n(Pattern(2).begin(), 300, sent.begin());
    const QString backups = path(QStringLiteral("backups/room12"));

    const CliRun write =
        RunCli({QStringLiteral("write"), QStringLiteral("--port"), QStringLiteral("COM8"), file,
                QStringLiteral("--verify"), QStringLiteral("--backup"), backups});
    QVERIFY2(write.code == 0, qPrintable(write.err));
    QVERIFY(write.out.contains(QStringLiteral("燒錄成功")));
    QVERIFY(write.out.contains(QStringLiteral("Verify: 讀取完成, all 512 bytes match.")));
    QVERIFY(write.err.contains(QStringLiteral("300 bytes; bytes 300..511")));
    QVERIFY2(!write.err.contains(QStringLiteral("frame")), "progress only on a terminal");
    QCOMPARE(panel.memory(), sent);
    QCOMPARE(panel.writesStored(), 1);
    const std::vector<std::string> violations = panel.violations();
    QVERIFY2(violations.empty(), violations.empty() ? "" : violations.front().c_str());

    // The backup holds what the panel had before, named after the port and the time.
    const QStringList saved = QDir(backups).entryList(QDir::Files);
    QCOMPARE(saved.size(), 1);
    QVERIFY2(QRegularExpression(QStringLiteral("^COM8-\\d{8}T\\d{6}Z\\.SPD$"))
                 .match(saved[0])
                 .hasMatch(),
             qPrintable(saved[0]));
    QCOMPARE(ReadBytes(QDir(backups).filePath(saved[0])), Bytes(Pattern(1)));
    QVERIFY(write.out.contains(saved[0]));

    // Read back by device path, with stderr a terminal: the bytes, and progress.
    const QString back = path(QStringLiteral("back.SPD"));
    const CliRun read =
        RunCli({QStringLiteral("read"), QStringLiteral("--port"),
                QString::fromStdString(panel.devicePath()), QStringLiteral("-o"), back},
               true);
    QCOMPARE(read.code, 0);
    QCOMPARE(ReadBytes(back), Bytes(sent));
    QVERIFY(read.out.contains(QStringLiteral("讀取完成")));
    QVERIFY2(read.err.contains(QStringLiteral("讀取中 ... bytes 512 of 512")),
             qPrintable(read.err));

    // The panel and the short file are the same image.
    const CliRun diff =
        RunCli({QStringLiteral("diff"), file, QStringLiteral("--port"), QStringLiteral("COM8")});
    QCOMPARE(diff.code, 0);
    QVERIFY(diff.out.contains(
        QStringLiteral("B: panel on COM8 (%1)").arg(QString::fromStdString(panel.devicePath()))));
}

void CliPanelTest::verifyFindsAByteThePanelStoredWrong() {
    sim::PanelOptions options = Options();
    options.wrongByteAt = 40;
    sim::VirtualPanel panel(options);
    start(panel);
    const SpdImage image = Pattern(3);
    const QString file = path(QStringLiteral("room.SPD"));
    QVERIFY(WriteBytes(file, Bytes(image)));

    // --quiet keeps the success lines away, but not the finding.
    const CliRun run = RunCli({QStringLiteral("write"), QStringLiteral("--port=COM8"), file,
                               QStringLiteral("--verify"), QStringLiteral("--quiet")});
    QCOMPARE(run.code, 1);
    QVERIFY(!run.out.contains(QStringLiteral("燒錄成功")));
    QVERIFY2(run.out.contains(QStringLiteral("Verify: 1 of 512 bytes differ")),
             qPrintable(run.out));
    const QString row = QStringLiteral("    40  %1    %2     K3 record")
                            .arg(image[40], 2, 16, QLatin1Char('0'))
                            .arg(std::uint8_t(~image[40]), 2, 16, QLatin1Char('0'))
                            .toUpper()
                            .replace(QStringLiteral("K3 RECORD"), QStringLiteral("K3 record"));
    QVERIFY2(run.out.split(QLatin1Char('\n')).contains(row), qPrintable(run.out + row));
    QVERIFY(run.err.contains(QStringLiteral("verify failed")));
}

void CliPanelTest::silentPanel() {
    sim::PanelOptions options = Options();
    options.silent = true;
    sim::VirtualPanel panel(options);
    start(panel);

    // A write is given up after the handshake; --verbose shows the command frame went out.
    const QString file = path(QStringLiteral("room.SPD"));
    QVERIFY(WriteBytes(file, Bytes(Pattern(4))));
    const CliRun write = RunCli({QStringLiteral("write"), QStringLiteral("--port"),
                                 QStringLiteral("COM8"), file, QStringLiteral("--verbose")});
    QCOMPARE(write.code, 3);
    QVERIFY2(write.err.contains(QStringLiteral("燒錄失敗")), qPrintable(write.err));
    QVERIFY(write.err.contains(QStringLiteral("No answer from the panel")));
    QVERIFY(!write.err.contains(QStringLiteral("partly new")));
    const QStringList sentLines =
        write.err.split(QLatin1Char('\n'))
            .filter(QRegularExpression(QStringLiteral("^\\[ *\\d+\\.\\d{6}\\] > [0-9A-F]{2}$")));
    QCOMPARE(sentLines.size(), 17);
    QVERIFY(sentLines[0].endsWith(QStringLiteral("> FF")));
    QCOMPARE(panel.writesStored(), 0);

    // A read waits for the whole deadline (about 21 s), then leaves no file behind.
    const QString out = path(QStringLiteral("new/read.SPD"));
    QVERIFY(QDir().mkpath(path(QStringLiteral("new"))));
    const CliRun read = RunCli({QStringLiteral("read"), QStringLiteral("--port"),
                                QStringLiteral("COM8"), QStringLiteral("-o"), out});
    QCOMPARE(read.code, 3);
    QVERIFY(read.err.contains(QStringLiteral("讀取失敗")));
    QVERIFY(read.err.contains(QStringLiteral("0 of 512 bytes")));
    QCOMPARE(QDir(path(QStringLiteral("new"))).entryList(QDir::Files | QDir::Hidden).size(), 0);
}

void CliPanelTest::shortAnswerTouchesNoFileAndStopsTheWrite() {
    sim::PanelOptions options = Options();
    options.answerBytes = 300;
    sim::VirtualPanel panel(options);
    start(panel);

    const QString kept = path(QStringLiteral("kept.SPD"));
    QVERIFY(WriteBytes(kept, Bytes(Pattern(5))));
    const CliRun read = RunCli({QStringLiteral("read"), QStringLiteral("--port"),
                                QStringLiteral("COM8"), QStringLiteral("-o"), kept});
    QCOMPARE(read.code, 3);
    QVERIFY2(read.err.contains(QStringLiteral("300 of 512 bytes")), qPrintable(read.err));
    QCOMPARE(ReadBytes(kept), Bytes(Pattern(5)));

    // No backup, no write: the panel sees the read command and nothing after it.
    const QString backups = path(QStringLiteral("backups"));
    const CliRun write =
        RunCli({QStringLiteral("write"), QStringLiteral("--port"), QStringLiteral("COM8"), kept,
                QStringLiteral("--backup"), backups});
    QCOMPARE(write.code, 3);
    QVERIFY(write.err.contains(QStringLiteral("backup: 讀取失敗")));
    QVERIFY(write.err.contains(QStringLiteral("nothing was written")));
    QCOMPARE(QDir(backups).entryList(QDir::Files | QDir::Hidden).size(), 0);
    QCOMPARE(panel.readCommands(), 2);
    QCOMPARE(panel.writesStored(), 0);
    QCOMPARE(panel.received().size(), std::size_t(2 * 17));
}

void CliPanelTest::lineLostInTheMiddleOfAWrite() {
    sim::PanelOptions options = Options();
    options.hangUpAfter = 17 + 3 * 17 + 5; // in the middle of data frame 3
    sim::VirtualPanel panel(options);
    start(panel);
    const QString file = path(QStringLiteral("room.SPD"));
    QVERIFY(WriteBytes(file, Bytes(Pattern(6))));
    const CliRun run =
        RunCli({QStringLiteral("write"), QStringLiteral("--port"), QStringLiteral("COM8"), file});
    QCOMPARE(run.code, 3);
    QVERIFY(run.err.contains(QStringLiteral("燒錄失敗")));
    // The installer must learn that the panel may now hold a mix of old and new.
    QVERIFY2(run.err.contains(QRegularExpression(
                 QStringLiteral("[34] of 32 data frames had gone out.*partly new"))),
             qPrintable(run.err));
}

void CliPanelTest::busyPort() {
    sim::VirtualPanel panel(Options());
    start(panel);
    SerialPort holder;
    QVERIFY(holder.open(panel.devicePath()).ok());
    const QString out = path(QStringLiteral("out.SPD"));
    const CliRun run = RunCli({QStringLiteral("read"), QStringLiteral("--port"),
                               QStringLiteral("COM8"), QStringLiteral("-o"), out});
    QCOMPARE(run.code, 3);
    QVERIFY2(run.err.contains(QStringLiteral("COM Port 無法開啟: COM8 -> ")), qPrintable(run.err));
    QVERIFY(run.err.contains(QStringLiteral("The port is busy")));
    QVERIFY(!QFile::exists(out));
    QCOMPARE(panel.readCommands(), 0);
}

QTEST_GUILESS_MAIN(CliPanelTest)
#include "test_cli_panel.moc"
