// The run controller: jobs on the motion thread, requests to them, their ends brought
// back to the window's thread, and the one state the window's controls follow.
#include "ui/run_controller.h"

#include <QMetaObject>

#include <memory>
#include <thread>
#include <utility>

namespace orlex::ui {

RunController::RunController(const MachineSettings& settings, OpenedPort port, std::function<bool()> halfStep,
                             QObject* parent)
    : QObject(parent), settings_(settings), port_(std::move(port)), halfStep_(std::move(halfStep)),
      motion_(std::make_unique<MotionThread>(true))
{
    drive_ = std::make_unique<Drive>(port_.port(), settings_, DriveHooks{halfStep_});
    learnCarriagePlace();
    // A real-time poller must not wait for a page of the ring it writes.
    if (motion_->priority().realTime)
        lockInMemory(ink_.ring.storage(), ink_.ring.storageBytes());
}

RunController::~RunController()
{
    drive_->requestStop(); // a job still running ends at its next status read
    motion_.reset();       // and is joined before what it uses goes
}

void RunController::setState(RunState state)
{
    if (state_ == state)
        return;
    state_ = state;
    emit stateChanged(state);
}

void RunController::setTesting(bool testing)
{
    if (testing && state_ == RunState::Idle)
        setState(RunState::Testing);
    else if (!testing && state_ == RunState::Testing)
        setState(RunState::Idle);
}

Result<void> RunController::followPortAddress(std::uint16_t address)
{
    Result<void> moved = port_.moveTo(address);
    drive_->setPort(port_.port());
    return moved;
}

// The call travels in our own mutex-guarded list, and only a bare "run the list" through
// Qt's queue: what a job hands over is then ordered by a lock every checker can see.
void RunController::postToWindow(std::function<void()> call)
{
    {
        std::lock_guard lock(postedMutex_);
        posted_.push_back(std::move(call));
    }
    QMetaObject::invokeMethod(this, "runPosted", Qt::QueuedConnection);
}

void RunController::runPosted()
{
    std::vector<std::function<void()>> calls;
    {
        std::lock_guard lock(postedMutex_);
        calls.swap(posted_);
    }
    for (const auto& call : calls)
        call();
}

bool RunController::startJob(RunState state, std::function<std::function<void()>()> job)
{
    if (!idle())
        return false;
    drive_->clearStop();
    drive_->continueAfterPause();
    // The step mode of the whole job is the one chosen now: the motion thread never asks
    // the window.
    drive_->fixStepMode(halfStep_ ? halfStep_() : true);
    setState(state);
    // The job's end reaches the window only once the thread is free again: a Draw clicked
    // the moment the window shows the machine idle then always starts.
    auto end = std::make_shared<std::function<void()>>();
    const bool started =
        motion_->start([job = std::move(job), end] { *end = job(); }, [this, end] { postToWindow(std::move(*end)); });
    if (!started) { // never left showing a job that does not run
        drive_->fixStepMode(std::nullopt);
        setState(RunState::Idle);
    }
    return started;
}

namespace {

// Runs a job that is not a draw; a failed port call ends it, and the machine is then
// made safe as far as the port lets.
template <class Work>
MotionEnd runGuarded(Drive& drive, Work work)
{
    MotionEnd end;
    try {
        work(end);
    } catch (const PortFault& fault) {
        end.portFault = failure(fault.what());
        end.safeEnd = drive.makeSafe();
    }
    return end;
}

} // namespace

bool RunController::startHome()
{
    return startJob(RunState::Homing, [this] {
        const MotionEnd end = runGuarded(*drive_, [this](MotionEnd& e) { e.home = drive_->home(); });
        return [this, end] { finishMotion(end); };
    });
}

void RunController::followMachineSettings()
{
    if (VirtualPlotter* plotter = port_.virtualPlotter) {
        plotter->setStepLengths(settings_.stepLengthX / 200.0, settings_.stepLengthY / 200.0);
        plotter->setTravel(settings_.travelXmm, settings_.travelYmm);
    }
}

// The virtual plotter tells where its carriage stands, as the command line's --start does:
// its place is known from the start and after whatever a job did, lost steps included. A
// real machine's place is counted by the drive from a homing on.
void RunController::learnCarriagePlace()
{
    if (const VirtualPlotter* plotter = port_.virtualPlotter) {
        drive_->state.carriageKnown = true;
        drive_->state.carriageXmm = plotter->xMillimetres();
        drive_->state.carriageYmm = plotter->yMillimetres();
    }
}

void RunController::carriagePlaceLost()
{
    drive_->state.carriageKnown = false;
    learnCarriagePlace();
}

std::optional<CarriageMm> RunController::carriagePlace() const
{
    const DriveState& state = drive_->state;
    if (!state.carriageKnown)
        return std::nullopt;
    return CarriageMm{state.carriageXmm, state.carriageYmm};
}

bool RunController::startPenToZero(const PlotExtents& extents, const PlotTest* check, std::int16_t zoom)
{
    PenToZeroNeed need{extents.minXmm, extents.minYmm};
    const bool halfStep = halfStep_ ? halfStep_() : true;
    if (check != nullptr && check->zoom == zoom && check->halfStep == halfStep)
        need = check->penToZeroNeed();
    return startJob(RunState::Homing, [this, need, zoom] {
        const MotionEnd end = runGuarded(
            *drive_, [this, &need, zoom](MotionEnd& e) { e.origin = moveToPlotOrigin(*drive_, need, zoom); });
        return [this, end] { finishMotion(end); };
    });
}

bool RunController::startSpeed()
{
    return startJob(RunState::Measuring, [this] {
        const MotionEnd end = runGuarded(
            *drive_, [this](MotionEnd& e) { e.stepWaits = drive_->countStepWaits(std::chrono::seconds(1)); });
        return [this, end] { finishMotion(end); };
    });
}

bool RunController::startDraw(const DrawJob& job, const PlotTest& test, bool pauseAtPenChange)
{
    if (!idle())
        return false;
    DrawMonitorHooks hooks;
    if (pauseAtPenChange)
        hooks.penChange = [this](char pen) { holdForPen(pen); };
    // The virtual plotter marks its ink with the pen, for the view's colours.
    VirtualPlotter* plotter = port_.virtualPlotter;
    if (plotter != nullptr)
        hooks.penSelected = [plotter](char pen) { plotter->selectPen(pen); };
    monitor_ = std::make_unique<DrawMonitor>(*drive_, test, job.plan.firstPoint, std::move(hooks));
    if (plotter != nullptr)
        countersAtDrawStart_ = plotter->counters();
    return startJob(RunState::Drawing, [this, job, plotter] {
        if (plotter != nullptr)
            plotter->selectPen('1'); // every draw begins with pen 1
        // The window's port has been its own since it opened, and its test checked the
        // plotter's presence: no claim. The coils stay on so the carriage holds its place.
        const DrawOutcome outcome = runDrawSession(*drive_, job, monitor_.get(), &ink_);
        return [this, outcome] { finishDraw(outcome); };
    });
}

// An SP for another pen, on the motion thread: held here, between two lines, so the old
// pen leaves no mark where the new one starts, until Continue or Stop.
void RunController::holdForPen(char pen)
{
    holdForPenChange(*drive_, *monitor_, pen, [this](char due) {
        if (due == 0)
            return;
        postToWindow([this, due] {
            if (state_ == RunState::Drawing) {
                setState(RunState::Paused);
                emit penChangeDue(due);
            }
        });
    });
}

void RunController::stop()
{
    if (state_ != RunState::Idle && state_ != RunState::Testing)
        drive_->requestStop();
}

void RunController::pause()
{
    if (state_ != RunState::Drawing)
        return;
    drive_->requestPause();
    monitor_->pauseClock();
    setState(RunState::Paused);
}

bool RunController::waitUntilStill(std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (!motion_->busy() || drive_->holding())
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void RunController::continueRun()
{
    if (state_ != RunState::Paused)
        return;
    monitor_->resumeClock();
    drive_->continueAfterPause();
    setState(RunState::Drawing);
}

void RunController::finishDraw(const DrawOutcome& outcome)
{
    drive_->fixStepMode(std::nullopt);
    drive_->continueAfterPause(); // no pause or stop request outlives its draw
    drive_->clearStop();
    port_.flush();
    lostInLastDraw_.clear();
    if (const VirtualPlotter* plotter = port_.virtualPlotter)
        lostInLastDraw_ = lostStepsText(countersAtDrawStart_, plotter->counters());
    if (state_ == RunState::Ending)
        return;
    learnCarriagePlace();
    state_ = RunState::Idle; // told with the end below, once the window has shown it
    emit drawEnded(outcome);
    monitor_.reset();
    emit stateChanged(state_);
}

void RunController::finishMotion(const MotionEnd& end)
{
    drive_->fixStepMode(std::nullopt);
    drive_->clearStop();
    port_.flush();
    if (state_ == RunState::Ending)
        return;
    learnCarriagePlace();
    state_ = RunState::Idle;
    emit motionEnded(end);
    emit stateChanged(state_);
}

EndProblems RunController::endSafely(std::chrono::milliseconds wait)
{
    state_ = RunState::Ending;
    emit stateChanged(state_);
    drive_->requestStop();
    auto fault = std::make_shared<EndProblems>(); // outlives this call if the thread is late
    const auto safeEnd = [this, fault] {
        const Result<void> machine = drive_->makeSafe(); // before the trace closes, so it is traced
        *fault = {machine, port_.closeTrace()};
    };
    if (motion_->waitIdle(wait) && motion_->start(safeEnd) && motion_->waitIdle(wait))
        return *fault;
    // The motion thread does not answer: the machine is made safe from here.
    const Result<void> machine = drive_->makeSafe();
    return {machine, port_.closeTrace()};
}

} // namespace orlex::ui
