// The run controller: the one state of the window's runs, the machine (port, drive,
// virtual plotter) and the motion thread that owns it while a job runs. It starts the
// jobs the operator asks for, passes Stop, Pause and Continue on as requests, and brings
// each job's end back to the window's thread. It has no widgets: the window presents
// what it says and enables its controls from its state.
#pragma once

#include "drive/drive.h"
#include "drive/ports/open_port.h"
#include "run/carriage_reach.h"
#include "run/draw_monitor.h"
#include "run/draw_session.h"
#include "run/ink_ring.h"
#include "run/motion_thread.h"
#include "run/plot_draw.h"
#include "run/plot_test.h"
#include "settings/machine_settings.h"

#include <QObject>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace orlex::ui {

enum class RunState {
    Idle,      // the window may use the machine: jogs, pen, motor, Check
    Testing,   // "Test and Show" reads the plot
    Homing,    // "Pen home" or "Pen to 0" runs on the motion thread
    Drawing,   // a draw runs on the motion thread
    Paused,    // a draw holds, the pen up (Pause, or a pen change)
    Measuring, // "Speed" runs on the motion thread
    Ending,    // the program ends: the machine is being made safe
};

// How a job other than a draw ended.
struct MotionEnd {
    std::optional<HomeResult> home;     // "Pen home"
    std::optional<OriginReport> origin; // "Pen to 0"
    std::optional<long> stepWaits;      // "Speed": waits counted in a second; empty when stopped
    std::optional<Error> portFault;     // a port call failed: the call and its error
    Result<void> safeEnd;               // and then making the machine safe: makeSafe()'s answer
};

// How the program's end went: making the machine safe (the port's error when it failed),
// writing the trace whole (what is missing when it was not).
struct EndProblems {
    Result<void> machine;
    Result<void> trace;
};

class RunController : public QObject {
    Q_OBJECT
public:
    // `halfStep` tells the step mode the operator chose; a job fixes it when it starts.
    RunController(const MachineSettings& settings, OpenedPort port, std::function<bool()> halfStep,
                  QObject* parent = nullptr);
    ~RunController() override;

    RunState state() const { return state_; }
    bool idle() const { return state_ == RunState::Idle; }
    void setTesting(bool testing); // Idle <-> Testing, while the window reads a plot

    // The machine. Only while idle() may the window's thread touch it.
    Drive& drive() { return *drive_; }
    OpenedPort& port() { return port_; }
    VirtualPlotter* virtualPlotter() const { return port_.virtualPlotter; }
    const MotionPriority& priority() const { return motion_->priority(); }
    // The address setting changed: reopen the port there. Only while idle.
    Result<void> followPortAddress(std::uint16_t address);

    // Where the carriage stands, when that is known: on the virtual plotter always (it
    // tells, as the command line's --start does), on a real one once a homing found it
    // and until something loses it. Only while idle().
    std::optional<CarriageMm> carriagePlace() const;
    // The motors were off, the step type changed or the port failed: a real machine's
    // carriage may stand anywhere now. Only while idle().
    void carriagePlaceLost();

    // A Save changed the settings: the virtual plotter's step lengths and ends of travel
    // follow them. Only while idle().
    void followMachineSettings();
    // What the machine lost during the last draw, as far as it can tell (the virtual
    // plotter can); empty when nothing was lost.
    const std::string& lostInLastDraw() const { return lostInLastDraw_; }

    // Jobs on the motion thread; false when one already runs (nothing starts then).
    bool startHome();
    // "Pen to 0" for `extents` at `zoom`; the lowest steps of `check` count when it was
    // counted at that zoom and in the step mode the job takes.
    bool startPenToZero(const PlotExtents& extents, const PlotTest* check, std::int16_t zoom);
    bool startSpeed();
    // A draw of what `test` checked. With `pauseAtPenChange`, an SP for another pen holds
    // the draw until continueRun().
    bool startDraw(const DrawJob& job, const PlotTest& test, bool pauseAtPenChange);

    // Requests to the running job, from the window's thread; they take effect at the
    // motion thread's next status read.
    void stop();
    void pause();                                                 // Drawing -> Paused
    void continueRun();                                           // Paused -> Drawing
    const DrawMonitor* monitor() const { return monitor_.get(); } // while a draw runs
    // Waits up to `timeout` until the machine holds still: no job runs, or the running
    // one holds with the pen up. False when it does not (a clock that does not run).
    bool waitUntilStill(std::chrono::milliseconds timeout);

    // New preview ink of the running draw, oldest first.
    void takeInk(std::vector<InkItem>& out) { ink_.ring.popInto(out); }

    // The end of the program: stops a running job and waits up to `wait` for it, then
    // lifts the pen, switches the coils off and closes the trace on the motion thread;
    // when the thread does not answer in time, does so from here. Returns what failed.
    EndProblems endSafely(std::chrono::milliseconds wait);

signals:
    void stateChanged(RunState state);
    void drawEnded(const DrawOutcome& outcome);
    void motionEnded(const MotionEnd& end);
    void penChangeDue(char pen); // the draw holds until continueRun(): put in `pen`

private:
    // From the motion thread: runs `call` on the window's thread, in the order posted.
    void postToWindow(std::function<void()> call);
    Q_INVOKABLE void runPosted();
    // `job` runs on the motion thread and gives back what the window runs at its end.
    bool startJob(RunState state, std::function<std::function<void()>()> job);
    void setState(RunState state);
    void finishDraw(const DrawOutcome& outcome); // on the window's thread
    void finishMotion(const MotionEnd& end);     // on the window's thread
    void holdForPen(char pen);                   // on the motion thread
    void learnCarriagePlace();                   // from a machine that tells it; on the window's thread

    const MachineSettings& settings_;
    OpenedPort port_;
    std::unique_ptr<Drive> drive_;
    std::function<bool()> halfStep_;
    RunState state_ = RunState::Idle;
    InkRing ink_;
    std::unique_ptr<DrawMonitor> monitor_;
    VirtualPlotterCounters countersAtDrawStart_;
    std::string lostInLastDraw_;
    std::mutex postedMutex_;
    std::vector<std::function<void()>> posted_; // calls from the motion thread, not yet run
    std::unique_ptr<MotionThread> motion_;      // last: its jobs use everything above
};

} // namespace orlex::ui
