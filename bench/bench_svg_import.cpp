// Times the SVG import on a generated drawing of about 10 MB: importSvg, then drawingHpgl.
// Usage: bench_svg_import [MEGABYTES] [RUNS] [--keep FILE]
//        bench_svg_import --file FILE [RUNS [--pieces N]]   (N = 0: long paths drawn whole)
#include "bench_support.h"

#include "import/svg_import.h"
#include "run/prepared_plot.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>

namespace {

// An A3 page in three numbered Inkscape layers of groups with transforms, each holding
// hand-drawn-like paths: relative cubic and smooth curves a few millimetres long, arcs,
// lines, and now and then a circle or rectangle.
std::string generate(std::size_t bytes, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> step(-6, 6), place(20, 380), angle(0, 360), scale(0.5, 1.5);
    char buffer[256];
    std::string svg = R"(<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" xmlns:inkscape="http://www.inkscape.org/namespaces/inkscape"
     width="420mm" height="297mm" viewBox="0 0 420 297">
)";
    svg.reserve(bytes + 4096);
    const std::size_t perLayer = bytes / 3;
    for (int layer = 1; layer <= 3; ++layer) {
        svg += "<g inkscape:groupmode=\"layer\" inkscape:label=\"" + std::to_string(layer) + " pen\" id=\"layer"
               + std::to_string(layer) + "\">\n";
        const std::size_t end = svg.size() + perLayer;
        while (svg.size() < end) {
            std::snprintf(buffer, sizeof buffer,
                          "<g transform=\"translate(%.2f,%.2f) rotate(%.1f) scale(%.3f)\" "
                          "style=\"fill:none;stroke:#000;stroke-width:0.3\">\n",
                          place(random), place(random) * 0.7, angle(random), scale(random));
            svg += buffer;
            for (int path = 0; path < 40; ++path) {
                std::snprintf(buffer, sizeof buffer, "<path d=\"m %.3f,%.3f", step(random) * 3, step(random) * 3);
                svg += buffer;
                for (int segment = 0; segment < 6; ++segment) {
                    std::snprintf(buffer, sizeof buffer, " c %.3f,%.3f %.3f,%.3f %.3f,%.3f s %.3f,%.3f %.3f,%.3f",
                                  step(random), step(random), step(random), step(random), step(random), step(random),
                                  step(random), step(random), step(random), step(random));
                    svg += buffer;
                }
                std::snprintf(buffer, sizeof buffer, " a 3,2 0 0 1 %.3f,%.3f l %.3f,%.3f z\"/>\n", step(random),
                              step(random), step(random), step(random));
                svg += buffer;
                if (path % 10 == 0) {
                    std::snprintf(buffer, sizeof buffer,
                                  "<circle cx=\"%.2f\" cy=\"%.2f\" r=\"%.2f\"/><rect x=\"%.2f\" y=\"%.2f\" width=\"8\" "
                                  "height=\"5\" rx=\"1\"/>\n",
                                  step(random), step(random), 1 + std::abs(step(random)), step(random), step(random));
                    svg += buffer;
                }
            }
            svg += "</g>\n";
        }
        svg += "</g>\n";
    }
    svg += "</svg>\n";
    return svg;
}

} // namespace

int main(int argc, char** argv)
{
    const bool given = argc > 2 && std::string(argv[1]) == "--file";
    const double megabytes = argc > 1 && !given ? std::atof(argv[1]) : 10;
    const int runs = argc > 2 + given ? std::atoi(argv[2 + given]) : 3;
    orlex::SvgImportOptions options;
    if (given && argc > 5 && std::string(argv[4]) == "--pieces")
        options.pathPieceSegments = std::atoi(argv[5]);
    const std::filesystem::path file = given ? std::filesystem::path(argv[2])
                                       : argc > 4 && std::string(argv[3]) == "--keep"
                                           ? std::filesystem::path(argv[4])
                                           : std::filesystem::temp_directory_path() / "orlex_bench_svg_import.svg";
    if (!given) {
        const std::string svg = generate(static_cast<std::size_t>(megabytes * 1e6), 1);
        std::FILE* out = std::fopen(file.c_str(), "wb");
        if (!out || std::fwrite(svg.data(), 1, svg.size(), out) != svg.size() || std::fclose(out) != 0) {
            std::perror("writing the SVG");
            return 1;
        }
    }
    std::printf("machine: %s\nfile: %s, %.1f MB\n", orlex::bench::machineText().c_str(), file.c_str(),
                double(std::filesystem::file_size(file)) / 1e6);

    double bestWall = 1e9, bestCpu = 1e9;
    for (int run = 0; run < runs; ++run) {
        const auto wall0 = std::chrono::steady_clock::now();
        const double cpu0 = orlex::bench::cpuSeconds();
        auto drawing = orlex::importSvg(file, options);
        if (!drawing) {
            std::fprintf(stderr, "%s\n", drawing.message().c_str());
            return 1;
        }
        const orlex::Result<std::string> hpgl = orlex::drawingHpgl(*drawing);
        if (!hpgl) {
            std::fprintf(stderr, "%s\n", hpgl.message().c_str());
            return 1;
        }
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
        const double cpu = orlex::bench::cpuSeconds() - cpu0;
        std::size_t points = 0;
        for (const auto& stroke : drawing->strokes)
            points += stroke.points.size();
        std::uint64_t hash = 14695981039346656037ull; // FNV-1a of the HPGL: the same plot or not
        for (const char c : *hpgl)
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        std::printf("run %d: wall %.3f s, CPU %.3f s; %zu strokes, %zu points, HPGL %.1f MB, hash %016llx\n", run + 1,
                    wall, cpu, drawing->strokes.size(), points, double(hpgl->size()) / 1e6,
                    static_cast<unsigned long long>(hash));
        bestWall = std::min(bestWall, wall);
        bestCpu = std::min(bestCpu, cpu);
    }
    std::printf("best: wall %.3f s, CPU %.3f s; peak RSS %.1f MB (goal: under 2 s)\n", bestWall, bestCpu,
                orlex::bench::peakRssKib() / 1024.0);
    if (argc <= 4 && !given)
        std::filesystem::remove(file);
    return 0;
}
