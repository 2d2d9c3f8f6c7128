// Wall time of a write and a read over the real port against the virtual panel
// on a pseudo-terminal, next to the least the protocol allows. Prints figures;
// never fails on time.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/serial_port.h"
#include "link/transfer.h"
#include "sim/virtual_panel.h"

using namespace keyloom;

namespace {

constexpr double kByteTimeMs = 10.0 / 9.6; // 10 bits at 9600 baud

double Ms(std::int64_t us) {
    return static_cast<double>(us) / 1000.0;
}

struct Run {
    double wallMs = 0;
    bool ok = false;
};

template <class F> Run Timed(F&& transfer) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = transfer();
    const auto end = std::chrono::steady_clock::now();
    return {std::chrono::duration<double, std::milli>(end - start).count(), ok};
}

void Report(const char* what, const std::vector<Run>& runs, double floorMs) {
    std::vector<double> walls;
    int ok = 0;
    for (const auto& r : runs) {
        walls.push_back(r.wallMs);
        ok += r.ok ? 1 : 0;
    }
    std::sort(walls.begin(), walls.end());
    const double median = walls[walls.size() / 2];
    std::printf("%-28s runs %zu (%d ok)  wall min %.1f / median %.1f / max %.1f ms  floor %.1f ms"
                "  median/floor %.4f (%+.2f %%)\n",
                what, runs.size(), ok, walls.front(), median, walls.back(), floorMs,
                median / floorMs, (median / floorMs - 1.0) * 100.0);
}

// Pauses between consecutive data frames as the panel saw them.
void ReportFramePauses(const std::vector<sim::ReceivedByte>& received) {
    // The write is the first 17 * 33 bytes; frame j's bytes start at 17 * (j + 1).
    if (received.size() < 17 * 33)
        return;
    double least = 1e9, most = 0, sum = 0;
    for (int j = 1; j < 32; ++j) {
        const auto pause = received[17 * (j + 1)].timeUs - received[17 * (j + 1) - 1].timeUs;
        least = std::min(least, Ms(pause));
        most = std::max(most, Ms(pause));
        sum += Ms(pause);
    }
    std::printf("%-28s min %.3f / mean %.3f / max %.3f ms (500 ms asked)\n",
                "  pauses seen by the panel", least, sum / 31, most);
}

Run WriteOnce(sim::VirtualPanel& panel, const SpdImage& image) {
    SerialPort port;
    if (!port.open(panel.devicePath()))
        return {};
    SteadyClock clock;
    TransferObserver quiet;
    return Timed([&] { return RunWrite(port, clock, image, quiet).ok; });
}

std::vector<Run> ReadRuns(bool lineTime, int count) {
    sim::PanelOptions options;
    options.lineTime = lineTime;
    sim::VirtualPanel panel(options);
    std::vector<Run> runs;
    if (!panel.start())
        return runs;
    SerialPort port;
    if (!port.open(panel.devicePath()))
        return runs;
    SteadyClock clock;
    TransferObserver quiet;
    for (int i = 0; i < count; ++i)
        runs.push_back(Timed([&] { return RunRead(port, clock, quiet).complete; }));
    return runs;
}

} // namespace

int main() {
    SpdImage image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + 1);

    sim::VirtualPanel panel;
    if (const auto started = panel.start(); !started) {
        std::fprintf(stderr, "cannot start the virtual panel: %s\n",
                     started.error().message.c_str());
        return 1;
    }
    std::printf("floors: write 100 ms + 40 ms + 32 x 500 ms; read 17 x 10 ms, or 16 x 10 ms + "
                "512 byte times when the answer takes line time\n");
    const Run write = WriteOnce(panel, image);
    Report("write (pty)", {write}, Ms(kWriteFloorUs));
    ReportFramePauses(panel.received());
    std::printf("  %zu violation(s) reported by the panel\n", panel.violations().size());
    panel.stop();

    const int reads = 10;
    Report("read (pty, answer at once)", ReadRuns(false, reads), Ms(kReadCommandFloorUs));
    // The panel may start its answer as soon as the last command byte is in,
    // during the tool's last 10 ms pause.
    Report("read (pty, 9600-baud answer)", ReadRuns(true, reads),
           std::max(Ms(kReadCommandFloorUs), Ms(kReadCommandFloorUs) - 10.0 + 512 * kByteTimeMs));
    return 0;
}
