#pragma once

#include <QString>
#include <QTextStream>

#include "link/clock.h"
#include "link/serial_line.h"

namespace keyloom::cli {

// A serial line that passes everything to the real one and logs it: every byte
// sent and received, each purge and each failure, with the time since the line
// was wrapped. The transfer engine stays as it is; --verbose puts this around the port.
//
//   [  0.100412] > FF          a byte sent
//   [  0.140533] < 01          bytes received by one read
//   [  0.140600] purge
class LoggingLine final : public SerialLine {
public:
    LoggingLine(SerialLine& inner, Clock& clock, QTextStream& log);

    Status purge() override;
    Status writeByte(std::uint8_t byte) override;
    Result<std::size_t> read(std::uint8_t* buf, std::size_t n) override;

    // A line of text among the bytes (the engine's status texts), stamped the same way.
    void note(const QString& text);

private:
    QString stamp();
    void failed(const Error& error);

    SerialLine& m_inner;
    Clock& m_clock;
    QTextStream& m_log;
    std::int64_t m_startUs;
};

} // namespace keyloom::cli
