#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/serial_line.h"
#include "link/transfer.h"

namespace keyloom::test {

// Fake time in microseconds: sleeping moves it on, nothing else does.
class FakeClock final : public Clock {
public:
    std::int64_t nowUs() override { return m_now; }
    void sleepUs(std::int64_t us) override {
        if (us > 0)
            m_now += us;
    }
    void advanceTo(std::int64_t us) { m_now = std::max(m_now, us); }

private:
    std::int64_t m_now = 0;
};

struct Stamped {
    std::int64_t timeUs;
    std::uint8_t byte;
    bool operator==(const Stamped&) const = default;
};

// A scripted line on fake time. The script says which bytes arrive when, which
// write fails and when the device goes away; the fake records every byte
// written with its time. A read waits (in fake time) as a real one would: until
// n bytes are there or 40 ms have passed.
class FakeLine final : public SerialLine {
public:
    explicit FakeLine(FakeClock& clock) : m_clock(clock) {}

    // `bytes` arrive from `atUs` on, one every `usPerByte`.
    void arrive(std::int64_t atUs, const std::vector<std::uint8_t>& bytes,
                std::int64_t usPerByte = 0) {
        for (std::size_t i = 0; i < bytes.size(); ++i)
            m_in.push_back({atUs + static_cast<std::int64_t>(i) * usPerByte, bytes[i]});
        std::stable_sort(m_in.begin(), m_in.end(),
                         [](const Stamped& a, const Stamped& b) { return a.timeUs < b.timeUs; });
    }
    // The write with this 0-based number fails with `error`.
    void failWrite(int index, Error error) { m_writeErrors[index] = std::move(error); }
    // From this time on every call fails as an unplugged adapter does.
    void loseAt(std::int64_t atUs) { m_lostAt = atUs; }
    // Line time of one byte, spent inside writeByte.
    void setWriteCostUs(std::int64_t us) { m_writeCostUs = us; }

    Status purge() override {
        if (lost())
            return kLost;
        m_purges.push_back(m_clock.nowUs());
        while (!m_in.empty() && m_in.front().timeUs <= m_clock.nowUs()) {
            m_in.pop_front();
            ++m_discarded;
        }
        return {};
    }

    Status writeByte(std::uint8_t byte) override {
        if (lost())
            return kLost;
        const int index = m_writes++;
        if (auto it = m_writeErrors.find(index); it != m_writeErrors.end())
            return it->second;
        m_written.push_back({m_clock.nowUs(), byte});
        m_clock.sleepUs(m_writeCostUs);
        return {};
    }

    Result<std::size_t> read(std::uint8_t* buf, std::size_t n) override {
        if (lost())
            return kLost;
        const std::int64_t start = m_clock.nowUs();
        m_readStarts.push_back(start);
        std::int64_t end = start + kReadTimeoutMs * 1000;
        if (n > 0 && m_in.size() >= n)
            end = std::min(end, std::max(start, m_in[n - 1].timeUs));
        if (m_lostAt >= 0 && m_lostAt <= end)
            end = m_lostAt;
        m_clock.advanceTo(end);
        std::size_t got = 0;
        while (got < n && !m_in.empty() && m_in.front().timeUs <= end) {
            buf[got++] = m_in.front().byte;
            m_in.pop_front();
        }
        if (got == 0 && lost())
            return kLost;
        return got;
    }

    const std::vector<Stamped>& written() const { return m_written; }
    const std::vector<std::int64_t>& purges() const { return m_purges; }
    std::size_t discarded() const { return m_discarded; }
    std::size_t unread() const { return m_in.size(); }
    const std::vector<std::int64_t>& readStarts() const { return m_readStarts; }

    static inline const Error kLost{EIO, "the device is gone"};

private:
    bool lost() const { return m_lostAt >= 0 && m_clock.nowUs() >= m_lostAt; }

    FakeClock& m_clock;
    std::deque<Stamped> m_in;
    std::map<int, Error> m_writeErrors;
    std::int64_t m_lostAt = -1;
    std::int64_t m_writeCostUs = 0;
    int m_writes = 0;
    std::vector<std::int64_t> m_readStarts;
    std::vector<Stamped> m_written;
    std::vector<std::int64_t> m_purges;
    std::size_t m_discarded = 0;
};

// Every report of a transfer, in order, as "kind:value", with its fake time.
class RecordingObserver final : public TransferObserver {
public:
    explicit RecordingObserver(Clock& clock) : m_clock(clock) {}

    void status(const std::string& text) override { add("status:" + text); }
    void handshakeCount(int count) override { add("handshake:" + std::to_string(count)); }
    void readCount(int count) override { add("count:" + std::to_string(count)); }
    void progress(int position) override { add("progress:" + std::to_string(position)); }

    std::vector<std::string> events;
    std::vector<std::int64_t> times;

    // Events of one kind ("status", "progress", ...), values only.
    std::vector<std::string> only(const std::string& kind) const {
        std::vector<std::string> out;
        for (const auto& e : events)
            if (e.rfind(kind + ":", 0) == 0)
                out.push_back(e.substr(kind.size() + 1));
        return out;
    }

private:
    void add(std::string event) {
        events.push_back(std::move(event));
        times.push_back(m_clock.nowUs());
    }
    Clock& m_clock;
};

} // namespace keyloom::test
