// Drive benchmark: draws a long zig-zag on the virtual plotter in real time for a range
// of clock frequencies and prints measured / ideal drawing time (ideal = clock cycles
// waited / frequency; 1.00 means no cycle was missed), once with the core alone and once
// through the main window's Draw (on its motion thread) with the preview and the virtual
// plotter view live, in pairs; the gaps between status reads (longest, 99.9th percentile),
// the frames the view and the preview showed, and how long Stop takes to reach the coils
// and the controls. Then the CPU time per step with the virtual plotter in virtual time.
//   bench_clock [--seconds S] [--freqs 1000,2000,...] [--pairs N] [--no-window] [--no-view] [--detail] [--floor]
// (--no-view: the main window alone, without the virtual plotter view; --detail: the long
// events by receiver class and type, and the longest paint of each widget class inside them;
// --floor: beside the window, an empty widget repainted every 33 ms, timed apart, to show
// what any repaint costs on this machine)
#include "bench_support.h"
#include "window_bench.h"

#include "drive/drive.h"
#include "drive/ports/open_port.h"
#include "drive/ports/virtual_plotter.h"
#include "run/motion_thread.h"
#include "settings/settings_file.h"
#include "ui/main_window.h"
#include "ui/preview_widget.h"
#include "ui/run_controller.h"
#include "ui/virtual_plotter_view.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <vector>

using namespace orlex;

namespace {

double threadCpuMicros()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

// Times every event delivered from the event loop (outermost only), so the report can
// say how often an event handler held the polling loop for longer than half a period.
class TimingApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        if (depth_++ > 0) {
            if (recording && event->type() == QEvent::Paint) {
                if (qobject_cast<ui::VirtualPlotterView*>(receiver))
                    ++viewFrames;
                else if (qobject_cast<ui::PreviewWidget*>(receiver))
                    ++previewFrames;
            }
            const bool timed = recording && detail && event->type() == QEvent::Paint;
            // The receiver may be deleted by the time the event returns.
            const std::string what =
                timed ? std::string(receiver->metaObject()->className()) + " " + receiver->objectName().toStdString()
                      : std::string();
            const double cpu0 = timed ? threadCpuMicros() : 0;
            const auto t0 = std::chrono::steady_clock::now();
            const bool r = QApplication::notify(receiver, event);
            --depth_;
            if (timed) {
                const double us =
                    std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
                Slowest& s = paints[what];
                ++s.count;
                s.longestMicros = std::max(s.longestMicros, us);
                s.longestCpuMicros = std::max(s.longestCpuMicros, threadCpuMicros() - cpu0);
                s.cpuMicros.push_back(threadCpuMicros() - cpu0);
            }
            return r;
        }
        // The floor probe's own events are kept apart from the window's.
        if (receiver == floorWidget || receiver == floorTimer) {
            const double cpu0 = threadCpuMicros();
            const bool r = QApplication::notify(receiver, event);
            --depth_;
            if (recording && receiver == floorWidget)
                floor.cpuMicros.push_back(threadCpuMicros() - cpu0);
            return r;
        }
        // The receiver may be gone afterwards (a deferred delete), and the event with it.
        const int type = event->type();
        const std::string what = recording && detail
                                     ? std::string(receiver->metaObject()->className()) + " "
                                           + receiver->objectName().toStdString() + " type " + std::to_string(type)
                                     : std::string();
        const double cpu0 = detail ? threadCpuMicros() : 0;
        const auto t0 = std::chrono::steady_clock::now();
        const bool r = QApplication::notify(receiver, event);
        const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
        const double cpuUs = detail ? threadCpuMicros() - cpu0 : 0;
        --depth_;
        if (recording) {
            ++events;
            if (us > longMicros) {
                ++longEvents;
                longTotalMicros += us;
                longestMicros = std::max(longestMicros, us);
                ++byType[type];
                if (detail) {
                    Slowest& s = byReceiver[what];
                    ++s.count;
                    s.longestMicros = std::max(s.longestMicros, us);
                    s.longestCpuMicros = std::max(s.longestCpuMicros, cpuUs);
                    if (cpuUs > longMicros)
                        ++s.longCpu;
                }
            }
            if (detail) {
                Slowest& all = allByReceiver[what];
                ++all.count;
                all.cpuMicros.push_back(cpuUs);
            }
        }
        return r;
    }
    void reset(double halfPeriodMicros)
    {
        longMicros = halfPeriodMicros;
        events = longEvents = 0;
        longTotalMicros = longestMicros = 0;
        viewFrames = previewFrames = 0;
        byType.clear();
        byReceiver.clear();
        allByReceiver.clear();
        paints.clear();
        floor.cpuMicros.clear();
    }
    struct Slowest {
        long count = 0, longCpu = 0; // longCpu: longer than half a period in CPU time
        double longestMicros = 0, longestCpuMicros = 0;
        std::vector<double> cpuMicros; // every one, for the percentiles
        // The 10th, 50th and 90th percentile of the CPU times, in microseconds: on a busy
        // machine the 10th comes closest to what the handler costs on its own.
        std::string cpuSpread() const
        {
            if (cpuMicros.empty())
                return "";
            std::vector<double> v = cpuMicros;
            std::sort(v.begin(), v.end());
            char text[64];
            std::snprintf(text, sizeof text, "CPU 10 %% %.0f us, median %.0f us, 90 %% %.0f us", v[v.size() / 10],
                          v[v.size() / 2], v[v.size() * 9 / 10]);
            return text;
        }
    };
    bool recording = false;
    double longMicros = 0;
    long events = 0, longEvents = 0;
    double longTotalMicros = 0, longestMicros = 0;
    long viewFrames = 0, previewFrames = 0; // paints of the plotter view and of the preview
    std::map<int, long> byType;
    bool detail = false;
    std::map<std::string, Slowest> byReceiver;    // long outermost events
    std::map<std::string, Slowest> allByReceiver; // all outermost events, for their CPU spread
    std::map<std::string, Slowest> paints;        // paint events of each widget class, nested
    // The floor: an empty opaque widget repainted at the view's frame rate, timed apart.
    const QObject* floorWidget = nullptr;
    const QObject* floorTimer = nullptr;
    Slowest floor;

