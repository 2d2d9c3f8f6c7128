#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/spd_image.h"
#include "link/clock.h"
#include "link/serial_line.h"

namespace keyloom {

// Status texts of the transfer label.
inline constexpr const char* kTextWriting = "燒錄中 ...";
inline constexpr const char* kTextWriteFailed = "燒錄失敗";
inline constexpr const char* kTextWriteDone = "燒錄成功";
inline constexpr const char* kTextReading = "讀取中 ...";
inline constexpr const char* kTextReadFailed = "讀取失敗";
inline constexpr const char* kTextReadDone = "讀取完成";

// Constants of the exchange with the panel.
inline constexpr std::uint8_t kWriteCommand = 0xFF;
inline constexpr std::uint8_t kReadCommand = 0xFE;
// Bytes 1..16 of a command frame. The panel acts on byte 0 only; zeros are the
// plainest filler and can never be taken for a command byte.
inline constexpr std::uint8_t kCommandFill = 0x00;
inline constexpr int kFrameLength = 17;
inline constexpr int kDataFrames = 32;
inline constexpr int kBytesPerFrame = 16;
inline constexpr int kHandshakeLimit = 128;
inline constexpr int kProgressMax = 128;

// Pacing, in microseconds. The panel relies on the write pauses and the read
// command's byte pauses; they are kept exactly.
inline constexpr std::int64_t kHandshakePauseUs = 100'000;  // write command .. handshake read
inline constexpr std::int64_t kFramePauseUs = 500'000;      // after each data frame
inline constexpr std::int64_t kReadCommandPauseUs = 10'000; // after each read command byte
// A read answer that has started and then stays quiet this long has ended short.
// Far above a 9600-baud byte (about 1 ms) and above the largest latency timer a
// USB adapter can be set to (255 ms), so an answer is never cut by the adapter.
inline constexpr std::int64_t kReadQuietGapUs = 500'000;
// A read gives up this long after it began, as ten 2.04 s polls after the command would.
inline constexpr std::int64_t kReadDeadlineUs = 20'600'000;

// The shortest a transfer can take on an ideal line, for benchmarks.
inline constexpr std::int64_t kWriteFloorUs =
    kHandshakePauseUs + SerialLine::kReadTimeoutMs * 1000 + kDataFrames * kFramePauseUs;
inline constexpr std::int64_t kReadCommandFloorUs = kFrameLength * kReadCommandPauseUs;

// Progress bar positions. A write sets 4 * j after data frame j. A read shows
// kProgressWaiting until the first byte, then follows the count, and ends at
// kProgressReadDone (past kProgressMax, so the bar shows full).
inline constexpr int kProgressWaiting = 5;
inline constexpr int kProgressReadDone = 130;
int ReadProgress(int count);

using Frame = std::array<std::uint8_t, kFrameLength>;

// `command` followed by kCommandFill.
Frame CommandFrame(std::uint8_t command);
// Block index `block` (0..31) followed by image bytes 16 * block .. 16 * block + 15.
Frame DataFrame(const SpdImage& image, int block);

// What a transfer reports while it runs. Called on the thread that runs the
// transfer; the window forwards them to its widgets through queued signals.
class TransferObserver {
public:
    virtual ~TransferObserver() = default;
    virtual void status(const std::string& utf8Text) { (void)utf8Text; }
    virtual void handshakeCount(int count) { (void)count; }
    virtual void readCount(int count) { (void)count; }
    virtual void progress(int position) { (void)position; }
};

struct WriteOutcome {
    bool ok = false;
    int handshakeCount = 0; // reply bytes taken, at most kHandshakeLimit
    int framesSent = 0;     // data frames handed to the line completely
    Error error;            // why it failed, when it did
};

struct ReadOutcome {
    bool complete = false; // all 512 bytes arrived; only then is `image` valid
    int count = 0;         // bytes received, at most 512
    SpdImage image{};      // the answer when complete, all zero otherwise
    Error error;
};

// Write `image` (a copy taken at the click) to the panel. Purge, command frame,
// handshake, purge, 32 paced data frames. Any line error (a byte not taken, a
// lost device) ends the write at once with kTextWriteFailed; kTextWriteDone
// means every byte was handed to the line.
WriteOutcome RunWrite(SerialLine& line, Clock& clock, const SpdImage& image,
                      TransferObserver& observer);

// Read the panel's 512 bytes. Purge, paced command frame, then bytes as they come
// until 512 are in, the answer has gone quiet for kReadQuietGapUs, or
// kReadDeadlineUs has passed. Bytes beyond 512 stay in the driver. Only a
// complete answer gives kTextReadDone; anything less is kTextReadFailed.
ReadOutcome RunRead(SerialLine& line, Clock& clock, TransferObserver& observer);

} // namespace keyloom
