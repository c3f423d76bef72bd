// "draw FILE": the check and its fit rule, also from where the pen stands when that is
// known, the presence check, then the shared draw run ("Pen to 0" when the plot has
// negative coordinates or --home is given, the drawing). However the tool
// ends once the port is open, the pen comes up, the motors are switched off and the
// trace is written out.
#include "cli/draw_command.h"

#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/pen_prompt.h"
#include "cli/progress_line.h"
#include "cli/test_run.h"
#include "common/number_text.h"
#include "drive/drive.h"
#include "drive/ports/open_port.h"
#include "run/carriage_reach.h"
#include "run/draw_monitor.h"
#include "run/motion_thread.h"
#include "run/plot_draw.h"
#include "settings/conversions.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <mutex>
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
    sim.failFromWrite = o.portFaultAtWrite;
    request.addressAdvice =
        "Put the plotter's port address in line 9 of a settings file and give it with --settings FILE.";
    return withMachineSettings(request, settings);
}

class DrawSession {
public:
    DrawSession(const CliOptions& options, const MachineSettings& settings, const std::string& runFile,
                const PlotTest& check, PenPrompt* prompt)
        : options_(options), settings_(settings), runFile_(runFile), check_(check), prompt_(prompt),
          opened_(openPort(portRequestFor(options, settings))),
          drive_(opened_.port(), settings, DriveHooks{[fullStep = options.fullStep] { return !fullStep; }})
    {}

    // Every way out of the session goes through the safe end. A port that did not open
    // ends it before anything is written.
    int run()
    {
        if (!opened_.portError.empty()) {
            std::cerr << "orlex-plotter-cli: " << opened_.portError << " Nothing was moved.\n";
            return kExitPortFailed;
        }
        if (!opened_.traceError.empty()) {
            std::cerr << "orlex-plotter-cli: " << opened_.traceError << " Nothing was moved.\n";
            return kExitUsage;
        }
        // The port is the motion thread's from here on. This thread keeps the progress
        // line moving and turns a signal into a stop request, which also ends a wait for
        // a halted clock.
        MotionThread motion(true);
        if (options_.verbose)
            std::cerr << "Motion thread: " << motion.priority().text() << "\n";
        int status = kExitPortFailed;
        motion.start([this, &status] { status = drawAndEndSafely(); });
        while (!motion.waitIdle(std::chrono::milliseconds(100))) {
            if (interruptSignal() != 0)
                drive_.requestStop();
            std::lock_guard lock(progressMutex_);
            if (const DrawMonitor* monitor = monitor_.load(); monitor != nullptr && !penPrompt_)
                progress_.update(monitor->progress());
        }
        writeSvg();
        if (status >= kExitInterrupted) {
            std::cerr << "\nInterrupted: the pen has been lifted and the motors switched off.\n";
            tellHowToGoOn();
        }
        return status;
    }

private:
    int drawAndEndSafely();
    int drawWhenReady();
    void askForPen(char pen);
    int interrupted() const { return kExitInterrupted + (interruptSignal() != 0 ? interruptSignal() : 2); }
    void writeSvg();
    void printSummary(std::uint64_t points, double micros, bool homed);
    void tellHowToGoOn() const;
    double nowMicros();

    const CliOptions& options_;
    const MachineSettings& settings_;
    const std::string& runFile_; // the prepared plot: the chosen file, or an SVG converted
    const PlotTest& check_;
    PenPrompt* prompt_; // nullptr unless pens are asked for
    OpenedPort opened_;
    Drive drive_;
    std::mutex progressMutex_; // the line is written from both threads
    ProgressLine progress_{options_.progress && ::isatty(STDERR_FILENO)};
    bool penPrompt_ = false;                     // the terminal asks for a pen: no progress line
    std::uint64_t stoppedAtPoint_ = 0;           // where a draw that ended early would go on
    bool startedFromHome_ = false;               // "Pen to 0" ran first, so its origin can be found again
    std::atomic<DrawMonitor*> monitor_{nullptr}; // while the draw runs
};

