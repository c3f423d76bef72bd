// Motion and timing on the virtual plotter: long lines, and the clock followed in real time.
#include "drive_rig.h"

#include "drive/ports/virtual_plotter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
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

double threadCpuMicros()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e6 + static_cast<double>(ts.tv_nsec) / 1e3;
}

// Records, before every status read, the plotter's time and the CPU time this thread used.
class ClockWatch : public Port {
public:
    explicit ClockWatch(VirtualPlotter& plotter) : plotter_(plotter) {}
    void write(Register reg, std::uint8_t value) override { plotter_.write(reg, value); }
    std::uint8_t read(Register reg) override
    {
        if (reg == Register::Status) {
            cpuTimes.push_back(threadCpuMicros());
            readTimes.push_back(plotter_.nowMicros());
        }
        return plotter_.read(reg);
    }
    std::vector<double> readTimes;
    std::vector<double> cpuTimes;

private:
    VirtualPlotter& plotter_;
};

// The clock is high for the first half of each period, so a rising edge falls on every
// whole multiple of the period. Counted over the time waitClockCycles polled, the edges must match
// the 20 cycles it counted. A cycle may go unseen only where the system took the thread
// off the processor for more than half a period (the thread's CPU time hardly grew over
// the gap); such gaps are allowed for. Slowness of the polling loop itself is not.
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
    const auto& cpu = watch.cpuTimes;
    ASSERT_GE(t.size(), 40u);
    const long risingEdges = static_cast<long>(std::floor(t.back() / period) - std::floor(t.front() / period));
    long allowance = 0;
    for (std::size_t i = 1; i < t.size(); ++i) {
        const double gap = t[i] - t[i - 1];
        const bool offProcessor = cpu[i] - cpu[i - 1] < gap / 2;
        if (gap >= period / 2 && offProcessor)
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
