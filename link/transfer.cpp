#include "transfer.h"

#include <algorithm>
#include <cerrno>
#include <string>

namespace keyloom {

namespace {

// Keeps pauses on an absolute schedule. Time spent working (writes, reads) moves
// the schedule on, so every pause is whole after the work before it; only the
// lateness of waking up is not carried over, so oversleeping does not add up
// over 33 pauses. A late wake-up shortens the next pause by at most
// kMaxCatchUpUs, so the panel never sees a pause noticeably short.
class Pacer {
public:
    explicit Pacer(Clock& clock) : m_clock(clock), m_due(clock.nowUs()), m_woke(m_due) {}

    void pause(std::int64_t us) {
        const std::int64_t now = m_clock.nowUs();
        m_due += (now - m_woke) + us;
        m_due = std::max(m_due, now + us - kMaxCatchUpUs);
        if (m_due > now)
            m_clock.sleepUs(m_due - now);
        m_woke = m_clock.nowUs();
    }

private:
    static constexpr std::int64_t kMaxCatchUpUs = 1'000;

    Clock& m_clock;
    std::int64_t m_due;  // when the last pause was due to end
    std::int64_t m_woke; // when it really ended
};

Error Context(const std::string& step, const Error& error) {
    return Error{error.code, step + ": " + error.message};
}

} // namespace

int ReadProgress(int count) {
    if (count >= static_cast<int>(kImageSize))
        return kProgressReadDone;
    if (count <= 0)
        return kProgressWaiting;
    return kProgressWaiting +
           count * (kProgressMax - kProgressWaiting) / static_cast<int>(kImageSize);
}

Frame CommandFrame(std::uint8_t command) {
    Frame frame;
    frame.fill(kCommandFill);
    frame[0] = command;
    return frame;
}

Frame DataFrame(const SpdImage& image, int block) {
    Frame frame{};
    frame[0] = static_cast<std::uint8_t>(block);
    const auto begin = image.begin() + block * kBytesPerFrame;
    std::copy(begin, begin + kBytesPerFrame, frame.begin() + 1);
    return frame;
}

WriteOutcome RunWrite(SerialLine& line, Clock& clock, const SpdImage& image,
                      TransferObserver& observer) {
    WriteOutcome outcome;
    const auto fail = [&](Error error) {
        outcome.error = std::move(error);
        observer.status(kTextWriteFailed);
        return outcome;
    };

    if (auto purged = line.purge(); !purged)
        return fail(Context("discarding input", purged.error()));
    observer.status(kTextWriting);

    Pacer pacer(clock);
    for (const std::uint8_t byte : CommandFrame(kWriteCommand)) {
        if (auto written = line.writeByte(byte); !written)
            return fail(Context("write command", written.error()));
    }
    pacer.pause(kHandshakePauseUs);

    std::array<std::uint8_t, kHandshakeLimit> reply{};
    const auto replied = line.read(reply.data(), reply.size());
    if (!replied)
        return fail(Context("handshake", replied.error()));
    if (*replied == 0)
        return fail(Error{ETIMEDOUT, "the panel did not answer the write command"});
    outcome.handshakeCount = static_cast<int>(*replied);
    observer.handshakeCount(outcome.handshakeCount);

    // What the handshake read did not take must not linger for the next read.
    if (auto purged = line.purge(); !purged)
        return fail(Context("discarding input", purged.error()));

    for (int block = 0; block < kDataFrames; ++block) {
        const Frame frame = DataFrame(image, block);
        for (int i = 0; i < kFrameLength; ++i) {
            if (auto written = line.writeByte(frame[i]); !written)
                return fail(
                    Context("data frame " + std::to_string(block) + ", byte " + std::to_string(i),
                            written.error()));
        }
        outcome.framesSent = block + 1;
        observer.progress(4 * block);
        pacer.pause(kFramePauseUs);
    }

    outcome.ok = true;
    observer.status(kTextWriteDone);
    return outcome;
}

ReadOutcome RunRead(SerialLine& line, Clock& clock, TransferObserver& observer) {
    ReadOutcome outcome;
    const std::int64_t deadline = clock.nowUs() + kReadDeadlineUs;
    const auto fail = [&](Error error) {
        outcome.error = std::move(error);
        observer.status(kTextReadFailed);
        observer.readCount(outcome.count);
        return outcome;
    };

    if (auto purged = line.purge(); !purged)
        return fail(Context("discarding input", purged.error()));
    observer.status(kTextReading);
    observer.readCount(0);

    Pacer pacer(clock);
    for (const std::uint8_t byte : CommandFrame(kReadCommand)) {
        if (auto written = line.writeByte(byte); !written)
            return fail(Context("read command", written.error()));
        pacer.pause(kReadCommandPauseUs);
    }
    observer.progress(kProgressWaiting);

    // The answer lands here, never in the caller's image: a short answer must not
    // leave a half-new image behind.
    SpdImage buffer{};
    std::size_t got = 0;
    std::int64_t lastByteAt = 0;
    while (got < buffer.size()) {
        const std::int64_t now = clock.nowUs();
        if (now >= deadline)
            break;
        if (got > 0 && now - lastByteAt >= kReadQuietGapUs)
            break;
        const auto read = line.read(buffer.data() + got, buffer.size() - got);
        if (!read)
            return fail(Context("read answer", read.error()));
        if (*read == 0)
            continue;
        got += *read;
        lastByteAt = clock.nowUs();
        outcome.count = static_cast<int>(got);
        if (got < buffer.size()) {
            observer.readCount(outcome.count);
            observer.progress(ReadProgress(outcome.count));
        }
    }

    if (got < buffer.size()) {
        if (got == 0)
            return fail(Error{ETIMEDOUT, "the panel did not answer the read command"});
        return fail(Error{ETIMEDOUT, "the panel's answer stopped after " + std::to_string(got) +
                                         " of " + std::to_string(buffer.size()) + " bytes"});
    }
    outcome.complete = true;
    outcome.image = buffer;
    observer.status(kTextReadDone);
    observer.readCount(outcome.count);
    observer.progress(kProgressReadDone);
    return outcome;
}

} // namespace keyloom
