// Speed of SVG text in the stroke faces: the layout alone (characters placed and their
// strokes made), the pre-scan that reads the text and writes its paths, and the whole
// import of a page of text. Usage: bench_svg_text [CHARACTERS] [RUNS]
#include "bench_support.h"

#include "import/svg_import.h"
#include "import/svg_prescan.h"
#include "import/text_layout.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

double seconds(const std::chrono::steady_clock::time_point& since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

int main(int argc, char** argv)
{
    const long characters = argc > 1 ? std::atol(argv[1]) : 1'000'000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    std::printf("machine: %s\n", orlex::bench::machineText().c_str());

    // The layout alone: lines of 60 characters of running text in three styles.
    const std::string sample = "The quick brown fox jumps over the lazy dog; 0123456789 ";
    std::vector<orlex::TextStyle> styles(3);
    styles[1].bold = true, styles[2].fontFamily = QStringLiteral("serif"), styles[2].italic = true;
    std::vector<orlex::TextChar> chars;
    for (long i = 0; i < characters; ++i) {
        orlex::TextChar c;
        c.code = static_cast<unsigned char>(sample[std::size_t(i) % sample.size()]);
        c.style = int(i / 20 % 3);
        if (i % 60 == 0)
            c.x = 10, c.y = 10 + double(i / 60) * 14;
        chars.push_back(c);
    }
    double best = 1e9;
    std::size_t strokes = 0;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const orlex::LaidText laid = orlex::layoutText(chars, styles);
        best = std::min(best, seconds(start));
        strokes = 0;
        for (const auto& r : laid.runs)
            strokes += r.strokes.size();
    }
    std::printf("layout: %ld characters, %zu strokes in %.3f s: %.0f characters/s (goal: >= 100,000)\n", characters,
                strokes, best, double(characters) / best);

    // A page of text elements of 60 characters: the pre-scan, and the whole import.
    std::string svg = R"(<svg xmlns="http://www.w3.org/2000/svg" width="420mm" height="297mm" viewBox="0 0 420 297">)";
    const long lines = characters / 60 / 10; // a tenth of the characters: the import draws every stroke
    for (long i = 0; i < lines; ++i)
        svg += "<text x=\"5\" y=\"" + std::to_string(5 + double(i % 290)) + "\" font-size=\"3\">" + sample.substr(0, 56)
               + "abcd</text>\n";
    svg += "</svg>";
    const QByteArray bytes = QByteArray::fromStdString(svg);
    double prescan = 1e9, import = 1e9;
    for (int run = 0; run < runs; ++run) {
        auto start = std::chrono::steady_clock::now();
        const auto prepared = orlex::prescanSvg(bytes);
        prescan = std::min(prescan, seconds(start));
        start = std::chrono::steady_clock::now();
        const auto drawing = orlex::importSvgData(bytes);
        import = std::min(import, seconds(start));
        if (!prepared || !drawing) {
            std::fprintf(stderr, "%s\n", (prepared ? drawing.message() : prepared.message()).c_str());
            return 1;
        }
    }
    const double count = double(lines) * 60;
    std::printf("pre-scan of %ld text elements (%.0f characters): %.3f s, %.0f characters/s\n", lines, count, prescan,
                count / prescan);
    std::printf("whole import of them (librsvg drawing the paths): %.3f s, %.0f characters/s\n", import,
                count / import);
    return 0;
}
