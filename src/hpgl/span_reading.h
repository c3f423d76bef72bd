// The classic reading of a large plot on two cores. The file is cut into rounds of two
// spans: the calling thread reads each round's first span into the sink, while a thread
// of its own reads the second spans, in order and at most two rounds ahead, into
// recordings, which the sink then gets. A span starts at a PU or PD after a separator,
// where the reading's scanner always starts a mnemonic, so a second span is read as the
// whole reading would read it, but for what it cannot know: the PA/PR mode, the current
// point and the census's place. It assumes absolute mode and a census between commands,
// and notes whether its points relied on the mode or the point; a span whose guess was
// wrong is read again on the calling thread. The sink gets the same calls in the same
// order, and the result is the same, as from readClassicPlotInto, except for progress,
// which only the calling thread's spans tell.
#pragma once

#include "hpgl/classic_reading.h"
#include "hpgl/recorded_plot.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace orlex {

namespace span_reading {

// How a file is cut into spans.
struct Sizes {
    // Bytes of one round's two spans: small enough that a second span's recording stays
    // in the cache (and its pages are reused from round to round).
    std::uint64_t round = std::uint64_t{512} << 10;
    std::uint64_t smallest = std::uint64_t{1} << 20; // a file shorter than this is one span
    // The first span's share of a round, in per cent: its thread also feeds the sink
    // and replays the second span, so it takes less than half.
    std::uint64_t firstShare = 42;
    // When the other core is busy, the calling thread reads the rest alone rather than
    // wait (see SecondSpans::take); tests turn it off to see every round in two spans.
    bool takeOver = true;

    // The default sizes; on a machine of one processor, every file in one span.
    static Sizes forThisMachine();
};

// One round: the calling thread reads from the round's start up to `split`, the second
// thread from `split` to `end`, which is the next round's start or the file's size.
struct Round {
    std::uint64_t split = 0;
    std::uint64_t end = 0;
};

// The rounds of the file, in order. After the last one's end, if that is not the file's
// size, the rest is read as one span (no cut was found where one was looked for).
std::vector<Round> planRounds(int fd, std::uint64_t fileSize, const Sizes& sizes);

// The bytes of the span [from, to): it stops at the 'P' of the cut at `to`, read but not
// given to the census, or runs to the end of the file when `to` is its size.
classic_reading::Span spanOf(std::uint64_t from, std::uint64_t to, std::uint64_t fileSize);

// The second span of a round as its thread read it.
struct SecondSpan {
    ReadResult result;
    RecordedPlot plot;
    CommandCensus census; // begun new at the span's start
    classic_reading::ReadingState end;
    bool reliedOnMode = false;  // a pair came before the span's first PA or PR
    bool reliedOnPoint = false; // a PR came before the span's first pair
    bool setMode = false;       // a PA or PR came
    bool failed = false;        // it could not be read to its end

    // Whether it reads as it would have after a first span that ended in `before`, with
    // `censusBefore` (when taken) fed up to the split.
    bool follows(const classic_reading::ReadingState& before, const CommandCensus* censusBefore) const;
    // Where a span that follows `before` leaves the reading: its own mode and point once
    // it set them (its pen it always sets first), else those it started from.
    classic_reading::ReadingState endAfter(const classic_reading::ReadingState& before) const;
};

// The second spans of the rounds, read in order on a thread of their own into two
// places that the calling thread takes in turn.
class SecondSpans {
public:
    // Starts the thread; std::system_error when there is none to be had. `takeOver`: see
    // take().
    SecondSpans(int fd, std::vector<Round> rounds, std::uint64_t fileSize, bool census, bool takeOver);
    // Stops the thread, wherever it is, and waits for it.
    ~SecondSpans();
    SecondSpans(const SecondSpans&) = delete;
    SecondSpans& operator=(const SecondSpans&) = delete;

    // Round `index`'s second span, once read; rounds are taken in order, each once. With
    // `takeOver`, the calling thread does not wait for a thread that is late: nullptr (read
    // it here) when the thread had not begun the span; and once the waits add up to more
    // than half of what the calling thread's own spans took (`ownSpan` each), the other
    // core is busy: the thread stops after this span, and the calling thread reads on alone.
    const SecondSpan* take(std::size_t index, std::chrono::nanoseconds ownSpan);
    // Done with the round taken last: its place is free for the round after the next.
    void release();

private:
    static constexpr std::size_t kPlaces = 2;
    static constexpr std::size_t kRoundsBeforeJudging = 3;
    void readAll();
    void stopThread();

