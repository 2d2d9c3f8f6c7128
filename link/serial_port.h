#pragma once

#include <string>

#include "link/serial_line.h"

namespace keyloom {

// The one real serial port: raw, 9600 baud, 8N1, no flow control, exclusive.
// On Linux termios with TIOCEXCL and an flock (root ignores TIOCEXCL); on
// Windows the Win32 comm calls.
class SerialPort final : public SerialLine {
public:
    SerialPort() = default;
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens and configures `device`. A device that opened but refused the line
    // settings is closed again before the error is returned, so it is never held.
    Status open(const std::string& device);
    void close();
    bool isOpen() const;
    const std::string& device() const { return m_device; }

    Status purge() override;
    Status writeByte(std::uint8_t byte) override;
    Result<std::size_t> read(std::uint8_t* buf, std::size_t n) override;

private:
#ifdef _WIN32
    void* m_handle = nullptr;
#else
    int m_fd = -1;
#endif
    std::string m_device;
};

} // namespace keyloom
