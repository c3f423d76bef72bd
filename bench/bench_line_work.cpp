// The line work's speed and memory on a generated drawing: 100,000 polylines of four
// points (400,000 points) in a 400 mm square, drawn as broken chains whose pieces meet
// end to end (within 0.02 mm, in a shuffled order, a third of them backwards) and with
// every tenth polyline drawn a second time; for simplify, 5,000 curves of 200 points.
//   bench_line_work [merge|order|merge+order|dedupe|simplify|all] [--budget MS]
// Each step is timed (wall and CPU) on a fresh copy; memory is the peak resident size
// of this process above what it held before the step, per point of the input (run one
// step per process for that figure: the peak of an earlier step hides a later one).
#include "bench_support.h"

#include "common/plotter_units.h"
#include "plan/line_dedupe.h"
#include "plan/line_merge.h"
#include "plan/line_simplify.h"
#include "plan/stroke_order.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace orlex;

namespace {

long rssKib()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

std::size_t pointCount(const std::vector<StrokeGroup>& groups)
{
    std::size_t n = 0;
    for (const StrokeGroup& g : groups)
        for (const Stroke& s : g.strokes)
            n += s.points.size();
    return n;
}

// Chains of 1..40 polylines of three segments of about 1 mm, walking at random.
std::vector<StrokeGroup> brokenChains(std::size_t polylines, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> place(0, 400 * kPlotterUnitsPerMm), turn(-0.6, 0.6), jitter(-0.5, 0.5);
    std::vector<Stroke> strokes;
    while (strokes.size() < polylines) {
        Position at{place(rng), place(rng)};
        double heading = place(rng);
        for (int n = 1 + static_cast<int>(rng() % 40); n > 0 && strokes.size() < polylines; --n) {
            Stroke s;
            s.points.push_back({at.x + jitter(rng), at.y + jitter(rng)}); // within 0.02 mm of the last end
            for (int k = 0; k < 3; ++k) {
                heading += turn(rng);
                at = {at.x + 40 * std::cos(heading), at.y + 40 * std::sin(heading)};
                s.points.push_back(at);
            }
            strokes.push_back(std::move(s));
        }
    }
    for (std::size_t i = 0; i < strokes.size(); i += 10)
        strokes[i + 1 < strokes.size() ? i + 1 : i] = strokes[i]; // drawn twice
    std::shuffle(strokes.begin(), strokes.end(), rng);
    for (std::size_t i = 0; i < strokes.size(); i += 3)
        std::reverse(strokes[i].points.begin(), strokes[i].points.end());
    return {StrokeGroup{'1', std::move(strokes)}};
}

// Curves of 200 points 0.1 mm apart, finely divided arcs of a few radii.
std::vector<StrokeGroup> fineCurves(std::size_t curves, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> place(0, 400 * kPlotterUnitsPerMm), radius(40, 2000);
    std::vector<Stroke> strokes;
    for (std::size_t c = 0; c < curves; ++c) {
        const double r = radius(rng), x = place(rng), y = place(rng);
        Stroke s;
        for (int k = 0; k < 200; ++k) {
            const double a = k * 4.0 / r;
            s.points.push_back({x + r * std::cos(a), y + r * std::sin(a)});
        }
        strokes.push_back(std::move(s));
    }
    return {StrokeGroup{'1', std::move(strokes)}};
}

struct Timed {
    double wall = 0, cpu = 0;
    long extraKib = 0;
};

Timed timed(const std::function<void()>& work)
{
    const long before = rssKib();
    const auto start = std::chrono::steady_clock::now();
    const double cpu = bench::cpuSeconds();
    work();
    Timed t;
    t.cpu = bench::cpuSeconds() - cpu;
    t.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    t.extraKib = bench::peakRssKib() - before;
    return t;
}

void report(const char* what, std::size_t points, const Timed& t, const std::string& result)
{
    std::printf("  %-30s %8.3f s wall %8.3f s CPU  %6.1f M points/s  peak +%.1f bytes/point  %s\n", what, t.wall, t.cpu,
                static_cast<double>(points) / t.wall / 1e6,
                static_cast<double>(t.extraKib) * 1024.0 / static_cast<double>(points), result.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    std::string step = "all";
    ReorderOptions order;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--budget" && i + 1 < argc)
            order.timeBudget = std::chrono::milliseconds(std::stol(argv[++i]));
        else
            step = arg;
    }
    const auto wanted = [&](const char* name) { return step == "all" || step == name; };
    std::printf("%s; load average %s; reorder budget %lld ms\n", bench::machineText().c_str(),
                bench::loadAverageText().c_str(), static_cast<long long>(order.timeBudget.count()));

    const std::vector<StrokeGroup> chains = brokenChains(100'000, 1);
    const std::size_t points = pointCount(chains);
    std::printf("broken chains: %zu polylines, %zu points, resident %ld KiB (%.1f bytes/point)\n",
                chains[0].strokes.size(), points, rssKib(),
                static_cast<double>(rssKib()) * 1024.0 / static_cast<double>(points));
    if (wanted("merge")) {
        std::vector<StrokeGroup> g = chains;
        MergeCount m;
        const Timed t = timed([&] { m = mergeStrokes(g[0].strokes, 0.05 * kPlotterUnitsPerMm, true); });
        report("merge 0.05 mm", points, t,
               std::to_string(m.joins) + " joins, " + std::to_string(g[0].strokes.size()) + " strokes left");
    }
    if (wanted("order")) {
        std::vector<StrokeGroup> g = chains;
        OrderedPlot plot;
        const Timed t = timed([&] { plot = reorder(g, order); });
        report("shorter-travel order alone", points, t,
               "pen-up " + std::to_string(static_cast<long>(penUpTravel(plot.groups) / kPlotterUnitsPerMm)) + " mm"
                   + (plot.stoppedByTimeBudget ? " (budget used up)" : ""));
    }
    if (wanted("merge+order")) {
        std::vector<StrokeGroup> g = chains;
        OrderedPlot plot;
        const Timed t = timed([&] {
            mergeStrokes(g[0].strokes, 0.05 * kPlotterUnitsPerMm, true);
            plot = reorder(g, order);
        });
        report("merge + shorter-travel order", points, t,
               std::to_string(plot.groups[0].strokes.size()) + " strokes, pen-up "
                   + std::to_string(static_cast<long>(penUpTravel(plot.groups) / kPlotterUnitsPerMm)) + " mm"
                   + (plot.stoppedByTimeBudget ? " (budget used up)" : ""));
    }
    if (wanted("dedupe")) {
        std::vector<StrokeGroup> g = chains;
        DedupeCount d;
        const Timed t = timed([&] { d = dropRetraces(g, 0.05 * kPlotterUnitsPerMm); });
        report("dedupe 0.05 mm", points, t,
               std::to_string(d.segments) + " segments dropped, " + std::to_string(static_cast<long>(d.length / 40))
                   + " mm");
    }
    if (wanted("simplify")) {
        const std::vector<StrokeGroup> curves = fineCurves(5'000, 2);
        const std::size_t curvePoints = pointCount(curves);
        std::vector<StrokeGroup> g = curves;
        const Timed t = timed([&] {
            for (Stroke& s : g[0].strokes)
                simplifyLine(s.points, 0.05 * kPlotterUnitsPerMm);
        });
        report("simplify 0.05 mm", curvePoints, t,
               std::to_string(curvePoints) + " -> " + std::to_string(pointCount(g)) + " points");
    }
    std::printf("peak resident %ld KiB\n", bench::peakRssKib());
    return 0;
}
