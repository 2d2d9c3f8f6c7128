#include "virtual_panel.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
#include <mutex>
#include <random>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace keyloom::sim {

namespace {

// What the panel knows of the tool's frames, kept apart from the tool's own
// definitions so the panel checks the tool instead of agreeing with it.
constexpr std::uint8_t kWriteCommand = 0xFF;
constexpr std::uint8_t kReadCommand = 0xFE;
constexpr std::size_t kFrameLength = 17;
constexpr int kBlocks = 32;
constexpr int kBlockSize = 16;
constexpr std::uint8_t kHandshakeByte = 0x06;
constexpr std::uint8_t kLongAnswerFill = 0xEE;
constexpr std::int64_t kFramePauseUs = 500'000;
constexpr std::int64_t kReadCommandPauseUs = 10'000;
constexpr std::int64_t kByteTimeUs = 1042; // 10 bits at 9600 baud
// A frame's bytes come back to back, or 10 ms apart in a read command; a longer
// silence inside a frame means the frame was cut short.
constexpr std::int64_t kFrameGapUs = 100'000;

std::int64_t SteadyUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

Error SystemError(const std::string& what, int err) {
    return Error{err, what + ": " + std::strerror(err)};
}

std::string Ms(std::int64_t us) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f ms", static_cast<double>(us) / 1000.0);
    return text;
}

// The panel's own end of a real cable speaks 9600 8N1 raw, like the panel's UART.
Status ConfigureDevice(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return SystemError("not a serial line", errno);
    cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    if (tcsetattr(fd, TCSANOW, &tio) != 0)
        return SystemError("cannot set 9600 8N1", errno);
    return {};
}

} // namespace

struct VirtualPanel::Impl {
    explicit Impl(PanelOptions o) : options(std::move(o)), random(options.seed) {}

    PanelOptions options;
    std::string path;
    int lineFd = -1;
    int slaveHoldFd = -1; // keeps the pty's slave open, see start()
    int stopPipe[2] = {-1, -1};
    std::thread thread;
    std::FILE* log = nullptr;
    bool ownLog = false;
    std::int64_t startUs = 0;

    mutable std::mutex mutex; // guards what the queries read
    SpdImage memory{};
    std::vector<std::string> violations;
    std::vector<ReceivedByte> received;
    int writesStored = 0;
    int readCommands = 0;
    std::atomic<bool> hungUp{false};

    // Owned by the panel's thread.
    struct Outgoing {
        std::int64_t dueUs;
        std::uint8_t byte;
    };
    std::deque<Outgoing> outgoing;
    std::vector<std::uint8_t> frame;
    std::vector<std::int64_t> frameTimes;
    std::int64_t lastByteUs = -1;
    bool writing = false; // between a write command and block 31
    int nextBlock = 0;
    int blocksThisWrite = 0;
    std::int64_t lastFrameEndUs = 0;
    long receivedTotal = 0;
    std::mt19937 random;

    std::int64_t now() const { return SteadyUs() - startUs; }

    void logLine(std::int64_t t, const std::string& text) {
        if (log)
            std::fprintf(log, "%11.6f %s\n", static_cast<double>(t) / 1e6, text.c_str());
    }

    void violation(std::int64_t t, const std::string& text) {
        logLine(t, "!! " + text);
        std::lock_guard lock(mutex);
        violations.push_back(text);
    }

    void reply(std::int64_t t, const std::vector<std::uint8_t>& bytes, const char* what) {
        if (options.silent)
            return;
        std::int64_t due = t + std::int64_t{options.replyDelayMs} * 1000;
        if (!outgoing.empty())
            due = std::max(due, outgoing.back().dueUs + (options.lineTime ? kByteTimeUs : 0));
        for (const std::uint8_t b : bytes) {
            outgoing.push_back({due, b});
            if (options.lineTime)
                due += kByteTimeUs;
        }
        logLine(t, std::string("tx ") + what + ", " + std::to_string(bytes.size()) + " bytes");
    }

    void receive(std::int64_t t, std::uint8_t byte) {
        if (log) {
            char text[16];
            std::snprintf(text, sizeof text, "rx %02X", byte);
            logLine(t, text);
        }
        {
            std::lock_guard lock(mutex);
            received.push_back({t, byte});
        }
        ++receivedTotal;
        if (!frame.empty() && t - lastByteUs > kFrameGapUs) {
            violation(t, "frame cut short after " + std::to_string(frame.size()) + " of 17 bytes");
            frame.clear();
            frameTimes.clear();
        }
        lastByteUs = t;
        frame.push_back(byte);
        frameTimes.push_back(t);
        if (frame.size() == kFrameLength) {
            onFrame();
            frame.clear();
            frameTimes.clear();
        }
    }

    void endWrite(std::int64_t t) {
        if (writing)
            violation(t, "write ended after " + std::to_string(blocksThisWrite) + " of 32 blocks");
        writing = false;
    }

