// The draw session of both front ends on the virtual plotter, on a motion thread: every
// way it ends, the outcome's kind, message, exit status and point to go on from, and the
// machine as it leaves it.
#include "run/draw_session.h"
#include "run/motion_thread.h"
#include "run_rig.h"
#include "write_gate.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>

namespace orlex::test {
namespace {

using Kind = DrawOutcome::Kind;

// Three points: a long line along X, then one along Y (the 500th write is in it).
constexpr const char* kLines = "PU0,0;PD4000,0;PD4000,4000;PU;";

// Fails the `at`th write once, as a port whose call did not get through.
class FaultOncePort : public Port {
public:
    FaultOncePort(Port& inner, std::uint64_t at) : inner_(inner), at_(at) {}
    void write(Register reg, std::uint8_t value) override
    {
        if (++writes_ == at_)
            throw PortFault("Writing the test port failed");
        inner_.write(reg, value);
    }
    std::uint8_t read(Register reg) override { return inner_.read(reg); }
    std::uint64_t writes() const { return writes_; }

private:
    Port& inner_;
    std::uint64_t at_;
    std::uint64_t writes_ = 0;
};

// How the session is set up; the rest of a row is what it came to.
struct Setup {
    const char* plot = kLines; // "": the plot is a folder
    double startXmm = 30;
    bool clockRunning = true;
    bool window = false;              // the window's session: no claim, the coils stay on
    bool penDownFirst = false;        // the operator left the pen down before the draw
    std::uint64_t firstPoint = 1;     // --from-point
    std::int64_t stopAtWrite = 0;     // the motion thread parks there and a stop is asked for; -1: before it starts
    std::int64_t faultOnceAt = 0;     // that write fails once; -1: the last write of a whole draw
    std::uint64_t faultFromWrite = 0; // the port fails for good from that write on
    bool penChange = false;           // holds at each SP for another pen, until the operator goes on
};

struct SessionCase {
    const char* name;
    Setup setup;
    // kind/drew, exit status, point to go on from, points done, pens asked for, the machine.
    const char* outcome;
    const char* message = ""; // part of the message; "": none is due
};

void PrintTo(const SessionCase& c, std::ostream* os)
{
    *os << c.name;
}

const char* kindName(Kind kind)
{
    constexpr const char* names[] = {"Finished",     "Stopped",    "NoPlotter",  "OriginFailed",
                                     "PointRefused", "ReadFailed", "PortFailed", "SafeEndFailed"};
    return names[static_cast<int>(kind)];
}

struct Session {
    DrawOutcome outcome;
    std::string said; // the golden line
    std::uint64_t writes = 0;
};

Session runSession(const Setup& c, std::int64_t faultOnceAt)
{
    RunRig rig; // its drive is not used: the session claims a port just opened
    VirtualPlotterConfig config = plotterAt(c.startXmm, 30);
    config.clockRunning = c.clockRunning;
    config.failFromWrite = c.faultFromWrite;
    VirtualPlotter plotter(config);
    FaultOncePort faulty(plotter, static_cast<std::uint64_t>(faultOnceAt));
    auto gate = std::make_shared<WriteGate>();
    GatedPort port(faulty, gate);
    Drive drive(port, rig.settings, DriveHooks{});
    if (c.window)
        drive.state.connected = drive.checkPresence(); // as the window's test does
    if (c.penDownFirst)
        drive.penDown();

    const std::string path = *c.plot ? rig.file(c.plot) : std::filesystem::temp_directory_path().string();
    const PlotTest check = rig.check(path);
    std::string pensAskedFor;
    bool penDownWhileHeld = false;
    DrawMonitor* monitorInUse = nullptr;
    DrawMonitorHooks hooks;
    if (c.penChange)
        hooks.penChange = [&](char pen) {
            // The operator: looks at the pen once the carriage holds, then goes on.
            std::jthread operatorThread([&] {
                while (!drive.holding()) {
                }
                penDownWhileHeld |= plotter.penDown();
                drive.continueAfterPause();
            });
            holdForPenChange(drive, *monitorInUse, pen, [&](char due) {
                if (due != 0)
                    pensAskedFor += due;
            });
        };
    DrawMonitor monitor(drive, check, c.firstPoint, hooks);
    monitorInUse = &monitor;
    const DrawJob job = drawJobFor(check, DrawPlan{DrawPlan::Origin::AsTested, c.firstPoint});
    DrawSessionSetup setup;
    setup.claim = !c.window;
    setup.coilsOffAtEnd = !c.window;

    if (c.stopAtWrite > 0)
        gate->parkAt(static_cast<std::uint64_t>(c.stopAtWrite));
    if (c.stopAtWrite < 0)
        drive.requestStop();
    Session session;
    MotionThread motion(false);
    motion.start([&] { session.outcome = runDrawSession(drive, job, &monitor, nullptr, setup); });
    if (c.stopAtWrite > 0) {
        EXPECT_TRUE(gate->waitUntilParked());
        drive.requestStop();
        gate->release();
    }
    motion.waitIdle(std::chrono::hours(1));
    session.writes = faulty.writes();
    const DrawOutcome& o = session.outcome;
    session.said = std::string(kindName(o.kind)) + "/" + kindName(o.drew) + " " + std::to_string(o.exitStatus())
                   + " at " + std::to_string(o.stoppedAtPoint) + " done " + std::to_string(o.pointsDone)
                   + (pensAskedFor.empty() ? "" : " asked " + pensAskedFor)
                   + (penDownWhileHeld ? ", held pen down" : "") + (plotter.penDown() ? ", pen down" : ", pen up")
                   + (plotter.motorsEnergised() ? ", coils on" : ", coils off");
    return session;
}

class DrawSessionEnd : public ::testing::TestWithParam<SessionCase> {};

TEST_P(DrawSessionEnd, GivesOneOutcome)
{
    const SessionCase& c = GetParam();
    std::int64_t faultOnceAt = c.setup.faultOnceAt;
    if (faultOnceAt < 0) // the safe end's coils-off write, the last of a whole draw
        faultOnceAt = static_cast<std::int64_t>(runSession(c.setup, 0).writes);
    const Session session = runSession(c.setup, faultOnceAt);
    EXPECT_EQ(session.said, c.outcome);
    const std::string said = session.outcome.message + session.outcome.safeEndMessage;
    EXPECT_NE(said.find(c.message), std::string::npos) << said;
    EXPECT_EQ(said.empty(), *c.message == 0) << said;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DrawSessionEnd,
    ::testing::Values(
        SessionCase{"Finished", {}, "Finished/Finished 0 at 0 done 3, pen up, coils off"},
        SessionCase{"StoppedAtAChosenWrite", {.stopAtWrite = 40}, "Stopped/Stopped 130 at 2 done 1, pen up, coils off"},
        SessionCase{"StoppedBeforeTheClaim", {.stopAtWrite = -1}, "Stopped/Stopped 130 at 0 done 0, pen up, coils off"},
        SessionCase{"NoPlotter",
                    {.clockRunning = false},
                    "NoPlotter/NoPlotter 4 at 0 done 0, pen up, coils off",
                    "no plotter answers: the clock on status bit 7 did not change."},
        // The lift did not get through either: switch the plotter off.
        SessionCase{"PortFaultAtWrite500",
                    {.faultFromWrite = 500},
                    "PortFailed/PortFailed 6 at 3 done 2, pen down, coils on",
                    "Writing the data register on the virtual plotter failed"},
        SessionCase{"PortFaultOnceAtWrite500",
                    {.faultOnceAt = 500},
                    "PortFailed/PortFailed 6 at 3 done 2, pen up, coils off",
                    "Writing the test port failed. The run has ended: the pen was lifted and the motors switched off."},
        SessionCase{"PortFaultAtTheClaim",
                    {.faultOnceAt = 1},
                    "PortFailed/PortFailed 6 at 0 done 0, pen up, coils off",
                    "Writing the test port failed. The run has ended"},
        SessionCase{"SafeEndFails",
                    {.faultOnceAt = -1},
                    "SafeEndFailed/Finished 6 at 0 done 3, pen up, coils on",
                    "lifting the pen and switching the motors off at the end failed: Writing the test port failed. "
                    "Switch the plotter off before you touch it."},
        SessionCase{"OriginFailed",
                    {.plot = "PU-400,0;PD400,0;", .startXmm = 200},
                    "OriginFailed/OriginFailed 5 at 0 done 0, pen up, coils off",
                    "X home switch"},
        SessionCase{"PointRefused",
                    {.plot = "PD400,0;PD2000000,0;"},
                    "PointRefused/PointRefused 5 at 2 done 1, pen up, coils off",
                    "Drawing stopped at the point (2000000, 0)"},
        SessionCase{"Unreadable", {.plot = ""}, "ReadFailed/ReadFailed 2 at 1 done 0, pen up, coils off", "folder"},
        SessionCase{"FromPoint3", {.firstPoint = 3}, "Finished/Finished 0 at 0 done 3, pen up, coils off"},
        SessionCase{"PenChangeHolds",
                    {.plot = "SP1;PD400,0;SP2;PD400,400;SP2;PD0,400;", .penChange = true},
                    "Finished/Finished 0 at 0 done 3 asked 2, pen up, coils off"},
        // The window's session (no claim) however it ends leaves the pen up, also when it
        // was down before, and the coils on: most exporters end with a bare "PU;", which
        // moves nothing.
        SessionCase{"WindowFinished", {.window = true}, "Finished/Finished 0 at 0 done 3, pen up, coils on"},
        SessionCase{"WindowBarePuAtTheEnd",
                    {.plot = "PU0,0;PD400,0;PU;", .window = true, .penDownFirst = true},
                    "Finished/Finished 0 at 0 done 2, pen up, coils on"},
        SessionCase{"WindowNoPuAtAll",
                    {.plot = "PD400,0,400,400;", .window = true, .penDownFirst = true},
                    "Finished/Finished 0 at 0 done 2, pen up, coils on"},
        SessionCase{"WindowStopped",
                    {.plot = "PD4000,0;", .window = true, .penDownFirst = true, .stopAtWrite = 3},
                    "Stopped/Stopped 130 at 1 done 0, pen up, coils on"},
        SessionCase{"WindowPointRefused",
                    {.plot = "PD400,0;PD2000000,0;", .window = true, .penDownFirst = true},
                    "PointRefused/PointRefused 5 at 2 done 1, pen up, coils on",
                    "(2000000, 0)"},
        SessionCase{"WindowUnreadable",
                    {.plot = "", .window = true, .penDownFirst = true},
                    "ReadFailed/ReadFailed 2 at 1 done 0, pen up, coils off",
                    "folder"},
        SessionCase{"WindowHomingFailed",
                    {.plot = "PU-400,0;PD400,0;", .startXmm = 200, .window = true, .penDownFirst = true},
                    "OriginFailed/OriginFailed 5 at 0 done 0, pen up, coils on",
                    "X home switch"},
        SessionCase{"WindowStoppedWhileHoming",
                    {.plot = "PU-400,0;PD400,0;", .window = true, .penDownFirst = true, .stopAtWrite = 3},
                    "Stopped/Stopped 130 at 1 done 0, pen up, coils on"}),
    [](const auto& row) { return std::string(row.param.name); });

// Each kind of outcome and the command line's exit status for it.
TEST(DrawOutcome, MapsEachKindToItsExitStatus)
{
    const std::pair<Kind, int> table[] = {
        {Kind::Finished, 0},     {Kind::Stopped, 143},  {Kind::NoPlotter, 4},  {Kind::OriginFailed, 5},
        {Kind::PointRefused, 5}, {Kind::ReadFailed, 2}, {Kind::PortFailed, 6}, {Kind::SafeEndFailed, 6},
    };
    for (const auto& [kind, status] : table)
        EXPECT_EQ(exitStatusFor(kind, 15), status) << static_cast<int>(kind);
}

} // namespace
} // namespace orlex::test
