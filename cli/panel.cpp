#include "panel.h"

#include <cerrno>

#include "link/transfer.h"

namespace keyloom::cli {

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

// Progress on one redrawn terminal line, and the engine's status texts in the
// byte log. Nothing at all when neither is asked for.
class ConsoleObserver final : public TransferObserver {
public:
    enum class Kind { Write, Read };

    ConsoleObserver(Kind kind, Console& console, LoggingLine* log)
        : m_kind(kind), m_console(console), m_log(log) {}
    ~ConsoleObserver() override { clear(); }

    void status(const std::string& utf8Text) override {
        if (m_log)
            m_log->note(FromUtf8(utf8Text));
        if (utf8Text == kTextWriting)
            draw(0);
    }
    void progress(int position) override {
        // A write reports 4 * j after data frame j (0-based).
        if (m_kind == Kind::Write)
            draw(position / 4 + 1);
    }
    void readCount(int count) override {
        if (m_kind == Kind::Read)
            draw(count);
    }

private:
    void draw(int n) {
        if (!m_console.showsProgress())
            return;
        const QString text = m_kind == Kind::Write ? QStringLiteral("%1 frame %2 of %3")
                                                         .arg(QString::fromUtf8(kTextWriting))
                                                         .arg(n)
                                                         .arg(kDataFrames)
                                                   : QStringLiteral("%1 bytes %2 of %3")
                                                         .arg(QString::fromUtf8(kTextReading))
                                                         .arg(n)
                                                         .arg(kImageSize);
        m_console.err << "\r\x1b[2K" << text;
        m_console.err.flush();
        m_drawn = true;
    }
    void clear() {
        if (!m_drawn)
            return;
        m_console.err << "\r\x1b[2K";
        m_console.err.flush();
    }

    Kind m_kind;
    Console& m_console;
    LoggingLine* m_log;
    bool m_drawn = false;
};

QString LineHint(const Error& error, const PortChoice& port) {
    if (error.code == ETIMEDOUT)
        return QStringLiteral("No answer from the panel: check that it is powered, that the cable "
                              "is plugged in, and that it hangs on %1.")
            .arg(port.label());
    if (error.code == EIO)
        return QStringLiteral("The device went away: check the adapter and the cable.");
    return QStringLiteral("Check the cable and the panel.");
}

} // namespace

Panel::Panel(PortChoice port, Console& console) : m_port(std::move(port)), m_console(console) {}

Panel::~Panel() = default;

bool Panel::open() {
    const Status opened = m_serial.open(m_port.device.toStdString());
    if (!opened) {
        const QString where =
            m_port.number > 0 ? QStringLiteral("%1 -> ").arg(m_port.name) : QString();
        m_console.error(
            QStringLiteral("COM Port 無法開啟: %1%2").arg(where, FromUtf8(opened.error().message)));
        m_console.error(OpenFailureHint(opened.error().code));
        return false;
    }
    if (m_console.verbose) {
        m_log = std::make_unique<LoggingLine>(m_serial, m_clock, m_console.err);
        m_log->note(QStringLiteral("opened %1").arg(m_port.label()));
    }
    return true;
}

SerialLine& Panel::line() {
    return m_log ? static_cast<SerialLine&>(*m_log) : m_serial;
}

std::optional<SpdImage> Panel::read(const QString& what) {
    ReadOutcome outcome;
    {
        ConsoleObserver observer(ConsoleObserver::Kind::Read, m_console, m_log.get());
        outcome = RunRead(line(), m_clock, observer);
    }
    if (outcome.complete)
        return outcome.image;
    const QString prefix = what.isEmpty() ? QString() : what + QStringLiteral(": ");
    m_console.error(
        QStringLiteral("%1%2: %3 (%4 of %5 bytes from %6)")
            .arg(prefix, QString::fromUtf8(kTextReadFailed), FromUtf8(outcome.error.message))
            .arg(outcome.count)
            .arg(kImageSize)
            .arg(m_port.label()));
    m_console.error(LineHint(outcome.error, m_port));
    return std::nullopt;
}

bool Panel::write(const SpdImage& image) {
    WriteOutcome outcome;
    {
        ConsoleObserver observer(ConsoleObserver::Kind::Write, m_console, m_log.get());
        outcome = RunWrite(line(), m_clock, image, observer);
    }
    if (outcome.ok)
        return true;
    m_console.error(QStringLiteral("%1: %2 (%3)")
                        .arg(QString::fromUtf8(kTextWriteFailed), FromUtf8(outcome.error.message),
                             m_port.label()));
    if (outcome.handshakeCount > 0) {
        m_console.error(QStringLiteral("The panel had accepted the write and %1 of %2 data "
                                       "frames had gone out, so its memory may be partly new: "
                                       "write again.")
                            .arg(outcome.framesSent)
                            .arg(kDataFrames));
    }
    m_console.error(LineHint(outcome.error, m_port));
    return false;
}

} // namespace keyloom::cli
