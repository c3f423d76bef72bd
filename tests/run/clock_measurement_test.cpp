// The port check's measurement on the virtual plotter in virtual time, so that every
// figure is the same on every run: 5 µs pass at each status read, and a port that
// stalls now and then stands for a PC that leaves the port alone for a while.
#include "run/port_check/clock_measurement.h"

#include "drive/ports/virtual_plotter.h"

#include <gtest/gtest.h>

#include <vector>

namespace orlex {
namespace {

constexpr double kReadMicros = 5;
constexpr double kSecond = 1e6;
// Virtual time is exact, but edges are seen only at reads: a measured frequency is within
// 0.5 % of the plotter's, a half-period within one read.
constexpr double kFrequencyTolerance = 0.005;

// The virtual plotter behind a port that, every `stallEvery` status reads, lets
// `stallReads` reads' worth of time pass unseen first; it records every write.
class StallingPort : public Port {
public:
    StallingPort(VirtualPlotter& plotter, int stallEvery, int stallReads)
        : plotter_(plotter), stallEvery_(stallEvery), stallReads_(stallReads)
    {}
    void write(Register reg, std::uint8_t value) override
    {
        writes.push_back({reg, value});
        plotter_.write(reg, value);
    }
    std::uint8_t read(Register reg) override
    {
        if (reg == Register::Status && stallEvery_ > 0 && ++reads_ % stallEvery_ == 0)
            for (int i = 0; i < stallReads_; ++i)
                plotter_.read(Register::Status);
        return plotter_.read(reg);
    }
    std::vector<std::pair<Register, std::uint8_t>> writes;

private:
    VirtualPlotter& plotter_;
    int stallEvery_, stallReads_;
    long reads_ = 0;
};

struct MeasureCase {
    const char* name;
    double clockHz;
    bool clockRunning;
    int stallEvery, stallReads;
    std::optional<double> measuredHz; // empty: no clock seen
    double halfPeriodMicros;
    double fastestHz;
    bool edgesMissed;
    std::string levels; // of the findings on the reads, the clock, the gaps and the verdict
};

void PrintTo(const MeasureCase& c, std::ostream* os)
{
    *os << c.name;
}

class Measurement : public ::testing::TestWithParam<MeasureCase> {};

TEST_P(Measurement, TellsTheClockAndWhatThisPcFollows)
{
    const MeasureCase& c = GetParam();
    VirtualPlotterConfig config;
    config.clockHz = c.clockHz;
    config.clockRunning = c.clockRunning;
    config.virtualReadMicros = kReadMicros;
    VirtualPlotter plotter(config);
    StallingPort port(plotter, c.stallEvery, c.stallReads);
    const ClockMeasurement m = measureClock(
        port, [&plotter] { return plotter.nowMicros(); }, kSecond);

    // Nothing moved: every coil off, then the pen up, and no other write.
    using Write = std::pair<Register, std::uint8_t>;
    EXPECT_EQ(port.writes, (std::vector<Write>{{Register::Data, 0}, {Register::Control, 1}}));
    EXPECT_EQ(plotter.counters().stepsX + plotter.counters().stepsY, 0);
    EXPECT_FALSE(plotter.penDown());

    EXPECT_NEAR(m.spanMicros, kSecond, kReadMicros * (1 + c.stallReads));
    EXPECT_DOUBLE_EQ(m.readMedianMicros, kReadMicros);
    EXPECT_EQ(m.clockHz.has_value(), c.measuredHz.has_value());
    if (m.clockHz && c.measuredHz) {
        EXPECT_NEAR(*m.clockHz, *c.measuredHz, *c.measuredHz * kFrequencyTolerance);
        EXPECT_NEAR(m.halfPeriodMedianMicros, c.halfPeriodMicros, kReadMicros);
    }
    EXPECT_NEAR(m.fastestClockHz(), c.fastestHz, c.fastestHz * 0.01);
    EXPECT_EQ(m.missedEdges > 0, c.edgesMissed) << m.missedEdges;

    std::string levels;
    for (const Finding& f : measurementFindings(m))
        levels += std::string(levels.empty() ? "" : " ") + levelName(f.level);
    EXPECT_EQ(levels, c.levels) << reportText(measurementFindings(m));
}

// Stalls of 200 µs at every 500th read are 0.2 % of the gaps, so the 99.9th percentile
// gap is 205 µs: a PC that follows up to 1e6 / (2 * 205) = 2.44 kHz, so a clock of 2 kHz
// (phases of 250 µs) but not one of 20 kHz (25 µs), whose edges the stalls hide.
INSTANTIATE_TEST_SUITE_P(
    Table, Measurement,
    ::testing::Values(
        MeasureCase{"TwoKilohertz", 2000, true, 0, 0, 2000, 250, 100'000, false, "ok ok ok ok"},
        MeasureCase{"TwentyKilohertz", 20'000, true, 0, 0, 20'000, 25, 100'000, false, "ok ok ok ok"},
        MeasureCase{"TwoKilohertzStalling", 2000, true, 500, 40, 2000, 250, 2439, false, "ok ok ok ok"},
        MeasureCase{"TwentyKilohertzStalling", 20'000, true, 500, 40, 20'000, 25, 2439, true, "ok ok note problem"},
        MeasureCase{"ClockStopped", 2000, false, 0, 0, std::nullopt, 0, 100'000, false, "ok problem ok ok"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Measurement, AStopRequestEndsIt)
{
    VirtualPlotter plotter;
    const std::atomic<int> stop{2};
    const ClockMeasurement m = measureClock(
        plotter, [&plotter] { return plotter.nowMicros(); }, kSecond, &stop);
    EXPECT_TRUE(m.stopped);
    EXPECT_EQ(m.reads, 0u);
    EXPECT_EQ(plotter.dataLatch(), 0);
    EXPECT_EQ(plotter.controlLatch(), 1);
}

} // namespace
} // namespace orlex
