// Pen-up travel of plot files in three orders: (a) the file's own, (b) greedy nearest
// neighbour with stroke reversal (what plotter tools usually do), (c) the stroke planner
// (closed strokes entered anywhere, 2-opt / Or-opt, iterated). Prints travel, lifts,
// estimated drawing time and the time the ordering took, wall and CPU, and checks that
// both orders draw the same segments.
//   bench_optimize [--budget MS] [FILE...]
// Without files it generates a plot of 25,000 points (random polylines and loops).
#include "bench_support.h"

#include "hpgl/plot_extents.h"
#include "plan/draw_time.h"
#include "plan/hpgl_writer.h"
#include "plan/plot_reader.h"
#include "plan/plot_statistics.h"
#include "plan/stroke_order.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <tuple>
#include <vector>

using namespace orlex;

namespace {

// Random polylines of 1..12 segments and closed loops of 3..40 points in a 200 mm square.
std::string generatedPlot(std::size_t points, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> place(0, 8000), step(-150, 150);
    PlotEvents events;
    while (events.size() < points) {
        const double x0 = std::round(place(rng)), y0 = std::round(place(rng));
        events.emplace_back(PlotPoint{x0, y0, false});
        if (rng() % 3 == 0) {
            const int corners = 3 + static_cast<int>(rng() % 38);
            const double r = 20 + static_cast<double>(rng() % 200);
            for (int k = 1; k < corners; ++k) {
                const double a = 6.283185307179586 * k / corners;
                events.emplace_back(
                    PlotPoint{std::round(x0 - r + r * std::cos(a)), std::round(y0 + r * std::sin(a)), true});
            }
            events.emplace_back(PlotPoint{x0, y0, true});
        } else {
            double x = x0, y = y0;
            for (int k = 1 + static_cast<int>(rng() % 12); k > 0; --k)
                events.emplace_back(PlotPoint{x = std::round(x + step(rng)), y = std::round(y + step(rng)), true});
        }
    }
    return writeHpgl(events).value();
}

// Pen-down segments as sorted undirected pairs, to check that nothing drawn changed.
std::vector<std::tuple<double, double, double, double>> segments(const PlotEvents& events)
{
    std::vector<std::tuple<double, double, double, double>> out;
    double x = 0, y = 0;
    for (const PlotEvent& e : events)
        if (const PlotPoint* p = std::get_if<PlotPoint>(&e)) {
            if (p->penDown)
                out.push_back(std::min(std::tuple(x, y, p->x, p->y), std::tuple(p->x, p->y, x, y)));
            x = p->x;
            y = p->y;
        }
    std::sort(out.begin(), out.end());
    return out;
}

struct Row {
    PlotStatistics stats;
    double drawSeconds = 0;
    double wall = 0, cpu = 0;
    bool same = true;
};

Row measure(const PlotEvents& input, const ReorderOptions* options)
{
    Row row;
    PlotEvents events = input;
    if (options != nullptr) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = bench::cpuSeconds();
        const OrderedPlot plot = reorder(splitStrokes(input), *options);
        events = strokeEvents(plot.groups);
        row.cpu = bench::cpuSeconds() - cpuStart;
        row.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        row.same = segments(events) == segments(input);
    }
    row.stats = computeStatistics(events);
    // The program's defaults: 0.5 mm full steps driven in half steps, 2 kHz clock.
    const Result<double> seconds = estimatedSeconds(events, {50, 50}, true, 100, 2000);
    row.drawSeconds = seconds ? *seconds : NAN;
    return row;
}

void printRow(const char* name, const Row& r, bool timed)
{
    char times[64] = "        -         -";
    if (timed)
        std::snprintf(times, sizeof times, "%9.3f %9.3f", r.wall, r.cpu);
    std::printf("  %-28s %12.1f %7llu %12s %s%s\n", name, r.stats.penUpMillimetres,
                static_cast<unsigned long long>(r.stats.penLifts), durationText(r.drawSeconds).c_str(), times,
                r.same ? "" : "  SEGMENTS DIFFER");
}

} // namespace

int main(int argc, char** argv)
{
    ReorderOptions planner;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--budget" && i + 1 < argc)
            planner.timeBudget = std::chrono::milliseconds(std::stol(argv[++i]));
        else
            files.push_back(arg);
    }
    if (files.empty()) {
        const std::string path = (std::filesystem::temp_directory_path() / "bench_optimize_25k.plt").string();
        std::ofstream(path) << generatedPlot(25000, 1);
        files.push_back(path);
    }
    ReorderOptions greedy;
    greedy.allowRotate = false;
    greedy.improve = false;

    std::printf("%s; time budget %lld ms\n", bench::machineText().c_str(),
                static_cast<long long>(planner.timeBudget.count()));
    for (const std::string& file : files) {
        const Result<ReadPlot> read = readPlotEvents(file);
        if (!read) {
            std::fprintf(stderr, "%s\n", read.message().c_str());
            return 1;
        }
        const Row a = measure(read->events, nullptr);
        const Row b = measure(read->events, &greedy);
        const Row c = measure(read->events, &planner);
        std::printf("\n%s: %llu points, %llu strokes, %llu pens, %.0f mm drawn\n",
                    std::filesystem::path(file).filename().c_str(), static_cast<unsigned long long>(a.stats.points),
                    static_cast<unsigned long long>(a.stats.strokes),
                    static_cast<unsigned long long>(a.stats.penSelections), a.stats.penDownMillimetres);
        std::printf("  %-28s %12s %7s %12s %9s %9s\n", "order", "pen-up mm", "lifts", "draw time", "wall s", "CPU s");
        printRow("(a) file", a, false);
        printRow("(b) greedy + reversal", b, true);
        printRow("(c) planner", c, true);
        if (b.stats.penUpMillimetres > 0)
            std::printf("  (c) vs (b): pen-up travel %.1f %% shorter, %.0f s less drawing time\n",
                        100.0 * (b.stats.penUpMillimetres - c.stats.penUpMillimetres) / b.stats.penUpMillimetres,
                        b.drawSeconds - c.drawSeconds);
    }
    return 0;
}
