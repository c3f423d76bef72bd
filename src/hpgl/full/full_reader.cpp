// readFullHpgl: opens the file and runs the full HP-GL reading over it.
#include "hpgl/full/full_reader.h"

#include "hpgl/full/reader.h"
#include "hpgl/plot_file.h"

#include <cstring>
#include <fstream>

namespace orlex {

FullReadResult readFullHpgl(const std::string& path, PlotSink& sink, const FullHpglOptions& options)
{
    FullReadResult result;
    const Result<OpenedPlotFile> opened = openPlotFile(path);
    if (!opened) {
        result.openError = opened.error();
        return result;
    }
    fullhpgl::CommandScanner scanner(opened->file, opened->size, options.onBlockRead);
    fullhpgl::Reader reader(scanner, sink, options);
    reader.run();
    const fullhpgl::ReadOutcome& outcome = reader.outcome();
    result.points = outcome.points;
    result.stopped = outcome.stopped;
    if (outcome.refusal)
        result.refusal = failure("The full HP-GL reading refuses this plot: " + outcome.refusal->message + ".",
                                 outcome.refusal->kind);
    result.notes = outcome.noteSentences();
    if (scanner.error() != 0) {
        // A read that fails part-way must not pass for a complete plot.
        result.openError = failure("Cannot read \"" + path + "\" past byte " + std::to_string(scanner.offset()) + ": "
                                   + std::strerror(scanner.error()) + ".");
    }
    return result;
}

namespace {

struct PenDownCount : PlotSink {
    std::uint64_t points = 0;
    bool point(double, double, Pen pen) override
    {
        points += pen == Pen::Down ? 1 : 0;
        return true;
    }
};

// Plain text that holds the letters LB (either case), so that a long file of prose or of
// stray bytes is ruled out in one pass, before any reading of it.
bool isPlainTextWithLB(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    char block[1 << 16];
    bool sawL = false, sawLB = false;
    while (in) {
        in.read(block, sizeof block);
        for (std::streamsize i = 0; i < in.gcount(); ++i) {
            const auto byte = static_cast<unsigned char>(block[i]);
            const bool whitespace = byte == '\t' || byte == '\n' || byte == '\v' || byte == '\f' || byte == '\r';
            const bool control = byte < 0x20 || byte == 0x7f;
            if (control && !whitespace && byte != 0x03 && byte != 0x1b)
                return false;
            sawLB = sawLB || (sawL && (byte == 'B' || byte == 'b'));
            sawL = byte == 'L' || byte == 'l';
        }
    }
    return in.eof() && sawLB;
}

} // namespace

bool drawsOnlyLabels(const std::string& path, const FullHpglOptions& options)
{
    if (!isPlainTextWithLB(path))
        return false;
    PenDownCount withLabels;
    const FullReadResult read = readFullHpgl(path, withLabels, options);
    if (read.openError || read.refusal || withLabels.points == 0)
        return false;
    FullHpglOptions labelsLeftOut = options;
    labelsLeftOut.drawLabels = false;
    PenDownCount withoutLabels;
    readFullHpgl(path, withoutLabels, labelsLeftOut);
    return withoutLabels.points == 0;
}

} // namespace orlex
