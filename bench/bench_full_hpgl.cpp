// The full HP-GL reading: converts a plot to plain absolute HPGL (the path `convert
// --hpgl full` takes), or times it against the classic reading's test run.
//   bench_full_hpgl convert FILE OUT [--page WxH]   writes OUT (PA, PU, PD, SP), prints notes
//   bench_full_hpgl speed FILE [RUNS]               best wall and CPU time of each reading, and of
//                                                   the classic one with its census
#include "bench_support.h"

#include "hpgl/classic_reader.h"
#include "hpgl/full/full_reader.h"
#include "hpgl/full/plain_hpgl_writer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>

using namespace orlex;

namespace {

// The trivial work both readings do per point: count it and widen a box.
struct Box {
    std::uint64_t points = 0;
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    void add(double x, double y)
    {
        ++points;
        minX = std::min(minX, x);
        minY = std::min(minY, y);
        maxX = std::max(maxX, x);
        maxY = std::max(maxY, y);
    }
};

class BoxSink : public PlotSink {
public:
    bool point(double x, double y, Pen) override
    {
        box.add(x, y);
        return true;
    }
    Box box;
};

struct Timing {
    double wall = 1e9, cpu = 1e9;
};

Timing best(int runs, const std::function<void()>& work)
{
    Timing t;
    for (int i = 0; i < runs; ++i) {
        const auto w0 = std::chrono::steady_clock::now();
        const std::clock_t c0 = std::clock();
        work();
        t.cpu = std::min(t.cpu, static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC);
        t.wall = std::min(t.wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - w0).count());
    }
    return t;
}

int convert(const std::string& in, const std::string& out, const FullHpglOptions& options)
{
    std::ofstream file(out, std::ios::binary);
    PlainHpglWriter writer(file);
    const FullReadResult result = readFullHpgl(in, writer, options);
    writer.finish();
    if (result.openError) {
        std::fprintf(stderr, "%s\n", result.openError->message.c_str());
        return 2;
    }
    for (const std::string& note : result.notes)
        std::fprintf(stderr, "note: %s\n", note.c_str());
    std::fprintf(stderr, "%llu points\n", static_cast<unsigned long long>(result.points));
    if (result.refusal) {
        std::fprintf(stderr, "%s\n", result.refusal->message.c_str());
        return result.refusal->kind == Error::Kind::TooBig ? 3 : 2;
    }
    return 0;
}

int speed(const std::string& path, int runs)
{
    BoxSink sink;
    const Timing full = best(runs, [&] {
        sink.box = {};
        readFullHpgl(path, sink);
    });
    const long fullPeakKib = bench::peakRssKib(); // the full reading runs first
    BoxSink observer;
    const Timing classic = best(runs, [&] {
        observer.box = {};
        readClassicPlot(path, observer);
    });
    const Timing withCensus = best(runs, [&] {
        observer.box = {};
        readClassicPlot(path, observer, Census::Take);
    });
    const Timing censusAlone = best(runs, [&] { findCommandsClassicIgnores(path); });
    std::printf("%s\n", bench::machineText().c_str());
    std::printf("classic test run: %.4f s wall, %.4f s CPU, %llu points\n", classic.wall, classic.cpu,
                static_cast<unsigned long long>(observer.box.points));
    std::printf("full reading:     %.4f s wall, %.4f s CPU, %llu points\n", full.wall, full.cpu,
                static_cast<unsigned long long>(sink.box.points));
    std::printf("full / classic:   %.2fx wall, %.2fx CPU (goal <= 1.5x)\n", full.wall / classic.wall,
                full.cpu / classic.cpu);
    std::printf("peak RSS after the full reading: %ld KiB\n", fullPeakKib);
    std::printf("classic with its census: %.4f s wall, %.4f s CPU: the census adds %.1f %% of the reading's CPU "
                "(goal <= 10 %%)\n",
                withCensus.wall, withCensus.cpu, 100 * (withCensus.cpu - classic.cpu) / classic.cpu);
    std::printf("census in a pass of its own: %.4f s wall, %.4f s CPU (%.1f %% of the reading's CPU)\n",
                censusAlone.wall, censusAlone.cpu, 100 * censusAlone.cpu / classic.cpu);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "convert" && argc >= 4) {
        FullHpglOptions options;
        if (argc >= 6 && std::string(argv[4]) == "--page")
            std::sscanf(argv[5], "%lfx%lf", &options.pageWidth, &options.pageHeight);
        return convert(argv[2], argv[3], options);
    }
    if (mode == "speed" && argc >= 3)
        return speed(argv[2], argc >= 4 ? std::atoi(argv[3]) : 5);
    std::fprintf(stderr, "usage: bench_full_hpgl convert FILE OUT [--page WxH] | speed FILE [RUNS]\n");
    return 2;
}
