#include "serial_port.h"

#include <cerrno>
#include <chrono>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace keyloom {

namespace {

Error SystemError(const std::string& what, int err) {
    return Error{err, what + ": " + std::strerror(err)};
}

const Error kNotOpen{EBADF, "the port is not open"};

std::int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

Status Configure(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return SystemError("not a serial line", errno);
    cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    // VMIN 1 with O_NONBLOCK: no data is EAGAIN, so a read of 0 bytes can only
    // mean a hang-up.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (cfsetispeed(&tio, B9600) != 0 || cfsetospeed(&tio, B9600) != 0)
        return SystemError("cannot set 9600 baud", errno);
    if (tcsetattr(fd, TCSANOW, &tio) != 0)
        return SystemError("the line refused 9600 8N1", errno);
    return {};
}

// A hang-up is reported by poll as POLLHUP/POLLERR and by read as EIO.
bool IsLost(short revents) {
    return (revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

const Error kLost{EIO, "the device is gone (hang-up or unplugged)"};

} // namespace

SerialPort::~SerialPort() {
    close();
}

Status SerialPort::open(const std::string& device) {
    close();
    if (device.empty())
        return Error{ENOENT, "no device stands behind this port"};
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return SystemError(device, errno);
    // TIOCEXCL keeps other non-root openers out; the flock also binds root and
    // any other program that locks the device.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        return SystemError(device + " is in use", err == EWOULDBLOCK ? EBUSY : err);
    }
    if (ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY) {
        const int err = errno;
        ::close(fd);
        return SystemError(device, err);
    }
    if (const auto configured = Configure(fd); !configured) {
        ::close(fd);
        return Error{configured.error().code, device + ": " + configured.error().message};
    }
    tcflush(fd, TCIOFLUSH);
    m_fd = fd;
    m_device = device;
    return {};
}

void SerialPort::close() {
    if (m_fd >= 0) {
        // The exclusive mode belongs to the tty, not to our descriptor: a
        // pseudo-terminal whose other end stays open would keep it, and lock
        // everyone but root out after we are gone.
        ioctl(m_fd, TIOCNXCL);
        ::close(m_fd); // releases the flock
        m_fd = -1;
    }
    m_device.clear();
}

bool SerialPort::isOpen() const {
    return m_fd >= 0;
}

Status SerialPort::purge() {
    if (m_fd < 0)
        return kNotOpen;
    if (tcflush(m_fd, TCIFLUSH) != 0)
        return SystemError("purge", errno);
    return {};
}

Status SerialPort::writeByte(std::uint8_t byte) {
    if (m_fd < 0)
        return kNotOpen;
    const std::int64_t deadline = NowMs() + kWriteTimeoutMs;
    for (;;) {
        const ssize_t n = ::write(m_fd, &byte, 1);
        if (n == 1)
            return {};
        if (n < 0 && errno == EIO)
            return kLost;
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return SystemError("write", errno);
        const std::int64_t left = deadline - NowMs();
        if (left <= 0)
            return Error{ETIMEDOUT, "the line took no byte within 500 ms"};
        pollfd p{m_fd, POLLOUT, 0};
        const int r = ::poll(&p, 1, static_cast<int>(left));
        if (r < 0 && errno != EINTR)
            return SystemError("write", errno);
        if (r > 0 && IsLost(p.revents) && !(p.revents & POLLOUT))
            return kLost;
    }
}

Result<std::size_t> SerialPort::read(std::uint8_t* buf, std::size_t n) {
    if (m_fd < 0)
        return kNotOpen;
    std::size_t got = 0;
    const std::int64_t deadline = NowMs() + kReadTimeoutMs;
    while (got < n) {
        const ssize_t r = ::read(m_fd, buf + got, n - got);
        if (r > 0) {
            got += static_cast<std::size_t>(r);
            continue;
        }
        if (r == 0 || (r < 0 && errno == EIO))
            return kLost;
        if (errno != EAGAIN && errno != EINTR)
            return SystemError("read", errno);
        const std::int64_t left = deadline - NowMs();
        if (left <= 0)
            break;
        pollfd p{m_fd, POLLIN, 0};
        const int pr = ::poll(&p, 1, static_cast<int>(left));
        if (pr < 0 && errno != EINTR)
            return SystemError("read", errno);
        if (pr > 0 && IsLost(p.revents) && !(p.revents & POLLIN))
            return kLost;
    }
    return got;
}

} // namespace keyloom