// The session's work on the motion thread: the draw, then however it ended the pen up,
// the coils off and the trace closed, by the thread that owns the port.
int DrawSession::drawAndEndSafely()
{
    int status = kExitPortFailed;
    std::string fault;
    try {
        status = drawWhenReady();
    } catch (const PortFault& failed) {
        fault = failed.what();
    }
    {
        std::lock_guard lock(progressMutex_);
        progress_.finish();
    }
    const std::string safeFault = drive_.makeSafe();
    opened_.closeTrace();
    if (!fault.empty())
        std::cerr << "orlex-plotter-cli: " << portFaultMessage(fault, safeFault) << "\n";
    else if (!safeFault.empty() && status != kExitPortFailed) {
        std::cerr << "orlex-plotter-cli: lifting the pen and switching the motors off at the end failed: " << safeFault
                  << ". Switch the plotter off before you touch it.\n";
        status = kExitPortFailed;
    }
    return status;
}

int DrawSession::drawWhenReady()
{
    // The pen comes up as soon as the port is ours: its line may read "down" until then.
    drive_.penUp();
    if (interruptSignal() != 0)
        return interrupted(); // nothing has moved yet

    if (!drive_.checkPresence()) {
        std::cerr << "orlex-plotter-cli: no plotter answers: the clock on status bit 7 did not change. "
                     "Check that the plotter is connected, switched on and not on STOP. Nothing was moved.\n";
        return kExitNoPlotter;
    }
    const DrawPlan plan{options_.home ? DrawPlan::Origin::PenToZero : DrawPlan::Origin::AsTested, options_.fromPoint};
    if (options_.home || check_.needsPenToZero()) {
        const CarriageMm origin = penToZeroPoint(check_, settings_);
        std::cout << "Pen to 0: homing, then " << numberText(std::round(origin.x * 100) / 100 + 0.0) << " mm right and "
                  << numberText(std::round(origin.y * 100) / 100 + 0.0) << " mm up\n"
                  << std::flush;
    }

    double startMicros = 0;
    DrawMonitorHooks hooks;
    hooks.drawingStarts = [&] {
        std::cout << "Drawing " << options_.plotFile;
        if (plan.firstPoint > 1)
            std::cout << " from point " << plan.firstPoint << " of " << check_.run.points;
        std::cout << "\n" << std::flush;
        startMicros = nowMicros();
    };
    hooks.stopRequested = [this] { return interruptSignal() != 0 || drive_.stopRequested(); };
    if (prompt_ != nullptr)
        hooks.penChange = [this](char pen) { askForPen(pen); };
    DrawMonitor monitor(drive_, check_, plan.firstPoint, std::move(hooks));
    monitor_.store(&monitor);
    const DrawReport report = drawPlot(drawJobFor(runFile_, check_, plan), drive_, nullptr, &monitor);
    monitor_.store(nullptr);
    const double micros = nowMicros() - startMicros;
    stoppedAtPoint_ = report.stoppedAtPoint;
    startedFromHome_ = report.movedToOrigin;
    {
        std::lock_guard lock(progressMutex_);
        progress_.finish();
    }

    // The check has already warned about skipped pairs and the end of the file.
    switch (report.outcome) {
    case DrawReport::Outcome::Finished: printSummary(report.pointsDone, micros, report.movedToOrigin); return kExitOk;
    case DrawReport::Outcome::Stopped:
        // What --from-point needs to carry on (with --home, where the origin is found again).
        std::cout << "Stopped at point " << report.stoppedAtPoint << " of " << check_.run.points << "\n";
        return interrupted();
    case DrawReport::Outcome::OriginFailed:
        std::cerr << "orlex-plotter-cli: " << report.message() << "\n";
        return kExitDrawFailed;
    case DrawReport::Outcome::PointRefused:
        std::cerr << "orlex-plotter-cli: " << report.message() << "\n";
        printSummary(report.pointsDone, micros, report.movedToOrigin);
        return kExitDrawFailed;
    case DrawReport::Outcome::ReadFailed:
        std::cerr << "orlex-plotter-cli: " << report.message() << "\n";
        return kExitUsage;
    case DrawReport::Outcome::PortFailed:
        std::cerr << "orlex-plotter-cli: " << report.message() << "\n";
        if (report.stoppedAtPoint != 0) {
            std::cout << "Stopped at point " << report.stoppedAtPoint << " of " << check_.run.points << "\n";
            tellHowToGoOn();
        }
        return kExitPortFailed;
    }
    return kExitOk;
}

