#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/result.h"
#include "core/spd_image.h"

namespace keyloom::sim {

// How the virtual panel behaves. The defaults make a well-behaved panel; the
// rest are the faults a real one (or its cable) can show.
struct PanelOptions {
    std::string device;     // empty: a new pseudo-terminal
    std::string memoryFile; // raw image loaded at start (shorter files fill the start) and
                            // saved after every complete write; empty: none
    std::string logFile;    // every received byte with its time; "-" is stderr; empty: none

    bool silent = false;      // never answer
    int handshakeBytes = 1;   // reply to a write command
    int replyDelayMs = 0;     // before every reply (handshake and read answer)
    int answerBytes = 512;    // read answer length: fewer is short, more is long
    bool garbage = false;     // random bytes instead of the memory in the read answer
    unsigned seed = 1;        // for garbage
    long hangUpAfter = -1;    // close the line after this many received bytes; < 0 never
    int wrongByteAt = -1;     // store this offset inverted on every write; < 0 never
    bool lineTime = false;    // send replies at 9600-baud pace instead of all at once
    int pacingSlackUs = 3000; // how much shorter than asked a pause may look
};

// One byte as the panel received it; time in microseconds since start().
struct ReceivedByte {
    std::int64_t timeUs;
    std::uint8_t value;
};

// A nine-key panel on the far end of a line: it stores the image a write sends,
// answers a read with its memory, and reports every departure from the frame
// order and pacing it relies on. It runs on a thread of its own, so tests can
// use it in-process; keyloom-panel wraps it for use by hand.
//
// On a pseudo-terminal it never touches the line settings: both ends share one
// termios, and changing it would hide what the tool set.
class VirtualPanel {
public:
    explicit VirtualPanel(PanelOptions options = {});
    ~VirtualPanel(); // stops
    VirtualPanel(const VirtualPanel&) = delete;
    VirtualPanel& operator=(const VirtualPanel&) = delete;

    // Opens the line, loads the memory file and starts answering.
    Status start();
    // Stops answering and closes the line. Safe to call more than once.
    void stop();

    // What the tool opens: the pseudo-terminal's slave, or the given device.
    const std::string& devicePath() const;

    SpdImage memory() const;
    void setMemory(const SpdImage& image);
    std::vector<std::string> violations() const;
    std::vector<ReceivedByte> received() const;
    int writesStored() const; // writes whose 32 data frames all arrived
    int readCommands() const; // read commands received (answered unless silent)
    bool hungUp() const;      // the hang-up fault has closed the line

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace keyloom::sim
