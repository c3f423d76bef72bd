// The shared draw run: however it ends, the pen is up; "Pen to 0" lifts the pen before
// the carriage moves; a failed "Pen to 0" draws nothing.
#include "run/plot_draw.h"
#include "run_rig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace orlex::test {
namespace {

constexpr Register kData = Register::Data;
constexpr Register kControl = Register::Control;

struct EndCase {
    const char* name;
    const char* plot;        // "" for a path that is a folder
    double startXmm;         // where the carriage stands
    std::int16_t plotMinXmm; // tested extents: negative means "Pen to 0" first
    bool stopAtSecondStep;
    DrawReport::Outcome outcome;
    const char* messagePart; // "" when no message is due
};

void PrintTo(const EndCase& c, std::ostream* os)
{
    *os << c.name;
}

class DrawEnd : public ::testing::TestWithParam<EndCase> {};

TEST_P(DrawEnd, LeavesThePenUp)
{
    const EndCase& c = GetParam();
    RunRig rig(plotterAt(c.startXmm, 30));
    ASSERT_TRUE(rig.drive.state.connected);
    rig.drive.penDown(); // as the operator may have left it
    int coilBytes = 0;
    rig.port.onWrite = [&](const Write& w) {
        if (w.reg == kData && ++coilBytes == 2 && c.stopAtSecondStep)
            rig.drive.requestStop();
    };
    const std::string path = *c.plot ? rig.file(c.plot) : std::filesystem::temp_directory_path().string();
    PlotExtents extents;
    extents.minXmm = c.plotMinXmm;

    const DrawReport report = rig.draw(path, extents);

    EXPECT_EQ(report.outcome, c.outcome);
    EXPECT_FALSE(rig.plotter.penDown());
    EXPECT_EQ(rig.port.values(kControl).back(), 1);
    EXPECT_NE(report.message().find(c.messagePart), std::string::npos) << report.message();
    EXPECT_EQ(report.message().empty(), *c.messagePart == 0) << report.message();
    // The coils stay energised after a run that moved: the carriage holds its place.
    if (coilBytes > 0) {
        EXPECT_TRUE(rig.plotter.motorsEnergised());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ends, DrawEnd,
    ::testing::Values(
        // Most exporters end with a bare "PU;": it moves nothing, yet the pen comes up.
        EndCase{"BarePuAtTheEnd", "PU0,0;PD400,0;PU;", 30, 0, false, DrawReport::Outcome::Finished, ""},
        EndCase{"NoPuAtAll", "PD400,0,400,400;", 30, 0, false, DrawReport::Outcome::Finished, ""},
        EndCase{"Stopped", "PD4000,0;", 30, 0, true, DrawReport::Outcome::Stopped, ""},
        EndCase{"PointRefused", "PD400,0;PD2000000,0;", 30, 0, false, DrawReport::Outcome::PointRefused,
                "(2000000, 0)"},
        EndCase{"Unreadable", "", 30, 0, false, DrawReport::Outcome::ReadFailed, "folder"},
        EndCase{"HomingFailed", "PD400,0;", 200, -10, false, DrawReport::Outcome::OriginFailed, "X home switch"},
        EndCase{"StoppedWhileHoming", "PD400,0;", 30, -10, true, DrawReport::Outcome::Stopped, ""}),
    [](const auto& row) { return std::string(row.param.name); });

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
