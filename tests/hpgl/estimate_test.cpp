// The test run counts exactly the step outputs and pen commands the draw then sends.
#include "hpgl_rig.h"

#include <gtest/gtest.h>

#include <string>

namespace orlex {
namespace {

using test::Rig;

// Counts the writes that reach the plotter, by register.
class CountingPort : public Port {
public:
    explicit CountingPort(Port& inner) : inner_(inner) {}
    void write(Register reg, std::uint8_t value) override
    {
        if (reg == Register::Data)
            ++dataWrites;
        if (reg == Register::Control)
            ++controlWrites;
        inner_.write(reg, value);
    }
    std::uint8_t read(Register reg) override { return inner_.read(reg); }

    std::uint64_t dataWrites = 0, controlWrites = 0;

private:
    Port& inner_;
};

struct EstimateCase {
    const char* name;
    std::string file;
    bool halfStep;
    std::int16_t zoom;
};

class Estimate : public ::testing::TestWithParam<EstimateCase> {};

TEST_P(Estimate, MatchesTheDraw)
{
    const EstimateCase& c = GetParam();
    Rig rig;
    rig.settings.stepLengthY = 20;
    rig.halfStep = c.halfStep;
    rig.preview.zoom = c.zoom;
    const RunResult test = rig.test(c.file);
    ASSERT_TRUE(test.estimateValid);

    CountingPort counting(rig.plotter);
    rig.drive.setPort(counting);
    const RunResult draw = rig.draw(c.file);
    ASSERT_TRUE(draw.refusal.ok());
    EXPECT_EQ(test.stepOutputs, counting.dataWrites);
    EXPECT_EQ(test.penCommands, counting.controlWrites);
    EXPECT_EQ(test.penCommands, draw.points);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Estimate,
    ::testing::Values(EstimateCase{"Square", "PU;PA400,400;PD800,400,800,800,400,800,400,400;PU0,0;", true, 100},
                      EstimateCase{"Diagonals", "PD300,200,-50,77,1000,999,1000,999,-3.7,12.2;", true, 100},
                      EstimateCase{"FullStep", "PD300,200,-50,77,1000,999;PU0,0;", false, 100},
                      EstimateCase{"Zoomed", "PR123,-456,-77,300;PD-500,20;", true, 37},
                      EstimateCase{"Relative", "PR10,10,10,10,-5,3;PD1,1;", false, 400}),
    [](const ::testing::TestParamInfo<EstimateCase>& row) { return std::string(row.param.name); });

TEST(Estimate, KnownCounts)
{
    Rig rig;
    rig.settings.stepLengthX = 10;
    rig.settings.stepLengthY = 10;
    // 400 units = 10 mm = 200 half steps of 0.05 mm.
    const RunResult result = rig.test("PA400,0;PD400,400;");
    EXPECT_EQ(result.penCommands, 2u);
    EXPECT_EQ(result.stepOutputs, 400u);
    EXPECT_TRUE(result.estimateValid);
}

TEST(Estimate, InvalidWhenTheDrawWouldRefuse)
{
    Rig rig;
    rig.settings.stepLengthX = 0;
    EXPECT_FALSE(rig.test("PA10,10;").estimateValid);
    rig.settings.stepLengthX = 25;
    EXPECT_TRUE(rig.test("PA10,10;").estimateValid);
    rig.settings.stepLengthX = 10;
    rig.preview.zoom = 400;
    EXPECT_FALSE(rig.test("PA30000,0;").estimateValid); // 60000 half steps at 400 %
}

TEST(Estimate, TestRunMovesNothing)
{
    Rig rig;
    rig.test("PD400,400;");
    EXPECT_EQ(rig.plotter.counters().penMoves, 0);
    EXPECT_EQ(rig.plotter.counters().stepsX, 0);
    EXPECT_EQ(rig.drive.state.positionX, 0);
}

} // namespace
} // namespace orlex
