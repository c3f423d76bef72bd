// The shared test run's fit rule: millimetres against Maxx/Maxy, and steps against the
// 16-bit range the drive counts in, in the step mode of the test.
#include "reading_log.h"
#include "run/plot_test.h"
#include "run_rig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace orlex::test {
namespace {

struct FitCase {
    const char* name;
    double lstepx;
    double maxx;
    const char* plot;
    bool halfStep;
    PlotTest::Verdict verdict;
    const char* messagePart; // in the step-range message; "" when none is due
};

void PrintTo(const FitCase& c, std::ostream* os)
{
    *os << c.name;
}

class FitRule : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitRule, JudgesMillimetresAndSteps)
{
    const FitCase& c = GetParam();
    RunRig rig;
    rig.settings.stepLengthX = c.lstepx;
    rig.settings.travelXmm = c.maxx;
    rig.halfStep = c.halfStep;
    const PlotTest test = rig.check(rig.file(c.plot));
    EXPECT_EQ(test.verdict, c.verdict);
    EXPECT_EQ(test.fits(), c.verdict == PlotTest::Verdict::Fits);
    EXPECT_NE(test.stepRangeMessage.find(c.messagePart), std::string::npos) << test.stepRangeMessage;
    EXPECT_EQ(test.stepRangeMessage.empty(), *c.messagePart == 0) << test.stepRangeMessage;
    EXPECT_TRUE(rig.port.writes.empty()); // a test moves nothing
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FitRule,
    ::testing::Values(FitCase{"Fits", 50, 150, "PD6000,0;", true, PlotTest::Verdict::Fits, ""},
                      FitCase{"WiderThanMaxx", 50, 150, "PD6040,0;", true, PlotTest::Verdict::TooBig, ""},
                      // Lstep 1: 0.005 mm per half step, so 32767 steps are 163.8 mm.
                      FitCase{"BeyondTheStepsInHalfSteps", 1, 300, "PD8000,0;", true, PlotTest::Verdict::BeyondSteps,
                              "in X it needs 40000 steps"},
                      FitCase{"LimitInMillimetresNamed", 1, 300, "PD8000,0;", true, PlotTest::Verdict::BeyondSteps,
                              "163.8 mm with Lstepx 1 in half steps"},
                      FitCase{"FullStepsReachTwiceAsFar", 1, 300, "PD8000,0;", false, PlotTest::Verdict::Fits, ""},
                      FitCase{"NegativeSideToo", 1, 300, "PD-7000,0;", true, PlotTest::Verdict::BeyondSteps,
                              "in X it needs 35000 steps"},
                      FitCase{"LastReachableStep", 1, 300, "PD6553.4,0;", true, PlotTest::Verdict::Fits, ""},
                      FitCase{"BeyondCoordinates", 50, 150, "PD40000,0;", true, PlotTest::Verdict::BeyondCoordinates,
                              ""}),
    [](const auto& row) { return std::string(row.param.name); });

// A plot reaching 200 mm below its origin needs the "Pen to 0" point 200 mm up from home:
// 20000 full steps of 0.01 mm fit, 40000 half steps do not.
TEST(FitRule, StepModeOfTheTestDecides)
{
    RunRig rig;
    rig.settings.stepLengthY = 1;
    rig.settings.travelYmm = 300;
    const std::string plot = rig.file("PU0,-8000;PD0,4000;");
    rig.halfStep = false;
    EXPECT_TRUE(rig.check(plot).fits());
    rig.halfStep = true;
    const PlotTest half = rig.check(plot);
    EXPECT_EQ(half.verdict, PlotTest::Verdict::BeyondSteps);
    EXPECT_NE(half.stepRangeMessage.find("in Y it needs 40000 steps"), std::string::npos) << half.stepRangeMessage;
}

struct NotAPlotCase {
    const char* name;
    std::string bytes;
    const char* message; // nullptr: a plot
};

