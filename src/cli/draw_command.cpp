// "draw FILE": the check and its fit rule, also from where the pen stands when that is
// known, the presence check, then the shared draw run ("Pen to 0" when the plot has
// negative coordinates or --home is given, the drawing). However the tool ends once the
// port is open, the pen comes up, the motors are switched off and the trace is written
// out, and no second signal cuts that short.
#include "cli/draw_command.h"

#include "cli/cli_settings.h"
#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/journal_command.h"
#include "cli/output_file.h"
#include "cli/pen_prompt.h"
#include "cli/progress_line.h"
#include "cli/test_run.h"
#include "common/number_text.h"
#include "common/output_file.h"
#include "common/termination_signals.h"
#include "drive/drive.h"
#include "drive/ports/paper_svg.h"
#include "run/carriage_reach.h"
#include "run/draw_journal.h"
#include "run/draw_monitor.h"
#include "run/draw_session.h"
#include "run/journal_of_draw.h"
#include "run/motion_thread.h"
#include "run/plot_draw.h"
#include "settings/conversions.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include <unistd.h>

namespace orlex::cli {

namespace {

using namespace std::chrono_literals;

// How often the tool's own thread looks at signals, the pen prompt and the progress.
constexpr auto kWatchInterval = 20ms;
// How long a pause may take to lift the pen before Ctrl-Z gives up on it.
constexpr auto kHoldWait = 2s;
// How long the safe end may take once a signal asked for it (a step, the pen's settle,
// the trace's bounded close); past it this thread makes the machine safe itself.
constexpr auto kSafeEndBound = 5s;

PortRequest portRequestFor(const CliOptions& o, const MachineSettings& settings)
{
    PortRequest request;
    request.traceFile = o.traceFile;
    request.kind = o.simulate ? PortKind::Virtual : o.port.value_or(PortKind::Ppdev);
    request.anyDirectAddress = o.anyDirectAddress;
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
    DrawSession(const CliOptions& options, const MachineSettings& settings, const PlotTest& check,
                std::unique_ptr<PenPrompt> prompt, const DrawEnvironment& environment)
        : options_(options), settings_(settings), check_(check), prompt_(std::move(prompt)), environment_(environment),
          opened_(environment.openPort(portRequestFor(options, settings))),
          drive_(opened_.port(), settings, DriveHooks{[fullStep = options.fullStep] { return !fullStep; }})
    {
        drive_.alsoStopWhen(&interruptFlag()); // a signal stops the motion at its next status read
    }

    // Every way out of the session goes through the safe end. A port that did not open
    // ends it before anything is written.
    int run()
    {
        if (opened_.portError) {
            std::cerr << "orlex-plotter-cli: " << opened_.portError->message << " Nothing was moved.\n";
            return kExitPortFailed;
        }
        if (opened_.traceError) {
            std::cerr << "orlex-plotter-cli: " << opened_.traceError->message << " Nothing was moved.\n";
            return kExitUsage;
        }
        // The port is the motion thread's from here on. This thread watches: a signal
        // becomes a stop request (which also ends a wait for a halted clock), Ctrl-Z a
        // pause, a pen change a question on the terminal, and the progress line moves.
        MotionThread motion(true);
        if (options_.verbose)
            std::cerr << "Motion thread: " << motion.priority().text() << "\n";
        int status = kExitPortFailed;
        motion.start([this, &status] { status = drawAndEndSafely(); });
        watchUntilDone(motion);
        endJournal();
        return finish(status);
    }
    void keepJournal(JournalKeeper* keeper) { journal_ = keeper; }

private:
    void watchUntilDone(MotionThread& motion);
    void pollJournal();
    void endJournal();
    int drawAndEndSafely();
    void present(const DrawOutcome& outcome, double micros);
    void holdForPen(char pen); // on the motion thread
    void askForPen(char pen);  // on this thread, while the motion thread holds
    void stopForTerminal();
    bool holdNow();
    [[noreturn]] void endWithoutMotionThread();
    int finish(int status);
    int interrupted() const { return kExitInterrupted + (interruptSignal() != 0 ? interruptSignal() : SIGINT); }
    int writeSvg();
    void printSummary(std::uint64_t points, double micros, bool homed);
    void tellHowToGoOn() const;
    double nowMicros();
    void setPrompting(bool prompting);

    const CliOptions& options_;
    const MachineSettings& settings_;
    const PlotTest& check_;
    std::unique_ptr<PenPrompt> prompt_; // nullptr unless pens are asked for
    const DrawEnvironment& environment_;
    OpenedPort opened_;
    Drive drive_;
    std::mutex progressMutex_; // the line is written from both threads
    ProgressLine progress_{options_.progress && ::isatty(STDERR_FILENO)};
    bool prompting_ = false;                     // the terminal asks a question: no progress line
    std::uint64_t stoppedAtPoint_ = 0;           // where a draw that ended early would go on
    bool startedFromHome_ = false;               // "Pen to 0" ran first, so its origin can be found again
    bool finished_ = false;                      // the draw reached the end of the plot
    std::atomic<DrawMonitor*> monitor_{nullptr}; // while the draw runs
    std::atomic<char> penDue_{0};                // the pen a held draw waits for; 0: none
    Result<void> traceClosed_;                   // how the motion thread closed the trace
    JournalKeeper* journal_ = nullptr;           // this thread's; nullptr: no journal is kept
    bool drawBegan_ = false;                     // the presence check passed and the draw began
    double percentDone_ = 0;                     // of the drawing, when the draw ended
};

void DrawSession::watchUntilDone(MotionThread& motion)
{
    std::optional<std::chrono::steady_clock::time_point> safeEndDeadline;
    while (!motion.waitIdle(kWatchInterval)) {
        if (interruptSignal() != 0) {
            drive_.requestStop();
            if (!safeEndDeadline)
                safeEndDeadline = std::chrono::steady_clock::now() + kSafeEndBound;
            else if (std::chrono::steady_clock::now() > *safeEndDeadline)
                endWithoutMotionThread();
            continue;
        }
        if (takeTerminalStop())
            stopForTerminal();
        if (const char pen = penDue_.load(); pen != 0 && drive_.holding())
            askForPen(pen);
        std::lock_guard lock(progressMutex_);
        if (const DrawMonitor* monitor = monitor_.load(); monitor != nullptr && !prompting_)
            progress_.update(monitor->progress());
        pollJournal();
    }
}

// The journal is written here, on this thread, from the counters the draw publishes.
void DrawSession::pollJournal()
{
    const DrawMonitor* monitor = monitor_.load();
    if (journal_ == nullptr || monitor == nullptr)
        return;
    orlex::pollJournal(*journal_, *monitor);
    if (const std::optional<Error> problem = journal_->takeProblem())
        std::cerr << "\norlex-plotter-cli: the draw journal cannot be written: " << problem->message
                  << " The draw goes on, but cannot be resumed after a crash.\n";
    if (environment_.journalKept)
        environment_.journalKept(journal_->record().pointsDone, monitor->pointsDone());
}

// A draw that ended normally drops its journal; any other keeps where it got to.
void DrawSession::endJournal()
{
    if (journal_ == nullptr || (!finished_ && !drawBegan_))
        return;
    orlex::endJournal(*journal_, finished_, stoppedAtPoint_, options_.fromPoint, percentDone_);
    if (const std::optional<Error> problem = journal_->takeProblem())
        std::cerr << "orlex-plotter-cli: the draw journal cannot be written: " << problem->message << "\n";
}

// The session's work on the motion thread: the shared draw session (the claim, the draw,
// the pen up and the coils off however it ended), then the trace closed by the thread
// that owns the port, then what became of it told.
int DrawSession::drawAndEndSafely()
{
    const DrawPlan plan{options_.home ? DrawPlan::Origin::PenToZero : DrawPlan::Origin::AsTested, options_.fromPoint};
    double startMicros = 0;
    double micros = 0;
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
        hooks.penChange = [this](char pen) { holdForPen(pen); };
    DrawMonitor monitor(drive_, check_, plan.firstPoint, std::move(hooks));

    DrawSessionSetup setup;
    setup.claim = true;
    setup.coilsOffAtEnd = true;
    setup.claimed = [&] {
        if (options_.home || check_.needsPenToZero()) {
            const CarriageMm origin = penToZeroPoint(check_, settings_);
            std::cout << "Pen to 0: homing, then " << numberText(std::round(origin.x * 100) / 100 + 0.0)
                      << " mm right and " << numberText(std::round(origin.y * 100) / 100 + 0.0) << " mm up\n"
                      << std::flush;
        }
        drawBegan_ = true;
        monitor_.store(&monitor);
    };
    setup.drawReturned = [&] {
        monitor_.store(nullptr);
        micros = nowMicros() - startMicros;
        std::lock_guard lock(progressMutex_);
        progress_.finish();
    };
    const DrawOutcome outcome = runDrawSession(drive_, drawJobFor(check_, plan), &monitor, nullptr, setup);
    monitor_.store(nullptr);
    {
        std::lock_guard lock(progressMutex_);
        progress_.finish();
    }
    traceClosed_ = opened_.closeTrace();
    if (outcome.drawBegan)
        percentDone_ = monitor.progress().fraction() * 100;
    stoppedAtPoint_ = outcome.stoppedAtPoint;
    startedFromHome_ = outcome.report.movedToOrigin;
    finished_ = outcome.drew == DrawOutcome::Kind::Finished;
    present(outcome, micros);
    return outcome.exitStatus(interruptSignal() != 0 ? interruptSignal() : SIGINT);
}

// What the session came to, on the terminal. The check has already warned about skipped
// pairs and the end of the file.
void DrawSession::present(const DrawOutcome& outcome, double micros)
{
    using Kind = DrawOutcome::Kind;
    const DrawReport& report = outcome.report;
    if (!outcome.message.empty())
        std::cerr << "orlex-plotter-cli: " << outcome.message << "\n";
    switch (outcome.drew) {
    case Kind::Finished:
    case Kind::PointRefused: printSummary(report.pointsDone, micros, report.movedToOrigin); break;
    case Kind::Stopped:
        // What --from-point needs to carry on (with --home, where the origin is found again).
        if (outcome.stoppedAtPoint != 0)
            std::cout << "Stopped at point " << outcome.stoppedAtPoint << " of " << check_.run.points << "\n";
        break;
    case Kind::PortFailed:
        if (outcome.stoppedAtPoint != 0) {
            std::cout << "Stopped at point " << outcome.stoppedAtPoint << " of " << check_.run.points << "\n";
            tellHowToGoOn();
        }
        break;
    case Kind::NoPlotter:
    case Kind::OriginFailed:
    case Kind::ReadFailed:
    case Kind::SafeEndFailed: break;
    }
    if (!outcome.safeEndMessage.empty())
        std::cerr << "orlex-plotter-cli: " << outcome.safeEndMessage << "\n";
}

// An SP for another pen, on the motion thread: the draw holds with the pen up until the
// operator has put the pen in (askForPen) or stopped.
void DrawSession::holdForPen(char pen)
{
    holdForPenChange(drive_, *monitor_.load(), pen, [this](char due) { penDue_.store(due); });
}

void DrawSession::setPrompting(bool prompting)
{
    std::lock_guard lock(progressMutex_);
    if (prompting)
        progress_.finish();
    prompting_ = prompting;
}

void DrawSession::askForPen(char pen)
{
    setPrompting(true);
    const PenPrompt::Answer answer = prompt_->ask(PenPrompt::penQuestion(pen), [] { return interruptSignal() != 0; });
    setPrompting(false);
    if (answer == PenPrompt::Answer::TerminalGone)
        noteHangUp(); // the terminal closed: as SIGHUP, which is on its way
    if (answer == PenPrompt::Answer::Go)
        drive_.continueAfterPause();
    else
        drive_.requestStop();
}

// Holds the draw where it is, the pen up, and waits for the hold; true once it holds
// (or nothing runs that could move). A clock that does not run keeps a pen command from
// ending, and then no hold comes.
bool DrawSession::holdNow()
{
    if (drive_.holding())
        return true;
    drive_.requestPause();
    const auto end = std::chrono::steady_clock::now() + kHoldWait;
    while (!drive_.holding() && std::chrono::steady_clock::now() < end && interruptSignal() == 0)
        std::this_thread::sleep_for(1ms);
    return drive_.holding();
}

// Ctrl-Z: the pen comes off the paper first, then the tool stops. After fg the draw waits
// until the operator says so on the terminal (or at once when there is none to ask on).
void DrawSession::stopForTerminal()
{
    const bool wasHeldForPen = penDue_.load() != 0;
    if (!holdNow()) {
        if (!wasHeldForPen)
            drive_.continueAfterPause();
        if (interruptSignal() == 0)
            std::cerr << "\nCtrl-Z: the draw cannot pause now (the plotter's clock does not run); Ctrl-C stops it.\n";
        return;
    }
    setPrompting(true);
    std::cerr << "\nPaused: the pen is up and the motors hold the carriage. Stopped; type fg to come back.\n";
    environment_.stopProcess();
    if (interruptSignal() != 0) { // a signal came while stopped: the session ends the draw
        setPrompting(false);
        return;
    }
    PenPrompt::Answer answer = PenPrompt::Answer::Go;
    if (prompt_ != nullptr || (prompt_ = environment_.openTerminal()) != nullptr)
        answer = prompt_->ask("The draw is paused. Press Enter to go on (Ctrl-C stops): ",
                              [] { return interruptSignal() != 0; });
    setPrompting(false);
    if (answer == PenPrompt::Answer::TerminalGone)
        noteHangUp();
    if (answer != PenPrompt::Answer::Go)
        drive_.requestStop();
    else if (!wasHeldForPen)
        drive_.continueAfterPause(); // a pen change still waits for its own answer
}

// The motion thread did not end in time after a signal: the machine is made safe from
// here, the trace closed as far as it goes, and the tool ends at once.
void DrawSession::endWithoutMotionThread()
{
    const Result<void> safeEnd = drive_.makeSafe();
    (void)opened_.closeTrace();
    std::cerr << "\norlex-plotter-cli: the draw did not end in time; the pen was lifted and the motors switched off"
              << (safeEnd ? "" : " as far as the port allowed (" + safeEnd.message() + ")") << ".\n";
    std::fflush(nullptr);
    std::_Exit(interrupted());
}

// After the motion thread is done: the paper, what became of the trace, and the status.
int DrawSession::finish(int status)
{
    if (interruptSignal() != 0 && !finished_ && status < kExitInterrupted && status != kExitPortFailed)
        status = interrupted(); // a signal that ended the draw before it could say so
    const int svgStatus = writeSvg();
    if (!traceClosed_)
        std::cerr << "orlex-plotter-cli: " << traceClosed_.message() << "\n";
    if ((svgStatus != kExitOk || !traceClosed_) && status == kExitOk)
        status = kExitOutputFailed;
    if (status >= kExitInterrupted) {
        std::cerr << "\nInterrupted: the pen has been lifted and the motors switched off.\n";
        tellHowToGoOn();
    }
    return status;
}

int DrawSession::writeSvg()
{
    if (options_.svgFile.empty() || opened_.virtualPlotter == nullptr)
        return kExitOk;
    const std::string svg = paperSvg(opened_.virtualPlotter->paper(), settings_.travelXmm, settings_.travelYmm);
    if (const Result<void> written = writeOutputFile(options_.svgFile, svg); !written) {
        std::cerr << "orlex-plotter-cli: Cannot write the paper to " << options_.svgFile << ": " << written.message()
                  << "\n";
        return kExitOutputFailed;
    }
    return kExitOk;
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

int runDrawCommand(const CliOptions& asked, const DrawEnvironment& given)
{
    CliOptions options = asked;
    if (options.resume)
        if (const std::optional<int> refused = takeResume(options, loadCliSettings(options.settingsFile).settings))
            return *refused;
    DrawEnvironment environment = given;
    if (!environment.openPort)
        environment.openPort = [](const PortRequest& request) { return openPort(request); };
    if (!environment.openTerminal)
        environment.openTerminal = [] { return PenPrompt::openOrNull(); };
    if (!environment.stopProcess)
        environment.stopProcess = [] { stopProcess(); };

    if (const std::optional<std::string> problem = drawOutputProblem(options)) {
        std::cerr << "orlex-plotter-cli: " << *problem << ". Nothing was moved.\n";
        return kExitUsage;
    }
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
    if (options.pauseAtPenChange && (prompt = environment.openTerminal()) == nullptr) {
        std::cerr << "orlex-plotter-cli: " << PenPrompt::kNoTerminalText << "\n";
        return kExitUsage;
    }

    const Result<DrawJournal> record = journalForDraw(options, prepared.settings, prepared.plot, check);
    if (!record)
        std::cerr << "orlex-plotter-cli: no draw journal is kept: " << record.message() << "\n";
    else if (options.resume)
        if (const std::optional<int> refused = refuseChangedResume(options, *record))
            return *refused;
    if (const std::optional<std::string> note = unhomedLongDrawNote(options, check))
        std::cerr << *note << "\n";
    std::optional<JournalKeeper> journal;
    if (record)
        journal.emplace(journalFile(record->port), *record, std::chrono::seconds(1));

    // From here on a signal ends the run between steps and leaves the machine safe.
    const InterruptWatch interruptWatch;
    DrawSession session(options, prepared.settings, check, std::move(prompt), environment);
    session.keepJournal(journal ? &*journal : nullptr);
    return session.run();
}

} // namespace orlex::cli
