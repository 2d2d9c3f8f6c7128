// keyloom-cli on files and arguments, in-process: show, diff, set, ports, usage.
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>

#include "tests/cli/cli_fixture.h"

using namespace keyloom;
using namespace keyloom::test;

namespace {

// A small image with the cases show must not hide: a code that names no action
// (K3 = 20), none chosen (K9 = 0xFF), a baud code that names no rate (9), a key
// record and a byte outside every named part.
SpdImage Fixture() {
    SpdImage image{};
    for (int i = 0; i < 16; ++i)
        image[std::size_t(i)] = std::uint8_t(0x10 + i);
    image[146] = 20;
    image[147] = 1;
    image[152] = 0xFF;
    image[288] = 9;
    image[300] = 0xAB;
    return image;
}

QString Hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex()).toUpper();
}

QJsonObject ParseJson(const QString& text) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        qWarning("not JSON: %s", qPrintable(error.errorString()));
    return doc.object();
}

QStringList Lines(const QString& text) {
    return text.split(QLatin1Char('\n'));
}

} // namespace

class CliFilesTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void showTellsKeysBaudAndBytes();
    void showShortFileAndJson();
    void diffInWordsAndBytes();
    void diffJsonAndPaddedEquality();
    void setAppliesAssignments_data();
    void setAppliesAssignments();
    void setRefusesAndLeavesFileAlone_data();
    void setRefusesAndLeavesFileAlone();
    void setOnFilesItCannotSafelyEdit();
    void portsFollowTheWindowsRule();
    void usage_data();
    void usage();
    void permissionDeniedNamesTheDialoutGroup();
    void setInAReadOnlyFolderChangesNothing();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString fixtureFile(const SpdImage& image, const QString& name, int length = 512) {
        const QString p = path(name);
        [&] { QVERIFY(WriteBytes(p, Bytes(image).left(length))); }();
        return p;
    }

    std::unique_ptr<TempConfig> m_config;
    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<QDir> m_dir;
};

void CliFilesTest::init() {
    m_config = std::make_unique<TempConfig>();
    m_tmp = std::make_unique<QTemporaryDir>();
    m_dir = std::make_unique<QDir>(m_tmp->path());
}

void CliFilesTest::cleanup() {
    m_dir.reset();
    m_tmp.reset();
    m_config.reset();
}

void CliFilesTest::showTellsKeysBaudAndBytes() {
    const QString file = fixtureFile(Fixture(), QStringLiteral("room.SPD"));
    const CliRun run = RunCli({QStringLiteral("show"), file});
    QCOMPARE(run.code, 0);
    QCOMPARE(run.err, QString());
    const QStringList lines = Lines(run.out);
    const QStringList expected{
        QStringLiteral("K1   系統開機(K1)     無連動 (0)"),
        QStringLiteral("K3   FN(K3)           20 (names no action)"),
        QStringLiteral("K4   桌台電腦(K4)     布幕上 (1)"),
        QStringLiteral("K9   單槍開關(K9)     255 (names no action)"),
        QStringLiteral("Baud rate: 9 (names no baud rate)"),
        QStringLiteral("  K1     0  10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F"),
        QStringLiteral("  K2    16  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"),
        QStringLiteral("       144  00 00 14 01 00 00 00 00 FF 00 00 00 00 00 00 00"),
        QStringLiteral("  160..287  all 00"),
        QStringLiteral("       288  09 00 00 00 00 00 00 00 00 00 00 00 AB 00 00 00"),
        QStringLiteral("  304..511  all 00"),
    };
    for (const QString& line : expected)
        QVERIFY2(lines.contains(line), qPrintable(line + QStringLiteral("\n--- in:\n") + run.out));
}

