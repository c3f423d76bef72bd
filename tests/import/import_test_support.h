// Shared pieces of the SVG import tests: test files, and a drawing's extents and length.
#pragma once

#include "import/svg_import.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace orlex::test {

inline std::filesystem::path svgFile(const std::string& name)
{
    return std::filesystem::path(ORLEX_SVG_DATA) / name;
}

// "transforms" for "transforms.svg": test names from file names.
inline std::string stem(const char* file)
{
    return std::filesystem::path(file).stem().string();
}

inline std::string readText(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

inline Result<SvgDrawing> importText(const std::string& text, const SvgImportOptions& options = {})
{
    return importSvgData(QByteArray::fromStdString(text), options);
}

// Pen-down extents and length in millimetres.
struct Measure {
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY, length = 0;
};

inline Measure measure(const SvgDrawing& drawing)
{
    Measure m;
    for (const PlotStroke& s : drawing.strokes)
        for (std::size_t i = 0; i < s.points.size(); ++i) {
            const double x = s.points[i].first / kPlotterUnitsPerMm, y = s.points[i].second / kPlotterUnitsPerMm;
            m.minX = std::min(m.minX, x), m.maxX = std::max(m.maxX, x);
            m.minY = std::min(m.minY, y), m.maxY = std::max(m.maxY, y);
            if (i > 0)
                m.length +=
                    std::hypot(s.points[i].first - s.points[i - 1].first, s.points[i].second - s.points[i - 1].second)
                    / kPlotterUnitsPerMm;
        }
    return m;
}

// Extents within 0.1 mm, length within 0.5 %.
inline void expectMeasure(const Measure& got, const Measure& want)
{
    EXPECT_NEAR(got.minX, want.minX, 0.1);
    EXPECT_NEAR(got.minY, want.minY, 0.1);
    EXPECT_NEAR(got.maxX, want.maxX, 0.1);
    EXPECT_NEAR(got.maxY, want.maxY, 0.1);
    EXPECT_NEAR(got.length, want.length, want.length * 0.005);
}

} // namespace orlex::test
