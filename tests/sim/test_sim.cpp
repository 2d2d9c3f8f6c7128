// The transfer engine over the real port against the virtual panel on a
// pseudo-terminal, and the panel's own checks of what it is sent.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include "link/clock.h"
#include "link/serial_port.h"
#include "link/transfer.h"
#include "sim/virtual_panel.h"
#include "tests/support/check.h"

using namespace keyloom;
using keyloom::sim::PanelOptions;
using keyloom::sim::VirtualPanel;

namespace {

SpdImage Pattern(int seed) {
    SpdImage image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 31 + seed);
    return image;
}

bool HasViolation(const VirtualPanel& panel, const std::string& part) {
    const auto all = panel.violations();
    return std::any_of(all.begin(), all.end(),
                       [&](const std::string& v) { return v.find(part) != std::string::npos; });
}

// Waits up to 2 s for the panel to have received n bytes.
bool WaitReceived(const VirtualPanel& panel, std::size_t n) {
    for (int i = 0; i < 200 && panel.received().size() < n; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return panel.received().size() >= n;
}

void Send(SerialPort& port, const std::vector<std::uint8_t>& bytes) {
    for (const std::uint8_t b : bytes)
        CHECK(port.writeByte(b).ok());
}

std::vector<std::uint8_t> RawFrame(std::uint8_t head) {
    std::vector<std::uint8_t> frame(17, 0);
    frame[0] = head;
    return frame;
}

// Reads until n bytes or 2 s.
std::vector<std::uint8_t> Receive(SerialPort& port, std::size_t n) {
    std::vector<std::uint8_t> out(n);
    std::size_t got = 0;
    for (int i = 0; i < 50 && got < n; ++i) {
        const auto r = port.read(out.data() + got, n - got);
        if (!r)
            break;
        got += *r;
    }
    out.resize(got);
    return out;
}

} // namespace

// The one full-length case: a write and a read in real time. The panel checks
// the pacing as it goes, so this also proves the write keeps 500 ms between
// frames on a real clock.
TEST_CASE(write_then_read_gives_back_the_same_image) {
    // The panel stamps bytes when its thread reads them, so a busy machine can
    // make a pause look a few milliseconds short. Exact pacing is proven on fake
    // time; here it is enough that real pauses happen at all.
    PanelOptions options;
    options.pacingSlackUs = 8000;
    VirtualPanel panel(options);
    CHECK(panel.start().ok());
    SerialPort port;
    CHECK(port.open(panel.devicePath()).ok());
    SteadyClock clock;
    TransferObserver quiet;
    const SpdImage image = Pattern(3);

    const WriteOutcome written = RunWrite(port, clock, image, quiet);
    CHECK(written.ok);
    CHECK_EQ(written.handshakeCount, 1);
    CHECK_EQ(written.framesSent, 32);
    CHECK_EQ(panel.writesStored(), 1);
    CHECK(panel.memory() == image);

    const ReadOutcome read = RunRead(port, clock, quiet);
    CHECK(read.complete);
    CHECK_EQ(read.count, 512);
    CHECK(read.image == image);

    for (const auto& v : panel.violations())
        std::fprintf(stderr, "violation: %s\n", v.c_str());
    CHECK(panel.violations().empty());
}

// Faults that end a write early: no data frame after silence, and a lost line
// ends the write at once with an error instead of "success".
TEST_CASE(write_against_a_faulty_panel) {
    const struct {
        const char* name;
        PanelOptions options;
        int code;
        int maxFrames;
    } table[] = {
        {"silent",
         [] {
             PanelOptions o;
             o.silent = true;
             return o;
         }(),
         ETIMEDOUT, 0},
        {"handshake too late",
         [] {
             PanelOptions o;
             o.replyDelayMs = 300;
             return o;
         }(),
         ETIMEDOUT, 0},
        {"hang-up in data frame 1",
         [] {
             PanelOptions o;
             o.hangUpAfter = 17 + 17 + 5;
             return o;
         }(),
         EIO, 2},
    };
    for (const auto& row : table) {
        VirtualPanel panel(row.options);
        CHECK(panel.start().ok());
        SerialPort port;
        CHECK(port.open(panel.devicePath()).ok());
        SteadyClock clock;
        TransferObserver quiet;

        const WriteOutcome outcome = RunWrite(port, clock, Pattern(5), quiet);

        if (outcome.ok || outcome.error.code != row.code)
            std::fprintf(stderr, "row: %s: %s\n", row.name, outcome.error.message.c_str());
        CHECK(!outcome.ok);
        CHECK_EQ(outcome.error.code, row.code);
        CHECK(outcome.framesSent <= row.maxFrames);
        CHECK_EQ(panel.writesStored(), 0);
        if (row.code == ETIMEDOUT) {
            CHECK(WaitReceived(panel, 17));
            CHECK_EQ(panel.received().size(), std::size_t{17}); // the command frame only
        } else {
            CHECK(panel.hungUp());
        }
    }
}

