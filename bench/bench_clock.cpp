// Drive benchmark: draws a long zig-zag on the virtual plotter in real time for a range
// of clock frequencies and prints measured / ideal drawing time (ideal = clock cycles
// waited / frequency; 1.00 means no cycle was missed), once with the core alone and once
// through the main window's Draw with the preview and the virtual plotter view live.
// Then the CPU time per step with the virtual plotter in virtual time.
//   bench_clock [--seconds S] [--freqs 1000,2000,...] [--no-window] [--no-view]
// (--no-view: the main window alone, without the virtual plotter view)
#include "bench_support.h"

#include "drive/drive.h"
#include "drive/ports/open_port.h"
#include "drive/ports/virtual_plotter.h"
#include "settings/settings_file.h"
#include "ui/main_window.h"
#include "ui/operator_feedback.h"
#include "ui/virtual_plotter_view.h"

#include <QApplication>
#include <QEvent>
#include <QPushButton>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <string>
#include <vector>

using namespace orlex;

namespace {

// Times every event delivered from the event loop (outermost only), so the report can
// say how often an event handler held the polling loop for longer than half a period.
class TimingApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        if (depth_++ > 0) {
            const bool r = QApplication::notify(receiver, event);
            --depth_;
            return r;
        }
        const auto t0 = std::chrono::steady_clock::now();
        const bool r = QApplication::notify(receiver, event);
        const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
        --depth_;
        if (recording) {
            ++events;
            if (us > longMicros) {
                ++longEvents;
                longTotalMicros += us;
                longestMicros = std::max(longestMicros, us);
                ++byType[event->type()];
            }
        }
        return r;
    }
    void reset(double halfPeriodMicros)
    {
        longMicros = halfPeriodMicros;
        events = longEvents = 0;
        longTotalMicros = longestMicros = 0;
        byType.clear();
    }
    bool recording = false;
    double longMicros = 0;
    long events = 0, longEvents = 0;
    double longTotalMicros = 0, longestMicros = 0;
    std::map<int, long> byType;

private:
    int depth_ = 0;
};

TimingApplication* timingApp = nullptr;

class SilentFeedback : public ui::OperatorFeedback {
public:
    void beep() override {}
    void message(QWidget*, Icon, const QString& title, const QString& text) override
    {
        std::fprintf(stderr, "message: %s: %s\n", qPrintable(title), qPrintable(text));
    }
};

struct Point {
    double x, y; // plotter units
};

// Zig-zag between x = 0 and x = 5000 units (500 half steps at the default 0.50 mm
// step), climbing 100 units per leg and falling back at 5000: about `outputs` coil bytes.
std::vector<Point> zigZag(std::uint64_t outputs)
{
    std::vector<Point> points;
    std::uint64_t made = 0;
    double y = 0, dy = 100;
    bool right = true;
    while (made < outputs) {
        y += dy;
        if (y >= 5000 || y <= 0)
            dy = -dy;
        points.push_back({right ? 5000.0 : 0.0, y});
        right = !right;
        made += 500;
    }
    return points;
}

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

MachineSettings defaultSettings()
{
    return defaultMachineSettings();
}

VirtualPlotterConfig plotterConfig(double hz, bool realTime)
{
    VirtualPlotterConfig config;
    config.clockHz = hz;
    config.realTime = realTime;
    config.startXmm = 30;
    config.startYmm = 30;
    return config;
}

struct Figures {
    double seconds = 0;
    std::uint64_t cycles = 0;
    std::uint64_t outputs = 0;
    long lost = 0;
};

// The core alone: lineTo over the zig-zag, no window events.
Figures drawCore(double hz, const std::vector<Point>& points, bool realTime, double* cpu = nullptr)
{
    const MachineSettings settings = defaultSettings();
    VirtualPlotter plotter(plotterConfig(hz, realTime));
    bench::CountingPort port(plotter);
    Drive drive(port, settings, DriveHooks{{}, [] { return true; }});
    const double cpu0 = cpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    for (const Point& p : points)
        drive.lineTo(p.x, p.y, Pen::Down, 100);
    const auto t1 = std::chrono::steady_clock::now();
    if (cpu)
        *cpu = cpuSeconds() - cpu0;
    Figures f;
    f.seconds = std::chrono::duration<double>(t1 - t0).count();
    f.cycles = port.cycles();
    f.outputs = port.dataWrites;
    f.lost = plotter.counters().lostStepsX + plotter.counters().lostStepsY;
    return f;
}

