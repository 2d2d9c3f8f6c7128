// Loading, saving and overwriting .SPD files from the data page.
#include <sys/resource.h>
#include <csignal>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "core/cell_codec.h"
#include "ui/cell_edit.h"
#include "ui/form2.h"
#include "ui/tab_control.h"
#include "tests/ui/ui_fixture.h"

using namespace keyloom;
using namespace keyloom::test;

namespace {

QByteArray Pattern(int size, int seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 13 + seed) & 0xFF);
    return bytes;
}

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray ImageBytes(const TForm1& form) {
    return QByteArray(reinterpret_cast<const char*>(form.image().data()), 512);
}

enum class Answer { Confirm, Abandon, CloseBox };

} // namespace

class FilesTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void loadTakesTheFirst512Bytes_data();
    void loadTakesTheFirst512Bytes();
    void cancelledDialogsChangeNothing();
    void shortLoadThenSaveKeepsTheOlderRest();
    void saveToANewNameWritesExactly512BytesAsNamed();
    void uncommittedEditIsNotSaved();
    void existingFileIsReplacedOnlyWhenConfirmed_data();
    void existingFileIsReplacedOnlyWhenConfirmed();
    void namesInAnyScriptAndLength();
    void loadFailureChangesNothing_data();
    void loadFailureChangesNothing();
    void saveFailureKeepsTheOldFile_data();
    void saveFailureKeepsTheOldFile();
    void fullDiskKeepsTheOldFile();
    void overwriteDialogAsDesigned();

private:
    TForm1& form() { return *m_window->form; }
    QString path(const QString& name) const { return m_files->path() + u'/' + name; }
    void answerDialogs(const QString& openPath, const QString& savePath) {
        form().setFileDialogs({[openPath] { return openPath; }, [savePath] { return savePath; }});
    }
    // Answers the overwrite dialog once it is up.
    void answerForm2(Answer answer) {
        QTimer::singleShot(0, this, [this, answer] {
            TForm2* dialog = form().form2();
            QVERIFY(dialog->isVisible());
            m_form2Label1 = dialog->label1()->text();
            m_form2Label2 = dialog->label2()->text();
            if (answer == Answer::CloseBox)
                dialog->close();
            else
                QTest::mouseClick(dialog->findChild<QPushButton*>(
                                      answer == Answer::Confirm ? QStringLiteral("Button1")
                                                                : QStringLiteral("Button2")),
                                  Qt::LeftButton);
        });
    }
    void load(const QString& p) {
        answerDialogs(p, {});
        form().SpeedButtonOpenClick();
    }
    void save(const QString& p) {
        answerDialogs({}, p);
        form().SpeedButtonSaveClick();
    }

    std::unique_ptr<TempConfig> m_config;
    std::unique_ptr<QTemporaryDir> m_files;
    std::unique_ptr<Window> m_window;
    QString m_form2Label1, m_form2Label2;
};

void FilesTest::init() {
    m_config = std::make_unique<TempConfig>();
    m_files = std::make_unique<QTemporaryDir>();
    m_window = std::make_unique<Window>();
    m_window->show();
    m_window->child<TabControl>(QStringLiteral("TabControl1"))->setCurrentIndex(1);
    // An image that is not all zero, so "kept" and "replaced" differ.
    for (int i = 0; i < 512; ++i)
        form().image()[std::size_t(i)] = std::uint8_t(0xA0 ^ (i & 0x3F));
    form().ImageToViews();
}

void FilesTest::cleanup() {
    m_window.reset();
    m_files.reset();
    m_config.reset();
}

void FilesTest::loadTakesTheFirst512Bytes_data() {
    QTest::addColumn<int>("size");
    for (int size : {0, 100, 512, 600, 1000})
        QTest::addRow("%d bytes", size) << size;
}

void FilesTest::loadTakesTheFirst512Bytes() {
    QFETCH(int, size);
    const QByteArray before = ImageBytes(form());
    const QByteArray content = Pattern(size, 7);
    Write(path(QStringLiteral("room.SPD")), content);
    load(path(QStringLiteral("room.SPD")));
    const int taken = std::min(size, 512);
    QCOMPARE(ImageBytes(form()), content.left(taken) + before.mid(taken));
    QCOMPARE(form().windowTitle(), QStringLiteral("Farrowlink - room.SPD"));
    QCOMPARE(form().cell(0)->text(), QString::fromStdString(ByteToHex(form().image()[0])));
    QCOMPARE(form().cell(255)->text(), QString::fromStdString(ByteToHex(form().image()[255])));
    QVERIFY(m_window->messages.isEmpty());
}

void FilesTest::cancelledDialogsChangeNothing() {
    const QByteArray before = ImageBytes(form());
    answerDialogs({}, {});
    form().SpeedButtonOpenClick();
    form().SpeedButtonSaveClick();
    QCOMPARE(ImageBytes(form()), before);
    QCOMPARE(form().windowTitle(), QStringLiteral("Keyloom"));
    QCOMPARE(QDir(m_files->path()).entryList(QDir::Files).size(), 0);
}