// An SP for another pen: the pen comes up and the carriage holds its place (coils on)
// until the operator has changed the pen and pressed Enter. Ctrl-C stops the draw.
void DrawSession::askForPen(char pen)
{
    drive_.penUp();
    {
        std::lock_guard lock(progressMutex_);
        progress_.finish();
        penPrompt_ = true;
    }
    DrawMonitor* monitor = monitor_.load();
    monitor->pauseClock();
    const bool goOn = prompt_->askFor(pen, [] { return interruptSignal() != 0; });
    monitor->resumeClock();
    {
        std::lock_guard lock(progressMutex_);
        penPrompt_ = false;
    }
    if (!goOn)
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

// The command line that draws the rest, when the origin can be found again by homing.
void DrawSession::tellHowToGoOn() const
{
    if (stoppedAtPoint_ == 0)
        return;
    if (startedFromHome_)
        std::cerr << "To draw the rest: " << resumeCommand(options_, stoppedAtPoint_) << "\n";
    else
        std::cerr << "This draw started where the pen stood, not from home, so the rest cannot be drawn in its "
                     "place: draw the plot again with --home.\n";
}

void DrawSession::printSummary(std::uint64_t points, double micros, bool homed)
{
    std::cout << "Points: " << points << "\n";
    if (const VirtualPlotter* plotter = opened_.virtualPlotter) {
        const VirtualPlotterCounters& c = plotter->counters();
        std::cout << "Steps: X " << c.stepsX << ", Y " << c.stepsY << (homed ? " (homing included)" : "") << "\n"
                  << "Lost steps: X " << c.lostStepsX << ", Y " << c.lostStepsY
                  << (c.endStopsX + c.endStopsY > 0
                          ? " (" + std::to_string(c.endStopsX + c.endStopsY) + " against an end of travel)"
                          : std::string())
                  << "\n";
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
    const PreparedCheck prepared = loadAndCheck(options, !options.fullStep);
    if (prepared.failure != 0)
        return prepared.failure;
    const PlotTest& check = prepared.check;
    printCheckReport(check, std::cout);
    printRunWarnings(check, std::cerr);
    std::cout.flush();
    if (!check.fits()) {
        std::cerr << "orlex-plotter-cli: the plot is too big for the machine. Nothing was moved.\n";
        return kExitTooBig;
    }
    if (options.fromPoint > check.run.points) {
        std::cerr << "orlex-plotter-cli: --from-point " << options.fromPoint << " is beyond the plot, which has "
                  << check.run.points << " points. Nothing was moved.\n";
        return kExitUsage;
    }
    // Where the drawing starts: after "Pen to 0" at its point, on the virtual plotter
    // where --start puts the carriage. On a real plotter without homing nobody knows.
    std::optional<CarriageMm> carriage;
    if (options.simulate)
        carriage = CarriageMm{options.startXmm, options.startYmm};
    const StartFit start = fitFromDrawStart(check, prepared.settings,
                                            options.home ? DrawPlan::Origin::PenToZero : DrawPlan::Origin::AsTested,
                                            carriage, kCliRemedies);
    if (start.positionUnknown)
        std::cerr << kPositionUnknownText << "\n";
    if (start.refusal) {
        std::cerr << "orlex-plotter-cli: the plot fits the machine, but not from where its drawing starts: "
                  << *start.refusal << ". Nothing was moved.\n";
        return kExitTooBig;
    }
    std::unique_ptr<PenPrompt> prompt;
    if (options.pauseAtPenChange) {
        Result<std::unique_ptr<PenPrompt>> opened = PenPrompt::open();
        if (!opened) {
            std::cerr << "orlex-plotter-cli: " << opened.message() << "\n";
            return kExitUsage;
        }
        prompt = std::move(*opened);
    }

    // From here on a signal ends the run between steps and leaves the machine safe.
    installInterruptHandlers();
    DrawSession session(options, prepared.settings, prepared.plot.path(), check, prompt.get());
    return session.run();
}

} // namespace orlex::cli
