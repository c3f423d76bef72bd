// The reading in spans on two threads gives the sink, and the result, exactly what the
// reading on one thread gives, wherever the cuts fall: in lists, labels, relative runs,
// after a DT, at skipped pairs, near the end of the file. Random plots of the reading's
// whole vocabulary are cut into spans of a few dozen bytes, so that every kind of place
// meets a cut, and both ways on (a span read apart joined, or read again) are taken.
#include "hpgl/span_reading.h"
#include "hpgl_rig.h"
#include "reading_log.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace orlex {
namespace {

using test::CallLog;
using test::summary;

// A plot of `pieces` random pieces: every mnemonic the reading acts on (PR and DT only in
// odd seeds), numbers of every form it reads or skips, labels whose text looks like commands, a DT, a quoted string and
// commands the census counts, with all kinds of separators.
std::string randomPlot(unsigned seed, int pieces)
{
    static const std::vector<std::string> words = {"PU",
                                                   "PD",
                                                   "PA",
                                                   "PR",
                                                   "PU",
                                                   "PD",
                                                   "SP",
                                                   "SP;",
                                                   ";",
                                                   ",",
                                                   " ",
                                                   "\r\n",
                                                   ";PU",
                                                   ";PD",
                                                   " PD",
                                                   "LBa PU1,2;\x03",
                                                   "LBPD9 9\x03",
                                                   "DT#;",
                                                   "LBtext PD3,3;#",
                                                   "CI5;",
                                                   "SC0,10,0,10;",
                                                   "WD\"x PU1,1\";",
                                                   "1.5",
                                                   "-0",
                                                   "12-3",
                                                   "1e3",
                                                   "PE;",
                                                   "IN;",
                                                   "X",
                                                   "P",
                                                   "S"};
    std::mt19937 random(seed);
    std::string plot;
    for (int i = 0; i < pieces; ++i) {
        if (random() % 3 == 0)
            plot += std::to_string(static_cast<int>(random() % 201) - 100);
        else if (const std::string& word = words[random() % words.size()]; seed % 2 == 1)
            plot += word;
        else // every other plot absolute throughout and with no DT, whose spans are mostly taken
            plot += word == "PR" ? "PA" : word == "DT#;" ? ";" : word;
    }
    return plot;
}

// A sink that counts apart: its part logs the calls of a span, and join() adds them to
// its own, so that what reaches it through parts can be compared call by call.
class JoiningLog final : public PlotSink {
public:
    using Part = JoiningLog;
    bool point(double x, double y, Pen pen) override { return log.point(x, y, pen); }
    void selectPen(char pen) override { log.selectPen(pen); }
    JoiningLog part() const { return {}; }
    std::size_t partsAhead() const { return 3; }
    void restart() { log.calls.clear(); }
    void join(const JoiningLog& part)
    {
        log.calls.insert(log.calls.end(), part.log.calls.begin(), part.log.calls.end());
    }

    CallLog log;
};

// The reading in spans against the reading on one thread: the same calls but progress,
// and the same result; into a sink that replays recordings, and (when it does not stop)
// into one that joins parts.
void expectSameReading(const std::string& path, span_reading::Sizes sizes, std::uint64_t stopAt, SpanCounts& counts)
{
    CallLog one, spans;
    one.logProgress = spans.logProgress = false;
    one.stopAt = spans.stopAt = stopAt;
    const ReadResult alone = readClassicPlotInto(path, one, Census::Take);
    const ReadResult inSpans = readClassicPlotInSpans(path, spans, Census::Take, sizes, &counts);
    EXPECT_EQ(summary(inSpans), summary(alone));
    EXPECT_EQ(spans.calls.size(), one.calls.size());
    EXPECT_TRUE(spans.calls == one.calls);
    if (stopAt != 0)
        return;
    JoiningLog joined;
    joined.log.logProgress = false;
    EXPECT_EQ(summary(readClassicPlotInSpans(path, joined, Census::Take, sizes, &counts)), summary(alone));
    EXPECT_TRUE(joined.log.calls == one.calls);
}

// Under ThreadSanitizer, which looks for races that any plot shows, every fifth plot (of
// every size, odd and even): each reading there takes some twenty times as long, and the
// other builds read them all.
#if defined(__SANITIZE_THREAD__)
constexpr unsigned kEveryNthPlot = 5;
#else
constexpr unsigned kEveryNthPlot = 1;
#endif

TEST(SpanReading, GivesWhatTheReadingOnOneThreadGivesWhereverTheCutsFall)
{
    const test::TempDir dir;
    SpanCounts counts;
    for (unsigned seed = 1; seed <= 150; seed += kEveryNthPlot) {
        const std::string path = dir.write("plot.plt", randomPlot(seed, 60 + static_cast<int>(seed) * 3));
        for (const std::uint64_t span : {24, 61, 200}) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", spans of " + std::to_string(span) + " bytes");
            expectSameReading(path, {span, 0, false}, 0, counts);
            // Which spans go straight into the sink is up to timing.
            SpanCounts timed;
            expectSameReading(path, {span, 0, true}, 0, timed);
        }
    }
    // Every span after the first was read apart, and both ways on were taken many times.
    EXPECT_EQ(counts.readApart + counts.readAgain, counts.spans);
    EXPECT_GT(counts.readApart, 1000 / kEveryNthPlot) << counts.readAgain << " of " << counts.spans << " read again";
    EXPECT_GT(counts.readAgain, 2000 / kEveryNthPlot) << counts.readAgain << " of " << counts.spans << " read again";
}

// A sink that stops: in a span read on the calling thread, in a replayed one, at the last
// point, or never reached.
TEST(SpanReading, ASinkThatStopsStopsItAsOnOneThread)
{
    const test::TempDir dir;
    std::string plot = "IN;SP1;";
    for (int i = 0; i < 400; ++i)
        plot += (i % 5 == 0 ? "PU" : "PD") + std::to_string(i) + "," + std::to_string(i % 7) + ";LBx\x03";
    const std::string path = dir.write("plot.plt", plot);
    SpanCounts counts;
    for (const std::uint64_t stopAt : {1, 2, 37, 38, 150, 399, 400, 401}) {
        SCOPED_TRACE("stops at point " + std::to_string(stopAt));
        expectSameReading(path, {300, 0, false}, stopAt, counts);
    }
    EXPECT_GT(counts.readApart, 0);
}

TEST(SpanReading, ASmallFileIsReadInOneSpanAndAMissingOneAsOnOneThread)
{
    const test::TempDir dir;
    SpanCounts counts;
    expectSameReading(dir.write("small.plt", randomPlot(7, 200)), {24, 1 << 20}, 0, counts);
    expectSameReading(dir.write("empty.plt", ""), {24, 0}, 0, counts);
    expectSameReading((dir.path() / "missing.plt").string(), {24, 0}, 0, counts);
    EXPECT_EQ(counts.spans, 0);
}

} // namespace
} // namespace orlex