void FilesTest::shortLoadThenSaveKeepsTheOlderRest() {
    const QByteArray before = ImageBytes(form());
    Write(path(QStringLiteral("short.SPD")), Pattern(100, 3));
    load(path(QStringLiteral("short.SPD")));
    save(path(QStringLiteral("out.SPD")));
    QCOMPARE(Read(path(QStringLiteral("out.SPD"))), Pattern(100, 3) + before.mid(100));
}

void FilesTest::saveToANewNameWritesExactly512BytesAsNamed() {
    save(path(QStringLiteral("room12")));
    QCOMPARE(Read(path(QStringLiteral("room12"))), ImageBytes(form()));
    QCOMPARE(QDir(m_files->path()).entryList(QDir::Files), QStringList{QStringLiteral("room12")});
    QCOMPARE(form().windowTitle(), QStringLiteral("Farrowlink - room12"));
}

void FilesTest::uncommittedEditIsNotSaved() {
    const std::uint8_t before = form().image()[3];
    CellEdit* cell = form().cell(3);
    cell->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(cell, QStringLiteral("5A"));
    save(path(QStringLiteral("a.SPD")));
    QCOMPARE(std::uint8_t(Read(path(QStringLiteral("a.SPD")))[3]), before);
}

void FilesTest::existingFileIsReplacedOnlyWhenConfirmed_data() {
    QTest::addColumn<Answer>("answer");
    QTest::newRow("確認") << Answer::Confirm;
    QTest::newRow("放棄") << Answer::Abandon;
    QTest::newRow("close box") << Answer::CloseBox;
}

void FilesTest::existingFileIsReplacedOnlyWhenConfirmed() {
    QFETCH(Answer, answer);
    const QString target = path(QStringLiteral("old.SPD"));
    Write(target, Pattern(1000, 9));
    form().setWindowTitle(QStringLiteral("Farrowlink - earlier.SPD"));
    answerForm2(answer);
    save(target);
    QCOMPARE(m_form2Label1, QStringLiteral("old.SPD"));
    QCOMPARE(m_form2Label2, QStringLiteral("檔案已經存在,您要覆蓋它嗎?"));
    QVERIFY(!form().form2()->isVisible());
    if (answer == Answer::Confirm) {
        QCOMPARE(Read(target), ImageBytes(form()));
        QCOMPARE(form().windowTitle(), QStringLiteral("Keyloom - old.SPD"));
    } else {
        QCOMPARE(Read(target), Pattern(1000, 9));
        QCOMPARE(form().windowTitle(), QStringLiteral("Farrowlink - earlier.SPD"));
    }
}

void FilesTest::namesInAnyScriptAndLength() {
    // 許 is B3 5C in Big5: its second byte is a backslash, which must not split the name.
    const QString deep = path(QStringLiteral("教室") + QString(150, u'x') + QStringLiteral("/設定"));
    QVERIFY(QDir().mkpath(deep));
    const QString name = QStringLiteral("許功蓋.SPD");
    const QString full = deep + u'/' + name;
    QVERIFY2(full.toUtf8().size() > 150, qPrintable(full));
    save(full);
    QCOMPARE(form().windowTitle(), QStringLiteral("Farrowlink - ") + name);
    answerForm2(Answer::Confirm);
    save(full);
    QCOMPARE(m_form2Label1, name);
    QCOMPARE(form().windowTitle(), QStringLiteral("Keyloom - ") + name);
    form().image().fill(0);
    load(full);
    QCOMPARE(form().windowTitle(), QStringLiteral("Farrowlink - ") + name);
    QCOMPARE(ImageBytes(form()), Read(full));
}

void FilesTest::loadFailureChangesNothing_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reasonPart");
    QTest::newRow("missing") << QStringLiteral("gone.SPD") << QStringLiteral("No such file");
    QTest::newRow("a folder") << QStringLiteral("folder.SPD") << QStringLiteral("folder");
    QTest::newRow("unreadable") << QStringLiteral("locked.SPD") << QStringLiteral("ermission");
}

void FilesTest::loadFailureChangesNothing() {
    QFETCH(QString, name);
    QFETCH(QString, reasonPart);
    if (name == QStringLiteral("folder.SPD"))
        QVERIFY(QDir().mkpath(path(name)));
    if (name == QStringLiteral("locked.SPD")) {
        if (geteuid() == 0)
            QSKIP("root reads any file; this case runs in the unprivileged pass");
        Write(path(name), Pattern(512, 1));
        QVERIFY(QFile::setPermissions(path(name), QFileDevice::WriteOwner));
    }
    form().cell(0)->setText(QStringLiteral("7E")); // views must not be refreshed either
    const QByteArray before = ImageBytes(form());
    load(path(name));
    QCOMPARE(ImageBytes(form()), before);
    QCOMPARE(form().windowTitle(), QStringLiteral("Keyloom"));
    QCOMPARE(form().cell(0)->text(), QStringLiteral("7E"));
    QCOMPARE(m_window->messages.size(), 1);
    QVERIFY2(m_window->messages.first().contains(name), qPrintable(m_window->messages.first()));
    QVERIFY2(m_window->messages.first().contains(reasonPart), qPrintable(m_window->messages.first()));
}

