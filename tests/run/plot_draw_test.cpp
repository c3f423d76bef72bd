// The shared draw run: "Pen to 0" lifts the pen before the carriage moves, and the draw
// sends the plot its check read. How each draw ends is the session's table.
#include "run/plot_draw.h"
#include "run_rig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace orlex::test {
namespace {

constexpr Register kData = Register::Data;
constexpr Register kControl = Register::Control;

// A plot that ends with a bare "PU;" used to leave the pen down, so the next homing
// dragged it across the sheet. Now the homing adds no ink.
TEST(DrawRun, HomingAfterADrawAddsNoInk)
{
    RunRig rig;
    const DrawReport report = rig.draw(rig.file("PU400,400;PD800,400,800,800;PU;"));
    ASSERT_EQ(report.outcome, DrawReport::Outcome::Finished);
    const std::size_t segments = rig.plotter.paper().size();
    ASSERT_EQ(segments, 2u);

    EXPECT_TRUE(rig.drive.home().ok());
    EXPECT_EQ(rig.plotter.paper().size(), segments);
    EXPECT_TRUE(rig.plotter.xSwitchClosed() || rig.plotter.xHalfSteps() == 4);
}

// "Pen to 0" lifts the pen before the first coil byte, also when the pen was down.
TEST(DrawRun, PenToZeroLiftsThePenBeforeMoving)
{
    RunRig rig;
    rig.drive.penDown();
    const std::size_t before = rig.port.writes.size();
    PlotExtents extents;
    extents.minXmm = -10;
    extents.minYmm = -5;
    const DrawReport report = rig.draw(rig.file("PD400,0;"), extents);
    ASSERT_EQ(report.outcome, DrawReport::Outcome::Finished);
    ASSERT_GT(rig.port.writes.size(), before + 1);
    EXPECT_EQ(rig.port.writes[before].reg, kControl);
    EXPECT_EQ(rig.port.writes[before].value, 1);
    // The only ink is the plot's own line, 10 mm long from the origin 10 mm, 5 mm off home.
    ASSERT_EQ(rig.plotter.paper().size(), 1u);
    EXPECT_NEAR(rig.plotter.paper()[0].x1, 1 + 10, 0.25);
    EXPECT_NEAR(rig.plotter.paper()[0].y1, 1 + 5, 0.25);
}

struct AfterCheckCase {
    const char* name;
    const char* change; // nullptr: the file stays; "": it is removed; else what it becomes
    std::uint64_t firstPoint;
};

class DrawAfterTheCheck : public ::testing::TestWithParam<AfterCheckCase> {};

// The draw replays the plot its check read: a file rewritten or removed after the check
// sends the same bytes to the port as the file left alone, from any first point.
TEST_P(DrawAfterTheCheck, SendsThePlotTheCheckRead)
{
    const AfterCheckCase& c = GetParam();
    constexpr const char* kPlot = "PU400,400;PD800,400,800,800;SP2;PD400,800;PU0,0;";
    const DrawPlan plan{DrawPlan::Origin::AsTested, c.firstPoint};
    RunRig golden;
    const DrawReport expected = drawPlot(drawJobFor(golden.check(golden.file(kPlot)), plan), golden.drive);
    ASSERT_EQ(expected.outcome, DrawReport::Outcome::Finished);

    RunRig rig;
    const std::string path = rig.file(kPlot);
    const PlotTest check = rig.check(path);
    if (c.change != nullptr && *c.change == 0)
        std::filesystem::remove(path);
    else if (c.change != nullptr)
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.change;
    const DrawReport report = drawPlot(drawJobFor(check, plan), rig.drive);
    EXPECT_EQ(report.outcome, DrawReport::Outcome::Finished) << report.message();
    EXPECT_EQ(rig.port.values(kData), golden.port.values(kData));
    EXPECT_EQ(rig.port.values(kControl), golden.port.values(kControl));
}

INSTANTIATE_TEST_SUITE_P(Files, DrawAfterTheCheck,
                         ::testing::Values(AfterCheckCase{"Unchanged", nullptr, 1},
                                           AfterCheckCase{"Rewritten", "PU0,0;PD4000,0;PU;", 1},
                                           AfterCheckCase{"Removed", "", 1},
                                           AfterCheckCase{"RemovedFromPoint4", "", 4}),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace orlex::test