private:
    int depth_ = 0;
};

TimingApplication* timingApp = nullptr;

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

MachineSettings defaultSettings()
{
    return defaultMachineSettings();
}

VirtualPlotterConfig plotterConfig(double hz, bool realTime)
{
    VirtualPlotterConfig config;
    config.clockHz = hz;
    config.realTime = realTime;
    // The zig-zag reaches 125 mm from its start: from here it fits the 150 mm of travel,
    // which the window's Draw checks first.
    config.startXmm = 10;
    config.startYmm = 10;
    return config;
}

struct Figures {
    double seconds = 0;
    std::uint64_t cycles = 0;
    std::uint64_t outputs = 0;
    long lost = 0;
    long gaps = 0, preemptedGaps = 0; // status reads more than half a period apart
    double longestGapMicros = 0;
    // Every gap between two status reads, in whole microseconds (the last bucket: longer).
    std::array<std::uint64_t, 20001> gapHistogram{};
    double gapPercentileMicros(double share) const
    {
        std::uint64_t all = 0;
        for (std::uint64_t n : gapHistogram)
            all += n;
        std::uint64_t seen = 0;
        for (std::size_t us = 0; us < gapHistogram.size(); ++us)
            if ((seen += gapHistogram[us]) >= static_cast<double>(all) * share)
                return static_cast<double>(us);
        return 0;
    }
};

long involuntarySwitches()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nivcsw;
}