void CliFilesTest::showShortFileAndJson() {
    const SpdImage image = Fixture();
    const QString file = fixtureFile(image, QStringLiteral("short.SPD"), 100);
    const CliRun text = RunCli({QStringLiteral("show"), file});
    QCOMPARE(text.code, 0);
    QVERIFY(text.out.contains(
        QStringLiteral("(100 bytes; bytes 100..511 are not in the file and count as 00)")));
    // Past its end the short file shows as the 00 the write would send.
    QVERIFY(Lines(text.out).contains(QStringLiteral("K4   桌台電腦(K4)     無連動 (0)")));

    const CliRun run = RunCli({QStringLiteral("show"), QStringLiteral("--json"),
                               fixtureFile(image, QStringLiteral("room.SPD"))});
    QCOMPARE(run.code, 0);
    const QJsonObject json = ParseJson(run.out);
    QCOMPARE(json[QStringLiteral("sourceBytes")].toInt(), 512);
    QCOMPARE(json[QStringLiteral("image")].toString(), Hex(Bytes(image)));
    const QJsonArray keys = json[QStringLiteral("keys")].toArray();
    QCOMPARE(keys.size(), 9);
    const QJsonObject k1 = keys[0].toObject();
    QCOMPARE(k1[QStringLiteral("caption")].toString(), QStringLiteral("系統開機(K1)"));
    QCOMPARE(k1[QStringLiteral("record")].toString(), Hex(Bytes(image).left(16)));
    QCOMPARE(k1[QStringLiteral("linkActionName")].toString(), QStringLiteral("無連動"));
    const QJsonObject k3 = keys[2].toObject();
    QCOMPARE(k3[QStringLiteral("linkAction")].toInt(), 20);
    QVERIFY(k3[QStringLiteral("linkActionName")].isNull());
    const QJsonObject k4 = keys[3].toObject();
    QCOMPARE(k4[QStringLiteral("linkActionOffset")].toInt(), 147);
    QCOMPARE(k4[QStringLiteral("linkActionName")].toString(), QStringLiteral("布幕上"));
    const QJsonObject baud = json[QStringLiteral("baud")].toObject();
    QCOMPARE(baud[QStringLiteral("code")].toInt(), 9);
    QVERIFY(baud[QStringLiteral("name")].isNull());
    // The other bytes are all there, from just after the linked actions to the end.
    const QJsonArray other = json[QStringLiteral("otherBytes")].toArray();
    QCOMPARE(other.size(), 2);
    QCOMPARE(other[0].toObject()[QStringLiteral("offset")].toInt(), 153);
    QCOMPARE(other[0].toObject()[QStringLiteral("hex")].toString(),
             Hex(Bytes(image).mid(153, 135)));
    QCOMPARE(other[1].toObject()[QStringLiteral("offset")].toInt(), 289);
    QCOMPARE(other[1].toObject()[QStringLiteral("hex")].toString(), Hex(Bytes(image).mid(289)));
}

void CliFilesTest::diffInWordsAndBytes() {
    SpdImage changed = Fixture();
    changed[40] = 0x01;  // K3 record
    changed[147] = 2;    // K4: 布幕上 -> 布幕下
    changed[288] = 1;    // baud: 9 -> 19200
    changed[300] = 0x00; // other
    const QString a = fixtureFile(Fixture(), QStringLiteral("a.SPD"));
    const QString b = fixtureFile(changed, QStringLiteral("b.SPD"));

    const CliRun run = RunCli({QStringLiteral("diff"), a, b});
    QCOMPARE(run.code, 1);
    const QStringList lines = Lines(run.out);
    for (const QString& line : {
             QStringLiteral("K3 record: 1 byte differs (40)"),
             QStringLiteral("K4 linked action: 布幕上 (1) -> 布幕下 (2)"),
             QStringLiteral("Baud rate: 9 (names no baud rate) -> 19200 (1)"),
             QStringLiteral("Other bytes: 1 byte differs (300)"),
             QStringLiteral("    40  00  01  K3 record"),
             QStringLiteral("   147  01  02  K4 linked action"),
             QStringLiteral("   288  09  01  baud rate"),
             QStringLiteral("   300  AB  00  other"),
             QStringLiteral("4 bytes differ."),
         }) {
        QVERIFY2(lines.contains(line), qPrintable(line + QStringLiteral("\n--- in:\n") + run.out));
    }

    QCOMPARE(RunCli({QStringLiteral("diff"), a, a}).code, 0);
    QCOMPARE(RunCli({QStringLiteral("diff"), a, path(QStringLiteral("missing.SPD"))}).code, 4);
}

