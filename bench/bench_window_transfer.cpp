// How the window keeps up while a write runs: a 10 ms timer on the GUI thread,
// and the longest gap between two of its runs from the click until the write
// has ended. Prints figures; never fails on time.
#include <algorithm>
#include <chrono>
#include <cstdio>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "sim/virtual_panel.h"
#include "ui/form1.h"

using namespace keyloom;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir config;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());

    sim::VirtualPanel panel;
    if (const Status started = panel.start(); !started) {
        std::fprintf(stderr, "virtual panel: %s\n", started.error().message.c_str());
        return 1;
    }
    {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tevrano"),
                    QStringLiteral("Keyloom"));
        s.setValue(QStringLiteral("Ports/COM1"), QString::fromStdString(panel.devicePath()));
        s.setValue(QStringLiteral("ComPortIndex"), 0);
    }
    TForm1 form([](const QString&, const QString&) {});
    form.show();
    (void)QTest::qWaitForWindowExposed(&form);

    double longestGapMs = 0;
    long ticks = 0;
    auto last = Clock::now();
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &form, [&] {
        const auto now = Clock::now();
        longestGapMs =
            std::max(longestGapMs, std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
        ++ticks;
    });

    const auto t0 = Clock::now();
    last = t0;
    timer.start(10);
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("SpeedButton1")), Qt::LeftButton);
    (void)QTest::qWaitFor([&] { return !form.transferRunning(); }, 30000);
    timer.stop();
    const double wallMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();

    std::printf("write from the window: %s in %.1f ms\n",
                qPrintable(form.findChild<QLabel*>(QStringLiteral("Label6"))->text()), wallMs);
    std::printf("GUI thread 10 ms timer: %ld runs, longest gap %.1f ms  (target < 50 ms)\n", ticks,
                longestGapMs);
    return 0;
}
