// "draw FILE": the test run and its fit rule, the presence check, then the shared draw
// run ("Pen to 0" when the plot has negative coordinates, the drawing). However the tool
// ends once the port is open, the pen comes up, the motors are switched off and the
// trace is written out.
#include "cli/draw_command.h"

#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/progress_line.h"
#include "cli/test_run.h"
#include "drive/drive.h"
#include "drive/ports/open_port.h"
#include "preview/preview.h"
#include "run/plot_draw.h"
#include "settings/conversions.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>

#include <unistd.h>

namespace orlex::cli {

namespace {

PortRequest portRequestFor(const CliOptions& o, const MachineSettings& settings)
{
    PortRequest request;
    request.traceFile = o.traceFile;
    request.kind = o.simulate ? PortKind::Virtual : o.port.value_or(PortKind::Ppdev);
    VirtualPlotterConfig& sim = request.simulation;
    sim.clockHz = o.clockHz;
    sim.realTime = o.realTime;
    sim.clockRunning = !o.stoppedClock;
    sim.startXmm = o.startXmm;
    sim.startYmm = o.startYmm;
    return withMachineSettings(request, settings);
}

// The progress line, the stop question, and the moment the drawing itself begins.
class SessionObserver : public DrawObserver {
public:
    SessionObserver(ProgressLine& progress, std::function<void()> drawingStarts)
        : progress_(progress), drawingStarts_(std::move(drawingStarts))
    {}
    void drawingStarts() override { drawingStarts_(); }
    void onPoint(std::uint64_t bytesRead, std::uint64_t fileSize, std::uint64_t points) override
    {
        progress_.onPoint(bytesRead, fileSize, points);
    }
    bool stopRequested() override { return progress_.stopRequested(); }

private:
    ProgressLine& progress_;
    std::function<void()> drawingStarts_;
};

class DrawSession {
public:
    DrawSession(const CliOptions& options, const MachineSettings& settings, const PlotTest& test)
        : options_(options), settings_(settings), test_(test), opened_(openPort(portRequestFor(options, settings))),
          drive_(opened_.port(), settings,
                 DriveHooks{[this] { onEvents(); }, [fullStep = options.fullStep] { return !fullStep; }})
    {}

    // Every way out of the session goes through the safe end.
    int run()
    {
        const int status = drawWhenReady();
        progress_.finish();
        drive_.makeSafe();
        opened_.closeTrace();
        writeSvg();
        if (status >= kExitInterrupted)
            std::cerr << "\nInterrupted: the pen has been lifted and the motors switched off.\n";
        return status;
    }

private:
    int drawWhenReady();
    int interrupted() const { return kExitInterrupted + (interruptSignal() != 0 ? interruptSignal() : 2); }
    void onEvents();
    void writeSvg();
    void printSummary(const RunResult& r, double micros);
    double nowMicros();

    const CliOptions& options_;
    const MachineSettings& settings_;
    const PlotTest& test_;
    OpenedPort opened_;
    Drive drive_;
    ProgressLine progress_{options_.progress && ::isatty(STDERR_FILENO),
                           [this] { return interruptSignal() != 0 || drive_.stopRequested(); }};
};

int DrawSession::drawWhenReady()
{
    if (!opened_.error.empty())
        std::cerr << opened_.error << "\n";
    if (interruptSignal() != 0)
        return interrupted(); // nothing has moved yet

    if (!drive_.checkPresence()) {
        std::cerr << "orlex-plotter-cli: no plotter answers: the clock on status bit 7 did not change. "
                     "Check that the plotter is connected, switched on and not on STOP. Nothing was moved.\n";
        return kExitNoPlotter;
    }
    if (test_.extents.minXmm < 0 || test_.extents.minYmm < 0)
        std::cout << "Pen to 0: homing, then " << -test_.extents.minXmm << " mm right and " << -test_.extents.minYmm
                  << " mm up\n"
                  << std::flush;

    NullCanvas canvas;
    Preview preview(canvas, settings_);
    preview.zoom = test_.zoom;
    double startMicros = 0;
    SessionObserver observer(progress_, [&] {
        std::cout << "Drawing " << options_.plotFile << "\n" << std::flush;
        startMicros = nowMicros();
    });
    const DrawReport report = drawPlot(options_.plotFile, test_.extents, preview, drive_, &observer);
    const double micros = nowMicros() - startMicros;
    progress_.finish();

    // The test run has already warned about skipped pairs and the end of the file.
    switch (report.outcome) {
    case DrawReport::Outcome::Finished: printSummary(report.run, micros); return kExitOk;
    case DrawReport::Outcome::Stopped: return interrupted();
    case DrawReport::Outcome::OriginFailed:
        std::cerr << "orlex-plotter-cli: " << report.message() << "\n";
        return kExitDrawFailed;
    case DrawReport::Outcome::PointRefused:
        std::cerr << "orlex-plotter-cli: " << report.message() << "\n";
        printSummary(report.run, micros);
        return kExitDrawFailed;
    case DrawReport::Outcome::ReadFailed:
        std::cerr << "orlex-plotter-cli: " << report.message() << "\n";
        return kExitUsage;
    }
    return kExitOk;
}

// Runs inside every step wait, at a bounded rate: refreshes the progress line and
// turns a signal into a stop request, which also ends a wait for a halted clock.
void DrawSession::onEvents()
{
    progress_.tick(); // keeps the elapsed time moving along a long line
    if (interruptSignal() != 0)
        drive_.requestStop();
}

void DrawSession::writeSvg()
{
    if (options_.svgFile.empty() || opened_.virtualPlotter == nullptr)
        return;
    const Result<void> written =
        opened_.virtualPlotter->writeSvg(options_.svgFile, settings_.travelXmm, settings_.travelYmm);
    if (!written)
        std::cerr << "orlex-plotter-cli: " << written.message() << "\n";
}

double DrawSession::nowMicros()
{
    if (VirtualPlotter* plotter = opened_.virtualPlotter)
        return plotter->nowMicros();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void DrawSession::printSummary(const RunResult& r, double micros)
{
    std::cout << "Points: " << r.points << "\n";
    if (const VirtualPlotter* plotter = opened_.virtualPlotter) {
        const VirtualPlotterCounters& c = plotter->counters();
        std::cout << "Steps: X " << c.stepsX << ", Y " << c.stepsY << " (homing included)\n"
                  << "Lost steps: X " << c.lostStepsX << ", Y " << c.lostStepsY << "\n";
    }
    // Short runs in milliseconds, where whole seconds would say "0 s".
    const double seconds = micros / 1e6;
    char shortText[32];
    std::snprintf(shortText, sizeof shortText, "%.3f s", seconds);
    const bool simulated = opened_.virtualPlotter != nullptr;
    std::cout << "Drawing time: " << (seconds < 60 ? std::string(shortText) : durationText(seconds))
              << (simulated && !options_.realTime ? " (simulated)" : "") << "\n";
}

} // namespace

int runDrawCommand(const CliOptions& options)
{
    const std::optional<PreparedTest> prepared = loadAndTest(options, !options.fullStep);
    if (!prepared)
        return kExitUsage;
    const PlotTest& test = prepared->test;
    printTestReport(test, std::cout);
    printRunWarnings(test, std::cerr);
    std::cout.flush();
    if (!test.fits()) {
        std::cerr << "orlex-plotter-cli: the plot is too big for the machine. Nothing was moved.\n";
        return kExitTooBig;
    }

    // From here on a signal ends the run between steps and leaves the machine safe.
    installInterruptHandlers();
    DrawSession session(options, prepared->settings, test);
    return session.run();
}

} // namespace orlex::cli