void CliFilesTest::diffJsonAndPaddedEquality() {
    SpdImage changed = Fixture();
    changed[152] = 15;
    changed[511] = 0x7F;
    const QString a = fixtureFile(Fixture(), QStringLiteral("a.SPD"));
    const QString b = fixtureFile(changed, QStringLiteral("b.SPD"));
    const CliRun run = RunCli({QStringLiteral("diff"), QStringLiteral("--json"), a, b});
    QCOMPARE(run.code, 1);
    const QJsonObject json = ParseJson(run.out);
    QCOMPARE(json[QStringLiteral("equal")].toBool(), false);
    QCOMPARE(json[QStringLiteral("a")].toObject()[QStringLiteral("source")].toString(), a);
    const QJsonArray settings = json[QStringLiteral("settings")].toArray();
    QCOMPARE(settings.size(), 1);
    const QJsonObject k9 = settings[0].toObject();
    QCOMPARE(k9[QStringLiteral("part")].toString(), QStringLiteral("K9 linked action"));
    QCOMPARE(k9[QStringLiteral("a")].toInt(), 255);
    QVERIFY(k9[QStringLiteral("aName")].isNull());
    QCOMPARE(k9[QStringLiteral("bName")].toString(), QStringLiteral("關機行程2"));
    const QJsonArray bytes = json[QStringLiteral("bytes")].toArray();
    QCOMPARE(bytes.size(), 2);
    QCOMPARE(bytes[1].toObject()[QStringLiteral("offset")].toInt(), 511);
    QCOMPARE(bytes[1].toObject()[QStringLiteral("b")].toInt(), 0x7F);
    QCOMPARE(bytes[1].toObject()[QStringLiteral("part")].toString(), QStringLiteral("other"));

    // A short file is the image the write would send: its start, then 00.
    SpdImage head{};
    std::copy_n(Fixture().begin(), 100, head.begin());
    const QString full = fixtureFile(head, QStringLiteral("full.SPD"));
    const QString shortFile = fixtureFile(Fixture(), QStringLiteral("short.SPD"), 100);
    const CliRun same = RunCli({QStringLiteral("diff"), QStringLiteral("--json"), shortFile, full});
    QCOMPARE(same.code, 0);
    QCOMPARE(ParseJson(same.out)[QStringLiteral("equal")].toBool(), true);
    QCOMPARE(
        ParseJson(same.out)[QStringLiteral("a")].toObject()[QStringLiteral("sourceBytes")].toInt(),
        100);
}

void CliFilesTest::setAppliesAssignments_data() {
    QTest::addColumn<QStringList>("assignments");
    QTest::addColumn<QList<int>>("offsets");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<QString>("said");

    QTest::newRow("action by text")
        << QStringList{QStringLiteral("K4=布幕上")} << QList<int>{147} << QList<int>{1}
        << QStringLiteral("K4 linked action: 無連動 (0) -> 布幕上 (1)");
    QTest::newRow("action by code") << QStringList{QStringLiteral("K4=15")} << QList<int>{147}
                                    << QList<int>{15} << QStringLiteral("關機行程2 (15)");
    QTest::newRow("latin text in any case")
        << QStringList{QStringLiteral("k9=pow relay toggle")} << QList<int>{152} << QList<int>{5}
        << QStringLiteral("K9 linked action");
    QTest::newRow("baud by rate") << QStringList{QStringLiteral("baud=115200")} << QList<int>{288}
                                  << QList<int>{4}
                                  << QStringLiteral("Baud rate: 9600 (0) -> 115200 (4)");
    QTest::newRow("baud by index") << QStringList{QStringLiteral("baud=1")} << QList<int>{288}
                                   << QList<int>{1} << QStringLiteral("19200 (1)");
    QTest::newRow("bytes hex and decimal")
        << QStringList{QStringLiteral("byte:10=0x5A"), QStringLiteral("byte:511=255")}
        << QList<int>{10, 511} << QList<int>{0x5A, 255}
        << QStringLiteral("Byte 10 (K1 record): 00 -> 5A");
    QTest::newRow("later wins") << QStringList{QStringLiteral("K1=1"),
                                               QStringLiteral("byte:144=0x20")}
                                << QList<int>{144} << QList<int>{0x20}
                                << QStringLiteral("Byte 144 (K1 linked action): 01 -> 20");
}

void CliFilesTest::setAppliesAssignments() {
    QFETCH(QStringList, assignments);
    QFETCH(QList<int>, offsets);
    QFETCH(QList<int>, values);
    QFETCH(QString, said);
    const QString file = fixtureFile(SpdImage{}, QStringLiteral("room.SPD"));
    const CliRun run = RunCli(QStringList{QStringLiteral("set"), file} + assignments);
    QCOMPARE(run.code, 0);
    QVERIFY2(run.out.contains(said), qPrintable(run.out));
    SpdImage expected{};
    for (qsizetype i = 0; i < offsets.size(); ++i)
        expected[std::size_t(offsets[i])] = std::uint8_t(values[i]);
    QCOMPARE(ReadBytes(file), Bytes(expected));
}

