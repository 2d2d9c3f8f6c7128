// .SPD files from the data page: load, save, and the overwrite after the user
// has confirmed it.
#include "form1.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QToolButton>

#include "storage/spd_file.h"
#include "ui/form2.h"

namespace keyloom {

QString TForm1::AskOpenPath() {
    if (m_fileDialogs.open)
        return m_fileDialogs.open();
    return QFileDialog::getOpenFileName(this, tr("Open SPD file"), m_lastFolder,
                                        QStringLiteral("*.SPD"));
}

QString TForm1::AskSavePath() {
    if (m_fileDialogs.save)
        return m_fileDialogs.save();
    // No filter and no default extension: the name is used as typed. The existence
    // test and the dialog of our own take the place of the toolkit's prompt.
    return QFileDialog::getSaveFileName(this, tr("Save SPD file"), m_lastFolder, QString(),
                                        nullptr, QFileDialog::DontConfirmOverwrite);
}

void TForm1::SpeedButtonOpenClick() {
    const QString path = AskOpenPath();
    if (path.isEmpty())
        return;
    m_lastFolder = QFileInfo(path).absolutePath();
    const Result<int> loaded = LoadSpdFile(path, m_image);
    if (!loaded) {
        TellUser(tr("File not loaded"), QString::fromStdString(loaded.error().message));
        return;
    }
    setWindowTitle(QStringLiteral("Farrowlink - ") + SpdFileName(path));
    ImageToViews();
}

void TForm1::SpeedButtonSaveClick() {
    const QString path = AskSavePath();
    if (path.isEmpty())
        return;
    m_lastFolder = QFileInfo(path).absolutePath();
    m_savePath = path;
    if (SpdPathTaken(path)) {
        m_form2->label1()->setText(SpdFileName(path));
        m_form2->label2()->setText(QStringLiteral("檔案已經存在,您要覆蓋它嗎?"));
        m_form2->setOverwrite([this] { OverwriteStep(); });
        m_form2->exec();
        return;
    }
    if (const Status saved = SaveSpdFile(path, m_image); !saved) {
        TellUser(tr("File not saved"), QString::fromStdString(saved.error().message));
        return;
    }
    setWindowTitle(QStringLiteral("Farrowlink - ") + SpdFileName(path));
}

void TForm1::OverwriteStep() {
    if (const Status saved = SaveSpdFile(m_savePath, m_image); !saved) {
        TellUser(tr("File not saved"), QString::fromStdString(saved.error().message) +
                                           tr("\n\nThe existing file was left as it was."));
        return;
    }
    setWindowTitle(QStringLiteral("Keyloom - ") + SpdFileName(m_savePath));
}

} // namespace keyloom
