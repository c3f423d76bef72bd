// Fuzz target: the draw on the virtual plotter (virtual time), with a bounded number of
// port writes per input, against the check's count of what it sends.
#include "fuzz_support.h"

#include "drive/drive.h"
#include "drive/ports/virtual_plotter.h"
#include "run/plot_draw.h"
#include "run/plot_test.h"

using namespace orlex;

namespace {

constexpr long kMaxWrites = 20000;

// Passes everything to the plotter and asks the drive to stop once the input has had
// its share of port writes.
class BoundedPort : public Port {
public:
    explicit BoundedPort(Port& inner) : inner_(inner) {}
    Drive* drive = nullptr;
    long dataWrites = 0;
    long controlWrites = 0;

    void write(Register reg, std::uint8_t value) override
    {
        if (reg == Register::Data)
            ++dataWrites;
        else if (reg == Register::Control)
            ++controlWrites;
        if (drive && dataWrites + controlWrites > kMaxWrites)
            drive->requestStop();
        inner_.write(reg, value);
    }
    std::uint8_t read(Register reg) override { return inner_.read(reg); }
    bool exhausted() const { return dataWrites + controlWrites > kMaxWrites; }

private:
    Port& inner_;
};

class BoundedObserver : public DrawObserver {
public:
    explicit BoundedObserver(const BoundedPort& port) : port_(port) {}
    bool point(double, double, Pen) override { return !port_.exhausted(); }

private:
    const BoundedPort& port_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static fuzz::MemoryFile file;
    file.write(data, size);

    const MachineSettings settings = fuzz::defaultSettings();
    const bool half = fuzz::halfStepFor(size);
    const std::int16_t zoom = fuzz::zoomFor(size);

    // The check first: its counts must match what the draw sends to the port.
    const PlotTest test = testPlot(file.path(), settings, {zoom, half, PlotReading::Classic, true});
    ORLEX_FUZZ_CHECK(!test.run.openError);

    VirtualPlotterConfig config;
    config.clockHz = 250000; // 4 us period: high on one read, low on the next
    config.virtualReadMicros = 2;
    // Far from the switches and the ends of travel, farther than the bounded writes can
    // carry it: neither matters here.
    config.startXmm = 100000;
    config.startYmm = 100000;
    config.travelXmm = 200000;
    config.travelYmm = 200000;
    VirtualPlotter plotter(config);
    BoundedPort port(plotter);
    Drive drive(port, settings, DriveHooks{[half] { return half; }});
    port.drive = &drive;
    BoundedObserver observer(port);

    // Where the carriage stands is the plot's origin: no "Pen to 0", whatever the extents.
    const DrawReport draw = drawPlot({test.plot, {}, zoom, half, {}, test.run}, drive, nullptr, &observer);

    ORLEX_FUZZ_CHECK(!draw.run.openError);
    // The drive never sends a pattern that makes a motor lose a step.
    ORLEX_FUZZ_CHECK(plotter.counters().lostStepsX == 0 && plotter.counters().lostStepsY == 0);
    if (draw.outcome == DrawReport::Outcome::Finished) {
        ORLEX_FUZZ_CHECK(draw.run.points == test.run.points);
        if (test.steps.valid) {
            ORLEX_FUZZ_CHECK(static_cast<std::uint64_t>(port.dataWrites) == test.steps.stepOutputs);
            // The pen commands of the points, and the lift at the end.
            ORLEX_FUZZ_CHECK(static_cast<std::uint64_t>(port.controlWrites) == test.steps.penCommands + 1);
        }
    }
    if (draw.outcome == DrawReport::Outcome::PointRefused)
        ORLEX_FUZZ_CHECK(!draw.refusal.reason.empty());
    return 0;
}
