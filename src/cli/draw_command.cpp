// "draw FILE": the test run and its fit rule, the presence check, "Pen to 0" when the
// plot has negative coordinates, then the drawing with the same Drive. Every way a run
// ends leaves the port safe: a refused move lifts the pen; Ctrl-C lifts the pen and
// switches the motors off.
#include "cli/draw_command.h"

#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/progress_line.h"
#include "cli/test_run.h"
#include "drive/drive.h"
#include "drive/number_text.h"
#include "drive/ports/open_port.h"
#include "preview/preview.h"
#include "settings/conversions.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>

#include <unistd.h>

namespace orlex::cli {

namespace {

constexpr std::uint8_t kPenUp = 1;     // control register bit 0
constexpr std::uint8_t kMotorsOff = 0; // data register: every coil de-energised
// A step that has not ended this long after Ctrl-C is waiting for a clock that does not
// run (plotter switched to STOP): the run is then abandoned from inside the wait.
constexpr std::chrono::seconds kStopGrace{2};

PortRequest portRequestFor(const CliOptions& o, const Variabile& settings)
{
    PortRequest request;
    request.base = toPortAddress(settings.LptAddress).value_or(0x378);
    request.traceFile = o.traceFile;
    if (!o.simulate) {
        request.kind = o.port.value_or(PortKind::Ppdev);
        return request;
    }
    request.kind = PortKind::Virtual;
    VirtualPlotterConfig& sim = request.simulation;
    sim.base = request.base;
    sim.clockHz = o.clockHz;
    sim.realTime = o.realTime;
    sim.clockRunning = !o.stoppedClock;
    sim.startXmm = o.startXmm;
    sim.startYmm = o.startYmm;
    // Lstep is hundredths of a millimetre per full step; one 45-degree turn is half of it.
    sim.stepLengthXmm = toNumber(settings.Lstepx).value_or(50) / 200.0;
    sim.stepLengthYmm = toNumber(settings.Lstepy).value_or(50) / 200.0;
    return request;
}

class DrawSession {
public:
    DrawSession(const CliOptions& options, const Variabile& settings, const TestOutcome& test)
        : options_(options), settings_(settings), test_(test),
          opened_(openPort(portRequestFor(options, settings))),
          drive_(opened_.port(), settings,
                 DriveHooks{[this] { onEvents(); }, [fullStep = options.fullStep] { return !fullStep; }})
    {
    }

    int run();

private:
    int penToZero();
    int drawPlot();
    int endInterrupted(int signal);
    [[noreturn]] void abandon(int signal);
    void onEvents();
    void leavePortSafe();
    void writeSvg();
    void printSummary(const RunResult& r, double micros, bool simulated);
    double nowMicros();

