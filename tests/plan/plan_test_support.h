// Generated plots and the checks that a reordered plot draws exactly what the input drew.
#pragma once

#include "plan/plot_events.h"
#include "plan/plot_statistics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace orlex::test {

enum class Shape { RandomStrokes, SharedEnds, PenGroups, ZeroLength, Decimals, Loops };

inline const char* shapeName(Shape s)
{
    constexpr const char* names[] = {"RandomStrokes", "SharedEnds", "PenGroups", "ZeroLength", "Decimals", "Loops"};
    return names[static_cast<int>(s)];
}

// A plot of a few dozen strokes, different for every seed. SharedEnds and ZeroLength use
// a coarse grid so that ends meet and points repeat; Decimals walks in steps of 0.1 and
// 0.2 as relative coordinates do (0.1 + 0.2 = 0.30000000000000004).
inline PlotEvents generatePlot(Shape shape, unsigned seed)
{
    std::mt19937 rng(seed);
    const auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const auto coordinate = [&]() -> double {
        switch (shape) {
        case Shape::SharedEnds:
        case Shape::ZeroLength: return pick(0, 4) * 100;
        default: return pick(-3000, 3000);
        }
    };
    PlotEvents events;
    double x = 0, y = 0;
    for (int strokes = pick(1, 40); strokes > 0; --strokes) {
        if (shape == Shape::PenGroups && pick(0, 3) == 0)
            events.emplace_back(SelectPen{static_cast<char>(pick(0, 2) == 0 ? ';' : '0' + pick(1, 8))});
        for (int ups = pick(0, 2); ups > 0; --ups)
            events.emplace_back(PlotPoint{x = coordinate(), y = coordinate(), false});
        const double startX = x, startY = y;
        for (int n = pick(1, 6); n > 0; --n) {
            if (shape == Shape::Decimals) {
                x += pick(1, 3) == 1 ? 0.1 : -0.2;
                y += pick(1, 3) == 1 ? 0.2 : 0.1;
            } else if (!(shape == Shape::ZeroLength && pick(0, 2) == 0)) {
                x = coordinate();
                y = coordinate();
            }
            events.emplace_back(PlotPoint{x, y, true});
        }
        if (shape == Shape::Loops && pick(0, 1) == 0)
            events.emplace_back(PlotPoint{x = startX, y = startY, true});
    }
    // Pen-up moves after the last stroke, as a file that parks the pen ends.
    for (int ups = pick(0, 2); ups > 0; --ups)
        events.emplace_back(PlotPoint{x = coordinate(), y = coordinate(), false});
    return events;
}

using Segment = std::tuple<double, double, double, double>;

// Pen-down segments of each SP group as sorted undirected segments, and the groups' pens.
struct Drawing {
    std::vector<std::vector<Segment>> groups{{}};
    std::string pens;
    bool operator==(const Drawing&) const = default;
};

inline Drawing drawingOf(const PlotEvents& events)
{
    Drawing d;
    double x = 0, y = 0;
    for (const PlotEvent& e : events) {
        if (const SelectPen* sp = std::get_if<SelectPen>(&e)) {
            d.pens += sp->pen;
            d.groups.emplace_back();
            continue;
        }
        const PlotPoint& p = std::get<PlotPoint>(e);
        if (p.penDown)
            d.groups.back().push_back(std::min(Segment{x, y, p.x, p.y}, Segment{p.x, p.y, x, y}));
        x = p.x;
        y = p.y;
    }
    for (auto& g : d.groups)
        std::sort(g.begin(), g.end());
    return d;
}

// Where the pen is when the plot ends, and whether it came there with the pen up.
inline std::pair<Position, bool> endOf(const PlotEvents& events)
{
    for (auto e = events.rbegin(); e != events.rend(); ++e)
        if (const PlotPoint* p = std::get_if<PlotPoint>(&*e))
            return {Position{p->x, p->y}, !p->penDown};
    return {Position{}, true};
}

// Everything a reordering must keep: the segments of every group, the groups' order and
// pens, where a last pen-up move parks the pen, travel no longer (up to rounding of the
// sums), extents no wider.
inline void expectSameDrawing(const PlotEvents& in, const PlotEvents& out)
{
    EXPECT_EQ(drawingOf(in), drawingOf(out));
    if (const auto [parked, penUp] = endOf(in); penUp) {
        EXPECT_EQ(endOf(out).first, parked);
    }
    const PlotStatistics before = computeStatistics(in), after = computeStatistics(out);
    EXPECT_LE(after.penUpMillimetres, before.penUpMillimetres * (1 + 1e-12) + 1e-9);
    EXPECT_GE(after.units.minX, before.units.minX);
    EXPECT_GE(after.units.minY, before.units.minY);
    EXPECT_LE(after.units.maxX, before.units.maxX);
    EXPECT_LE(after.units.maxY, before.units.maxY);
}

// A point with the pen up, and one with the pen down.
inline PlotEvent up(double x, double y)
{
    return PlotPoint{x, y, false};
}
inline PlotEvent down(double x, double y)
{
    return PlotPoint{x, y, true};
}

// Exact equality of events, telling 0 from -0.
inline bool identical(const PlotEvents& a, const PlotEvents& b)
{
    const auto bits = [](double v) { return std::bit_cast<std::uint64_t>(v); };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](const PlotEvent& x, const PlotEvent& y) {
        const PlotPoint* p = std::get_if<PlotPoint>(&x);
        const PlotPoint* q = std::get_if<PlotPoint>(&y);
        if (p == nullptr || q == nullptr)
            return x == y;
        return bits(p->x) == bits(q->x) && bits(p->y) == bits(q->y) && p->penDown == q->penDown;
    });
}

} // namespace orlex::test
