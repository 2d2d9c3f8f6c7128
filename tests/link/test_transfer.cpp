// The transfer engine on a scripted line and fake time: exact bytes, exact
// pauses, and what each kind of panel answer or line fault leads to.

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "link/transfer.h"
#include "tests/link/fake_line.h"
#include "tests/support/check.h"

using namespace keyloom;
using namespace keyloom::test;

namespace {

constexpr std::int64_t kMs = 1000;
constexpr std::int64_t kByteAt9600Us = 1042; // 10 bits per byte

SpdImage PatternImage() {
    SpdImage image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 37 + 11);
    return image;
}

std::vector<std::uint8_t> Pattern(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 13 + 7);
    return bytes;
}

bool Contains(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

} // namespace

// The whole write of a known image, byte by byte and microsecond by microsecond,
// on an ideal line and on one where every byte takes its 9600-baud line time
// (the pause after a frame must then still be a whole 500 ms).
TEST_CASE(write_sends_every_byte_with_the_protocol_pauses) {
    for (const std::int64_t cost : {std::int64_t{0}, kByteAt9600Us}) {
        FakeClock clock;
        FakeLine line(clock);
        line.setWriteCostUs(cost);
        line.arrive(30 * kMs, {0x06});
        RecordingObserver observer(clock);
        const SpdImage image = PatternImage();

        const WriteOutcome outcome = RunWrite(line, clock, image, observer);

        const std::int64_t frameTime = 17 * cost;
        std::vector<Stamped> expected;
        for (int i = 0; i < 17; ++i)
            expected.push_back({i * cost, static_cast<std::uint8_t>(i == 0 ? 0xFF : 0x00)});
        const std::int64_t dataStart = frameTime + 140 * kMs; // 100 ms pause + 40 ms read
        for (int j = 0; j < 32; ++j) {
            const std::int64_t frameStart = dataStart + j * (frameTime + 500 * kMs);
            expected.push_back({frameStart, static_cast<std::uint8_t>(j)});
            for (int k = 0; k < 16; ++k)
                expected.push_back({frameStart + (k + 1) * cost, image[16 * j + k]});
        }
        CHECK(line.written() == expected);
        CHECK(line.purges() == (std::vector<std::int64_t>{0, dataStart}));
        // One handshake read, after the pause; nothing is read after it.
        CHECK(line.readStarts() == std::vector<std::int64_t>{frameTime + 100 * kMs});

        CHECK(outcome.ok);
        CHECK_EQ(outcome.handshakeCount, 1);
        CHECK_EQ(outcome.framesSent, 32);
        std::vector<std::string> events{"status:燒錄中 ...", "handshake:1"};
        for (int j = 0; j < 32; ++j)
            events.push_back("progress:" + std::to_string(4 * j));
        events.push_back("status:燒錄成功");
        CHECK(observer.events == events);
        // The success text follows the last pause.
        CHECK_EQ(observer.times.back(), dataStart + 32 * (frameTime + 500 * kMs));
    }
}