    const CliOptions& options_;
    const Variabile& settings_;
    const TestOutcome& test_;
    OpenedPort opened_;
    Drive drive_;
    std::optional<std::chrono::steady_clock::time_point> stopNoticed_;
    ProgressLine* progress_ = nullptr;
};

int DrawSession::run()
{
    if (!opened_.error.empty())
        std::cerr << opened_.error << "\n";
    if (const int signal = interruptSignal())
        return kExitInterrupted + signal; // nothing has moved yet

    if (!drive_.check()) {
        std::cerr << "orlex-plotter-cli: no plotter answers: the clock on status bit 7 did not change. "
                     "Check that the plotter is connected, switched on and not on STOP. Nothing was moved.\n";
        return kExitNoPlotter;
    }
    drive_.writeControl(kPenUp); // the pen travels up until the plot lowers it

    if (test_.extents.PlotMinX < 0 || test_.extents.PlotMinY < 0) {
        if (const int status = penToZero(); status != kExitOk)
            return status;
    }
    return drawPlot();
}

// Homing, then a pen-up move |PlotMinX| mm right and |PlotMinY| mm up from home.
int DrawSession::penToZero()
{
    std::cout << "Pen to 0: homing, then " << -test_.extents.PlotMinX << " mm right and "
              << -test_.extents.PlotMinY << " mm up\n" << std::flush;
    const HomeResult home = drive_.homeToSwitches();
    if (home.outcome == HomeResult::Outcome::Stopped)
        return endInterrupted(interruptSignal());
    if (!home.ok()) {
        drive_.writeControl(kPenUp);
        std::cerr << "orlex-plotter-cli: " << home.message() << " Nothing was drawn.\n";
        return kExitDrawFailed;
    }
    const MoveResult move = drive_.moveToOrigin(test_.extents.PlotMinX, test_.extents.PlotMinY, test_.zoom);
    if (move.stopped)
        return endInterrupted(interruptSignal());
    if (move.refusal != MoveRefusal::None) {
        drive_.writeControl(kPenUp);
        std::cerr << "orlex-plotter-cli: the pen cannot move to the origin: " << move.reason
                  << " Nothing was drawn.\n";
        return kExitDrawFailed;
    }
    return kExitOk;
}

int DrawSession::drawPlot()
{
    drive_.state.PosX = 0; // wherever the carriage stands is the plot's origin
    drive_.state.PosY = 0;
    NullCanvas canvas;
    Preview preview(canvas, settings_);
    preview.Zoom = test_.zoom;
    preview.clear();

    ProgressLine progress(options_.progress && ::isatty(STDERR_FILENO),
                          [this] { return interruptSignal() != 0 || drive_.stopRequested(); });
    progress_ = &progress;
    const bool simulated = opened_.virtualPlotter != nullptr;
    std::cout << "Drawing " << options_.plotFile << "\n" << std::flush;
    const double startMicros = nowMicros();
    const RunResult r = drawfile(options_.plotFile, kDrawMode, preview, drive_, &progress);
    const double micros = nowMicros() - startMicros;
    progress.finish();
    progress_ = nullptr;

    if (r.stopped || interruptSignal() != 0)
        return endInterrupted(interruptSignal());
    // The test run has already warned about skipped pairs and the end of the file.
    if (!r.opened) {
        drive_.writeControl(kPenUp);
        std::cerr << "orlex-plotter-cli: " << r.openError << "\n";
        writeSvg();
        return kExitUsage;
    }
    if (r.refusal.refusal != MoveRefusal::None) {
        drive_.writeControl(kPenUp);
        std::cerr << "orlex-plotter-cli: drawing stopped at the point (" << numberText(r.refusedX) << ", "
                  << numberText(r.refusedY) << "): " << r.refusal.reason << " The pen has been lifted.\n";
        printSummary(r, micros, simulated);
        writeSvg();
        return kExitDrawFailed;
    }
    printSummary(r, micros, simulated);
    writeSvg();
    return kExitOk;
}

// The run has ended after its current step: pen up, motors off, trace written.
int DrawSession::endInterrupted(int signal)
{
    leavePortSafe();
    writeSvg();
    std::cerr << "\nInterrupted: the pen has been lifted and the motors switched off.\n";
    return kExitInterrupted + (signal != 0 ? signal : 2);
}

// For a step that never ends (no clock) or a second Ctrl-C: end at once from the wait.
void DrawSession::abandon(int signal)
{
    if (progress_ != nullptr)
        progress_->finish();
    leavePortSafe();
    std::cerr << "\nInterrupted: the pen has been lifted and the motors switched off.\n";
    std::cerr.flush();
    std::_Exit(kExitInterrupted + signal);
}

// Runs inside every step wait, at a bounded rate: refreshes the progress line and
// turns a signal into a stop request.
void DrawSession::onEvents()
{
    if (progress_ != nullptr)
        progress_->tick(); // keeps the elapsed time moving along a long line
    const int signal = interruptSignal();
    if (signal == 0)
        return;
    drive_.requestStop();
    const auto now = std::chrono::steady_clock::now();
    if (!stopNoticed_)
        stopNoticed_ = now;
    else if (interruptCount() > 1 || now - *stopNoticed_ > kStopGrace)
        abandon(signal);
}

void DrawSession::leavePortSafe()
{
    drive_.writeControl(kPenUp);
    drive_.writeData(kMotorsOff);
    opened_.flush();
}

void DrawSession::writeSvg()
{
    if (options_.svgFile.empty() || opened_.virtualPlotter == nullptr)
        return;
    const double width = toNumber(settings_.Maxx).value_or(150);
    const double height = toNumber(settings_.Maxy).value_or(150);
    std::string error;
    if (!opened_.virtualPlotter->writeSvg(options_.svgFile, width, height, error))
        std::cerr << "orlex-plotter-cli: " << error << "\n";
}

double DrawSession::nowMicros()
{
    if (VirtualPlotter* plotter = opened_.virtualPlotter)
        return plotter->nowMicros();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void DrawSession::printSummary(const RunResult& r, double micros, bool simulated)
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
    std::cout << "Drawing time: " << (seconds < 60 ? std::string(shortText) : durationText(seconds))
              << (simulated && !options_.realTime ? " (simulated)" : "") << "\n";
}

} // namespace

int runDrawCommand(const CliOptions& options)
{
    const std::optional<PreparedTest> prepared = loadAndTest(options, !options.fullStep);
    if (!prepared)
        return kExitUsage;
    const TestOutcome& test = prepared->outcome;
    printTestReport(test, std::cout);
    printRunWarnings(test.run, std::cerr);
    std::cout.flush();
    if (!test.fits) {
        std::cerr << "orlex-plotter-cli: the plot is too big for the machine's travel limits. Nothing was moved.\n";
        return kExitTooBig;
    }

    // From here on Ctrl-C ends the run between steps and leaves the port safe.
    installInterruptHandlers();
    DrawSession session(options, prepared->settings, test);
    return session.run();
}

} // namespace orlex::cli
