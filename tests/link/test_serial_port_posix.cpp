// The real POSIX port against a pseudo-terminal: bytes really move, the time
// limits hold, and hang-ups, busy devices and non-serial devices are errors.

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "link/serial_port.h"
#include "tests/support/check.h"

using namespace keyloom;

namespace {

// The master end plays the panel; the port opens the slave.
class Pty {
public:
    Pty() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0)
            m_slave = ptsname(m_master);
    }
    ~Pty() { closeMaster(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    int master() const { return m_master; }
    const std::string& slave() const { return m_slave; }
    void closeMaster() {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

    void send(const std::vector<std::uint8_t>& bytes) const {
        CHECK_EQ(::write(m_master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // What the port wrote, waiting up to 2 s for n bytes.
    std::vector<std::uint8_t> receive(std::size_t n) const {
        std::vector<std::uint8_t> out;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (out.size() < n && std::chrono::steady_clock::now() < until) {
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            std::uint8_t buf[512];
            const ssize_t r = ::read(m_master, buf, sizeof buf);
            if (r > 0)
                out.insert(out.end(), buf, buf + r);
        }
        return out;
    }

private:
    int m_master = -1;
    std::string m_slave;
};

// A second descriptor of the slave that only looks: it tells how much input has
// really arrived, so a purge is tested on bytes that are there. Opened before the
// port, as TIOCEXCL keeps later openers out (unless they are root).
class SlaveWatch {
public:
    explicit SlaveWatch(const std::string& slave)
        : m_fd(::open(slave.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK)) {}
    ~SlaveWatch() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SlaveWatch(const SlaveWatch&) = delete;
    SlaveWatch& operator=(const SlaveWatch&) = delete;

    // Waits up to 2 s until `n` bytes are pending.
    bool waitPending(int n) const {
        int pending = -1;
        for (int i = 0; i < 200 && m_fd >= 0; ++i) {
            if (ioctl(m_fd, FIONREAD, &pending) != 0 || pending >= n)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return pending == n;
    }

private:
    int m_fd;
};

// Reads until n bytes or 2 s.
std::vector<std::uint8_t> ReadPort(SerialPort& port, std::size_t n) {
    std::vector<std::uint8_t> out(n);
    std::size_t got = 0;
    for (int i = 0; i < 50 && got < n; ++i) {
        const auto r = port.read(out.data() + got, n - got);
        CHECK(r.ok());
        if (!r)
            break;
        got += *r;
    }
    out.resize(got);
    return out;
}

double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

std::vector<std::uint8_t> AllByteValues() {
    std::vector<std::uint8_t> bytes(256);
    for (int i = 0; i < 256; ++i)
        bytes[i] = static_cast<std::uint8_t>(i);
    return bytes;
}

} // namespace

// Raw 9600 8N1 with nothing that rewrites bytes: CR, LF, XON/XOFF, 0xFF and the
// rest must cross both ways unchanged, or images would arrive altered.
TEST_CASE(port_is_raw_and_moves_every_byte_value_both_ways) {
    Pty pty;
    SerialPort port;
    const auto opened = port.open(pty.slave());
    CHECK(opened.ok());
    CHECK(port.isOpen());

    termios tio{};
    CHECK_EQ(tcgetattr(pty.master(), &tio), 0); // a pty pair shares one termios
    CHECK_EQ(cfgetispeed(&tio), speed_t{B9600});
    CHECK_EQ(cfgetospeed(&tio), speed_t{B9600});
    CHECK_EQ(tio.c_cflag & CSIZE, tcflag_t{CS8});
    CHECK_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t{0});
    CHECK_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP), tcflag_t{0});
    CHECK_EQ(tio.c_oflag & OPOST, tcflag_t{0});
    CHECK_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), tcflag_t{0});

    const auto bytes = AllByteValues();
    for (const std::uint8_t b : bytes)
        CHECK(port.writeByte(b).ok());
    CHECK(pty.receive(256) == bytes);

    pty.send(bytes);
    CHECK(ReadPort(port, 256) == bytes);
}