// The handshake: only a reply inside the 40 ms read after the 100 ms pause
// counts; input from before the click is not a reply; at most 128 bytes are
// counted and the rest is discarded before the data frames.
TEST_CASE(write_handshake_table) {
    const struct {
        const char* name;
        std::size_t stale; // bytes waiting in the driver before the click
        std::int64_t replyAt;
        std::size_t replyLength;
        bool ok;
        int count;
        std::size_t discardedAfterHandshake;
    } table[] = {
        {"silent panel", 0, 0, 0, false, 0, 0},
        {"stale input, silent panel", 5, 0, 0, false, 0, 0},
        {"one byte", 0, 20 * kMs, 1, true, 1, 0},
        {"one byte at the end of the read", 0, 139 * kMs, 1, true, 1, 0},
        {"128 bytes", 0, 20 * kMs, 128, true, 128, 0},
        {"200 bytes", 0, 20 * kMs, 200, true, 128, 72},
        {"reply after the read", 0, 141 * kMs, 1, false, 0, 0},
    };
    for (const auto& row : table) {
        FakeClock clock;
        FakeLine line(clock);
        if (row.stale > 0)
            line.arrive(-5 * kMs, std::vector<std::uint8_t>(row.stale, 0x55));
        if (row.replyLength > 0)
            line.arrive(row.replyAt, std::vector<std::uint8_t>(row.replyLength, 0xA5));
        RecordingObserver observer(clock);

        const WriteOutcome outcome = RunWrite(line, clock, SpdImage{}, observer);

        const auto statuses = observer.only("status");
        if (outcome.ok != row.ok || outcome.handshakeCount != row.count)
            std::fprintf(stderr, "row: %s\n", row.name);
        CHECK_EQ(outcome.ok, row.ok);
        CHECK_EQ(outcome.handshakeCount, row.count);
        if (row.ok) {
            CHECK(observer.only("handshake") ==
                  std::vector<std::string>{std::to_string(row.count)});
            CHECK_EQ(line.discarded() - row.stale, row.discardedAfterHandshake);
            CHECK_EQ(line.unread(), std::size_t{0});
            CHECK_EQ(line.written().size(), std::size_t{17 + 32 * 17});
            CHECK_EQ(statuses.back(), std::string("燒錄成功"));
        } else {
            // Failed at the end of the handshake read: no data frame, counts and
            // bar left alone.
            CHECK(statuses == (std::vector<std::string>{"燒錄中 ...", "燒錄失敗"}));
            CHECK(observer.only("handshake").empty());
            CHECK(observer.only("progress").empty());
            CHECK_EQ(line.written().size(), std::size_t{17});
            CHECK_EQ(outcome.framesSent, 0);
            CHECK_EQ(outcome.error.code, ETIMEDOUT);
            CHECK_EQ(clock.nowUs(), 140 * kMs);
        }
    }
}

// A byte the line does not take, or a device that goes away, ends the write at
// once: nothing more is written, no pause is waited out, and it never ends in
// success.
TEST_CASE(write_stops_at_the_first_line_error) {
    const Error timedOut{ETIMEDOUT, "the line took no byte within 500 ms"};
    const struct {
        const char* name;
        int failingWrite;    // -1: none
        std::int64_t lostAt; // -1: never
        int code;
        std::size_t written;
        int framesSent;
        std::int64_t endsAt;
    } table[] = {
        {"device gone before the click", -1, 0, EIO, 0, 0, 0},
        {"command byte not taken", 5, -1, ETIMEDOUT, 5, 0, 0},
        {"device gone during the handshake pause", -1, 120 * kMs, EIO, 17, 0, 120 * kMs},
        {"data frame 3, byte 8 not taken", 17 + 3 * 17 + 8, -1, ETIMEDOUT, 17 + 3 * 17 + 8, 3,
         (140 + 3 * 500) * kMs},
        {"device gone during the pause after frame 2", -1, 1200 * kMs, EIO, 17 + 3 * 17, 3,
         (140 + 3 * 500) * kMs},
    };
    for (const auto& row : table) {
        FakeClock clock;
        FakeLine line(clock);
        line.arrive(20 * kMs, {0x06});
        if (row.failingWrite >= 0)
            line.failWrite(row.failingWrite, timedOut);
        if (row.lostAt >= 0)
            line.loseAt(row.lostAt);
        RecordingObserver observer(clock);

        const WriteOutcome outcome = RunWrite(line, clock, PatternImage(), observer);

        if (outcome.framesSent != row.framesSent || line.written().size() != row.written)
            std::fprintf(stderr, "row: %s\n", row.name);
        CHECK(!outcome.ok);
        CHECK_EQ(outcome.error.code, row.code);
        CHECK(!outcome.error.message.empty());
        CHECK_EQ(line.written().size(), row.written);
        CHECK_EQ(outcome.framesSent, row.framesSent);
        CHECK_EQ(clock.nowUs(), row.endsAt);
        CHECK_EQ(observer.only("status").back(), std::string("燒錄失敗"));
        CHECK(!Contains(observer.only("status"), "燒錄成功"));
        CHECK_EQ(observer.only("progress").size(), static_cast<std::size_t>(row.framesSent));
    }
}

