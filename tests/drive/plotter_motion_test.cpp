// Motion and timing on the virtual plotter: long lines, and the clock followed in real time.
#include "drive_rig.h"

#include "drive/ports/virtual_plotter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace orlex::test {
namespace {

// Energise the coils at the start-up phases, as "Motor on" does; the plotter's rotors
// already stand there, so this moves nothing.
void energise(Drive& d)
{
    d.energiseCoils();
}

struct LongLine {
    bool half;
    double x, y; // plotter units
};

class LongLineOnPlotter : public ::testing::TestWithParam<LongLine> {};

// A carriage in the middle of a large machine, whose ends these lines never meet.
VirtualPlotterConfig roomyPlotter()
{
    VirtualPlotterConfig config;
    config.startXmm = config.startYmm = 150;
    config.travelXmm = config.travelYmm = 400;
    return config;
}

// Lstep 50: 0.25 mm per half step, 0.5 mm per full step; the plotter turns 0.25 mm per 45 degrees.
TEST_P(LongLineOnPlotter, EndsExactlyAtTheTargetWithoutLosingAStep)
{
    const LongLine& c = GetParam();
    VirtualPlotter plotter(roomyPlotter());
    DriveRig rig(plotter);
    rig.half = c.half;
    Drive& d = *rig.drive;
    energise(d);
    const double startX = plotter.xMillimetres(), startY = plotter.yMillimetres();

    const MoveResult result = d.lineTo(pointSteps(c.x, c.y, d.scaleAt(100)), Pen::Down);
    ASSERT_TRUE(result.ok()) << result.reason;

    const double dxMm = c.x * 0.025, dyMm = c.y * 0.025;
    EXPECT_DOUBLE_EQ(plotter.xMillimetres() - startX, dxMm);
    EXPECT_DOUBLE_EQ(plotter.yMillimetres() - startY, dyMm);
    EXPECT_EQ(plotter.counters().lostStepsX, 0);
    EXPECT_EQ(plotter.counters().lostStepsY, 0);
    EXPECT_TRUE(plotter.penDown());

    // The pen drew one connected path that never leaves the ideal line by more than one step.
    const auto& paper = plotter.paper();
    ASSERT_FALSE(paper.empty());
    EXPECT_DOUBLE_EQ(paper.front().x1, startX);
    EXPECT_DOUBLE_EQ(paper.front().y1, startY);
    EXPECT_DOUBLE_EQ(paper.back().x2, startX + dxMm);
    EXPECT_DOUBLE_EQ(paper.back().y2, startY + dyMm);
    const double length = std::hypot(dxMm, dyMm);
    const double stepMm = c.half ? 0.25 : 0.5;
    for (std::size_t i = 0; i < paper.size(); ++i) {
        if (i > 0) {
            ASSERT_DOUBLE_EQ(paper[i].x1, paper[i - 1].x2);
            ASSERT_DOUBLE_EQ(paper[i].y1, paper[i - 1].y2);
        }
        const double px = paper[i].x2 - startX, py = paper[i].y2 - startY;
        const double offLine = std::fabs(px * dyMm - py * dxMm) / length;
        ASSERT_LE(offLine, stepMm) << "segment " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, LongLineOnPlotter,
                         ::testing::Values(LongLine{true, 10000, 7000}, LongLine{false, 10000, 7000},
                                           LongLine{true, 3000, 9000}, LongLine{true, -4000, 1000},
                                           LongLine{false, 1000, -1000}));

// Out and back along the same line: the carriage is where it started.
TEST(PlotterMotion, ThereAndBackReturnsToTheStart)
{
    VirtualPlotter plotter(roomyPlotter());
    DriveRig rig(plotter);
    Drive& d = *rig.drive;
    energise(d);
    const long x0 = plotter.xHalfSteps(), y0 = plotter.yHalfSteps();
    d.lineTo(pointSteps(1234, 567, d.scaleAt(100)), Pen::Up);
    d.lineTo(pointSteps(-890, 4321, d.scaleAt(150)), Pen::Up);
    d.lineTo(pointSteps(0, 0, d.scaleAt(100)), Pen::Up);
    EXPECT_EQ(plotter.xHalfSteps(), x0);
    EXPECT_EQ(plotter.yHalfSteps(), y0);
    EXPECT_EQ(plotter.counters().lostStepsX + plotter.counters().lostStepsY, 0);
    EXPECT_TRUE(plotter.paper().empty()); // pen up throughout
}

TEST(PlotterMotion, ClockWaitInVirtualTimeLastsTheCountedCycles)
{
    VirtualPlotter plotter; // 2 kHz, 5 us per read: 100 reads per cycle
    DriveRig rig(plotter);
    rig.drive->waitClockCycles(20);
    // The clock starts high, so the first cycle ends after half a period: 19.5 periods.
    const double cycles = plotter.counters().simulatedMicros / 500.0;
    EXPECT_GE(cycles, 19.5);
    EXPECT_LT(cycles, 20);
}

// Records the plotter's time before every status read, into room reserved beforehand so
// that the recording itself never stalls the polling loop.
class ClockWatch : public Port {
public:
    explicit ClockWatch(VirtualPlotter& plotter) : plotter_(plotter) { readTimes.reserve(1 << 18); }
    void write(Register reg, std::uint8_t value) override { plotter_.write(reg, value); }
    std::uint8_t read(Register reg) override
    {
        if (reg == Register::Status && readTimes.size() < readTimes.capacity())
            readTimes.push_back(plotter_.nowMicros());
        return plotter_.read(reg);
    }
    std::vector<double> readTimes;

private:
    VirtualPlotter& plotter_;
};

// The clock is high for the first half of each period, so a rising edge falls on every
// whole multiple of the period. Counted over the time waitClockCycles polled, the edges must
// match the 20 cycles it counted. A cycle can go unseen only inside a gap of half a period or
// more between two reads; on a loaded or virtual machine such gaps come from the system, so
// each is allowed for. How fast the loop polls is a matter for benchmarks, not this test.
TEST(PlotterMotion, ClockWaitFollowsARealTimeClockWithoutLosingCycles)
{
    VirtualPlotterConfig config;
    config.realTime = true;
    config.clockHz = 2000;
    VirtualPlotter plotter(config);
    ClockWatch watch(plotter);
    DriveRig rig(watch);
    rig.drive->waitClockCycles(20);

    const double period = 1e6 / config.clockHz;
    const auto& t = watch.readTimes;
    ASSERT_GE(t.size(), 40u);
    ASSERT_LT(t.size(), t.capacity()) << "the recording ran out of room";
    const long risingEdges = static_cast<long>(std::floor(t.back() / period) - std::floor(t.front() / period));
    long allowance = 0;
    for (std::size_t i = 1; i < t.size(); ++i) {
        const double gap = t[i] - t[i - 1];
        if (gap >= period / 2)
            allowance += static_cast<long>(gap / period) + 1;
    }
    // 19 or 20 edges when the first read lands in a high or a low phase; one more for
    // the read times being taken just before each read.
    EXPECT_GE(risingEdges, 18);
    EXPECT_LE(risingEdges, 21 + allowance) << "reads: " << t.size();
}

TEST(PlotterMotion, CheckSeesTheClockOnlyWhenItRuns)
{
    VirtualPlotter plotter;
    DriveRig rig(plotter);
    EXPECT_TRUE(rig.drive->checkPresence());
    plotter.setClockRunning(false);
    EXPECT_FALSE(rig.drive->checkPresence());
    EXPECT_FALSE(rig.drive->state.connected);
}

} // namespace
} // namespace orlex::test