    void onFrame() {
        const std::int64_t first = frameTimes.front();
        const std::int64_t last = frameTimes.back();
        const std::uint8_t head = frame[0];
        if (head == kWriteCommand) {
            endWrite(first);
            writing = true;
            nextBlock = 0;
            blocksThisWrite = 0;
            lastFrameEndUs = last;
            reply(last,
                  std::vector<std::uint8_t>(std::max(0, options.handshakeBytes), kHandshakeByte),
                  "handshake");
        } else if (head == kReadCommand) {
            endWrite(first);
            std::int64_t shortest = kReadCommandPauseUs;
            for (std::size_t i = 1; i < frameTimes.size(); ++i)
                shortest = std::min(shortest, frameTimes[i] - frameTimes[i - 1]);
            if (shortest < kReadCommandPauseUs - options.pacingSlackUs)
                violation(first, "read command bytes " + Ms(shortest) + " apart; 10 ms expected");
            {
                std::lock_guard lock(mutex);
                ++readCommands;
            }
            reply(last, answer(), "answer");
        } else if (head < kBlocks) {
            onDataFrame(head, first, last);
        } else {
            char text[64];
            std::snprintf(text, sizeof text, "frame starts with 0x%02X: no command, no block",
                          head);
            violation(first, text);
        }
    }

    void onDataFrame(int block, std::int64_t first, std::int64_t last) {
        if (!writing) {
            violation(first, "block " + std::to_string(block) + " without a write command");
            return;
        }
        if (block != nextBlock)
            violation(first, "block " + std::to_string(block) + " where block " +
                                 std::to_string(nextBlock) + " was due");
        // The panel needs the pause to store a block; the one after the write
        // command is the tool's handshake time and not the panel's concern.
        if (nextBlock > 0 && first - lastFrameEndUs < kFramePauseUs - options.pacingSlackUs)
            violation(first, "block " + std::to_string(block) + " came " +
                                 Ms(first - lastFrameEndUs) +
                                 " after the one before; 500 ms expected");
        {
            std::lock_guard lock(mutex);
            for (int i = 0; i < kBlockSize; ++i) {
                const int offset = block * kBlockSize + i;
                std::uint8_t value = frame[1 + i];
                if (offset == options.wrongByteAt)
                    value = static_cast<std::uint8_t>(~value);
                memory[offset] = value;
            }
        }
        lastFrameEndUs = last;
        nextBlock = block + 1;
        ++blocksThisWrite;
        if (block == kBlocks - 1) {
            writing = false;
            {
                std::lock_guard lock(mutex);
                ++writesStored;
            }
            logLine(last, "write stored");
            saveMemory();
        }
    }

    std::vector<std::uint8_t> answer() {
        const std::size_t length = static_cast<std::size_t>(std::max(0, options.answerBytes));
        std::vector<std::uint8_t> bytes(length, kLongAnswerFill);
        if (options.garbage) {
            for (auto& b : bytes)
                b = static_cast<std::uint8_t>(random());
            return bytes;
        }
        std::lock_guard lock(mutex);
        std::copy_n(memory.begin(), std::min(length, memory.size()), bytes.begin());
        return bytes;
    }

    Status loadMemory() {
        if (options.memoryFile.empty())
            return {};
        std::ifstream in(options.memoryFile, std::ios::binary);
        if (!in)
            return {}; // a new file: the first stored write creates it
        char buffer[kImageSize];
        in.read(buffer, sizeof buffer);
        if (in.bad())
            return SystemError(options.memoryFile, errno);
        std::lock_guard lock(mutex);
        std::copy_n(buffer, in.gcount(), memory.begin());
        return {};
    }