// Watches the time between status reads: a gap of more than half a period can hide a
// phase of the clock and so lose a cycle. A gap during which the system switched the
// thread off the processor (an involuntary context switch) is the system's doing.
class GapWatch : public Port {
public:
    GapWatch(Port& inner, double hz, Figures& figures) : inner_(inner), halfPeriodMicros_(5e5 / hz), f_(figures) {}
    GapWatch(std::unique_ptr<Port> owned, double hz, Figures& figures)
        : owned_(std::move(owned)), inner_(*owned_), halfPeriodMicros_(5e5 / hz), f_(figures)
    {}
    // Counts from the next read on, as if nothing had been read before.
    void restart()
    {
        reads_ = 0;
        switches_ = involuntarySwitches();
    }
    void write(Register reg, std::uint8_t value) override
    {
        inner_.write(reg, value);
        if (reg == Register::Data)
            lastDataWrite.store(std::chrono::steady_clock::now().time_since_epoch().count(), std::memory_order_relaxed);
    }
    // When the last coil byte was written, on the steady clock (read from another thread).
    std::atomic<std::chrono::steady_clock::rep> lastDataWrite{0};
    std::uint8_t read(Register reg) override
    {
        if (reg == Register::Status) {
            const auto now = std::chrono::steady_clock::now();
            const double gap = std::chrono::duration<double, std::micro>(now - last_).count();
            if (reads_ > 0)
                ++f_.gapHistogram[std::min<std::size_t>(static_cast<std::size_t>(gap), f_.gapHistogram.size() - 1)];
            if (reads_++ > 0 && gap > halfPeriodMicros_) {
                ++f_.gaps;
                f_.longestGapMicros = std::max(f_.longestGapMicros, gap);
                const long switches = involuntarySwitches();
                if (switches != switches_)
                    ++f_.preemptedGaps;
                switches_ = switches;
            }
            last_ = now;
        }
        return inner_.read(reg);
    }

private:
    std::unique_ptr<Port> owned_;
    Port& inner_;
    double halfPeriodMicros_;
    Figures& f_;
    long reads_ = 0;
    long switches_ = involuntarySwitches();
    std::chrono::steady_clock::time_point last_{};
};

// The core alone: lineTo over the zig-zag, no window events.
Figures drawCore(double hz, const std::vector<Point>& points, bool realTime, double* cpu = nullptr)
{
    const MachineSettings settings = defaultSettings();
    VirtualPlotter plotter(plotterConfig(hz, realTime));
    Figures f;
    GapWatch watch(plotter, hz, f);
    bench::CountingPort port(realTime ? static_cast<Port&>(watch) : plotter);
    Drive drive(port, settings, DriveHooks{[] { return true; }});
    watch.restart();
    const double cpu0 = bench::cpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    for (const Point& p : points)
        drive.lineTo(pointSteps(p.x, p.y, drive.scaleAt(100)), Pen::Down);
    const auto t1 = std::chrono::steady_clock::now();
    if (cpu)
        *cpu = bench::cpuSeconds() - cpu0;
    f.seconds = std::chrono::duration<double>(t1 - t0).count();
    f.cycles = port.cycles();
    f.outputs = port.dataWrites;
    f.lost = plotter.counters().lostStepsX + plotter.counters().lostStepsY;
    return f;
}

// Runs the event loop until the window's run controller is idle again.
void waitUntilIdle(ui::MainWindow& window)
{
    if (window.runState() == ui::RunState::Idle)
        return;
    QEventLoop loop;
    QObject::connect(&window.controller(), &ui::RunController::stateChanged, &loop, [&](ui::RunState state) {
        if (state == ui::RunState::Idle)
            loop.quit();
    });
    loop.exec();
}

void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Stop pressed `afterSeconds` into a draw: from the click to the last coil write, and to
// the controls being back (the controller idle, Draw's buttons enabled again).
struct StopFigures {
    double lastWriteMillis = 0, controlsBackMillis = 0, stepMillis = 0;
};

// The whole window: Test and Show, then Draw on the motion thread, with the preview and
// the plotter view live; with `stop`, Stop is clicked partway and its latency measured.
// The journal's comparison: `journal` keeps it (in the run's own folder) or not, and the
// pen lifts every `liftEvery` points (0: never), each a journal write.
struct JournalRun {
    bool journal = false;
    int liftEvery = 0;
};