    const int fd_;
    const std::vector<Round> rounds_;
    const std::uint64_t fileSize_;
    const bool census_;
    const bool takeOver_;
    SecondSpan places_[kPlaces];
    std::atomic<std::size_t> read_{0};     // rounds read, by the thread
    std::atomic<std::size_t> released_{0}; // rounds released, by the calling thread
    std::atomic<std::size_t> claimed_{0};  // rounds begun, by either thread
    std::atomic<bool> stop_{false};
    std::chrono::nanoseconds worked_{0}, waited_{0}; // the calling thread's, in take()
    std::jthread thread_;
};

// What a later span found, added to what the reading found before it.
void addSpan(ReadResult& into, const ReadResult& span);

// A sink that takes points without keeping them and stops at the given one.
class StopAt final : public PlotSink {
public:
    explicit StopAt(std::uint64_t point) : left_(point) {}
    bool point(double, double, Pen) override { return --left_ != 0; }

private:
    std::uint64_t left_;
};

} // namespace span_reading

// How a reading in spans went, for its tests and benchmarks.
struct SpanCounts {
    int rounds = 0;
    int readAgain = 0; // second spans read (again) on the calling thread
};

// readClassicPlotInto, in spans on two threads for a file of at least sizes.smallest.
// Meant for a sink that does not stop: one that does gets the same calls and result, but
// the span it stopped in is read twice.
template <class Sink>
ReadResult readClassicPlotInSpans(const std::string& path, Sink& sink, Census census = Census::Skip,
                                  span_reading::Sizes sizes = span_reading::Sizes::forThisMachine(),
                                  SpanCounts* counts = nullptr)
{
    using namespace classic_reading;
    using span_reading::spanOf;
    ReadResult result;
    std::uint64_t size = 0;
    const OpenPlot file = openPlot(path, result, size);
    if (!file)
        return result;
    const int fd = file.fd();
    CommandCensus counting;
    CommandCensus* const counted = census == Census::Take ? &counting : nullptr;
    ReadingState state;

    // The rest of the file read for the census alone, once the sink stopped, and the
    // reading's end.
    const auto finishFrom = [&](std::uint64_t offset) {
        ByteReader rest(fd, size, sink, counted, {offset});
        finishReading(path, rest, counted, result);
    };
    // Reads `span` on this thread into the sink. True when it stopped at its cut, and the
    // reading goes on; false when the reading is over and its result complete.
    const auto readHere = [&](Span span) {
        ByteReader reader(fd, size, sink, counted, span);
        ClassicReader<Sink> reading(reader, sink, result, state);
        reading.run();
        state = reading.state();
        if (reader.atCut() && reader.error() == 0 && !result.stopped)
            return true;
        if (result.stopped && reader.error() == 0 && span.end != kToTheEnd) {
            while (!reader.atEnd())
                reader.skipTo(reader.blockEnd());
            finishFrom(span.censusEnd);
        } else {
            finishReading(path, reader, counted, result);
        }
        return false;
    };

    std::vector<span_reading::Round> rounds = span_reading::planRounds(fd, size, sizes);
    std::optional<span_reading::SecondSpans> seconds;
    try {
        if (!rounds.empty())
            seconds.emplace(fd, rounds, size, counted != nullptr, sizes.takeOver);
    } catch (const std::system_error&) { // no thread to be had: all on this one
        rounds.clear();
    }
    std::uint64_t start = 0;
    for (std::size_t index = 0; index < rounds.size(); ++index) {
        const span_reading::Round& round = rounds[index];
        const auto began = std::chrono::steady_clock::now();
        if (!readHere(spanOf(start, round.split, size)))
            return result;
        const span_reading::SecondSpan* second = seconds->take(index, std::chrono::steady_clock::now() - began);
        if (counts != nullptr)
            ++counts->rounds;
        if (second != nullptr && second->follows(state, counted)) {
            if (const ReplayEnd replayed = second->plot.replayInto(sink); replayed.stopped) {
                // Stopped at a point of the replay: the span is read again up to that
                // point, for what the reading found before it.
                span_reading::StopAt stopAt(replayed.points);
                ByteReader reader(fd, size, stopAt, nullptr, spanOf(round.split, round.end, size));
                ClassicReader<span_reading::StopAt>(reader, stopAt, result, state).run();
                finishFrom(round.split);
                return result;
            }
            span_reading::addSpan(result, second->result);
            if (counted != nullptr)
                counted->continueWith(second->census);
            state = second->endAfter(state);
        } else {
            if (counts != nullptr)
                ++counts->readAgain;
            if (!readHere(spanOf(round.split, round.end, size)))
                return result;
        }
        seconds->release();
        start = round.end;
    }
    if (!rounds.empty() && start == size) { // the last second span ran to the end of the file
        if (counted != nullptr)
            result.ignoredByClassic = counted->finish();
        return result;
    }
    readHere({start});
    return result;
}

} // namespace orlex
