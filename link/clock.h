#pragma once

#include <cstdint>

namespace keyloom {

// Time for the transfer engine, in microseconds. Tests use a fake clock so the
// pauses cost nothing and can be checked exactly.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t nowUs() = 0;
    virtual void sleepUs(std::int64_t us) = 0;
};

// The machine's steady clock.
class SteadyClock final : public Clock {
public:
    std::int64_t nowUs() override;
    void sleepUs(std::int64_t us) override;
};

} // namespace keyloom