// Read answers that arrive whole, late, slowly, too long, too short or not at
// all because the line goes away.
TEST_CASE(read_against_panels_that_answer_differently) {
    const struct {
        const char* name;
        PanelOptions options;
        bool complete;
        int count;
        int code;
    } table[] = {
        {"600-byte answer: first 512 taken",
         [] {
             PanelOptions o;
             o.answerBytes = 600;
             return o;
         }(),
         true, 512, 0},
        {"answer at 9600-baud pace",
         [] {
             PanelOptions o;
             o.lineTime = true;
             return o;
         }(),
         true, 512, 0},
        {"answer 1.8 s late",
         [] {
             PanelOptions o;
             o.replyDelayMs = 1800;
             return o;
         }(),
         true, 512, 0},
        {"short answer of 300 bytes",
         [] {
             PanelOptions o;
             o.answerBytes = 300;
             return o;
         }(),
         false, 300, ETIMEDOUT},
        {"hang-up during the read command",
         [] {
             PanelOptions o;
             o.hangUpAfter = 5;
             return o;
         }(),
         false, 0, EIO},
    };
    for (const auto& row : table) {
        PanelOptions options = row.options;
        options.pacingSlackUs = 8000; // as in the round trip
        VirtualPanel panel(options);
        panel.setMemory(Pattern(9));
        CHECK(panel.start().ok());
        SerialPort port;
        CHECK(port.open(panel.devicePath()).ok());
        SteadyClock clock;
        TransferObserver quiet;

        const ReadOutcome outcome = RunRead(port, clock, quiet);

        if (outcome.complete != row.complete || outcome.count != row.count)
            std::fprintf(stderr, "row: %s: count %d, %s\n", row.name, outcome.count,
                         outcome.error.message.c_str());
        CHECK_EQ(outcome.complete, row.complete);
        CHECK_EQ(outcome.count, row.count);
        if (row.complete) {
            CHECK(outcome.image == Pattern(9));
            CHECK(panel.violations().empty());
        } else {
            CHECK_EQ(outcome.error.code, row.code);
            CHECK(outcome.image == SpdImage{});
        }
    }
}

// The panel's memory: loaded from a short file into its start, stored from the
// data frames (with the wrong-byte fault applied), answered on a read and saved
// whole after the write. Frames go out unpaced here; the panel still stores them
// and says what was wrong with the pacing.
TEST_CASE(panel_memory_file_write_and_answer) {
    const std::string file = "/tmp/keyloom-panel-test-" + std::to_string(::getpid()) + ".spd";
    {
        std::ofstream out(file, std::ios::binary);
        const std::string start(100, '\x5A');
        out.write(start.data(), static_cast<std::streamsize>(start.size()));
    }
    PanelOptions options;
    options.memoryFile = file;
    options.wrongByteAt = 300;
    VirtualPanel panel(options);
    CHECK(panel.start().ok());
    SpdImage loaded{};
    std::fill_n(loaded.begin(), 100, std::uint8_t{0x5A});
    CHECK(panel.memory() == loaded);

    SerialPort port;
    CHECK(port.open(panel.devicePath()).ok());
    const SpdImage image = Pattern(1);
    Send(port, RawFrame(0xFF));
    CHECK(Receive(port, 1) == std::vector<std::uint8_t>{0x06});
    for (int j = 0; j < 32; ++j) {
        auto frame = RawFrame(static_cast<std::uint8_t>(j));
        std::copy_n(image.begin() + 16 * j, 16, frame.begin() + 1);
        Send(port, frame);
    }
    CHECK(WaitReceived(panel, 17 * 33));
    SpdImage stored = image;
    stored[300] = static_cast<std::uint8_t>(~stored[300]);
    CHECK(panel.memory() == stored);
    CHECK_EQ(panel.writesStored(), 1);
    CHECK(HasViolation(panel, "block 1 came"));

    std::ifstream in(file, std::ios::binary);
    const std::vector<char> saved{std::istreambuf_iterator<char>(in), {}};
    CHECK_EQ(saved.size(), std::size_t{512});
    CHECK(std::equal(saved.begin(), saved.end(), stored.begin(),
                     [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }));
    ::unlink(file.c_str());

    Send(port, RawFrame(0xFE));
    const auto answer = Receive(port, 512);
    CHECK(std::equal(answer.begin(), answer.end(), stored.begin(), stored.end()));
    CHECK(HasViolation(panel, "read command bytes"));
}

// What the panel relies on, broken one rule at a time. The line settings the
// port chose must still be in force afterwards: the panel never changes them.
TEST_CASE(panel_reports_order_and_pacing_violations) {
    VirtualPanel panel;
    CHECK(panel.start().ok());
    SerialPort port;
    CHECK(port.open(panel.devicePath()).ok());

    Send(port, RawFrame(0x05));     // a block with no write command
    Send(port, RawFrame(0x40));     // neither command nor block
    Send(port, {0xFF, 0, 0, 0, 0}); // a frame cut short ...
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Send(port, RawFrame(0xFF)); // ... then a whole write command
    CHECK(Receive(port, 1).size() == 1);
    Send(port, RawFrame(0x00));
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    Send(port, RawFrame(0x02));                   // block 1 skipped, pause kept
    for (const std::uint8_t b : RawFrame(0xFE)) { // the write left unfinished,
        Send(port, {b});                          // the read command properly paced
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
    CHECK(Receive(port, 512).size() == 512);

    const std::vector<std::string> expected{
        "block 5 without a write command",     "frame starts with 0x40: no command, no block",
        "frame cut short after 5 of 17 bytes", "block 2 where block 1 was due",
        "write ended after 2 of 32 blocks",
    };
    const auto found = panel.violations();
    CHECK(found == expected);
    if (found != expected)
        for (const auto& v : found)
            std::fprintf(stderr, "  reported: %s\n", v.c_str());

    const int fd = ::open(panel.devicePath().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    termios tio{};
    CHECK(fd >= 0 && tcgetattr(fd, &tio) == 0);
    if (fd >= 0)
        ::close(fd);
    CHECK_EQ(cfgetispeed(&tio), speed_t{B9600});
    CHECK_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), tcflag_t{0});
    CHECK_EQ(tio.c_cflag & CSIZE, tcflag_t{CS8});
}

int main() {
    return keyloom::test::RunAll();
}