void CliFilesTest::setRefusesAndLeavesFileAlone_data() {
    QTest::addColumn<QStringList>("assignments");
    QTest::addColumn<QString>("named"); // what the error must offer instead

    QTest::newRow("no such key") << QStringList{QStringLiteral("K10=1")}
                                 << QStringLiteral("K1..K9, baud, byte:N");
    QTest::newRow("unknown setting")
        << QStringList{QStringLiteral("colour=red")} << QStringLiteral("K1..K9");
    QTest::newRow("code past the list")
        << QStringList{QStringLiteral("K4=16")} << QStringLiteral("15=關機行程2");
    QTest::newRow("unknown action")
        << QStringList{QStringLiteral("K4=布幕中")} << QStringLiteral("1=布幕上");
    QTest::newRow("unknown baud") << QStringList{QStringLiteral("baud=300")}
                                  << QStringLiteral("1=19200");
    QTest::newRow("offset past the image")
        << QStringList{QStringLiteral("byte:512=1")} << QStringLiteral("0 to 511");
    QTest::newRow("value past a byte")
        << QStringList{QStringLiteral("byte:10=256")} << QStringLiteral("0x00..0xFF");
    QTest::newRow("empty hex") << QStringList{QStringLiteral("byte:10=0x")}
                               << QStringLiteral("0x00..0xFF");
    QTest::newRow("no equals sign")
        << QStringList{QStringLiteral("K4")} << QStringLiteral("KEY=VALUE");
    // All or nothing: the good ones before a bad one are not saved either.
    QTest::newRow("good then bad")
        << QStringList{QStringLiteral("K4=1"), QStringLiteral("baud=19200"), QStringLiteral("K5=x")}
        << QStringLiteral("0=無連動");
}

void CliFilesTest::setRefusesAndLeavesFileAlone() {
    QFETCH(QStringList, assignments);
    QFETCH(QString, named);
    const QString file = fixtureFile(Fixture(), QStringLiteral("room.SPD"));
    const CliRun run = RunCli(QStringList{QStringLiteral("set"), file} + assignments);
    QCOMPARE(run.code, 2);
    QVERIFY2(run.err.contains(named), qPrintable(run.err));
    QVERIFY(run.err.contains(QStringLiteral("was left as it was")));
    QCOMPARE(ReadBytes(file), Bytes(Fixture()));
}

void CliFilesTest::setOnFilesItCannotSafelyEdit() {
    // Longer than an image: saving 512 bytes would drop the rest.
    QByteArray longer = Bytes(Fixture()) + QByteArray(88, '\x5A');
    const QString big = path(QStringLiteral("big.SPD"));
    QVERIFY(WriteBytes(big, longer));
    QCOMPARE(RunCli({QStringLiteral("set"), big, QStringLiteral("K4=2")}).code, 4);
    QCOMPARE(ReadBytes(big), longer);

    const QString missing = path(QStringLiteral("missing.SPD"));
    QCOMPARE(RunCli({QStringLiteral("set"), missing, QStringLiteral("K4=2")}).code, 4);
    QVERIFY(!QFile::exists(missing));

    // Shorter: it comes out a whole image, its own bytes first.
    const QString small = fixtureFile(Fixture(), QStringLiteral("small.SPD"), 20);
    const CliRun run = RunCli({QStringLiteral("set"), small, QStringLiteral("K4=2")});
    QCOMPARE(run.code, 0);
    SpdImage expected{};
    std::copy_n(Fixture().begin(), 20, expected.begin());
    expected[147] = 2;
    QCOMPARE(ReadBytes(small), Bytes(expected));
    QVERIFY(run.err.contains(QStringLiteral("had 20 bytes")));
}

void CliFilesTest::portsFollowTheWindowsRule() {
    const QString present = fixtureFile(SpdImage{}, QStringLiteral("ttyFAKE"));
    m_config->mapPort(8, present);
    m_config->mapPort(7, path(QStringLiteral("gone")));
    const CliRun run = RunCli({QStringLiteral("ports")});
    QCOMPARE(run.code, 0);
    const QStringList lines = Lines(run.out.trimmed());
    QCOMPARE(lines.size(), 1 + 49);
    const auto row = [&](const QString& port) {
        for (const QString& line : lines) {
            if (line.startsWith(port + QLatin1Char(' ')))
                return line.simplified();
        }
        return QString();
    };
    QCOMPARE(row(QStringLiteral("COM8")),
             QStringLiteral("COM8 %1 present (settings)").arg(present));
    QCOMPARE(row(QStringLiteral("COM7")),
             QStringLiteral("COM7 %1 absent (settings)").arg(path(QStringLiteral("gone"))));
    QVERIFY(row(QStringLiteral("COM5")).startsWith(QStringLiteral("COM5 /dev/ttyUSB0 ")));
    QVERIFY(row(QStringLiteral("COM49")).startsWith(QStringLiteral("COM49 /dev/ttyUSB44 ")));
}

