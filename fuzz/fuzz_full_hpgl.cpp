// Fuzz target: the full HP-GL reading over arbitrary plot files, with small limits so that
// every input stays quick; then the census of the same file, and the plain HPGL written
// from the points read back to the same points.
#include "fuzz_support.h"

#include "hpgl/full/full_reader.h"
#include "hpgl/full/plain_hpgl_writer.h"

#include <cmath>
#include <fstream>
#include <sstream>
#include <vector>

using namespace orlex;

namespace {

struct Recorded {
    double x, y;
    Pen pen;
};

class CheckingSink : public PlotSink {
public:
    explicit CheckingSink(std::size_t stopAt) : stopAt_(stopAt) {}
    bool point(double x, double y, Pen pen) override
    {
        ORLEX_FUZZ_CHECK(std::isfinite(x) && std::isfinite(y));
        points.push_back({x, y, pen});
        return points.size() < stopAt_;
    }
    void selectPen(char pen) override
    {
        ORLEX_FUZZ_CHECK(pen >= '0' && pen <= '9');
        pens += pen;
    }
    std::vector<Recorded> points;
    std::string pens;

private:
    std::size_t stopAt_;
};

FullHpglOptions smallLimits()
{
    FullHpglOptions options;
    options.maxPoints = 200'000;
    options.maxPolygonPoints = 5'000;
    options.maxLabelCharacters = 500;
    options.maxChordsPerCurve = 5'000;
    options.maxDashesPerLine = 20'000;
    options.maxFillLines = 5'000;
    options.maxFillWork = 2'000'000;
    return options;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static fuzz::MemoryFile file;
    file.write(data, size);
    const FullHpglOptions options = smallLimits();

    // Every third input is stopped by its sink part-way.
    const std::size_t stopAt = size % 3 == 0 ? size * 13 % 5000 + 1 : SIZE_MAX;
    CheckingSink sink(stopAt);
    const FullReadResult result = readFullHpgl(file.path(), sink, options);
    ORLEX_FUZZ_CHECK(!result.openError);
    ORLEX_FUZZ_CHECK(result.points == sink.points.size());
    ORLEX_FUZZ_CHECK(result.points <= options.maxPoints);
    ORLEX_FUZZ_CHECK(!result.stopped || result.points == stopAt);
    ORLEX_FUZZ_CHECK(!result.stopped || !result.refusal);
    ORLEX_FUZZ_CHECK(!result.refusal || !result.refusal->message.empty());
    for (const Recorded& p : sink.points)
        ORLEX_FUZZ_CHECK(std::fabs(p.x) <= options.maxCoordinate && std::fabs(p.y) <= options.maxCoordinate);
    for (const std::string& note : result.notes)
        ORLEX_FUZZ_CHECK(!note.empty() && note.front() >= '1' && note.front() <= '9');

    const ClassicIgnoredCommands census = findCommandsClassicIgnores(file.path());
    ORLEX_FUZZ_CHECK(census.sentence().empty() == census.counts.empty());

    // What the reading gave, written as plain HPGL and read again: the same points, rounded.
    if (result.stopped || result.refusal || sink.points.size() > 20'000)
        return 0;
    std::ostringstream plain;
    PlainHpglWriter writer(plain);
    for (const Recorded& p : sink.points)
        writer.point(p.x, p.y, p.pen);
    writer.finish();
    static fuzz::MemoryFile again;
    const std::string text = plain.str();
    again.write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    CheckingSink reread(SIZE_MAX);
    const FullReadResult second = readFullHpgl(again.path(), reread, options);
    ORLEX_FUZZ_CHECK(!second.refusal && second.notes.empty());
    ORLEX_FUZZ_CHECK(reread.points.size() == sink.points.size());
    for (std::size_t i = 0; i < sink.points.size(); ++i) {
        ORLEX_FUZZ_CHECK(reread.points[i].x == std::nearbyint(sink.points[i].x));
        ORLEX_FUZZ_CHECK(reread.points[i].y == std::nearbyint(sink.points[i].y));
        ORLEX_FUZZ_CHECK(reread.points[i].pen == sink.points[i].pen);
    }
    return 0;
}
