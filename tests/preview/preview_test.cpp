// Preview mapping: plot points onto the canvas at various zooms, pen-up moves, half-axes, clear.
#include "preview/preview.h"
#include "preview/recording_canvas.h"

#include <gtest/gtest.h>

#include <limits>

namespace orlex {
namespace {

using test::RecordedLine;
using test::RecordingCanvas;

class PreviewTest : public ::testing::Test {
protected:
    PreviewTest()
    {
        settings.originXmm = 5;
        settings.originYmm = 5;
    }
    long H() const { return canvas.heightUnits(); }

    MachineSettings settings;
    RecordingCanvas canvas;
    Preview preview{canvas, settings};
};

TEST_F(PreviewTest, PointAtZoom100)
{
    preview.drawLine(1000, 2000, kBlack);
    ASSERT_EQ(canvas.lines.size(), 1u);
    EXPECT_EQ(canvas.lines[0], (RecordedLine{100, H() - 100, 1100, H() - 2100, kBlack}));
    EXPECT_EQ(preview.lastX, 1000);
    EXPECT_EQ(preview.lastY, 2000);
}

TEST_F(PreviewTest, ZoomScalesStartAndEndAlike)
{
    preview.zoom = 50;
    preview.lastX = 1000;
    preview.lastY = 2000;
    preview.drawLine(1000, 2000, kBlack);
    ASSERT_EQ(canvas.lines.size(), 1u);
    EXPECT_EQ(canvas.lines[0], (RecordedLine{600, H() - 1100, 600, H() - 1100, kBlack}));

    preview.drawLine(3000, 0, kBlack);
    EXPECT_EQ(canvas.lines[1], (RecordedLine{600, H() - 1100, 1600, H() - 100, kBlack}));
}

TEST_F(PreviewTest, StartFromRoundedLastPointEndFromExactPoint)
{
    preview.zoom = 400;
    // 10.5 units at 400 % is exactly 42 canvas units, but the pen is kept as 10 (half to even).
    preview.drawLine(10.5, 0, kBlack);
    EXPECT_EQ(canvas.lines[0].x2, 100 + 42);
    EXPECT_EQ(preview.lastX, 10);
    preview.drawLine(11.5, 0, kBlack);
    EXPECT_EQ(canvas.lines[1].x1, 100 + 40);
    EXPECT_EQ(canvas.lines[1].x2, 100 + 46);
    EXPECT_EQ(preview.lastX, 12);
}

TEST_F(PreviewTest, CanvasCoordinatesRoundHalfToEven)
{
    settings.originXmm = 0;
    settings.originYmm = 0;
    preview.drawLine(2.5, 0, kBlack); // x2 = 2.5 -> 2
    preview.drawLine(3.5, 0, kBlack); // x1 from lastX 2, x2 = 3.5 -> 4
    EXPECT_EQ(canvas.lines[0].x2, 2);
    EXPECT_EQ(canvas.lines[1].x1, 2);
    EXPECT_EQ(canvas.lines[1].x2, 4);
}

TEST_F(PreviewTest, HiddenPenUpMovesWithoutDrawing)
{
    preview.drawLine(1000, 2000, kHidden);
    EXPECT_TRUE(canvas.lines.empty());
    EXPECT_EQ(preview.lastX, 1000);
    EXPECT_EQ(preview.lastY, 2000);
    preview.drawLine(2000, 2000, kBlack);
    ASSERT_EQ(canvas.lines.size(), 1u);
    EXPECT_EQ(canvas.lines[0], (RecordedLine{1100, H() - 2100, 2100, H() - 2100, kBlack}));
}

TEST_F(PreviewTest, ShownPenUpDrawsWhite)
{
    preview.penUpColour = kWhite;
    preview.drawLine(1000, 0, preview.penUpColour);
    ASSERT_EQ(canvas.lines.size(), 1u);
    EXPECT_EQ(canvas.lines[0].colour, kWhite);
}

TEST_F(PreviewTest, ClearKeepsPenZoomAndColour)
{
    preview.zoom = 200;
    preview.drawLine(1000, 2000, kBlack);
    preview.clear();
    EXPECT_EQ(canvas.clears, 1);
    EXPECT_TRUE(canvas.lines.empty());
    EXPECT_EQ(preview.lastX, 1000);
    EXPECT_EQ(preview.lastY, 2000);
    EXPECT_EQ(preview.zoom, 200);
    // The next segment starts where the last one ended.
    preview.drawLine(0, 0, kBlack);
    EXPECT_EQ(canvas.lines[0], (RecordedLine{2100, H() - 4100, 100, H() - 100, kBlack}));
}

TEST_F(PreviewTest, HalfAxesFromTheOrigin)
{
    settings.originXmm = 10;
    settings.originYmm = 20;
    preview.drawYHalfAxis();
    preview.drawXHalfAxis();
    ASSERT_EQ(canvas.lines.size(), 2u);
    EXPECT_EQ(canvas.lines[0], (RecordedLine{200, H() - 400, 200, 0, kLightRed}));
    EXPECT_EQ(canvas.lines[1], (RecordedLine{200, H() - 400, canvas.widthUnits(), H() - 400, kLightRed}));
}

TEST_F(PreviewTest, OriginSettingIsReadAtEachUse)
{
    preview.drawLine(0, 0, kBlack);
    settings.originXmm = 7;
    preview.drawLine(0, 0, kBlack);
    EXPECT_EQ(canvas.lines[1].x1, 140);
}

TEST_F(PreviewTest, HugeCoordinatesStickAtTheEndsOfThe32BitRange)
{
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    preview.zoom = 400;
    preview.drawLine(1e15, -1e15, kBlack);
    EXPECT_EQ(preview.lastX, kMax);
    EXPECT_EQ(preview.lastY, kMin);
    EXPECT_EQ(canvas.lines[0].x2, kMax);
    EXPECT_EQ(canvas.lines[0].y2, kMax); // H minus a huge negative value
    // 400 * lastX does not wrap in 32 bits: the start stays far right, not negative.
    preview.drawLine(0, 0, kBlack);
    EXPECT_EQ(canvas.lines[1].x1, kMax);
    EXPECT_EQ(canvas.lines[1].y1, kMax);
    preview.drawLine(std::numeric_limits<double>::quiet_NaN(), 0, kHidden);
    EXPECT_EQ(preview.lastX, 0);
}

// The preview pen rounds halves to even and holds at the ends of the 32-bit range, also
// just inside and just outside them.
TEST_F(PreviewTest, PenRoundsHalvesToEvenAndHoldsAtTheEnds)
{
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    const double infinity = std::numeric_limits<double>::infinity();
    const struct {
        double x;
        std::int32_t pen;
    } cases[] = {{0.5, 0},
                 {1.5, 2},
                 {2.5, 2},
                 {-0.5, 0},
                 {-2.5, -2},
                 {0.49999999999999994, 0},
                 {2147483646.5, 2147483646},
                 {2147483647.4, kMax},
                 {-2147483647.5, kMin},
                 {-2147483648.5, kMin},
                 {infinity, kMax},
                 {-infinity, kMin}};
    for (const auto& c : cases) {
        preview.drawLine(c.x, 0, kHidden);
        EXPECT_EQ(preview.lastX, c.pen) << c.x;
    }
}

} // namespace
} // namespace orlex
