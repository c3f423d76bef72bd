// When the window allows Draw and offers Resume, without a window: after each run of
// events, the Draw button's state and the Resume button's, as one line.
#include "run/draw_policy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orlex::test {
namespace {

enum class Event {
    Test,           // "Test and Show" of plot.plt passes
    TestChanged,    // of plot.plt again, which now reads other points
    TestOther,      // of another file
    StopAtPoint5,   // a draw ends early at point 5
    Finish,         // a draw ends at the end of the plot
    Jog,            // the carriage is jogged
    StepLengthSave, // a Save changes a step length
    Forget,         // an option changed: the test no longer speaks for the draw
};

struct PolicyCase {
    const char* name;
    std::vector<Event> events;
    bool originIsPenToZero;
    const char* expected;
};

void PrintTo(const PolicyCase& c, std::ostream* os)
{
    *os << c.name;
}

DrawableCheck checkOf(const char* path, double stepLength, bool changed)
{
    auto plot = std::make_shared<RecordedPlot>();
    if (changed)
        plot->point(1, 2, Pen::Down);
    DrawableCheck check;
    check.path = path;
    check.stepLengthX = check.stepLengthY = stepLength;
    check.tested = {plot};
    return check;
}

class Policy : public ::testing::TestWithParam<PolicyCase> {};

TEST_P(Policy, AllowsDrawAndOffersResume)
{
    const PolicyCase& c = GetParam();
    DrawPolicy policy;
    double stepLength = 50;
    for (const Event event : c.events) {
        DrawOutcome outcome;
        switch (event) {
        case Event::Test: policy.tested(checkOf("plot.plt", stepLength, false)); break;
        case Event::TestChanged: policy.tested(checkOf("plot.plt", stepLength, true)); break;
        case Event::TestOther: policy.tested(checkOf("other.plt", stepLength, false)); break;
        case Event::StopAtPoint5:
        case Event::Finish:
            policy.drawStarts();
            outcome.kind = outcome.drew =
                event == Event::Finish ? DrawOutcome::Kind::Finished : DrawOutcome::Kind::Stopped;
            outcome.stoppedAtPoint = event == Event::Finish ? 0 : 5;
            policy.drawEnded(outcome, c.originIsPenToZero);
            break;
        case Event::Jog: policy.positionLost("the carriage was jogged"); break;
        case Event::StepLengthSave:
            stepLength = 25;
            policy.forgetIfScaleChanged(checkOf("plot.plt", stepLength, false));
            break;
        case Event::Forget: policy.forgetCheck(); break;
        }
    }
    const ResumeOffer offer = policy.resumeOffer(true, false);
    const std::optional<DrawPlan> plan = policy.resumePlan();
    std::string said = policy.drawAllowed(true) ? "Draw on" : "Draw off";
    if (offer.shown)
        said += std::string("; Resume from point ") + std::to_string(offer.point) + (offer.enabled ? " on" : " off")
                + (plan ? plan->origin == DrawPlan::Origin::KeepPosition ? " in place" : " after Pen to 0" : "") + ": "
                + offer.toolTip;
    EXPECT_EQ(said, c.expected);
    EXPECT_FALSE(policy.drawAllowed(false));
    EXPECT_FALSE(policy.resumeOffer(true, true).shown);
    EXPECT_EQ(plan.has_value(), offer.enabled);
}

using enum Event;
INSTANTIATE_TEST_SUITE_P(
    Table, Policy,
    ::testing::Values(
        PolicyCase{"Untested", {}, false, "Draw off"}, PolicyCase{"Tested", {Test}, false, "Draw on"},
        PolicyCase{"OptionChanged", {Test, Forget}, false, "Draw off"},
        PolicyCase{"ScaleSaved", {Test, StepLengthSave}, false, "Draw off"},
        PolicyCase{"Finished", {Test, Finish}, false, "Draw on"},
        PolicyCase{"Stopped",
                   {Test, StopAtPoint5},
                   false,
                   "Draw on; Resume from point 5 on in place: Draws on from point 5, from where the stopped draw "
                   "left the carriage."},
        PolicyCase{"StoppedThenJoggedFromPenToZero",
                   {Test, StopAtPoint5, Jog},
                   true,
                   "Draw on; Resume from point 5 on after Pen to 0: Homes, moves to the plot's origin (\"Pen to "
                   "0\"), then draws on from point 5."},
        PolicyCase{"StoppedThenJoggedFromWhereItStood",
                   {Test, StopAtPoint5, Jog},
                   false,
                   "Draw on; Resume from point 5 off: Resume is not possible: since the draw stopped, the carriage "
                   "was jogged, and this plot's origin is where the carriage stood, which homing cannot find again."},
        PolicyCase{"StoppedThenOptionChanged",
                   {Test, StopAtPoint5, Forget},
                   false,
                   "Draw off; Resume from point 5 off: Resume needs the file, zoom, step type and settings of the "
                   "stopped draw, checked with \"Test and Show\"."},
        PolicyCase{"StoppedThenAnotherFile",
                   {Test, StopAtPoint5, TestOther},
                   false,
                   "Draw on; Resume from point 5 off: Resume needs the file, zoom, step type and settings of the "
                   "stopped draw, checked with \"Test and Show\"."},
        PolicyCase{"StoppedThenTheFileChanged",
                   {Test, StopAtPoint5, TestChanged},
                   false,
                   "Draw on; Resume from point 5 off: The plot file has changed since the draw stopped."},
        PolicyCase{"StoppedThenTestedAgain",
                   {Test, StopAtPoint5, Test},
                   false,
                   "Draw on; Resume from point 5 on in place: Draws on from point 5, from where the stopped draw "
                   "left the carriage."},
        PolicyCase{"StoppedThenFinished", {Test, StopAtPoint5, Finish}, false, "Draw on"}),
    [](const auto& row) { return std::string(row.param.name); });

// A check made beside the window is taken only while what it checked with still holds.
struct BesideCase {
    const char* name;
    void (*change)(BesideCheck&, WindowForCheck&);
    bool adopted;
};

class Beside : public ::testing::TestWithParam<BesideCase> {};

TEST_P(Beside, IsTakenOnlyWhileItsSetupHolds)
{
    BesideCheck check{true, CheckSetup{150, true, PlotReading::Classic}, MachineSettings{}};
    WindowForCheck window{check.setup, check.settings, false, true};
    GetParam().change(check, window);
    EXPECT_EQ(adoptBesideCheck(check, window), GetParam().adopted);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, Beside,
    ::testing::Values(
        BesideCase{"Nothing", [](BesideCheck&, WindowForCheck&) {}, true},
        BesideCase{"Unfinished", [](BesideCheck& c, WindowForCheck&) { c.finished = false; }, false},
        BesideCase{"Zoom", [](BesideCheck&, WindowForCheck& w) { w.setup.zoom = 100; }, false},
        BesideCase{"StepType", [](BesideCheck&, WindowForCheck& w) { w.setup.halfStep = false; }, false},
        BesideCase{"Reading", [](BesideCheck&, WindowForCheck& w) { w.setup.reading = PlotReading::Full; }, false},
        BesideCase{"Origin", [](BesideCheck&, WindowForCheck& w) { w.settings.originXmm = 7; }, false},
        BesideCase{"StepLength", [](BesideCheck&, WindowForCheck& w) { w.settings.stepLengthY = 40; }, false},
        BesideCase{"CanvasResized", [](BesideCheck&, WindowForCheck& w) { w.canvasSizeMatches = false; }, false},
        BesideCase{"ResizedButWholePlotRedraws",
                   [](BesideCheck&, WindowForCheck& w) {
                       w.canvasSizeMatches = false;
                       w.wholePlot = true;
                   },
                   true}),
    [](const ::testing::TestParamInfo<BesideCase>& row) { return std::string(row.param.name); });

} // namespace
} // namespace orlex::test