    void saveMemory() {
        if (options.memoryFile.empty())
            return;
        SpdImage copy;
        {
            std::lock_guard lock(mutex);
            copy = memory;
        }
        // Replace the file whole, never leave half an image.
        const std::string temp = options.memoryFile + ".tmp";
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(copy.data()), copy.size());
        out.close();
        if (!out || std::rename(temp.c_str(), options.memoryFile.c_str()) != 0) {
            std::remove(temp.c_str());
            std::fprintf(stderr, "keyloom-panel: cannot save %s\n", options.memoryFile.c_str());
        }
    }

    void hangUp(std::int64_t t) {
        logLine(t, "hang-up after " + std::to_string(receivedTotal) + " bytes");
        ::close(lineFd);
        lineFd = -1;
        if (slaveHoldFd >= 0)
            ::close(slaveHoldFd);
        slaveHoldFd = -1;
        outgoing.clear();
        hungUp = true;
    }

    // Hands over every reply byte that is due; what the line does not take now
    // waits for the next round.
    void sendDue() {
        const std::int64_t t = now();
        std::uint8_t buffer[4096];
        std::size_t n = 0;
        while (n < sizeof buffer && n < outgoing.size() && outgoing[n].dueUs <= t) {
            buffer[n] = outgoing[n].byte;
            ++n;
        }
        if (n == 0)
            return;
        const ssize_t w = ::write(lineFd, buffer, n);
        if (w > 0)
            outgoing.erase(outgoing.begin(), outgoing.begin() + w);
    }

    void run() {
        std::uint8_t buffer[1024];
        while (lineFd >= 0) {
            int timeoutMs = -1;
            if (!outgoing.empty()) {
                const std::int64_t wait = outgoing.front().dueUs - now();
                timeoutMs = wait <= 0 ? 0 : static_cast<int>((wait + 999) / 1000);
            }
            const bool due = !outgoing.empty() && outgoing.front().dueUs <= now();
            pollfd fds[2] = {{lineFd, static_cast<short>(POLLIN | (due ? POLLOUT : 0)), 0},
                             {stopPipe[0], POLLIN, 0}};
            // A line that only owes bytes the driver will not take yet is polled
            // for room; one that owes bytes later wakes up when they are due.
            const int r = ::poll(fds, 2, due ? 10 : timeoutMs);
            if (r < 0 && errno != EINTR)
                break;
            if (fds[1].revents != 0)
                break;
            if (fds[0].revents & POLLIN) {
                const ssize_t got = ::read(lineFd, buffer, sizeof buffer);
                const std::int64_t t = now();
                for (ssize_t i = 0; i < got && lineFd >= 0; ++i) {
                    receive(t, buffer[i]);
                    if (options.hangUpAfter >= 0 && receivedTotal >= options.hangUpAfter)
                        hangUp(t);
                }
            } else if (fds[0].revents & (POLLHUP | POLLERR)) {
                // The other end is closed (a device unplugged): wait for it to return.
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            if (lineFd >= 0)
                sendDue();
        }
    }

    Status openLine() {
        if (!options.device.empty()) {
            lineFd = ::open(options.device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
            if (lineFd < 0)
                return SystemError(options.device, errno);
            if (auto configured = ConfigureDevice(lineFd); !configured)
                return configured;
            path = options.device;
            return {};
        }
        lineFd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (lineFd < 0)
            return SystemError("cannot open a pseudo-terminal", errno);
        if (grantpt(lineFd) != 0 || unlockpt(lineFd) != 0)
            return SystemError("cannot unlock the pseudo-terminal", errno);
        const char* slave = ptsname(lineFd);
        if (!slave)
            return SystemError("cannot name the pseudo-terminal", errno);
        path = slave;
        // While nobody has the slave open the master sees a hang-up, so every
        // close of the tool's port would look like a lost line. Holding the slave
        // ourselves keeps the panel listening across them; this descriptor is
        // never read and never changes the line settings.
        slaveHoldFd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (slaveHoldFd < 0)
            return SystemError(path, errno);
        return {};
    }

    void closeAll() {
        for (int* fd : {&lineFd, &slaveHoldFd, &stopPipe[0], &stopPipe[1]}) {
            if (*fd >= 0)
                ::close(*fd);
            *fd = -1;
        }
        if (log && ownLog)
            std::fclose(log);
        log = nullptr;
    }
};

VirtualPanel::VirtualPanel(PanelOptions options)
    : m_impl(std::make_unique<Impl>(std::move(options))) {}

VirtualPanel::~VirtualPanel() {
    stop();
}

Status VirtualPanel::start() {
    Impl& m = *m_impl;
    if (m.thread.joinable() || m.lineFd >= 0)
        return Error{EBUSY, "the panel is already running"};
    if (auto loaded = m.loadMemory(); !loaded)
        return loaded;
    if (m.options.logFile == "-") {
        m.log = stderr;
    } else if (!m.options.logFile.empty()) {
        m.log = std::fopen(m.options.logFile.c_str(), "w");
        if (!m.log)
            return SystemError(m.options.logFile, errno);
        m.ownLog = true;
    }
    if (::pipe2(m.stopPipe, O_CLOEXEC) != 0) {
        const int err = errno;
        m.closeAll();
        return SystemError("pipe", err);
    }
    if (auto opened = m.openLine(); !opened) {
        m.closeAll();
        return opened;
    }
    m.startUs = SteadyUs();
    m.logLine(0, "listening on " + m.path);
    m.thread = std::thread([&m] { m.run(); });
    return {};
}

void VirtualPanel::stop() {
    Impl& m = *m_impl;
    if (m.thread.joinable()) {
        const char stopByte = 0;
        (void)!::write(m.stopPipe[1], &stopByte, 1);
        m.thread.join();
        // What was left unfinished is only known now.
        const std::int64_t t = m.now();
        if (!m.frame.empty())
            m.violation(t,
                        "frame cut short after " + std::to_string(m.frame.size()) + " of 17 bytes");
        m.frame.clear();
        m.endWrite(t);
    }
    if (m.log)
        std::fflush(m.log);
    m.closeAll();
}

const std::string& VirtualPanel::devicePath() const {
    return m_impl->path;
}

SpdImage VirtualPanel::memory() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->memory;
}

void VirtualPanel::setMemory(const SpdImage& image) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->memory = image;
}

std::vector<std::string> VirtualPanel::violations() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->violations;
}

std::vector<ReceivedByte> VirtualPanel::received() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->received;
}

int VirtualPanel::writesStored() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->writesStored;
}

int VirtualPanel::readCommands() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->readCommands;
}

bool VirtualPanel::hungUp() const {
    return m_impl->hungUp;
}

} // namespace keyloom::sim
