#include "clock.h"

#include <chrono>
#include <thread>

namespace keyloom {

std::int64_t SteadyClock::nowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void SteadyClock::sleepUs(std::int64_t us) {
    if (us > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(us));
}

} // namespace keyloom