void PrintTo(const NotAPlotCase& c, std::ostream* os)
{
    *os << c.name;
}

class NotAPlot : public ::testing::TestWithParam<NotAPlotCase> {};

constexpr const char* kNoPoint = "\"x.plt\" is not a plot file: the reading found no point in it.";
constexpr const char* kLabelsOnly = "\"x.plt\" has no lines to draw (labels are not drawn; see Full HP-GL).";

// A file in which the reading finds no point is marked, and the message tells a file of
// labels alone from one that is no plot at all; the classic verdict stays.
TEST_P(NotAPlot, IsMarkedWhenTheReadingFindsNoPoint)
{
    const NotAPlotCase& c = GetParam();
    RunRig rig;
    const PlotTest test = rig.check(rig.file(c.bytes));
    EXPECT_EQ(test.notAPlot, c.message != nullptr);
    EXPECT_EQ(test.verdict, PlotTest::Verdict::Fits);
    if (c.message) {
        EXPECT_EQ(test.notAPlotMessage("x.plt"), c.message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, NotAPlot,
    ::testing::Values(NotAPlotCase{"Empty", "", kNoPoint},
                      NotAPlotCase{"PngBytes", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), kNoPoint},
                      NotAPlotCase{"Text", "Dear plotter,\nplease draw a cat.\n", kNoPoint},
                      NotAPlotCase{"OnlyALabel", "IN;LBHELLO\x03;", kLabelsOnly},
                      NotAPlotCase{"LabelWithItsOwnTerminator", "IN;SP1;DT#;LBAB#;", kLabelsOnly},
                      NotAPlotCase{"LowerCaseLineBesideALabel", "in;pd200,200;lb text\x03;", kNoPoint},
                      NotAPlotCase{"StrayBytesHoldingLB", std::string("\x01\x02LBHELLO\x03\0", 11), kNoPoint},
                      NotAPlotCase{"UnendedLabel", "IN;LBHELLO", kNoPoint},
                      NotAPlotCase{"OnePoint", "PU10,10;", nullptr}),
    [](const auto& row) { return std::string(row.param.name); });

// The check's box in whole units is the box of every point, as ExtentsSink widens it
// point by point: halves round to even, the ends of the 16-bit range, beyond them, NaN,
// infinities, -0.
TEST(CheckBox, IsTheBoxOfEveryPoint)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<std::vector<std::pair<double, double>>> plots = {
        {},
        {{10.5, 11.5}, {-2.5, -3.5}},
        {{-0.0, -0.0}},
        {{32767.4, -32768.5}},
        {{32767.5, -32768.6}},
        {{-40000, 0}, {12, 40000}},
        {{nan, 5}, {-7, 3}},
        {{4, nan}},
        {{-inf, inf}},
        {{0.5, -0.5}, {1e300, -1e300}},
    };
    for (const auto& points : plots) {
        auto plot = std::make_shared<RecordedPlot>();
        ExtentsSink expected;
        for (const auto& [x, y] : points) {
            plot->point(x, y, Pen::Down);
            expected.point(x, y, Pen::Down);
        }
        RunRig rig;
        const PlotBox box = testPlot(plot, rig.settings, {}).box;
        const PlotBox& want = expected.box();
        SCOPED_TRACE(points.empty() ? "no point" : std::to_string(points[0].first));
        EXPECT_EQ(box.minX, want.minX);
        EXPECT_EQ(box.minY, want.minY);
        EXPECT_EQ(box.maxX, want.maxX);
        EXPECT_EQ(box.maxY, want.maxY);
        EXPECT_EQ(box.outOfRange, want.outOfRange);
    }
}

