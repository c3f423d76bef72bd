// Cross-check against an independent renderer: librsvg's rsvg-convert rasterises the same
// files at 0.1 mm per pixel, and its ink's extents must match the import's (strokes in
// these files are 0.2 mm wide).
#include "import_test_support.h"

#include <QImage>

#include <cstdlib>

namespace orlex::test {
namespace {

class RsvgCrossCheck : public testing::TestWithParam<const char*> {};

TEST_P(RsvgCrossCheck, InkExtentsAgree)
{
    if (std::system("command -v rsvg-convert >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "rsvg-convert is not installed (Debian package librsvg2-bin)";
    const auto png = std::filesystem::temp_directory_path() / ("orlex_rsvg_" + std::to_string(::getpid()) + ".png");
    const std::string command =
        "rsvg-convert --dpi-x 254 --dpi-y 254 -f png -o '" + png.string() + "' '" + svgFile(GetParam()).string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const QImage image(QString::fromStdString(png.string()));
    std::filesystem::remove(png);
    ASSERT_FALSE(image.isNull());

    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 64)
                left = std::min(left, x), right = std::max(right, x), top = std::min(top, y),
                bottom = std::max(bottom, y);
    ASSERT_GE(right, 0) << "no ink";

    const auto drawing = importSvg(svgFile(GetParam()));
    ASSERT_TRUE(drawing.ok()) << drawing.message();
    const Measure m = measure(*drawing);
    const double pageH = image.height() / 10.0;
    // Half the stroke width (more at mitred corners) and a pixel either way.
    const double slack = 0.1 * std::sqrt(2.0) + 0.2;
    EXPECT_NEAR(left / 10.0, m.minX, slack);
    EXPECT_NEAR((right + 1) / 10.0, m.maxX, slack);
    EXPECT_NEAR(pageH - (bottom + 1) / 10.0, m.minY, slack);
    EXPECT_NEAR(pageH - top / 10.0, m.maxY, slack);
}

INSTANTIATE_TEST_SUITE_P(Files, RsvgCrossCheck,
                         testing::Values("transforms.svg", "path_commands.svg", "shapes.svg", "use.svg"),
                         [](const auto& p) { return stem(p.param); });

} // namespace
} // namespace orlex::test
