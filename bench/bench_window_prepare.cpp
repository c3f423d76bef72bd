// Window benchmark: "Test and Show" of FILE with Options > "Shorter pen-up travel" on,
// the new order worked out beside the window. Prints how long it took, the longest gap
// of a 10 ms timer meanwhile (how long the window's event loop was held), and, in a
// second run, how long after a click on Stop the window is idle again.
//   bench_window_prepare FILE [STOP_AFTER_MS]
#include "bench_support.h"
#include "window_bench.h"

#include "drive/ports/open_port.h"
#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

using namespace orlex;
using Clock = std::chrono::steady_clock;

namespace {

double millis(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Runs the event loop until the window is idle; the longest gap between two ticks of a
// 10 ms timer meanwhile, in ms.
double waitIdleTimingGaps(ui::MainWindow& window)
{
    double longest = 0;
    Clock::time_point last = Clock::now();
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        longest = std::max(longest, millis(now - last));
        last = now;
    });
    ticker.start();
    QEventLoop loop;
    QObject::connect(&window.controller(), &ui::RunController::stateChanged, &loop, [&](ui::RunState state) {
        if (state == ui::RunState::Idle)
            loop.quit();
    });
    if (window.runState() != ui::RunState::Idle)
        loop.exec();
    return longest;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_window_prepare FILE [STOP_AFTER_MS]\n");
        return 2;
    }
    const int stopAfterMs = argc > 2 ? std::atoi(argv[2]) : 500;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    bench::SilentFeedback feedback;
    ui::MainWindow window(bench::virtualTimeWindow(dir, feedback));
    bench::control<QAction>(window, "shorterTravelAction").setChecked(true);
    window.openPlotFile(QString::fromLocal8Bit(argv[1]));
    window.show();
    QApplication::processEvents();
    std::printf("machine: %s; load average %s\n", bench::machineText().c_str(), bench::loadAverageText().c_str());

    Clock::time_point t0 = Clock::now();
    window.onTestAndShowClicked();
    const double held = waitIdleTimingGaps(window);
    std::printf("Test and Show with shorter travel: %.0f ms; event loop held at most %.1f ms; %s\n",
                millis(Clock::now() - t0), held, qPrintable(bench::control<QLabel>(window, "inputLabel").text()));

    Clock::time_point clicked{};
    QTimer::singleShot(stopAfterMs, &window, [&] {
        clicked = Clock::now();
        bench::control<QPushButton>(window, "stopButton").click();
    });
    window.onTestAndShowClicked();
    const double heldAgain = waitIdleTimingGaps(window);
    std::printf("Stop %d ms into it: idle %.1f ms after the click (\"%s\"); event loop held at most %.1f ms\n",
                stopAfterMs, millis(Clock::now() - clicked),
                qPrintable(bench::control<QLabel>(window, "progressLabel").text()), heldAgain);
    std::printf("load average after: %s\n", bench::loadAverageText().c_str());
    return 0;
}
