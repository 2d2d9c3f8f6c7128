// keyloom-panel: a virtual nine-key panel on a pseudo-terminal, for trying the
// tool without the hardware and for provoking the faults a real line shows.

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "sim/virtual_panel.h"

namespace {

constexpr const char* kHelp = R"(Usage: keyloom-panel [options]

A virtual nine-key panel. It opens a pseudo-terminal, prints the device the tool
should open (one line on standard output), and answers like a panel until it is
interrupted (Ctrl-C) or hangs up. After a write command it replies with a
handshake and stores the 32 data frames in its 512-byte memory; after a read
command it answers with that memory. It reports every frame out of order and
every pause shorter than the panel needs (500 ms between data frames, 10 ms
between read command bytes). The pseudo-terminal's line settings are left as the
tool sets them.

Options:
  --device PATH     use this device (the panel's end of a real cable, set to
                    9600 8N1 raw) instead of a new pseudo-terminal
  --memory FILE     load the memory from FILE (.SPD: raw bytes, a shorter file
                    fills the start; a missing file starts all zero) and save it
                    there after every complete write
  --log FILE        log every received byte with its time in seconds, and what
                    the panel sends and finds wrong; "-" logs to stderr

Faults:
  --silent          never answer
  --handshake N     reply N bytes to a write command (default 1)
  --delay MS        wait MS milliseconds before every reply
  --short N         answer a read with only the first N bytes (N < 512)
  --long N          answer a read with N bytes, the memory then 0xEE (N > 512)
  --garbage         answer a read with random bytes instead of the memory
  --seed N          seed for --garbage (default 1)
  --hang-up N       close the line after N received bytes
  --wrong-byte X    store the byte at offset X (0..511) inverted on every write
  --line-time       send replies at 9600-baud pace (about 1.04 ms a byte)
                    instead of all at once

  -h, --help        show this text

Exit status: 0 when the tool kept to the frame order and pacing, 1 when a
violation was found, 2 on a usage or start-up error.
)";

bool ParseInt(const char* text, long min, long max, long& out) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < min || value > max)
        return false;
    out = value;
    return true;
}

int Usage(const std::string& problem) {
    std::fprintf(stderr, "keyloom-panel: %s\nTry 'keyloom-panel --help'.\n", problem.c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    keyloom::sim::PanelOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&](long min, long max, long& out) {
            return i + 1 < argc && ParseInt(argv[++i], min, max, out);
        };
        long n = 0;
        if (arg == "-h" || arg == "--help") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (arg == "--device" && i + 1 < argc) {
            options.device = argv[++i];
        } else if (arg == "--memory" && i + 1 < argc) {
            options.memoryFile = argv[++i];
        } else if (arg == "--log" && i + 1 < argc) {
            options.logFile = argv[++i];
        } else if (arg == "--silent") {
            options.silent = true;
        } else if (arg == "--handshake" && value(0, 100000, n)) {
            options.handshakeBytes = static_cast<int>(n);
        } else if (arg == "--delay" && value(0, 600000, n)) {
            options.replyDelayMs = static_cast<int>(n);
        } else if (arg == "--short" && value(0, 511, n)) {
            options.answerBytes = static_cast<int>(n);
        } else if (arg == "--long" && value(513, 100000, n)) {
            options.answerBytes = static_cast<int>(n);
        } else if (arg == "--garbage") {
            options.garbage = true;
        } else if (arg == "--seed" && value(0, 0x7FFFFFFF, n)) {
            options.seed = static_cast<unsigned>(n);
        } else if (arg == "--hang-up" && value(1, 0x7FFFFFFF, n)) {
            options.hangUpAfter = n;
        } else if (arg == "--wrong-byte" && value(0, 511, n)) {
            options.wrongByteAt = static_cast<int>(n);
        } else if (arg == "--line-time") {
            options.lineTime = true;
        } else {
            return Usage("bad or incomplete option '" + arg + "'");
        }
    }

    // Signals are taken by sigtimedwait below, not by a handler.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    keyloom::sim::VirtualPanel panel(options);
    if (const auto started = panel.start(); !started) {
        std::fprintf(stderr, "keyloom-panel: %s\n", started.error().message.c_str());
        return 2;
    }
    std::printf("%s\n", panel.devicePath().c_str());
    std::fflush(stdout);

    const timespec tick{0, 200'000'000};
    while (!panel.hungUp() && sigtimedwait(&signals, nullptr, &tick) < 0) {
    }
    panel.stop();

    const auto violations = panel.violations();
    std::fprintf(stderr,
                 "keyloom-panel: %d write(s) stored, %d read command(s), %zu violation(s)%s\n",
                 panel.writesStored(), panel.readCommands(), violations.size(),
                 panel.hungUp() ? ", hung up" : "");
    for (const auto& v : violations)
        std::fprintf(stderr, "  %s\n", v.c_str());
    return violations.empty() ? 0 : 1;
}