// The read command goes out with 10 ms after each byte; a prompt answer is taken
// as it comes and the read ends as soon as byte 512 is in.
TEST_CASE(read_sends_a_paced_command_and_takes_a_prompt_answer) {
    FakeClock clock;
    FakeLine line(clock);
    const auto answer = Pattern(512);
    line.arrive(175 * kMs, answer, kByteAt9600Us);
    RecordingObserver observer(clock);

    const ReadOutcome outcome = RunRead(line, clock, observer);

    std::vector<Stamped> command;
    for (int i = 0; i < 17; ++i)
        command.push_back({i * 10 * kMs, static_cast<std::uint8_t>(i == 0 ? 0xFE : 0x00)});
    CHECK(line.written() == command);
    CHECK(line.purges() == std::vector<std::int64_t>{0});
    CHECK_EQ(line.readStarts().front(), 170 * kMs); // the last byte has its pause too

    CHECK(outcome.complete);
    CHECK_EQ(outcome.count, 512);
    CHECK(std::equal(answer.begin(), answer.end(), outcome.image.begin()));
    const std::int64_t lastByte = 175 * kMs + 511 * kByteAt9600Us;
    CHECK(clock.nowUs() >= lastByte && clock.nowUs() <= lastByte + 40 * kMs);

    // The bar waits at 5, follows the count while it grows, and ends past its maximum.
    const auto counts = observer.only("count");
    const auto bars = observer.only("progress");
    CHECK_EQ(counts.front(), std::string("0"));
    CHECK_EQ(bars.front(), std::string("5"));
    CHECK(counts.size() > 5); // reported as the bytes came, not once at the end
    for (std::size_t i = 1; i < bars.size(); ++i)
        CHECK(std::stoi(bars[i - 1]) <= std::stoi(bars[i]));
    for (std::size_t i = 0; i + 1 < bars.size(); ++i)
        CHECK(std::stoi(bars[i]) <= kProgressMax);
    const std::vector<std::string> tail(observer.events.end() - 3, observer.events.end());
    CHECK(tail == (std::vector<std::string>{"status:讀取完成", "count:512", "progress:130"}));
    CHECK_EQ(observer.only("status").front(), std::string("讀取中 ..."));
}

