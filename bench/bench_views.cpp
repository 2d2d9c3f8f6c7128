// Cost of the commit (runs on every pointer move over the window's margin) and
// of the refresh, with the real widgets. Prints medians; never fails on time.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <QApplication>
#include <QTest>

#include "ui/cell_edit.h"
#include "ui/form1.h"
#include "ui/tab_control.h"

using namespace keyloom;
using Clock = std::chrono::steady_clock;

namespace {

template <class F>
double MedianMicros(int runs, F&& body) {
    std::vector<double> us;
    us.reserve(std::size_t(runs));
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        body(i);
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    std::nth_element(us.begin(), us.begin() + runs / 2, us.end());
    return us[std::size_t(runs / 2)];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TForm1 form([](const QString&, const QString&) {});
    form.show();
    (void)QTest::qWaitForWindowExposed(&form);
    form.findChild<TabControl*>(QStringLiteral("TabControl1"))->setCurrentIndex(1);

    const int runs = 2001;
    const double commitIdle = MedianMicros(runs, [&](int) { form.ViewsToImage(); });

    // Every cell edited by the user: the most a commit ever has to read.
    for (int i = 0; i < kGridBytes; ++i) {
        form.cell(i)->setText(QStringLiteral("5A"));
        emit form.cell(i)->textEdited(QStringLiteral("5A"));
    }
    const double commitAllEdited = MedianMicros(runs, [&](int) { form.ViewsToImage(); });

    // Refresh with every text changing each time (two alternating images).
    const double refreshHex = MedianMicros(501, [&](int i) {
        form.image().fill(std::uint8_t(i & 1 ? 0x11 : 0xEE));
        form.ImageToViews();
    });
    form.SpeedButtonACSIIClick();
    const double refreshAscii = MedianMicros(501, [&](int i) {
        form.image().fill(std::uint8_t(i & 1 ? 0x41 : 0x01));
        form.ImageToViews();
    });

    std::printf("commit (ViewsToImage), nothing edited:  median %8.1f us  (target <= 50 us)\n",
                commitIdle);
    std::printf("commit (ViewsToImage), 256 cells edited: median %8.1f us  (target <= 50 us)\n",
                commitAllEdited);
    std::printf("refresh (ImageToViews), hex:            median %8.1f us  (target <= 3000 us)\n",
                refreshHex);
    std::printf("refresh (ImageToViews), ascii:          median %8.1f us  (target <= 3000 us)\n",
                refreshAscii);
    return 0;
}