// The whole window: Test and Show, then Draw, with the preview and the plotter view live.
Figures drawWindow(double hz, const std::vector<Point>& points, bool plotterView)
{
    QTemporaryDir dir;
    const QString plot = dir.filePath("zigzag.plt");
    {
        std::ofstream out(plot.toStdString(), std::ios::binary);
        out << "IN;SP1;PU0,0;PD";
        for (std::size_t i = 0; i < points.size(); ++i)
            out << (i ? "," : "") << points[i].x << "," << points[i].y;
        out << ";PU;\r\n";
    }
    SilentFeedback feedback;
    bench::CountingPort* counter = nullptr;
    VirtualPlotter* plotter = nullptr;
    ui::MainWindowOptions options;
    options.settingsFile = (dir.path() + "/seting.txt").toStdString();
    options.feedback = &feedback;
    options.exitProcess = [](int) {};
    options.openPort = [&](const MachineSettings&) {
        auto owned = std::make_unique<VirtualPlotter>(plotterConfig(hz, true));
        plotter = owned.get();
        auto counting = std::make_unique<bench::CountingPort>(std::move(owned));
        counter = counting.get();
        OpenedPort opened;
        opened.virtualPlotter = plotter;
        opened.backend = std::move(counting);
        return opened;
    };
    ui::MainWindow window(std::move(options));
    window.openPlotFile(plot);
    window.show();
    // As the program shows it: the view refreshes on its own frame timer.
    ui::VirtualPlotterView view(*plotter, window.settings());
    if (plotterView)
        view.show();
    QApplication::processEvents();

    window.onTestClicked();
    if (!window.drawButton->isEnabled())
        std::fprintf(stderr, "Draw is not enabled after the test at %.0f Hz\n", hz);
    counter->reset();
    timingApp->reset(5e5 / hz);
    timingApp->recording = true;
    const auto t0 = std::chrono::steady_clock::now();
    window.onDrawClicked();
    const auto t1 = std::chrono::steady_clock::now();
    timingApp->recording = false;
    Figures f;
    f.seconds = std::chrono::duration<double>(t1 - t0).count();
    f.cycles = counter->cycles();
    f.outputs = counter->dataWrites;
    f.lost = plotter->counters().lostStepsX + plotter->counters().lostStepsY;
    return f;
}

void printRow(const char* mode, double hz, const Figures& f)
{
    const double ideal = static_cast<double>(f.cycles) / hz;
    std::printf("%-7s %8.0f Hz  %9llu steps  measured %7.3f s  ideal %7.3f s  ratio %.4f  lost steps %ld\n", mode, hz,
                static_cast<unsigned long long>(f.outputs), f.seconds, ideal, f.seconds / ideal, f.lost);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    double seconds = 2;
    bool window = true;
    bool plotterView = true;
    std::vector<double> freqs{1000, 2000, 5000, 10000, 20000, 40000, 80000, 160000};
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else if (!std::strcmp(argv[i], "--no-window")) {
            window = false;
        } else if (!std::strcmp(argv[i], "--no-view")) {
            plotterView = false;
        } else if (!std::strcmp(argv[i], "--freqs") && i + 1 < argc) {
            freqs.clear();
            for (char* s = std::strtok(argv[++i], ","); s; s = std::strtok(nullptr, ","))
                freqs.push_back(std::atof(s));
        } else {
            std::fprintf(stderr,
                         "usage: bench_clock [--seconds S] [--freqs 1000,2000,...] [--no-window] [--no-view]\n");
            return 2;
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TimingApplication app(argc, argv);
    timingApp = &app;

    std::printf("machine: %s\nQt platform: %s\n", bench::machineText().c_str(),
                qPrintable(QGuiApplication::platformName()));
    std::printf("zig-zag of about %.1f s per frequency; ratio = measured / (cycles / frequency)\n", seconds);
    for (double hz : freqs) {
        // Two cycles per coil byte: hz * seconds / 2 bytes take `seconds`.
        const auto points = zigZag(static_cast<std::uint64_t>(hz * seconds / 2));
        printRow("core", hz, drawCore(hz, points, true));
        if (window) {
            printRow(plotterView ? "window" : "no-view", hz, drawWindow(hz, points, plotterView));
            QString types;
            for (const auto& [type, count] : app.byType)
                types += QStringLiteral(" %1:%2").arg(type).arg(count);
            std::printf("        events %ld, longer than half a period %ld (%.1f ms in all, longest %.2f ms; by "
                        "QEvent type%s)\n",
                        app.events, app.longEvents, app.longTotalMicros / 1000, app.longestMicros / 1000,
                        qPrintable(types));
        }
    }

    const auto points = zigZag(2000000);
    double cpu = 0;
    const Figures v = drawCore(2000, points, false, &cpu);
    const VirtualPlotterConfig config = plotterConfig(2000, false);
    std::printf("virtual time (2 kHz clock, %.0f status reads per cycle): %llu steps, CPU %.3f s, "
                "%.1f ns per step\n",
                1e6 / config.clockHz / config.virtualReadMicros, static_cast<unsigned long long>(v.outputs), cpu,
                cpu / static_cast<double>(v.outputs) * 1e9);
    return 0;
}
