// Draw runs on the virtual plotter: what reaches the paper, refused moves, stop requests, progress.
#include "hpgl_rig.h"

#include <gtest/gtest.h>

#include <vector>

namespace orlex {
namespace {

using test::Rig;

constexpr double kStepMm = 25 / 200.0; // one half step at Lstep 25
constexpr double kStartMm = 30;        // where the virtual carriage starts

void expectSegment(const PaperSegment& s, double x1, double y1, double x2, double y2)
{
    EXPECT_NEAR(s.x1, kStartMm + x1, kStepMm);
    EXPECT_NEAR(s.y1, kStartMm + y1, kStepMm);
    EXPECT_NEAR(s.x2, kStartMm + x2, kStepMm);
    EXPECT_NEAR(s.y2, kStartMm + y2, kStepMm);
}

// Counts the points carried out, may stop after some, and records the reading's progress.
struct Recorder : PlotSink {
    bool point(double, double, Pen) override { return !(++points == stopAfter); }
    void readProgress(std::uint64_t bytesRead, std::uint64_t fileSize) override
    {
        progress.emplace_back(bytesRead, fileSize);
    }
    std::size_t points = 0, stopAfter = 0;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> progress;
};

TEST(DrawMode, PenDownSegmentsReachThePaper)
{
    Rig rig;
    const RunResult result = rig.draw("PU;PA400,400;PD800,400,800,800;PU;");
    EXPECT_TRUE(result.refusal.ok());
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(result.points, 3u);
    EXPECT_EQ(result.beeps, 0);

    const auto& paper = rig.plotter.paper();
    ASSERT_EQ(paper.size(), 2u);
    expectSegment(paper[0], 10, 10, 20, 10); // 400 units = 10 mm
    expectSegment(paper[1], 20, 10, 20, 20);
    // The last PU has no pair: the pen stays down where the last point left it.
    EXPECT_TRUE(rig.plotter.penDown());
    EXPECT_EQ(rig.drive.state.positionX, 160);
    EXPECT_EQ(rig.drive.state.positionY, 160);
    EXPECT_EQ(rig.canvas.lines.size(), 3u); // previewed too
    EXPECT_EQ(rig.plotter.counters().lostStepsX + rig.plotter.counters().lostStepsY, 0);
}

TEST(DrawMode, ZoomScalesThePaper)
{
    Rig rig;
    rig.preview.zoom = 200;
    rig.draw("PD400,0;");
    ASSERT_EQ(rig.plotter.paper().size(), 1u);
    expectSegment(rig.plotter.paper()[0], 0, 0, 20, 0);
}

TEST(DrawMode, SkippedPairMovesNothing)
{
    Rig rig;
    const RunResult result = rig.draw("PD1-2,5;");
    EXPECT_EQ(result.skippedPairs, 1u);
    EXPECT_EQ(rig.plotter.counters().penMoves, 0);
    EXPECT_EQ(rig.plotter.counters().stepsX, 0);
    EXPECT_TRUE(rig.canvas.lines.empty());
}

TEST(DrawMode, ZeroStepLengthRefusesTheFirstPointAndEndsTheRun)
{
    Rig rig;
    rig.settings.stepLengthX = 0;
    const RunResult result = rig.draw("PA400,300;PD800,400;");
    EXPECT_EQ(result.refusal.refusal, MoveRefusal::ZeroStepLength);
    EXPECT_FALSE(result.refusal.reason.empty());
    EXPECT_EQ(result.refusedX, 400);
    EXPECT_EQ(result.refusedY, 300);
    EXPECT_EQ(result.points, 1u); // read, and refused
    EXPECT_EQ(rig.plotter.counters().stepsX + rig.plotter.counters().stepsY, 0);
    EXPECT_EQ(rig.canvas.lines.size(), 1u); // previewed, then refused; nothing after it
}

TEST(DrawMode, OutOfRangePointEndsTheRunThere)
{
    Rig rig;
    const RunResult result = rig.draw("PA1000,0;PD200000,0;PD0,0;");
    EXPECT_EQ(result.refusal.refusal, MoveRefusal::OutOfRange);
    EXPECT_EQ(result.refusedX, 200000);
    EXPECT_EQ(result.points, 2u); // the second was read, and refused
    EXPECT_NEAR(rig.plotter.xMillimetres(), kStartMm + 25, kStepMm);
    EXPECT_TRUE(rig.plotter.paper().empty());
}

TEST(DrawMode, ObserverStopEndsTheRunAfterThePoint)
{
    Rig rig;
    Recorder recorder;
    recorder.stopAfter = 2;
    const RunResult result = rig.draw("PD40,0,80,0,120,0,160,0;", &recorder);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.points, 2u);
    EXPECT_EQ(recorder.points, 2u);
    EXPECT_EQ(rig.drive.state.positionX, 16); // 80 units = 2 mm = 16 half steps
}

// Passes everything to the plotter and asks the drive to stop at the first coil byte.
struct StopAtFirstStep : Port {
    StopAtFirstStep(Port& plotter, Drive& stopped) : inner(plotter), drive(stopped) {}
    void write(Register reg, std::uint8_t value) override
    {
        inner.write(reg, value);
        if (reg == Register::Data)
            drive.requestStop();
    }
    std::uint8_t read(Register reg) override { return inner.read(reg); }
    Port& inner;
    Drive& drive;
};

TEST(DrawMode, DriveStopEndsTheRunInsideAMove)
{
    Rig rig;
    StopAtFirstStep port(rig.plotter, rig.drive);
    rig.drive.setPort(port);
    const RunResult result = rig.draw("PD400,0;PD800,0;");
    EXPECT_TRUE(result.stopped);
    EXPECT_TRUE(result.refusal.refusal == MoveRefusal::None);
    EXPECT_EQ(result.points, 1u);            // read, and stopped in its line
    EXPECT_EQ(rig.drive.state.positionX, 1); // one step, then the stop
}

TEST(DrawMode, StopRequestedBeforeTheRunTouchesNothing)
{
    Rig rig;
    rig.drive.requestStop();
    const RunResult result = rig.draw("PD0,0;PD400,0;");
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.points, 1u); // read, and not carried out
    EXPECT_FALSE(rig.plotter.penDown());
    EXPECT_EQ(rig.plotter.counters().penMoves, 0);
}

// Progress comes block by block, as the bytes read against the file's size, up to all of it.
TEST(DrawMode, ProgressReportsBytesReadOfTheFileSize)
{
    Rig rig;
    Recorder recorder;
    std::string file;
    while (file.size() < 200'000)
        file += "PU100,100;";
    rig.run(rig.dir.write("plot.plt", file), RunMode::Test, &recorder);
    ASSERT_GE(recorder.progress.size(), 3u);
    for (std::size_t i = 1; i < recorder.progress.size(); ++i) {
        EXPECT_EQ(recorder.progress[i].second, file.size());
        EXPECT_GE(recorder.progress[i].first, recorder.progress[i - 1].first);
    }
    EXPECT_EQ(recorder.progress.back().first, file.size());
}

} // namespace
} // namespace orlex