void FilesTest::saveFailureKeepsTheOldFile_data() {
    QTest::addColumn<QString>("where");
    QTest::newRow("a name that is a folder") << QStringLiteral("folder");
    QTest::newRow("inside a file, not a folder") << QStringLiteral("notdir");
    QTest::newRow("read-only folder") << QStringLiteral("readonly");
}

void FilesTest::saveFailureKeepsTheOldFile() {
    QFETCH(QString, where);
    QString target;
    QString keep; // a file that must come through whole
    if (where == QStringLiteral("folder")) {
        target = path(QStringLiteral("dir.SPD"));
        QVERIFY(QDir().mkpath(target));
        keep = target + QStringLiteral("/inside");
        Write(keep, "inside");
    } else if (where == QStringLiteral("notdir")) {
        keep = path(QStringLiteral("plain"));
        Write(keep, "plain");
        target = keep + QStringLiteral("/x.SPD");
    } else {
        if (geteuid() == 0)
            QSKIP("root writes anywhere; this case runs in the unprivileged pass");
        QVERIFY(QDir().mkpath(path(QStringLiteral("ro"))));
        keep = target = path(QStringLiteral("ro/old.SPD"));
        Write(keep, Pattern(700, 5));
        QVERIFY(QFile::setPermissions(path(QStringLiteral("ro")),
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QVERIFY(QFile::setPermissions(keep, QFileDevice::ReadOwner));
    }
    const QByteArray kept = Read(keep);
    if (QFileInfo::exists(target))
        answerForm2(Answer::Confirm);
    save(target);
    QCOMPARE(Read(keep), kept);
    QCOMPARE(form().windowTitle(), QStringLiteral("Keyloom"));
    QCOMPARE(m_window->messages.size(), 1);
    QVERIFY(m_window->messages.first().contains(QFileInfo(target).fileName()));
    if (where == QStringLiteral("readonly"))
        QFile::setPermissions(path(QStringLiteral("ro")), QFileDevice::ReadOwner |
                                                              QFileDevice::WriteOwner |
                                                              QFileDevice::ExeOwner);
}

void FilesTest::fullDiskKeepsTheOldFile() {
    // A file size limit makes the disk "full" after 100 bytes, for root too.
    const QString target = path(QStringLiteral("full.SPD"));
    Write(target, Pattern(80, 2));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 100;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    answerForm2(Answer::Confirm);
    save(target);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &old), 0);
    QCOMPARE(Read(target), Pattern(80, 2));
    QCOMPARE(form().windowTitle(), QStringLiteral("Keyloom"));
    QCOMPARE(m_window->messages.size(), 1);
    QCOMPARE(QDir(m_files->path()).entryList(QDir::Files), QStringList{QStringLiteral("full.SPD")});
}

void FilesTest::overwriteDialogAsDesigned() {
    TForm2* dialog = form().form2();
    QVERIFY(!dialog->isVisible()); // created hidden with the main window
    QVERIFY(!dialog->windowTitle().isEmpty());
    const struct {
        const char* name;
        QRect geometry;
        const char* text;
    } controls[] = {{"Label1", {16, 16, 209, 25}, nullptr},
                    {"Label2", {8, 48, 217, 25}, nullptr},
                    {"Button1", {40, 88, 65, 33}, "確認"},
                    {"Button2", {136, 88, 65, 33}, "放棄"}};
    for (const auto& c : controls) {
        QWidget* w = Child(*dialog, QLatin1String(c.name));
        QCOMPARE(w->geometry(), c.geometry);
        if (auto* button = qobject_cast<QPushButton*>(w)) {
            QCOMPARE(button->text(), QString::fromUtf8(c.text));
            QVERIFY(!button->isDefault() && !button->autoDefault());
        }
    }
    QCOMPARE(Child(*dialog, QStringLiteral("Button1"))->nextInFocusChain()->objectName(),
             QStringLiteral("Button2"));
    // A long name is cut at the label's width, never widens the dialog.
    Write(path(QString(80, u'n') + QStringLiteral(".SPD")), "x");
    answerForm2(Answer::Abandon);
    save(path(QString(80, u'n') + QStringLiteral(".SPD")));
    QCOMPARE(Child(*dialog, QStringLiteral("Label1"))->width(), 209);
}

QTEST_MAIN(FilesTest)
#include "test_files.moc"
