#pragma once

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
inline constexpr int kFrameLength = 17;
inline constexpr int kDataFrames = 32;
inline constexpr int kBytesPerFrame = 16;
inline constexpr int kHandshakeLimit = 128;
inline constexpr int kProgressMax = 128;

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
    SpdImage image{};
    Error error;
};

// Write `image` (a copy taken at the click) to the panel.
WriteOutcome RunWrite(SerialLine& line, Clock& clock, const SpdImage& image,
                      TransferObserver& observer);

// Read the panel's 512 bytes.
ReadOutcome RunRead(SerialLine& line, Clock& clock, TransferObserver& observer);

} // namespace keyloom