// How the answer arrives decides the outcome. Only 512 bytes complete a read;
// anything less fails with its count and yields no image.
TEST_CASE(read_answer_table) {
    struct Piece {
        std::int64_t at;
        std::size_t length;
    };
    const struct {
        const char* name;
        std::vector<Piece> pieces; // consecutive parts of one answer, at 9600 baud
        bool complete;
        int count;
        std::size_t leftInDriver;
        std::int64_t endsAfter; // the read ends no earlier than this, and soon after it
    } table[] = {
        {"512 bytes", {{200 * kMs, 512}}, true, 512, 0, 200 * kMs + 511 * kByteAt9600Us},
        {"600 bytes: the first 512 are taken",
         {{200 * kMs, 600}},
         true,
         512,
         88,
         200 * kMs + 511 * kByteAt9600Us},
        {"answer already there during the command",
         {{30 * kMs, 512}},
         true,
         512,
         0,
         30 * kMs + 511 * kByteAt9600Us},
        {"starts 1.8 s late", {{1970 * kMs, 512}}, true, 512, 0, 1970 * kMs + 511 * kByteAt9600Us},
        {"paused 400 ms midway",
         {{200 * kMs, 256}, {(200 + 267 + 400) * kMs, 256}},
         true,
         512,
         0,
         (200 + 267 + 400) * kMs + 255 * kByteAt9600Us},
        {"300 bytes then silence",
         {{200 * kMs, 300}},
         false,
         300,
         0,
         200 * kMs + 299 * kByteAt9600Us + kReadQuietGapUs},
        {"paused 600 ms midway",
         {{200 * kMs, 256}, {(200 + 267 + 600) * kMs, 256}},
         false,
         256,
         256,
         200 * kMs + 255 * kByteAt9600Us + kReadQuietGapUs},
        {"silent panel", {}, false, 0, 0, kReadDeadlineUs},
        {"answer still coming at the deadline", {{20'300 * kMs, 512}}, false, 0, 0, 0},
    };
    for (const auto& row : table) {
        FakeClock clock;
        FakeLine line(clock);
        line.arrive(-1 * kMs, Pattern(40)); // stale input the purge must drop
        const auto answer = Pattern(600);
        std::size_t offset = 0;
        for (const auto& piece : row.pieces) {
            line.arrive(piece.at,
                        std::vector<std::uint8_t>(answer.begin() + offset,
                                                  answer.begin() + offset + piece.length),
                        kByteAt9600Us);
            offset += piece.length;
        }
        RecordingObserver observer(clock);

        const ReadOutcome outcome = RunRead(line, clock, observer);

        const bool rowOk =
            outcome.complete == row.complete && (row.count == 0 || outcome.count == row.count);
        if (!rowOk)
            std::fprintf(stderr, "row: %s (count %d)\n", row.name, outcome.count);
        CHECK_EQ(outcome.complete, row.complete);
        CHECK_EQ(line.discarded(), std::size_t{40});
        if (row.complete) {
            CHECK(std::equal(outcome.image.begin(), outcome.image.end(), answer.begin()));
            CHECK_EQ(observer.only("status").back(), std::string("讀取完成"));
            CHECK_EQ(observer.events.back(), std::string("progress:130"));
        } else {
            CHECK(outcome.image == SpdImage{});
            CHECK_EQ(outcome.error.code, ETIMEDOUT);
            CHECK_EQ(observer.only("status").back(), std::string("讀取失敗"));
            CHECK_EQ(observer.events.back(), "count:" + std::to_string(outcome.count));
            CHECK(!Contains(observer.only("status"), "讀取完成"));
        }
        if (row.endsAfter > 0) {
            CHECK_EQ(outcome.count, row.count);
            CHECK_EQ(line.unread(), row.leftInDriver);
            CHECK(clock.nowUs() >= row.endsAfter);
            // The quiet gap counts from the read that brought the last byte, which
            // can end up to 40 ms after the byte: one more read of slack there.
            const std::int64_t slack = (row.complete ? 40 : 80) * kMs;
            CHECK(clock.nowUs() <= row.endsAfter + slack);
        } else {
            // Cut off by the deadline while still arriving.
            CHECK(outcome.count > 0 && outcome.count < 512);
            CHECK(clock.nowUs() >= kReadDeadlineUs && clock.nowUs() <= kReadDeadlineUs + 40 * kMs);
        }
    }
}

// A device that goes away during the read command or in the middle of the
// answer ends the read at once with the failure and the count so far.
TEST_CASE(read_stops_when_the_line_fails) {
    const struct {
        const char* name;
        int failingWrite;
        std::int64_t lostAt;
        int code;
    } table[] = {
        {"read command byte not taken", 3, -1, ETIMEDOUT},
        {"device gone during the answer", -1, 200 * kMs + 250 * kByteAt9600Us, EIO},
    };
    for (const auto& row : table) {
        FakeClock clock;
        FakeLine line(clock);
        line.arrive(200 * kMs, Pattern(512), kByteAt9600Us);
        if (row.failingWrite >= 0)
            line.failWrite(row.failingWrite, Error{ETIMEDOUT, "the line took no byte"});
        if (row.lostAt >= 0)
            line.loseAt(row.lostAt);
        RecordingObserver observer(clock);

        const ReadOutcome outcome = RunRead(line, clock, observer);

        CHECK(!outcome.complete);
        CHECK_EQ(outcome.error.code, row.code);
        CHECK(outcome.image == SpdImage{});
        CHECK_EQ(observer.only("status").back(), std::string("讀取失敗"));
        CHECK_EQ(observer.events.back(), "count:" + std::to_string(outcome.count));
        if (row.lostAt >= 0) {
            CHECK(outcome.count > 200 && outcome.count <= 251);
            CHECK(clock.nowUs() <= row.lostAt + 40 * kMs);
        } else {
            CHECK_EQ(outcome.count, 0);
            CHECK_EQ(line.written().size(), std::size_t{3});
        }
    }
}

int main() {
    return RunAll();
}
