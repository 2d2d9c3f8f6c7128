#pragma once

#include <memory>
#include <optional>

#include "cli/console.h"
#include "cli/logging_line.h"
#include "cli/port_choice.h"
#include "core/spd_image.h"
#include "link/clock.h"
#include "link/serial_port.h"

namespace keyloom::cli {

// The panel on one port for the length of a command: opens the port and runs the
// transfer engine on it, with progress and (--verbose) the byte log as the console
// asks. Every failure is told on the console before it is returned.
class Panel {
public:
    Panel(PortChoice port, Console& console);
    ~Panel();
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    // Opens the port; false after saying why.
    bool open();

    // The panel's 512 bytes, or nothing after saying why (`what` starts the
    // message, e.g. "backup"). Fewer than 512 bytes is a failure.
    std::optional<SpdImage> read(const QString& what = {});

    // Writes `image`; false after saying why.
    bool write(const SpdImage& image);

    const PortChoice& port() const { return m_port; }

private:
    SerialLine& line();

    PortChoice m_port;
    Console& m_console;
    SerialPort m_serial;
    SteadyClock m_clock;
    std::unique_ptr<LoggingLine> m_log;
};

} // namespace keyloom::cli