Figures drawWindow(double hz, const std::vector<Point>& points, bool plotterView, bool floorProbe,
                   StopFigures* stop = nullptr, std::optional<JournalRun> journalRun = std::nullopt)
{
    QTemporaryDir dir;
    const QString plot = dir.filePath("zigzag.plt");
    const int liftEvery = journalRun ? journalRun->liftEvery : 0;
    {
        std::ofstream out(plot.toStdString(), std::ios::binary);
        out << "IN;SP1;PU0,0;PD";
        for (std::size_t i = 0; i < points.size(); ++i) {
            const bool lift = liftEvery > 0 && i > 0 && i % static_cast<std::size_t>(liftEvery) == 0;
            out << (lift ? ";PU;PD" : i ? "," : "") << points[i].x << "," << points[i].y;
        }
        out << ";PU;\r\n";
    }
    bench::SilentFeedback feedback;
    Figures f;
    bench::CountingPort* counter = nullptr;
    GapWatch* gapWatch = nullptr;
    VirtualPlotter* plotter = nullptr;
    ui::MainWindowOptions options;
    options.settingsFile = (dir.path() + "/seting.txt").toStdString();
    options.feedback = &feedback;
    options.exitProcess = [](int) {};
    options.journalFolder = (dir.path() + "/state").toStdString();
    options.keepJournal = !journalRun || journalRun->journal;
    options.openPort = [&](const MachineSettings&) {
        auto owned = std::make_unique<VirtualPlotter>(plotterConfig(hz, true));
        plotter = owned.get();
        // The gaps between status reads say how well the motion thread kept the clock.
        auto watched = std::make_unique<GapWatch>(std::move(owned), hz, f);
        gapWatch = watched.get();
        auto counting = std::make_unique<bench::CountingPort>(std::move(watched));
        counter = counting.get();
        OpenedPort opened;
        opened.virtualPlotter = plotter;
        opened.backend = std::move(counting);
        return opened;
    };
    ui::MainWindow window(std::move(options));
    window.openPlotFile(plot);
    window.show();
    // As the program shows it: the view refreshes on its own frame timer from the feed.
    ui::VirtualPlotterView view(window.settings(), plotter->paper());
    plotter->setFeed(&view.feed());
    if (plotterView)
        view.show();
    // The floor probe: what an event that paints nothing costs on this machine at the
    // same rate as the view's frames.
    QWidget floorWidget;
    QTimer floorTimer;
    if (floorProbe) {
        floorWidget.setAttribute(Qt::WA_OpaquePaintEvent);
        floorWidget.resize(16, 16);
        floorWidget.show();
        timingApp->floorWidget = &floorWidget;
        timingApp->floorTimer = &floorTimer;
        QObject::connect(&floorTimer, &QTimer::timeout, &floorWidget, qOverload<>(&QWidget::update));
        floorTimer.start(33);
    }
    // As an operator would, Test and Show, then Draw, once the windows show their first frames.
    settle(200);
    window.onTestAndShowClicked();
    waitUntilIdle(window);
    if (!bench::control<QPushButton>(window, "drawButton").isEnabled())
        std::fprintf(stderr, "Draw is not enabled after the test at %.0f Hz\n", hz);
    settle(200);
    counter->reset();
    f = Figures{};
    gapWatch->restart();
    timingApp->reset(5e5 / hz);
    timingApp->recording = true;
    std::chrono::steady_clock::time_point clicked{}, controlsBack{};
    if (stop) {
        QTimer::singleShot(1000, &window, [&] {
            clicked = std::chrono::steady_clock::now();
            bench::control<QPushButton>(window, "stopButton").click();
        });
    }
    const auto t0 = std::chrono::steady_clock::now();
    window.onDrawClicked();
    waitUntilIdle(window);
    const auto t1 = std::chrono::steady_clock::now();
    controlsBack = t1;
    timingApp->recording = false;
    timingApp->floorWidget = timingApp->floorTimer = nullptr;
    f.seconds = std::chrono::duration<double>(t1 - t0).count();
    f.cycles = counter->cycles();
    f.outputs = counter->dataWrites;
    f.lost = plotter->counters().lostStepsX + plotter->counters().lostStepsY;
    if (stop) {
        const std::chrono::steady_clock::time_point lastWrite{
            std::chrono::steady_clock::duration{gapWatch->lastDataWrite.load()}};
        const auto millis = [](auto d) { return std::chrono::duration<double, std::milli>(d).count(); };
        stop->lastWriteMillis = millis(lastWrite - clicked);
        stop->controlsBackMillis = millis(controlsBack - clicked);
        stop->stepMillis = 2000.0 / hz;
    }
    return f;
}

