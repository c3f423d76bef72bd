// What the writer writes, the program's own interpreter reads back to the identical
// points, and the time estimate counts as the interpreter's test run does.
#include "hpgl/classic_reader.h"
#include "hpgl/plot_extents.h"
#include "plan/draw_time.h"
#include "plan/hpgl_writer.h"
#include "plan/plot_reader.h"
#include "plan/stroke_order.h"
#include "plan_test_support.h"
#include "ports/temp_dir.h"
#include "run/plot_test.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace orlex {
namespace {

using test::Shape;

std::string dataFile(const std::string& name)
{
    return std::string(std::getenv("ORLEX_TEST_DATA")) + "/plan/" + name;
}

// The interpreter's events for HPGL text.
PlotEvents readBack(const std::string& hpgl)
{
    const test::TempDir dir;
    const std::string path = (dir.path() / "out.plt").string();
    std::ofstream(path, std::ios::binary) << hpgl;
    return readPlotEvents(path).value().events;
}

// The events the written plot must read back as: the writer chooses pen 1 for points
// that come before any SP.
PlotEvents withFirstPen(PlotEvents events)
{
    if (!events.empty() && std::holds_alternative<PlotPoint>(events.front()))
        events.insert(events.begin(), SelectPen{'1'});
    return events;
}

void expectOptimisedFileReadsBack(const PlotEvents& in)
{
    const OrderedPlot plot = reorder(splitStrokes(in));
    const Result<std::string> hpgl = writeHpgl(plot);
    ASSERT_TRUE(hpgl) << hpgl.message();
    const PlotEvents out = readBack(*hpgl);
    EXPECT_TRUE(test::identical(out, withFirstPen(strokeEvents(plot.groups))));
    test::expectSameDrawing(withFirstPen(in), out);
}

class GeneratedRoundTrip : public ::testing::TestWithParam<std::tuple<Shape, unsigned>> {};

TEST_P(GeneratedRoundTrip, ReadsBackIdentically)
{
    expectOptimisedFileReadsBack(test::generatePlot(std::get<0>(GetParam()), std::get<1>(GetParam())));
}

INSTANTIATE_TEST_SUITE_P(Plots, GeneratedRoundTrip,
                         ::testing::Combine(::testing::Values(Shape::PenGroups, Shape::ZeroLength, Shape::Decimals,
                                                              Shape::Loops),
                                            ::testing::Range(1u, 6u)));

class FileRoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(FileRoundTrip, OptimisedFileDrawsTheSame)
{
    const Result<ReadPlot> in = readPlotEvents(dataFile(GetParam()));
    ASSERT_TRUE(in) << in.message();
    ASSERT_FALSE(in->events.empty());
    expectOptimisedFileReadsBack(in->events);
}

// One step count, from the file itself and from the optimised file.
TEST_P(FileRoundTrip, EstimateCountsAsTheTestRun)
{
    const PlotEvents in = readPlotEvents(dataFile(GetParam())).value().events;
    const test::TempDir dir;
    const std::string optimised = (dir.path() / "optimised.plt").string();
    std::ofstream(optimised, std::ios::binary) << writeHpgl(reorder(splitStrokes(in))).value();
    for (const std::string& path : {dataFile(GetParam()), optimised}) {
        for (const bool halfStep : {true, false}) {
            MachineSettings settings;
            settings.stepLengthX = 25;
            settings.stepLengthY = 20;
            const PlotTest check = testPlot(path, settings, {37, halfStep});
            ASSERT_TRUE(check.steps.valid);

            const PlotEvents events = readPlotEvents(path).value().events;
            const Result<DrawCounts> counts = countDrawOutputs(events, {25, 20}, halfStep, 37);
            ASSERT_TRUE(counts) << counts.message();
            EXPECT_EQ(counts->stepOutputs, check.steps.stepOutputs);
            EXPECT_EQ(counts->penCommands, check.steps.penCommands);
            EXPECT_DOUBLE_EQ(estimatedSeconds(events, {25, 20}, halfStep, 37, 1500).value(),
                             *check.steps.seconds(2.0 / 1500));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, FileRoundTrip, ::testing::Values("letters.plt", "relative.plt", "pens.hpgl"),
                         [](const ::testing::TestParamInfo<const char*>& p) {
                             return std::string(p.param).substr(0, std::string(p.param).find('.'));
                         });

const char* numbersName(HpglNumbers numbers)
{
    return numbers == HpglNumbers::Exact ? "Exact" : "WholeUnits";
}

struct WriterCase {
    HpglNumbers numbers;
    std::string text;
};

void PrintTo(const WriterCase& c, std::ostream* os)
{
    *os << numbersName(c.numbers);
}

class HpglWriterText : public ::testing::TestWithParam<WriterCase> {};

TEST_P(HpglWriterText, WritesPlainAbsoluteCommands)
{
    const PlotEvents events{PlotPoint{10, 20, false}, PlotPoint{30, 40, true},    PlotPoint{50, 60.5, true},
                            SelectPen{';'},           PlotPoint{1.5, -0.9, true}, PlotPoint{-0.0, 7, false}};
    EXPECT_EQ(writeHpgl(events, GetParam().numbers).value(), GetParam().text);
}

// Exact for reordered plots; whole units, rounded half to even, for the conversions.
INSTANTIATE_TEST_SUITE_P(
    Numbers, HpglWriterText,
    ::testing::Values(
        WriterCase{HpglNumbers::Exact, "IN;\nSP1;\nPU10,20;PD30,40,50,60.5;\nSP;;\nPD1.5,-0.9;\nPU-0,7;PU;\n"},
        WriterCase{HpglNumbers::WholeUnits, "IN;\nSP1;\nPU10,20;PD30,40,50,60;\nSP;;\nPD2,-1;\nPU0,7;PU;\n"}),
    [](const auto& row) { return std::string(numbersName(row.param.numbers)); });

TEST(HpglWriter, ExtremeCoordinatesReadBackBitForBit)
{
    const double values[] = {-0.0, 0.1 + 0.2, 1e-40, -32768.5, 123456789012345678.0};
    PlotEvents events;
    for (const double v : values)
        events.emplace_back(PlotPoint{v, -v, true});
    EXPECT_TRUE(test::identical(readBack(writeHpgl(events).value()), withFirstPen(events)));
}

struct UnwritableCase {
    HpglNumbers numbers;
    double value;
};

void PrintTo(const UnwritableCase& c, std::ostream* os)
{
    *os << numbersName(c.numbers) << " " << c.value;
}

class Unwritable : public ::testing::TestWithParam<UnwritableCase> {};

TEST_P(Unwritable, IsRefused)
{
    EXPECT_FALSE(writeHpgl(PlotEvents{PlotPoint{1, GetParam().value, true}}, GetParam().numbers));
}

// NaN and infinity have no decimal form; 1e-70 and 1e300 need more than 64 characters;
// 1e19 is beyond a whole number's range.
INSTANTIATE_TEST_SUITE_P(
    Values, Unwritable,
    ::testing::Values(UnwritableCase{HpglNumbers::Exact, std::numeric_limits<double>::quiet_NaN()},
                      UnwritableCase{HpglNumbers::Exact, std::numeric_limits<double>::infinity()},
                      UnwritableCase{HpglNumbers::Exact, 1e-70}, UnwritableCase{HpglNumbers::Exact, 1e300},
                      UnwritableCase{HpglNumbers::WholeUnits, std::numeric_limits<double>::quiet_NaN()},
                      UnwritableCase{HpglNumbers::WholeUnits, 1e19}));

TEST(DrawTime, RefusesWhatTheTestRunCannotCount)
{
    const PlotEvents far{PlotPoint{1e9, 0, true}};
    EXPECT_FALSE(countDrawOutputs(far, {25, 25}, true, 100));
    EXPECT_FALSE(countDrawOutputs({}, {0, 25}, true, 100));
    EXPECT_FALSE(estimatedSeconds({}, {25, 25}, true, 100, 0));
}

} // namespace
} // namespace orlex