// A plot of 1.5 MiB, large enough to be read on two threads, in lists of `list` (";PA"
// or ";PR"), with pen selections, labels and a skipped pair.
std::string largePlot(const char* list)
{
    std::string plot = "IN;SP1;PU100,100;";
    for (int i = 0; plot.size() < (std::size_t{3} << 19); ++i)
        plot +=
            (i % 500 == 0 ? ";SP" + std::to_string(1 + i / 500 % 8) + ";LBtext\x03PD" : std::string(i % 40 ? "" : list))
            + std::to_string(i % 17 - 8) + "," + std::to_string(i % 13 - 6) + (i == 90000 ? ",1-2,3," : ",");
    return plot;
}

// What a check counted of the points it took, in one comparable line, lengths to the bit.
std::string countsOf(const PlotTest& t)
{
    const auto exactly = [](double v) {
        char text[40];
        std::snprintf(text, sizeof text, "%a ", v);
        return std::string(text);
    };
    const PlotStatistics& s = t.statistics;
    return std::to_string(t.steps.stepOutputs) + " " + std::to_string(t.steps.penCommands) + " "
           + exactly(t.steps.minStepsX) + exactly(t.steps.maxStepsY) + std::to_string(s.points) + " "
           + std::to_string(s.strokes) + " " + std::to_string(s.penLifts) + " " + std::to_string(s.penSelections) + " "
           + exactly(s.penDownMillimetres) + exactly(s.penUpMillimetres) + exactly(t.extents.maxXmm);
}

// Both checks of a large file run on two threads: with a preview the reading and the
// counts beside it, without one the reading in spans. They must agree on every call, the
// kept plot and the counts, for a relative plot (whose spans are read again) and an
// absolute one.
TEST(CheckOnTwoThreads, GivesTheSameWithAndWithoutAPreview)
{
    for (const char* list : {";PR", ";PA"}) {
        SCOPED_TRACE(list);
        RunRig rig;
        const std::string path = rig.file(largePlot(list));
        const CheckSetup setup{100, true, PlotReading::Classic, true, Census::Take};
        CallLog beside, alone;
        beside.logProgress = alone.logProgress = false;
        const PlotTest withPreview = testPlot(path, rig.settings, setup, &beside);
        const PlotTest withoutPreview = testPlot(path, rig.settings, setup);
        ASSERT_TRUE(withPreview.plot && withoutPreview.plot);
        (void)withoutPreview.plot->replay(alone);
        EXPECT_GT(alone.calls.size(), 100000u);
        EXPECT_TRUE(beside.calls == alone.calls);
        EXPECT_TRUE(*withPreview.plot == *withoutPreview.plot);
        EXPECT_EQ(withPreview.run.points, withoutPreview.run.points);
        EXPECT_EQ(countsOf(withPreview), countsOf(withoutPreview));
        EXPECT_EQ(withPreview.run.ignoredByClassic.sentence(), withoutPreview.run.ignoredByClassic.sentence());
        EXPECT_EQ(withPreview.run.skippedMessage(), withoutPreview.run.skippedMessage());
        EXPECT_FALSE(withPreview.run.skippedMessage().empty());
    }
}

// What a check measures for the fit, in one comparable line, the step extremes to the bit.
std::string fitOf(const PlotTest& t)
{
    const PlotExtents& e = t.extents;
    char line[400];
    std::snprintf(line, sizeof line, "%a %a %a %a %a %a %d %d %d %d %d %d %d %d %llu %llu ", t.steps.minStepsX,
                  t.steps.maxStepsX, t.steps.minStepsY, t.steps.maxStepsY, t.statistics.units.minX,
                  t.statistics.units.maxY, t.box.minX, t.box.maxY, t.box.outOfRange, e.minXmm, e.minYmm, e.maxXmm,
                  e.maxYmm, static_cast<int>(t.verdict), static_cast<unsigned long long>(t.originOutputs),
                  static_cast<unsigned long long>(t.statistics.points));
    std::string fit = line;
    for (const std::string& warning : t.warnings())
        fit += warning + " | ";
    return fit;
}

