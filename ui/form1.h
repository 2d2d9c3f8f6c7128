#pragma once

#include <array>
#include <functional>

#include <QString>
#include <QWidget>

#include "core/spd_image.h"
#include "link/serial_port.h"

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QThread;
class QToolButton;

namespace keyloom {

class CellEdit;
class TabControl;
class TForm2;
class TransferObserver;

// The main window: the port, the three pages, the byte grid, the key settings,
// the transfers and the files. Its methods carry the designer's handler names.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    // How the window tells the user something that needs reading (a setting
    // that could not be stored, a file that could not be read). Empty: a message
    // box. Tests pass their own.
    using UserMessage = std::function<void(const QString& title, const QString& text)>;

    explicit TForm1(UserMessage userMessage = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    // --- image and views ---------------------------------------------------
    SpdImage& image() { return m_image; }
    const SpdImage& image() const { return m_image; }
    bool hexMode() const { return m_hexMode; }
    CellEdit* cell(int index) const { return m_cells[static_cast<std::size_t>(index)]; }

    void ImageToViews();
    void ViewsToImage();

    // Where the file dialogs come from: the toolkit's, unless a test answers them.
    // Each returns the chosen path, or an empty text when the user cancelled.
    struct FileDialogs {
        std::function<QString()> open;
        std::function<QString()> save;
    };
    void setFileDialogs(FileDialogs dialogs) { m_fileDialogs = std::move(dialogs); }
    TForm2* form2() const { return m_form2; }

    // --- handlers ----------------------------------------------------------
    void FormCreate();
    void ComboBox1Change();
    void TabControl1Change();
    void SpeedButton3Click();
    void SpeedButtonHEXClick();
    void SpeedButtonACSIIClick();
    void FormMouseMove();
    void SpeedButtonOpenClick();
    void SpeedButtonSaveClick();
    void SpeedButton1Click();
    void SpeedButton2Click();

    // --- transfers -----------------------------------------------------------
    bool transferRunning() const { return m_transferRunning; }

    // --- pages ---------------------------------------------------------------
    void ShowPage();
    void SetCellsVisible(bool show);

    // --- port ----------------------------------------------------------------
    void FillPortList();
    void OpenPort();
    bool portOpened() const { return m_portOpened; }
    const QString& portPath() const { return m_portPath; }
    const QString& portDevice() const { return m_portDevice; }
    SerialPort& portHandle() { return m_port; }

    // --- stored port choice --------------------------------------------------
    void LoadPara();
    void SavePara();

protected:
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    // Building the window, one concern each.
    void BuildFrame();
    void BuildTransferPanel();
    void BuildHeaderPanel();
    void BuildCells();
    void BuildKeySettings();
    void BuildPagePanels();
    void PlacePagePanels();

    void FormClose();
    // Transfers run on m_transferThread; these run on the GUI thread.
    void StartTransfer(std::function<void(TransferObserver&)> work);
    void TransferEnded();
    void OverwriteStep();
    QString AskOpenPath();
    QString AskSavePath();
    void TellUser(const QString& title, const QString& text);

    // Key settings lists: byte 288 first, then 144..152, as the commit stores them.
    void ListsToImage();
    void ImageToLists();
    void CellEdited(CellEdit* cell);

    SpdImage m_image{};
    bool m_hexMode = true;

    // Port state.
    SerialPort m_port;
    QString m_portPath;
    QString m_portDevice;
    bool m_portOpened = false;

    bool m_closed = false;
    bool m_transferRunning = false;
    bool m_closeAfterTransfer = false;
    QThread* m_transferThread = nullptr;
    QObject* m_transferContext = nullptr; // lives on m_transferThread
    bool m_settingsProblemTold = false;
    bool m_inFormCreate = false;
    UserMessage m_userMessage;
    FileDialogs m_fileDialogs;
    QString m_savePath;   // the path the save dialog gave, for the overwrite
    QString m_lastFolder; // where the file dialogs open next

    // Controls that the logic reads or writes (all carry their objectName).
    QLabel* m_label18 = nullptr;
    QComboBox* m_comboBox1 = nullptr;
    TabControl* m_tabControl1 = nullptr;
    QFrame* m_panel1 = nullptr;
    QFrame* m_panel2 = nullptr;
    QFrame* m_panel3 = nullptr;
    QFrame* m_panel5 = nullptr;
    QFrame* m_panel6 = nullptr;
    QFrame* m_panel8 = nullptr;
    QGroupBox* m_groupBox1 = nullptr;
    QProgressBar* m_progressBar1 = nullptr;
    QLabel* m_label3 = nullptr;
    QLabel* m_label6 = nullptr;
    QLabel* m_label86 = nullptr;
    QPushButton* m_speedButton1 = nullptr;
    QPushButton* m_speedButton2 = nullptr;
    QPushButton* m_speedButton3 = nullptr;
    QToolButton* m_speedButtonOpen = nullptr;
    std::array<CellEdit*, kGridBytes> m_cells{};
    std::array<QComboBox*, kKeyCount> m_linkLists{};
    QComboBox* m_baudList = nullptr;
    TForm2* m_form2 = nullptr;
};

} // namespace keyloom
