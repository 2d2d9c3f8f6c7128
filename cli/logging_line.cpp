#include "logging_line.h"

#include <QStringList>

#include "core/cell_codec.h"

namespace keyloom::cli {

LoggingLine::LoggingLine(SerialLine& inner, Clock& clock, QTextStream& log)
    : m_inner(inner), m_clock(clock), m_log(log), m_startUs(clock.nowUs()) {}

QString LoggingLine::stamp() {
    const std::int64_t us = m_clock.nowUs() - m_startUs;
    return QStringLiteral("[%1.%2]")
        .arg(us / 1'000'000, 3)
        .arg(us % 1'000'000, 6, 10, QLatin1Char('0'));
}

void LoggingLine::failed(const Error& error) {
    m_log << stamp() << " ! " << QString::fromStdString(error.message) << '\n';
    m_log.flush();
}

void LoggingLine::note(const QString& text) {
    m_log << stamp() << ' ' << text << '\n';
    m_log.flush();
}

Status LoggingLine::purge() {
    Status status = m_inner.purge();
    m_log << stamp() << " purge\n";
    if (!status)
        failed(status.error());
    m_log.flush();
    return status;
}

Status LoggingLine::writeByte(std::uint8_t byte) {
    Status status = m_inner.writeByte(byte);
    m_log << stamp() << " > " << QString::fromStdString(ByteToHex(byte));
    if (!status)
        m_log << " not taken: " << QString::fromStdString(status.error().message);
    m_log << '\n';
    m_log.flush();
    return status;
}

Result<std::size_t> LoggingLine::read(std::uint8_t* buf, std::size_t n) {
    Result<std::size_t> result = m_inner.read(buf, n);
    if (!result) {
        failed(result.error());
        return result;
    }
    // A quiet read (nothing arrived within its 40 ms) is not logged: a silent panel
    // would fill the log with hundreds of empty lines.
    if (*result == 0)
        return result;
    const QString head = stamp() + QStringLiteral(" < ");
    for (std::size_t i = 0; i < *result; i += 16) {
        QStringList bytes;
        for (std::size_t j = i; j < *result && j < i + 16; ++j)
            bytes << QString::fromStdString(ByteToHex(buf[j]));
        m_log << head << bytes.join(QLatin1Char(' ')) << '\n';
    }
    m_log.flush();
    return result;
}

} // namespace keyloom::cli
