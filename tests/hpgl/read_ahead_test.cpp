// The reading beside its sink gives the sink, and the result, exactly what the reading on
// one thread gives: the same calls in the same order, the same counts and notes; a sink that
// stops or throws part-way ends it as on one thread. The sink fed on the reading thread gets
// the same points and pen selections.
#include "hpgl/read_ahead.h"
#include "hpgl_rig.h"
#include "reading_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace orlex {
namespace {

using test::CallLog;
using test::summary;

// A plot of `pairs` relative pairs in lists of 40, with pen selections, labels, a skipped
// pair and CR LF between lists: many batches and several file blocks.
std::string generatedPlot(int pairs)
{
    std::string plot = "IN;SP1;PU100,100;";
    for (int i = 0; i < pairs; ++i) {
        if (i % 40 == 0)
            plot += i % 400 == 0 ? "\r\nSP" + std::to_string(1 + i / 400 % 8) + ";LBtext\x03PD" : ";\r\nPR";
        plot += std::to_string(i % 17 - 8) + (i % 3 == 0 ? " " : ",") + std::to_string(i % 13 - 6) + ",";
        if (i == pairs / 2)
            plot += "1-2,3,";
    }
    return plot + "PU;";
}

// Enough pairs for more batches than may be on the way at once, so that the reading
// also waits for the sink.
constexpr int kPairs = static_cast<int>((read_ahead::Handover::kBatches + 2) * read_ahead::Handover::kBatchSlots);

struct Row {
    const char* name;
    std::string plot;
    std::uint64_t stopAt = 0;
};

class ReadAhead : public ::testing::TestWithParam<Row> {};

TEST_P(ReadAhead, GivesWhatTheReadingOnOneThreadGives)
{
    const test::TempDir dir;
    const std::string path = dir.write("plot.plt", GetParam().plot);
    CallLog alone, beside, onTheReadingThread;
    alone.stopAt = beside.stopAt = GetParam().stopAt;
    onTheReadingThread.logProgress = false;
    const ReadResult one = readClassicPlot(path, alone, Census::Take);
    const ReadResult two = readClassicPlotAhead(path, onTheReadingThread, beside, Census::Take, 0);
    if (GetParam().stopAt == 0) {
        EXPECT_EQ(summary(two), summary(one));
    } else { // the notes may count what was read ahead of the stop
        EXPECT_EQ(two.points, one.points);
        EXPECT_TRUE(two.stopped && one.stopped);
    }
    ASSERT_EQ(beside.calls.size(), alone.calls.size());
    EXPECT_TRUE(beside.calls == alone.calls);

    // Up to a stop, what the sink took; past it, what was read ahead.
    std::vector<CallLog::Call> taken;
    std::copy_if(alone.calls.begin(), alone.calls.end(), std::back_inserter(taken),
                 [](const CallLog::Call& call) { return call.kind != 'R'; });
    ASSERT_GE(onTheReadingThread.calls.size(), taken.size());
    EXPECT_TRUE(std::equal(taken.begin(), taken.end(), onTheReadingThread.calls.begin()));
    if (GetParam().stopAt == 0) {
        EXPECT_EQ(onTheReadingThread.calls.size(), taken.size());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Plots, ReadAhead,
    ::testing::Values(Row{"Empty", ""}, Row{"OnePoint", "PD10,20;"}, Row{"EndsInsideX", "PA10,20,3"},
                      // Points that a batch keeps whole and ones it keeps by their bits.
                      Row{"WholeAndOtherNumbers", "PD-0,-0,0.5,-2.25,2147483647,1073741823,-2147483647,-1073741824,"
                                                  "-2147483648,0,0,1073741824,0,-1073741825,2147483648,0,"
                                                  "123456789012345,-0.000001;SP7;PR-0,5;"},
                      Row{"Generated", generatedPlot(kPairs)}, Row{"StopsInTheFirstBatch", generatedPlot(kPairs), 5},
                      Row{"StopsFarIn", generatedPlot(kPairs), kPairs - 10000},
                      Row{"StopsAtTheLastPoint", generatedPlot(kPairs), kPairs + 1}),
    [](const ::testing::TestParamInfo<Row>& row) { return std::string(row.param.name); });

// A sink that throws, on the calling thread or on the reading thread, ends the reading there.
TEST(ReadAheadFailures, ASinkThatThrowsEndsTheReadingAndPassesItsError)
{
    const test::TempDir dir;
    const std::string path = dir.write("plot.plt", generatedPlot(60000));
    for (const bool onTheReadingThread : {false, true}) {
        CallLog beside, sink;
        CallLog& throwing = onTheReadingThread ? beside : sink;
        throwing.throwAt = 30000;
        EXPECT_THROW(readClassicPlotAhead(path, beside, sink, Census::Take, 0), std::runtime_error);
        EXPECT_EQ(throwing.points, 30000u);
        EXPECT_LE(sink.points, 30000u);
    }
}

TEST(ReadAheadFailures, AFileThatCannotBeOpenedIsReportedAsOnOneThread)
{
    CallLog sink;
    const ReadResult missing = readClassicPlotAhead("/nonexistent/plot.plt", sink, Census::Take, 0);
    ASSERT_TRUE(missing.openError);
    EXPECT_EQ(missing.openError->message, "Cannot open \"/nonexistent/plot.plt\": the file does not exist.");
    EXPECT_TRUE(sink.calls.empty());
}

} // namespace
} // namespace orlex
