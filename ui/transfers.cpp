// Writing the image into the panel and reading it back, on a worker thread so
// the window keeps repainting; the labels and the bar follow through queued calls.
#include "form1.h"

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QToolButton>

#include "link/transfer.h"

namespace keyloom {

namespace {

// Hands what the engine reports on the worker thread to the window's thread. The
// window is the context of every call, so nothing runs once it is gone.
class WindowObserver final : public TransferObserver {
public:
    WindowObserver(QObject* window, QLabel* label6, QLabel* label3, QLabel* label86,
                   QProgressBar* bar)
        : m_window(window), m_label6(label6), m_label3(label3), m_label86(label86), m_bar(bar) {}

    void status(const std::string& utf8Text) override {
        Post([label = m_label6, text = QString::fromStdString(utf8Text)] { label->setText(text); });
    }
    void handshakeCount(int count) override {
        Post([label = m_label3, count] { label->setText(QString::number(count)); });
    }
    void readCount(int count) override {
        Post([label = m_label86, count] { label->setText(QString::number(count)); });
    }
    void progress(int position) override {
        // The bar runs 0..128; a complete read reports 130, which shows as full.
        Post([bar = m_bar, position] {
            bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
        });
    }

private:
    template <class F>
    void Post(F&& f) {
        QMetaObject::invokeMethod(m_window, std::forward<F>(f), Qt::QueuedConnection);
    }
    QObject* m_window;
    QLabel* m_label6;
    QLabel* m_label3;
    QLabel* m_label86;
    QProgressBar* m_bar;
};

} // namespace

void TForm1::StartTransfer(std::function<void(TransferObserver&)> work) {
    if (m_transferRunning)
        return;
    if (!m_transferThread) {
        m_transferThread = new QThread(this);
        m_transferThread->setObjectName(QStringLiteral("transfer"));
        m_transferContext = new QObject;
        m_transferContext->moveToThread(m_transferThread);
        connect(m_transferThread, &QThread::finished, m_transferContext, &QObject::deleteLater);
        m_transferThread->start();
    }
    m_transferRunning = true;
    // One transfer at a time, on the port it started on, with the image it
    // started with.
    for (QWidget* w : std::initializer_list<QWidget*>{m_speedButton1, m_speedButton2, m_comboBox1,
                                                      m_speedButtonOpen})
        w->setEnabled(false);
    auto observer = std::make_shared<WindowObserver>(this, m_label6, m_label3, m_label86,
                                                     m_progressBar1);
    QMetaObject::invokeMethod(
        m_transferContext, [observer, work = std::move(work)] { work(*observer); },
        Qt::QueuedConnection);
}

void TForm1::TransferEnded() {
    m_transferRunning = false;
    for (QWidget* w : std::initializer_list<QWidget*>{m_speedButton1, m_speedButton2, m_comboBox1,
                                                      m_speedButtonOpen})
        w->setEnabled(true);
    if (m_closeAfterTransfer)
        close();
}

void TForm1::SpeedButton1Click() {
    const SpdImage copy = m_image; // what was committed at the click, and nothing later
    StartTransfer([this, copy](TransferObserver& observer) {
        SteadyClock clock;
        RunWrite(m_port, clock, copy, observer);
        QMetaObject::invokeMethod(this, [this] { TransferEnded(); }, Qt::QueuedConnection);
    });
}

void TForm1::SpeedButton2Click() {
    StartTransfer([this](TransferObserver& observer) {
        SteadyClock clock;
        ReadOutcome outcome = RunRead(m_port, clock, observer);
        QMetaObject::invokeMethod(
            this,
            [this, outcome] {
                // The image changes only with a complete answer.
                if (outcome.complete) {
                    m_image = outcome.image;
                    ImageToViews();
                }
                TransferEnded();
            },
            Qt::QueuedConnection);
    });
}

} // namespace keyloom
