// Fuzz target: the HPGL interpreter in draw mode on the virtual plotter (virtual time),
// with a bounded number of port writes per input.
#include "fuzz_support.h"

#include "drive/drive.h"
#include "drive/ports/null_port.h"
#include "drive/ports/virtual_plotter.h"
#include "hpgl/interpreter.h"
#include "preview/preview.h"

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

class BoundedObserver : public RunObserver {
public:
    explicit BoundedObserver(const BoundedPort& port) : port_(port) {}
    void onPoint(std::uint64_t, std::uint64_t, std::uint64_t) override {}
    bool stopRequested() override { return port_.exhausted(); }

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

    // Test run first: its counts must match what the draw sends to the port.
    NullCanvas canvas;
    Preview testPreview(canvas, settings);
    testPreview.zoom = zoom;
    NullPort nullPort;
    Drive testDrive(nullPort, settings, DriveHooks{{}, [half] { return half; }});
    const RunResult test = runPlot(file.path(), RunMode::Test, testPreview, testDrive);
    ORLEX_FUZZ_CHECK(test.opened);

    VirtualPlotterConfig config;
    config.clockHz = 250000; // 4 us period: high on one read, low on the next
    config.virtualReadMicros = 2;
    config.startXmm = 500; // far from the switches: they do not matter here
    config.startYmm = 500;
    VirtualPlotter plotter(config);
    BoundedPort port(plotter);
    Preview preview(canvas, settings);
    preview.zoom = zoom;
    Drive drive(port, settings, DriveHooks{{}, [half] { return half; }});
    port.drive = &drive;
    BoundedObserver observer(port);

    const RunResult draw = runPlot(file.path(), RunMode::Draw, preview, drive, &observer);

    ORLEX_FUZZ_CHECK(draw.opened);
    // The drive never sends a pattern that makes a motor lose a step.
    ORLEX_FUZZ_CHECK(plotter.counters().lostStepsX == 0 && plotter.counters().lostStepsY == 0);
    if (!draw.stopped && draw.refusal.ok()) {
        ORLEX_FUZZ_CHECK(draw.points == test.points);
        if (test.estimateValid) {
            ORLEX_FUZZ_CHECK(static_cast<std::uint64_t>(port.dataWrites) == test.stepOutputs);
            ORLEX_FUZZ_CHECK(static_cast<std::uint64_t>(port.controlWrites) == test.penCommands);
        }
    }
    if (!draw.refusal.ok())
        ORLEX_FUZZ_CHECK(!draw.refusal.reason.empty());
    return 0;
}