// A read returns at n bytes or after 40 ms with what it has, 0 included.
TEST_CASE(read_returns_what_arrived_within_40_ms) {
    Pty pty;
    SlaveWatch watch(pty.slave());
    SerialPort port;
    CHECK(port.open(pty.slave()).ok());
    std::uint8_t buf[16];

    auto start = std::chrono::steady_clock::now();
    const auto nothing = port.read(buf, sizeof buf);
    const double idleMs = MsSince(start);
    CHECK(nothing.ok() && *nothing == 0);
    CHECK(idleMs >= 39.0 && idleMs < 1000.0);

    pty.send({1, 2, 3});
    CHECK(watch.waitPending(3));
    start = std::chrono::steady_clock::now();
    const auto some = port.read(buf, sizeof buf);
    const double someMs = MsSince(start);
    CHECK(some.ok() && *some == 3);
    CHECK(someMs >= 39.0 && someMs < 1000.0);
}

// A hang-up (the other end gone, as with an unplugged adapter) is an error for
// every operation, never "0 bytes".
TEST_CASE(hang_up_is_an_error_not_silence) {
    Pty pty;
    SerialPort port;
    CHECK(port.open(pty.slave()).ok());
    pty.closeMaster();

    std::uint8_t buf[4];
    const auto read = port.read(buf, sizeof buf);
    CHECK(!read.ok());
    if (!read)
        CHECK_EQ(read.error().code, EIO);
    const auto written = port.writeByte(0x42);
    CHECK(!written.ok());
}

// A byte the line will not take is given up after 500 ms instead of hanging.
TEST_CASE(write_gives_up_when_the_line_takes_nothing) {
    Pty pty;
    SerialPort port;
    CHECK(port.open(pty.slave()).ok());
    // Nobody reads the master, so the pty's buffers fill up.
    Status written;
    int count = 0;
    auto start = std::chrono::steady_clock::now();
    for (; count < (1 << 20) && written.ok(); ++count) {
        start = std::chrono::steady_clock::now();
        written = port.writeByte(0x55);
    }
    const double ms = MsSince(start);
    CHECK(!written.ok());
    if (!written)
        CHECK_EQ(written.error().code, ETIMEDOUT);
    CHECK(ms >= 490.0 && ms < 5000.0);
}

// We run as root, where TIOCEXCL lets everyone in; the flock still keeps a
// second opener out, and closing lets the next one in.
TEST_CASE(a_held_port_cannot_be_opened_twice) {
    Pty pty;
    SerialPort first;
    SerialPort second;
    CHECK(first.open(pty.slave()).ok());
    const auto again = second.open(pty.slave());
    CHECK(!again.ok());
    if (!again)
        CHECK_EQ(again.error().code, EBUSY);
    CHECK(!second.isOpen());

    first.close();
    CHECK(second.open(pty.slave()).ok());
}

// A device that is not a serial line is refused and not held: the lock is
// released and the same port object opens a real line afterwards.
TEST_CASE(a_non_serial_device_is_refused_and_released) {
    char path[] = "/tmp/keyloom-notatty-XXXXXX";
    const int file = mkstemp(path);
    CHECK(file >= 0);
    ::close(file);

    SerialPort port;
    for (const char* device : {"/dev/null", static_cast<const char*>(path)}) {
        const auto opened = port.open(device);
        CHECK(!opened.ok());
        CHECK(!port.isOpen());
        CHECK(!port.purge().ok());
    }
    const int probe = ::open(path, O_RDONLY);
    CHECK(probe >= 0);
    CHECK_EQ(flock(probe, LOCK_EX | LOCK_NB), 0);
    ::close(probe);
    ::unlink(path);

    CHECK(!port.open("/dev/keyloom-no-such-device").ok());

    Pty pty;
    CHECK(port.open(pty.slave()).ok());
    pty.send({0x7E});
    CHECK(ReadPort(port, 1) == std::vector<std::uint8_t>{0x7E});
}

// A purge drops input that has arrived and nothing that comes after it.
TEST_CASE(purge_discards_pending_input) {
    Pty pty;
    SlaveWatch watch(pty.slave());
    SerialPort port;
    CHECK(port.open(pty.slave()).ok());
    pty.send({9, 8, 7, 6, 5});
    CHECK(watch.waitPending(5));

    CHECK(port.purge().ok());
    std::uint8_t buf[8];
    const auto after = port.read(buf, sizeof buf);
    CHECK(after.ok() && *after == 0);

    pty.send({4, 3});
    CHECK(ReadPort(port, 2) == (std::vector<std::uint8_t>{4, 3}));
}

int main() {
    return keyloom::test::RunAll();
}
