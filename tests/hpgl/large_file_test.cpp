// Large plot files are read through a fixed buffer: peak memory does not grow with them.
#include "hpgl_rig.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace orlex {
namespace {

using test::Rig;

constexpr long kMiB = 1024 * 1024;
constexpr long kAllowedGrowthKiB = 20 * 1024; // far below the file sizes used

// Peak resident memory of this process in KiB (VmHWM), or -1 where it cannot be read.
long peakResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

// Lets the peak start again from the current use, where the kernel allows it, so that
// earlier tests cannot hide growth.
void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Writes `head`, then `body` repeated until the file holds about `bytes` bytes, then `tail`.
std::string writeLarge(const Rig& rig, const std::string& head, const std::string& body, long bytes,
                       const std::string& tail)
{
    const std::string path = (rig.dir.path() / "large.plt").string();
    std::ofstream out(path, std::ios::binary);
    out << head;
    std::string chunk;
    while (static_cast<long>(chunk.size()) < kMiB)
        chunk += body;
    for (long written = 0; written < bytes; written += static_cast<long>(chunk.size()))
        out << chunk;
    out << tail;
    return path;
}

// Counts lines instead of keeping them.
struct CountingCanvas : Canvas {
    int widthUnits() const override { return 5655; }
    int heightUnits() const override { return 4695; }
    void line(long, long, long, long, std::int16_t) override { ++lines; }
    void clear() override {}
    long lines = 0;
};

TEST(LargeFile, LongLineWithoutSeparatorsKeepsMemoryFlat)
{
    Rig rig;
    const std::string path = writeLarge(rig, "PD", "1234567890", 50 * kMiB, "");
    resetPeak();
    const long before = peakResidentKiB();
    if (before < 0)
        GTEST_SKIP() << "no /proc/self/status";

    const RunResult result = rig.run(path, RunMode::Test);

    // The file ends inside the X value: the usual end-of-file response, no point.
    EXPECT_EQ(result.points, 0u);
    EXPECT_EQ(result.beeps, 2);
    EXPECT_TRUE(result.endOfFileCaption);
    EXPECT_LT(peakResidentKiB() - before, kAllowedGrowthKiB);
}

TEST(LargeFile, ManyPointsKeepMemoryFlat)
{
    Rig rig;
    CountingCanvas canvas;
    rig.preview.setCanvas(canvas);
    const std::string path = writeLarge(rig, "PU0,0;PD", "10,20,30,40,\n", 2 * kMiB, "5,5;");
    resetPeak();
    const long before = peakResidentKiB();
    if (before < 0)
        GTEST_SKIP() << "no /proc/self/status";

    const RunResult result = rig.run(path, RunMode::Test);

    EXPECT_EQ(result.beeps, 0);
    EXPECT_EQ(result.skippedPairs, 0u);
    EXPECT_GT(result.points, 2u * kMiB / 13);
    EXPECT_EQ(static_cast<std::uint64_t>(canvas.lines), result.points);
    EXPECT_EQ(result.maxX, 30);
    EXPECT_EQ(result.maxY, 40);
    EXPECT_LT(peakResidentKiB() - before, kAllowedGrowthKiB);
}

TEST(LargeFile, HugeNumberTextIsConsumedAndSkipped)
{
    Rig rig;
    const std::string path = writeLarge(rig, "PA", "9999999999", 10 * kMiB, ",1;PD7,8;");
    const RunResult result = rig.run(path, RunMode::Test);
    EXPECT_EQ(result.skippedPairs, 1u);
    EXPECT_EQ(result.firstSkipped->offset, 2u);
    EXPECT_EQ(result.points, 1u);
    EXPECT_EQ(result.maxX, 7);
}

} // namespace
} // namespace orlex
