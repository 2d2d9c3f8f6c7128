#pragma once

#include <cstddef>
#include <cstdint>

#include "core/result.h"

namespace keyloom {

// The three things the transfer engine does with a line. The real port and the
// test fakes both implement it.
class SerialLine {
public:
    virtual ~SerialLine() = default;

    // Throw away everything received and not yet read. Nothing is sent.
    virtual Status purge() = 0;

    // Hand one byte to the line; gives up (error) after kWriteTimeoutMs.
    virtual Status writeByte(std::uint8_t byte) = 0;

    // Read up to n bytes into buf. Returns when n bytes have arrived or
    // kReadTimeoutMs after the call, with the count read (possibly 0).
    // A lost device (hang-up, unplugged adapter) is an error, not 0 bytes.
    virtual Result<std::size_t> read(std::uint8_t* buf, std::size_t n) = 0;

    static constexpr int kWriteTimeoutMs = 500;
    static constexpr int kReadTimeoutMs = 40;
};

} // namespace keyloom
