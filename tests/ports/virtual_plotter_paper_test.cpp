// The virtual plotter's pen and paper: segments in millimetres, merging, SVG output.
#include "drive/ports/virtual_plotter.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace orlex {
namespace {

class VirtualPaper : public ::testing::Test {
protected:
    VirtualPaper() : plotter(config()) { plotter.write(Register::Data, 1 + 16); } // rotors pulled in at 10, 10 mm

    static VirtualPlotterConfig config()
    {
        VirtualPlotterConfig c;
        c.startXmm = 10;
        c.startYmm = 10;
        c.stepLengthXmm = 0.25;
        c.stepLengthYmm = 0.5;
        return c;
    }

    // Steps along the half-step cycle; X forwards is right, Y backwards is up.
    void step(int dx, int dy)
    {
        static const std::uint8_t cycle[] = {1, 3, 2, 6, 4, 12, 8, 9};
        phaseX = (phaseX + dx + 8) % 8;
        phaseY = (phaseY - dy + 8) % 8;
        plotter.write(Register::Data, static_cast<std::uint8_t>(cycle[phaseX] | cycle[phaseY] << 4));
    }
    void pen(bool down) { plotter.write(Register::Control, down ? 0 : 1); }

    static void expectSegment(const PaperSegment& s, double x1, double y1, double x2, double y2)
    {
        EXPECT_DOUBLE_EQ(s.x1, x1);
        EXPECT_DOUBLE_EQ(s.y1, y1);
        EXPECT_DOUBLE_EQ(s.x2, x2);
        EXPECT_DOUBLE_EQ(s.y2, y2);
    }

    VirtualPlotter plotter;
    int phaseX = 0, phaseY = 0;
};

TEST_F(VirtualPaper, PenUpMotionLeavesNoTrace)
{
    EXPECT_FALSE(plotter.penDown());
    for (int i = 0; i < 10; ++i)
        step(1, 1);
    EXPECT_TRUE(plotter.paper().empty());
    EXPECT_EQ(plotter.counters().penMoves, 0);
}

TEST_F(VirtualPaper, PenDownStraightRunsBecomeOneSegmentEach)
{
    pen(true);
    EXPECT_TRUE(plotter.penDown());
    for (int i = 0; i < 8; ++i)
        step(1, 0); // 2 mm right
    for (int i = 0; i < 4; ++i)
        step(0, 1); // 2 mm up
    for (int i = 0; i < 2; ++i)
        step(-1, -1); // diagonal down-left
    ASSERT_EQ(plotter.paper().size(), 3u);
    expectSegment(plotter.paper()[0], 10, 10, 12, 10);
    expectSegment(plotter.paper()[1], 12, 10, 12, 12);
    expectSegment(plotter.paper()[2], 12, 12, 11.5, 11);
    EXPECT_EQ(plotter.counters().penMoves, 1);
}

TEST_F(VirtualPaper, WaveStepsMergeWithHalfStepsInTheSameDirection)
{
    pen(true);
    plotter.write(Register::Data, 3 + 16); // half step right
    plotter.write(Register::Data, 6 + 16); // 90 degrees right
    plotter.write(Register::Data, 12 + 16);
    ASSERT_EQ(plotter.paper().size(), 1u);
    expectSegment(plotter.paper()[0], 10, 10, 11.25, 10);
}

TEST_F(VirtualPaper, ReversingOrLiftingStartsANewSegment)
{
    pen(true);
    step(1, 0);
    step(1, 0);
    step(-1, 0); // back over the line: a new segment
    pen(false);
    step(0, 1); // not drawn
    pen(true);
    step(0, 1);
    ASSERT_EQ(plotter.paper().size(), 3u);
    expectSegment(plotter.paper()[0], 10, 10, 10.5, 10);
    expectSegment(plotter.paper()[1], 10.5, 10, 10.25, 10);
    expectSegment(plotter.paper()[2], 10.25, 10.5, 10.25, 11);
    EXPECT_EQ(plotter.counters().penMoves, 3);
}

TEST_F(VirtualPaper, RevisionGrowsWithEveryChange)
{
    std::uint64_t revision = plotter.paperRevision();
    auto grew = [&] {
        const bool result = plotter.paperRevision() > revision;
        revision = plotter.paperRevision();
        return result;
    };
    step(1, 0);
    EXPECT_TRUE(grew()) << "pen-up move";
    pen(true);
    EXPECT_TRUE(grew()) << "pen down";
    step(1, 0);
    EXPECT_TRUE(grew()) << "drawn move";
    pen(true);
    EXPECT_FALSE(grew()) << "same pen level again";
    plotter.write(Register::Data, plotter.dataLatch());
    EXPECT_FALSE(grew()) << "same coil byte again";
    plotter.clearPaper();
    EXPECT_TRUE(grew()) << "paper cleared";
    EXPECT_TRUE(plotter.paper().empty());
}

TEST_F(VirtualPaper, ClearedPaperDoesNotExtendAnOldSegment)
{
    pen(true);
    step(1, 0);
    plotter.clearPaper();
    step(1, 0);
    ASSERT_EQ(plotter.paper().size(), 1u);
    expectSegment(plotter.paper()[0], 10.25, 10, 10.5, 10);
}

TEST_F(VirtualPaper, SvgHasOneLinePerSegmentFlippedToYUp)
{
    pen(true);
    for (int i = 0; i < 4; ++i)
        step(1, 0);
    step(0, 1);
    const std::string svg = paperSvg(plotter.paper(), 100, 50);
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("<svg xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos);
    EXPECT_NE(svg.find("width=\"100mm\" height=\"50mm\" viewBox=\"0 0 100 50\""), std::string::npos);
    EXPECT_NE(svg.find("stroke=\"black\""), std::string::npos);
    EXPECT_NE(svg.find("stroke-width=\"0.3\""), std::string::npos);
    EXPECT_NE(svg.find("<line x1=\"10\" y1=\"40\" x2=\"11\" y2=\"40\"/>"), std::string::npos) << svg;
    EXPECT_NE(svg.find("<line x1=\"11\" y1=\"40\" x2=\"11\" y2=\"39.5\"/>"), std::string::npos) << svg;
    std::size_t lines = 0;
    for (std::size_t at = svg.find("<line"); at != std::string::npos; at = svg.find("<line", at + 1))
        ++lines;
    EXPECT_EQ(lines, plotter.paper().size());
    EXPECT_NE(svg.find("</svg>"), std::string::npos);
}

TEST_F(VirtualPaper, WriteSvgWritesTheDocumentOrReportsWhy)
{
    pen(true);
    step(1, 1);
    test::TempDir dir;
    const auto file = dir.path() / "paper.svg";
    const Result<void> written = plotter.writeSvg(file, 210, 297);
    ASSERT_TRUE(written) << written.message();
    EXPECT_EQ(test::readFile(file), paperSvg(plotter.paper(), 210, 297));

    const auto nowhere = dir.path() / "missing" / "paper.svg";
    const Result<void> missingFolder = plotter.writeSvg(nowhere, 210, 297);
    EXPECT_FALSE(missingFolder);
    EXPECT_NE(missingFolder.message().find(nowhere.string()), std::string::npos) << missingFolder.message();

    const Result<void> noSize = plotter.writeSvg(file, 0, 297);
    EXPECT_FALSE(noSize);
    EXPECT_FALSE(noSize.message().empty());
}

} // namespace
} // namespace orlex
