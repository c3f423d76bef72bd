// Shared pieces of the full HP-GL reading's tests: a sink that records every point and
// pen, a fixture that reads a file written into a temporary folder, and point lists
// compared to within a small tolerance (curves and labels are not whole numbers).
#pragma once

#include "hpgl/full/full_reader.h"
#include "hpgl_rig.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

namespace orlex::test {

struct SinkPoint {
    double x, y;
    bool down;
};

inline std::ostream& operator<<(std::ostream& os, const SinkPoint& p)
{
    return os << "(" << p.x << "," << p.y << (p.down ? ",PD)" : ",PU)");
}

class RecordingSink : public PlotSink {
public:
    bool point(double x, double y, Pen pen) override
    {
        points.push_back({x, y, pen == Pen::Down});
        return points.size() < stopAfter;
    }
    void selectPen(char pen) override { pens += pen; }

    std::vector<SinkPoint> points;
    std::string pens;
    std::size_t stopAfter = SIZE_MAX;
};

// Whether the points are the expected ones, each coordinate to within `tolerance`
// plotter units, and the pens the same.
inline ::testing::AssertionResult samePoints(const std::vector<SinkPoint>& actual,
                                             const std::vector<SinkPoint>& expected, double tolerance = 0.01)
{
    bool same = actual.size() == expected.size();
    for (std::size_t i = 0; same && i < actual.size(); ++i)
        same = std::fabs(actual[i].x - expected[i].x) <= tolerance
               && std::fabs(actual[i].y - expected[i].y) <= tolerance && actual[i].down == expected[i].down;
    if (same)
        return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure() << "got";
    for (const SinkPoint& p : actual)
        failure << " " << p;
    failure << "\n     expected";
    for (const SinkPoint& p : expected)
        failure << " " << p;
    return failure;
}

// A test name from a table row's `name`.
template <class Row>
std::string rowName(const ::testing::TestParamInfo<Row>& info)
{
    std::string name = info.param.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

class FullReading : public ::testing::Test {
protected:
    FullReadResult read(const std::string& content)
    {
        sink = RecordingSink{};
        return readFullHpgl(dir.write("plot.plt", content), sink, options);
    }

    TempDir dir;
    RecordingSink sink;
    FullHpglOptions options;
};

} // namespace orlex::test