void CliFilesTest::usage_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("said"); // on stdout for help, stderr otherwise

    QTest::newRow("nothing") << QStringList{} << 2 << QStringLiteral("Usage: keyloom-cli");
    QTest::newRow("tool help") << QStringList{QStringLiteral("--help")} << 0
                               << QStringLiteral("3  device or panel failure");
    QTest::newRow("command help") << QStringList{QStringLiteral("write"), QStringLiteral("-h")} << 0
                                  << QStringLiteral("--backup DIR");
    QTest::newRow("help of a command") << QStringList{QStringLiteral("help"), QStringLiteral("set")}
                                       << 0 << QStringLiteral("byte:N=V");
    QTest::newRow("unknown command")
        << QStringList{QStringLiteral("flash")} << 2 << QStringLiteral("unknown command \"flash\"");
    QTest::newRow("unknown option")
        << QStringList{QStringLiteral("show"), QStringLiteral("--yaml"), QStringLiteral("x")} << 2
        << QStringLiteral("unknown option --yaml");
    QTest::newRow("port missing") << QStringList{QStringLiteral("read"), QStringLiteral("-o"),
                                                 QStringLiteral("x.SPD")}
                                  << 2 << QStringLiteral("--port P is required");
    QTest::newRow("port value missing")
        << QStringList{QStringLiteral("write"), QStringLiteral("--port"),
                       QStringLiteral("--verify"), QStringLiteral("x.SPD")}
        << 2 << QStringLiteral("--port needs a value");
    QTest::newRow("COM number off the list")
        << QStringList{QStringLiteral("write"), QStringLiteral("--port=COM50"),
                       QStringLiteral("x.SPD")}
        << 2 << QStringLiteral("COM1 to COM49");
    QTest::newRow("output missing")
        << QStringList{QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("COM1")}
        << 2 << QStringLiteral("-o FILE is required");
    QTest::newRow("quiet and verbose")
        << QStringList{QStringLiteral("ports"), QStringLiteral("-q"), QStringLiteral("-v")} << 2
        << QStringLiteral("exclude each other");
    QTest::newRow("diff of one") << QStringList{QStringLiteral("diff"), QStringLiteral("a.SPD")}
                                 << 2 << QStringLiteral("two of FILE or --port P");
    QTest::newRow("set without assignment")
        << QStringList{QStringLiteral("set"), QStringLiteral("a.SPD")} << 2
        << QStringLiteral("at least one KEY=VALUE");
    QTest::newRow("missing file") << QStringList{QStringLiteral("show"),
                                                 QStringLiteral("nothere.SPD")}
                                  << 4 << QStringLiteral("nothere.SPD");
}

void CliFilesTest::usage() {
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, said);
    const CliRun run = RunCli(args);
    QCOMPARE(run.code, code);
    const QString& where = code == 0 ? run.out : run.err;
    QVERIFY2(where.contains(said), qPrintable(run.out + run.err));
}

void CliFilesTest::permissionDeniedNamesTheDialoutGroup() {
    if (geteuid() == 0)
        QSKIP("root opens any device; this case runs in the unprivileged pass");
    const QString device = fixtureFile(SpdImage{}, QStringLiteral("ttyLOCKED"));
    QVERIFY(QFile::setPermissions(device, QFileDevice::Permissions()));
    const QString out = path(QStringLiteral("out.SPD"));
    const CliRun run = RunCli(
        {QStringLiteral("read"), QStringLiteral("--port"), device, QStringLiteral("-o"), out});
    QCOMPARE(run.code, 3);
    QVERIFY2(run.err.contains(QStringLiteral("COM Port 無法開啟")), qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("dialout")), qPrintable(run.err));
    QVERIFY(!QFile::exists(out));
}

void CliFilesTest::setInAReadOnlyFolderChangesNothing() {
    if (geteuid() == 0)
        QSKIP("root writes anywhere; this case runs in the unprivileged pass");
    QVERIFY(m_dir->mkdir(QStringLiteral("locked")));
    const QString file = fixtureFile(Fixture(), QStringLiteral("locked/room.SPD"));
    const QString folder = path(QStringLiteral("locked"));
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const CliRun run = RunCli({QStringLiteral("set"), file, QStringLiteral("K4=2")});
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(run.code, 4);
    QVERIFY2(run.err.contains(QStringLiteral("left as it was")), qPrintable(run.err));
    QCOMPARE(ReadBytes(file), Bytes(Fixture()));
}

QTEST_GUILESS_MAIN(CliFilesTest)
#include "test_cli_files.moc"