void printRow(const char* mode, double hz, const Figures& f)
{
    const double ideal = static_cast<double>(f.cycles) / hz;
    std::printf("%-7s %8.0f Hz  %9llu steps  measured %7.3f s  ideal %7.3f s  ratio %.4f  lost steps %ld\n", mode, hz,
                static_cast<unsigned long long>(f.outputs), f.seconds, ideal, f.seconds / ideal, f.lost);
    std::fflush(stdout);
}

void printGaps(const Figures& f)
{
    std::printf("        status reads more than half a period apart: %ld, %ld of them with the thread "
                "switched off the processor; longest gap %.0f us; 99.9 %% of gaps under %.0f us\n",
                f.gaps, f.preemptedGaps, f.longestGapMicros, f.gapPercentileMicros(0.999) + 1);
}

// The window's draw without and with the journal, in pairs, the order changing from pair
// to pair: the journal's cost is the difference of the two ratios.
int compareJournal(const std::vector<double>& freqs, double seconds, int pairs, int liftEvery, bool plotterView)
{
    std::printf("journal: the pen lifts every %d points (0: never); ratio with - ratio without\n", liftEvery);
    for (double hz : freqs) {
        const auto points = zigZag(static_cast<std::uint64_t>(hz * seconds / 2));
        std::vector<double> differences;
        for (int pair = 0; pair < pairs; ++pair) {
            double ratio[2] = {0, 0};
            for (int k = 0; k < 2; ++k) {
                const bool journal = (k == 1) != (pair % 2 == 1);
                const Figures f = drawWindow(hz, points, plotterView, false, nullptr, JournalRun{journal, liftEvery});
                printRow(journal ? "journal" : "none", hz, f);
                ratio[journal ? 1 : 0] = f.seconds / (static_cast<double>(f.cycles) / hz);
            }
            differences.push_back(ratio[1] - ratio[0]);
            std::printf("        with - without %+.4f\n", differences.back());
        }
        std::sort(differences.begin(), differences.end());
        std::printf("%.0f Hz, %zu pairs: journal ratio - no journal ratio median %+.4f, worst %+.4f, best %+.4f\n", hz,
                    differences.size(), differences[differences.size() / 2], differences.back(), differences.front());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    double seconds = 2;
    int pairs = 1;
    bool window = true;
    bool plotterView = true;
    bool detail = false;
    bool floorProbe = false;
    int journalLiftEvery = -1; // --journal N: window draws with and without the journal, paired
    std::vector<double> freqs{1000, 2000, 5000, 10000, 20000, 40000, 80000, 160000};
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else if (!std::strcmp(argv[i], "--pairs") && i + 1 < argc) {
            pairs = std::max(1, std::atoi(argv[++i]));
        } else if (!std::strcmp(argv[i], "--no-window")) {
            window = false;
        } else if (!std::strcmp(argv[i], "--no-view")) {
            plotterView = false;
        } else if (!std::strcmp(argv[i], "--detail")) {
            detail = true;
        } else if (!std::strcmp(argv[i], "--floor")) {
            floorProbe = true;
        } else if (!std::strcmp(argv[i], "--journal") && i + 1 < argc) {
            journalLiftEvery = std::max(0, std::atoi(argv[++i]));
        } else if (!std::strcmp(argv[i], "--freqs") && i + 1 < argc) {
            freqs.clear();
            for (char* s = std::strtok(argv[++i], ","); s; s = std::strtok(nullptr, ","))
                freqs.push_back(std::atof(s));
        } else {
            std::fprintf(stderr, "usage: bench_clock [--seconds S] [--freqs 1000,2000,...] [--pairs N] [--no-window] "
                                 "[--no-view] [--detail] [--floor] [--journal LIFT_EVERY]\n");
            return 2;
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TimingApplication app(argc, argv);
    timingApp = &app;
    app.detail = detail;

    std::printf("machine: %s\nQt platform: %s\nload average before: %s\n", bench::machineText().c_str(),
                qPrintable(QGuiApplication::platformName()), bench::loadAverageText().c_str());
    {
        MotionThread probe;
        std::printf("motion thread: %s\n", probe.priority().text().c_str());
    }
    std::printf("zig-zag of about %.1f s per frequency; ratio = measured / (cycles / frequency)\n", seconds);
    const bench::CpuTicks ticks0 = bench::cpuTicks();
    if (journalLiftEvery >= 0)
        return compareJournal(freqs, seconds, pairs, journalLiftEvery, plotterView);
    for (double hz : freqs) {
        // Two cycles per coil byte: hz * seconds / 2 bytes take `seconds`.
        const auto points = zigZag(static_cast<std::uint64_t>(hz * seconds / 2));
        std::vector<double> differences;
        for (int pair = 0; pair < pairs; ++pair) {
            double coreCpu = 0;
            const Figures core = drawCore(hz, points, true, &coreCpu);
            printRow("core", hz, core);
            printGaps(core);
            std::printf("        CPU %.3f s for %.3f s of wall time\n", coreCpu, core.seconds);
            if (!window)
                continue;
            const double cpu0 = bench::cpuSeconds();
            const Figures windowRun = drawWindow(hz, points, plotterView, floorProbe);
            const double windowCpu = bench::cpuSeconds() - cpu0;
            printRow(plotterView ? "window" : "no-view", hz, windowRun);
            printGaps(windowRun);
            const double ideal = static_cast<double>(windowRun.cycles) / hz;
            const double coreIdeal = static_cast<double>(core.cycles) / hz;
            differences.push_back(windowRun.seconds / ideal - core.seconds / coreIdeal);
            std::printf("        CPU %.3f s (all threads, test included) for %.3f s of drawing; plotter view %.1f "
                        "frames/s, preview %.1f updates/s; window ratio - core ratio %+.4f\n",
                        windowCpu, windowRun.seconds, static_cast<double>(app.viewFrames) / windowRun.seconds,
                        static_cast<double>(app.previewFrames) / windowRun.seconds, differences.back());
            std::printf("        window thread events %ld, longer than half a period %ld (longest %.2f ms)\n",
                        app.events, app.longEvents, app.longestMicros / 1000);
            for (const auto& [what, slow] : app.byReceiver)
                std::printf("        long: %-40s %6ld (%ld by CPU)  longest %.3f ms, CPU %.3f ms\n", what.c_str(),
                            slow.count, slow.longCpu, slow.longestMicros / 1000, slow.longestCpuMicros / 1000);
            if (floorProbe) {
                const long over = std::count_if(app.floor.cpuMicros.begin(), app.floor.cpuMicros.end(),
                                                [&](double us) { return us > app.longMicros; });
                std::printf("        floor: an empty repaint every 33 ms  %6zu  %s; longer than half a period %ld\n",
                            app.floor.cpuMicros.size(), app.floor.cpuSpread().c_str(), over);
            }
            for (const auto& [what, slow] : app.paints)
                std::printf("        paint: %-39s %6ld  longest %.3f ms, CPU %.3f ms; %s\n", what.c_str(), slow.count,
                            slow.longestMicros / 1000, slow.longestCpuMicros / 1000, slow.cpuSpread().c_str());
        }
        if (!differences.empty()) {
            std::sort(differences.begin(), differences.end());
            std::printf("%.0f Hz, %zu pairs: window ratio - core ratio median %+.4f, worst %+.4f\n", hz,
                        differences.size(), differences[differences.size() / 2], differences.back());
        }
    }
    if (window && !freqs.empty()) {
        StopFigures stop;
        const double hz = freqs.front();
        drawWindow(hz, zigZag(static_cast<std::uint64_t>(hz * 4 / 2)), plotterView, false, &stop);
        std::printf("Stop 1 s into a %.0f Hz draw: last coil write %.2f ms after the click (one step %.2f ms), "
                    "controls back %.2f ms after it\n",
                    hz, stop.lastWriteMillis, stop.stepMillis, stop.controlsBackMillis);
    }
    std::printf("steal time during the runs: %.2f %%; load average after: %s\n",
                bench::stealPercent(ticks0, bench::cpuTicks()), bench::loadAverageText().c_str());

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