// The check without the figures measures the fit as the full count does, whatever the
// step lengths, step mode and zoom: box, extents, step extremes, "Pen to 0", verdict and
// messages; only the drawing time is left unknown. A large plot is read in spans on two
// threads and joined, a recorded plot replayed (""), and the full reading gives fractions.
TEST(CheckWithoutFigures, MeasuresTheFitOfTheFullCount)
{
    auto odd = std::make_shared<RecordedPlot>(); // NaN, -0, an infinity
    for (const auto& [x, y] : {std::pair{NAN, 5.0}, {-0.0, -0.4}, {-7.0, INFINITY}, {3.0, 4.0}})
        odd->record(x, y, Pen::Down);
    RunRig rig;
    const std::vector<double> everyStepLength = {1.0, 3.7, 50.0};
    struct Case {
        std::string text;
        PlotReading reading;
        std::vector<double> stepLengths;
    };
    for (const auto& [text, reading, stepLengths] :
         std::vector<Case>{{"PD40000,0;", PlotReading::Classic, everyStepLength},
                           {"PU-0.4,-120.5;PD6553.4,200;PR-5000,-20000;", PlotReading::Classic, everyStepLength},
                           // The extremes in the last span; the joining of spans does not depend on the step.
                           {largePlot(";PA") + ";PU-900,-700;PD900,700;", PlotReading::Classic, {3.7}},
                           {"IN;PU-30.3,40;PD;CI1000.7;", PlotReading::Full, everyStepLength},
                           {"", PlotReading::Classic, everyStepLength}}) {
        const std::string path = text.empty() ? "" : rig.file(text);
        for (const double lstep : stepLengths)
            for (const bool halfStep : {true, false})
                for (const std::int16_t zoom : {1, 37, 100, 400}) {
                    rig.settings.stepLengthX = lstep;
                    rig.settings.stepLengthY = lstep * 1.5;
                    CheckSetup setup{zoom, halfStep, reading};
                    const auto check = [&] {
                        return path.empty() ? testPlot(odd, rig.settings, setup) : testPlot(path, rig.settings, setup);
                    };
                    const PlotTest full = check();
                    setup.countFigures = false;
                    const PlotTest fitAlone = check();
                    EXPECT_EQ(fitOf(fitAlone), fitOf(full)) << text.substr(0, 40) << " Lstep " << lstep << " zoom "
                                                            << zoom << (halfStep ? " half" : " full");
                    EXPECT_FALSE(fitAlone.estimatedSeconds(0.001, true));
                }
    }
}

// A preview that stops ends the check there, though the counts beside it had gone on:
// the counts and the kept plot are those of the points the preview took before the stop.
TEST(CheckOnTwoThreads, APreviewThatStopsEndsTheCountsThere)
{
    RunRig rig;
    const std::string path = rig.file(largePlot(";PA"));
    const CheckSetup setup{100, true, PlotReading::Classic, true, Census::Take};
    CallLog preview;
    preview.logProgress = false;
    preview.stopAt = 70001;
    const PlotTest stopped = testPlot(path, rig.settings, setup, &preview);
    EXPECT_TRUE(stopped.run.stopped);
    EXPECT_EQ(stopped.run.points, 70001u);

    auto taken = std::make_shared<RecordedPlot>(); // what the preview took before the stop
    preview.calls.pop_back();
    for (const CallLog::Call& call : preview.calls)
        call.kind == 'P' ? taken->record(call.x, call.y, call.pen ? Pen::Down : Pen::Up)
                         : taken->selectPen(static_cast<char>(call.pen));
    const PlotTest ofTheTaken = testPlot(taken, rig.settings, setup);
    ASSERT_TRUE(stopped.plot);
    EXPECT_TRUE(*stopped.plot == *taken);
    EXPECT_EQ(countsOf(stopped), countsOf(ofTheTaken));
}

} // namespace
} // namespace orlex::test
