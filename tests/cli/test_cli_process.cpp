// The keyloom-cli executable as scripts run it: exit codes, streams and the
// settings file found through the environment.
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include "sim/virtual_panel.h"
#include "tests/cli/cli_fixture.h"

using namespace keyloom;
using namespace keyloom::test;

namespace {

struct ProcessRun {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// Runs keyloom-cli with its settings in `configDir` ($XDG_CONFIG_HOME/Tevrano/Keyloom.conf).
ProcessRun RunProcess(const QStringList& args, const QString& configDir) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configDir);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(KEYLOOM_CLI), args);
    ProcessRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.code = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace

class CliProcessTest : public QObject {
    Q_OBJECT
private slots:
    void versionIsTheNewestRelease();
    void helpAndShowJson();
    void readAndFailedWrite();
};

void CliProcessTest::versionIsTheNewestRelease() {
    QFile changelog(QStringLiteral(KEYLOOM_SOURCE_DIR "/CHANGELOG.md"));
    QVERIFY(changelog.open(QIODevice::ReadOnly));
    const QRegularExpression heading(QStringLiteral("^## (\\d+\\.\\d+\\.\\d+)"),
                                     QRegularExpression::MultilineOption);
    const QString newest = heading.match(QString::fromUtf8(changelog.readAll())).captured(1);
    QVERIFY(!newest.isEmpty());
    TempConfig config;
    const ProcessRun version = RunProcess({QStringLiteral("--version")}, config.dir());
    QCOMPARE(version.code, 0);
    QCOMPARE(QString::fromUtf8(version.out), QStringLiteral("keyloom-cli ") + newest + u'\n');
}

void CliProcessTest::helpAndShowJson() {
    TempConfig config;
    const ProcessRun help = RunProcess({QStringLiteral("--help")}, config.dir());
    QCOMPARE(help.code, 0);
    QVERIFY(help.out.startsWith("Usage: keyloom-cli COMMAND"));
    QVERIFY(help.err.isEmpty());

    QTemporaryDir dir;
    SpdImage image{};
    image[147] = 1;
    const QString file = dir.filePath(QStringLiteral("房間12.SPD"));
    QVERIFY(WriteBytes(file, Bytes(image)));
    const ProcessRun show =
        RunProcess({QStringLiteral("show"), file, QStringLiteral("--json")}, config.dir());
    QCOMPARE(show.code, 0);
    const QJsonObject json = QJsonDocument::fromJson(show.out).object();
    QCOMPARE(json[QStringLiteral("source")].toString(), file);
    QCOMPARE(json[QStringLiteral("keys")][3][QStringLiteral("linkActionName")].toString(),
             QStringLiteral("布幕上"));

    const ProcessRun usage = RunProcess({QStringLiteral("show")}, config.dir());
    QCOMPARE(usage.code, 2);
    QVERIFY(usage.out.isEmpty());
    QVERIFY(usage.err.contains("Try 'keyloom-cli show --help'."));
}

void CliProcessTest::readAndFailedWrite() {
    TempConfig config;
    sim::VirtualPanel panel;
    panel.setMemory(Pattern(7));
    QVERIFY(panel.start().ok());
    config.mapPort(12, QString::fromStdString(panel.devicePath()));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("panel.SPD"));

    // stderr is a pipe here: no progress, nothing at all on success.
    const ProcessRun read = RunProcess({QStringLiteral("read"), QStringLiteral("--port"),
                                        QStringLiteral("COM12"), QStringLiteral("-o"), file},
                                       config.dir());
    QCOMPARE(read.code, 0);
    QCOMPARE(ReadBytes(file), Bytes(Pattern(7)));
    QVERIFY(QString::fromUtf8(read.out).startsWith(QStringLiteral("讀取完成")));
    QCOMPARE(read.err, QByteArray());
    panel.stop();

    sim::PanelOptions options;
    options.silent = true;
    sim::VirtualPanel silent(options);
    QVERIFY(silent.start().ok());
    config.mapPort(12, QString::fromStdString(silent.devicePath()));
    const ProcessRun write = RunProcess(
        {QStringLiteral("write"), QStringLiteral("--port"), QStringLiteral("com12"), file},
        config.dir());
    QCOMPARE(write.code, 3);
    QVERIFY(write.out.isEmpty());
    QVERIFY(QString::fromUtf8(write.err).contains(QStringLiteral("燒錄失敗")));
}

QTEST_GUILESS_MAIN(CliProcessTest)
#include "test_cli_process.moc"
