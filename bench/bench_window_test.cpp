// Window benchmark: "Test and Show" in the main window (offscreen unless a display is
// set) on a plot file, preview drawing and repaint included. Prints MB/s and, given
// hp2xx's time on the same file, the throughput ratio to it. With --draw, then the
// resident memory after the test, and the time from the Draw click to the first coil
// write (the draw is stopped there).
//   bench_window_test FILE [HP2XX_SECONDS] [RUNS] [HP2XX_CPU_SECONDS] [--draw]
#include "bench_support.h"
#include "window_bench.h"

#include "drive/ports/open_port.h"
#include "drive/ports/virtual_plotter.h"
#include "ui/main_window.h"
#include "ui/preview_widget.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string_view>

using namespace orlex;

namespace {

using Clock = std::chrono::steady_clock;

// Notes when the first coil byte reaches the port once armed.
class FirstCoilWrite : public Port {
public:
    explicit FirstCoilWrite(Port& inner) : inner_(inner) {}
    void write(Register reg, std::uint8_t value) override
    {
        if (reg == Register::Data && armed.load() && !seen.exchange(true))
            at = Clock::now();
        inner_.write(reg, value);
    }
    std::uint8_t read(Register reg) override { return inner_.read(reg); }
    std::atomic<bool> armed{false};
    std::atomic<bool> seen{false};
    Clock::time_point at; // written before `seen` is read true

private:
    Port& inner_;
};

// The 1-minute load average: the runs share the cores with whatever else is running.
double loadAverage()
{
    double load = -1;
    if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf", &load) != 1)
            load = -1;
        std::fclose(f);
    }
    return load;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_window_test FILE [HP2XX_SECONDS] [RUNS] [HP2XX_CPU_SECONDS]\n");
        return 2;
    }
    const std::string file = argv[1];
    const double hp2xxSeconds = argc > 2 ? std::atof(argv[2]) : 0;
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    const double hp2xxCpuSeconds = argc > 4 ? std::atof(argv[4]) : 0;
    const bool draw = std::string_view(argv[argc - 1]) == "--draw";
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    bench::SilentFeedback feedback;
    ui::MainWindowOptions options = bench::virtualTimeWindow(dir, feedback);
    FirstCoilWrite* firstWrite = nullptr;
    options.openPort = [&firstWrite, open = options.openPort](const MachineSettings& settings) {
        OpenedPort opened = open(settings);
        auto port = std::make_unique<FirstCoilWrite>(opened.port());
        firstWrite = port.get();
        opened.tracing = std::move(port);
        return opened;
    };
    ui::MainWindow window(options);
    window.openPlotFile(QString::fromStdString(file));
    window.show();
    QApplication::processEvents();

    const long residentBefore = bench::residentKib();
    const double megabytes = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
    const double loadBefore = loadAverage();
    double best = 1e300, bestCpu = 1e300;
    for (int run = 0; run < runs; ++run) {
        const double cpu0 = bench::cpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        window.onTestAndShowClicked();
        bench::control<ui::PreviewWidget>(window, "previewCanvas").repaint(); // the preview reaches the screen
        QApplication::processEvents();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const double cpu = bench::cpuSeconds() - cpu0;
        best = std::min(best, seconds);
        bestCpu = std::min(bestCpu, cpu);
        std::printf("run %d: %.3f s (CPU %.3f s)\n", run + 1, seconds, cpu);
    }

    std::printf("machine: %s, Qt platform %s, load average %.2f before, %.2f after\n", bench::machineText().c_str(),
                qPrintable(QGuiApplication::platformName()), loadBefore, loadAverage());
    std::printf("window Test and Show: %s, %.1f MB in %.3f s (best of %d): %.1f MB/s; CPU %.3f s, %.1f MB/s; "
                "peak RSS %ld KiB\n",
                file.c_str(), megabytes, best, runs, megabytes / best, bestCpu, megabytes / bestCpu,
                bench::peakRssKib());
    std::printf("extents: %s %s %s %s, %lld points\n", qPrintable(bench::control<QLabel>(window, "minXLabel").text()),
                qPrintable(bench::control<QLabel>(window, "minYLabel").text()),
                qPrintable(bench::control<QLabel>(window, "maxXLabel").text()),
                qPrintable(bench::control<QLabel>(window, "maxYLabel").text()),
                window.lastCheck ? static_cast<long long>(window.lastCheck->run.points) : -1LL);
    if (draw && firstWrite != nullptr) {
        std::printf("resident before Test and Show: %ld KiB, after: %ld KiB\n", residentBefore, bench::residentKib());
        // Home first, so that the plot fits from where the drawing starts.
        bench::control<QPushButton>(window, "penHomeButton").click();
        while (window.runState() != ui::RunState::Idle)
            QApplication::processEvents();
        firstWrite->armed = true;
        const auto t0 = Clock::now();
        window.onDrawClicked();
        while (!firstWrite->seen.load() && Clock::now() - t0 < std::chrono::seconds(30))
            QApplication::processEvents();
        const double toFirst = std::chrono::duration<double>(firstWrite->at - t0).count();
        window.onStopClicked();
        while (window.drawRunning())
            QApplication::processEvents();
        std::printf("Draw click to the first coil write: %.3f s (goal < 1 s); resident after the draw %ld KiB, "
                    "peak RSS %ld KiB\n",
                    firstWrite->seen ? toFirst : -1.0, bench::residentKib(), bench::peakRssKib());
    }
    if (hp2xxSeconds > 0)
        std::printf("hp2xx: %.3f s, %.1f MB/s; ratio %.1fx (goal >= 10x)\n", hp2xxSeconds, megabytes / hp2xxSeconds,
                    hp2xxSeconds / best);
    if (hp2xxCpuSeconds > 0)
        std::printf("hp2xx CPU: %.3f s; CPU ratio %.1fx\n", hp2xxCpuSeconds, hp2xxCpuSeconds / bestCpu);
    return 0;
}
