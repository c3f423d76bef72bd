// The classic reading of a large plot on two cores. The file is cut into spans, and the
// calling thread and a thread of its own claim them in order, each taking the next span
// nobody has claimed. The calling thread reads the span the sink has reached straight
// into the sink; any other span is read apart, into a part that the sink gets once it
// reaches it: a part the sink counted apart and now joins to its own counts (see
// SpanParts), or else a recording that is replayed into it. So neither thread waits for
// the other while a span is left, and a slower core simply reads fewer spans.
//
// A span starts at a PU or PD after a separator, where the reading's scanner always starts
// a mnemonic, so a span read apart is read as the whole reading would read it, but for
// what it cannot know: the PA/PR mode, the current point and the census's place. It
// assumes absolute mode and a census between commands, and notes whether its points
// relied on the mode or the point; a span whose guess was wrong is read again, into the
// sink. The sink gets the same calls in the same order (or the same counts), and the
// result is the same, as from readClassicPlotInto, except for progress, which only the
// spans read into the sink tell.
#pragma once

#include "hpgl/classic_reading.h"
#include "hpgl/recorded_plot.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace orlex {

namespace span_reading {

// How a file is cut into spans.
struct Sizes {
    // Bytes of a span: large enough that claiming and joining it costs little, small
    // enough that the thread that reads the last one is not long alone.
    std::uint64_t span = std::uint64_t{256} << 10;
    std::uint64_t smallest = std::uint64_t{1} << 20; // a file shorter than this is one span
    // The calling thread reads the span the sink has reached straight into it when nobody
    // has claimed it; tests turn this off to have every span after the first read apart.
    bool readReachedHere = true;

    // The default sizes; on a machine of one processor, every file in one span.
    static Sizes forThisMachine();
};

// Where the spans of the file start, in order: 0, then a cut about every sizes.span bytes.
// One start (the whole file in one span) for a file under sizes.smallest.
std::vector<std::uint64_t> planSpans(int fd, std::uint64_t fileSize, const Sizes& sizes);

// The bytes of the span [from, to): it stops at the 'P' of the cut at `to`, read but not
// given to the census, or runs to the end of the file when `to` is its size.
classic_reading::Span spanOf(std::uint64_t from, std::uint64_t to, std::uint64_t fileSize);

// How a span read apart went, whatever it was read into.
struct SpanOutcome {
    ReadResult result;
    CommandCensus census; // begun new at the span's start
    classic_reading::ReadingState end;
    bool reliedOnMode = false;  // a pair came before the span's first PA or PR
    bool reliedOnPoint = false; // a PR came before the span's first pair
    bool setMode = false;       // a PA or PR came
    bool failed = false;        // it could not be read to its end

    // Whether it reads as it would have after the spans before it, which ended in
    // `before`, with `censusBefore` (when taken) fed up to its start.
    bool follows(const classic_reading::ReadingState& before, const CommandCensus* censusBefore) const;
    // Where a span that follows `before` leaves the reading: its own mode and point once
    // it set them (its pen it always sets first), else those it started from.
    classic_reading::ReadingState endAfter(const classic_reading::ReadingState& before) const;
};

// A span read apart, into a Part (see SpanParts).
template <class Part>
struct SpanReadApart : SpanOutcome {
    Part part;
};

// What a span read apart goes into, and how the sink then gets it. A sink that counts what
// it is given can count a span apart: it has a type Part (a final PlotSink that counts from
// a start it does not know), part() that makes one, partsAhead() (how many may wait to be
// joined at once) and join(part), which adds a part's counts to its own as if it had
// counted the span itself; a part is begun anew with restart(). Any other sink gets a
// recording of the span, replayed into it.
template <class Sink>
struct SpanParts {
    using Part = RecordedPlot;
    static Part make(const Sink&) { return {}; }
    static std::size_t ahead(const Sink&) { return 2; } // a recording each: two at most
    static void restart(Part& part) { part.clear(); }
    static ReplayEnd join(Sink& sink, const Part& part) { return part.replayInto(sink); }
};
template <class Sink>
requires requires
{
    typename Sink::Part;
}
struct SpanParts<Sink> {
    using Part = typename Sink::Part;
    static Part make(const Sink& sink) { return sink.part(); }
    static std::size_t ahead(const Sink& sink) { return sink.partsAhead(); }
    static void restart(Part& part) { part.restart(); }
    static ReplayEnd join(Sink& sink, const Part& part)
    {
        sink.join(part);
        return {};
    }
};

// Reads the span `span` of the file apart into `into`, which it empties first.
template <class Part>
void readApart(int fd, classic_reading::Span span, std::uint64_t fileSize, bool census, SpanReadApart<Part>& into,
               void (*restart)(Part&))
{
    static_cast<SpanOutcome&>(into) = {};
    try {
        restart(into.part);
        classic_reading::ByteReader reader(fd, fileSize, into.part, census ? &into.census : nullptr, span);
        classic_reading::ClassicReader<Part> reading(reader, into.part, into.result);
        reading.run();
        into.end = reading.state();
        into.reliedOnMode = reading.reliedOnStartMode();
        into.reliedOnPoint = reading.reliedOnStartPoint();
        into.setMode = reading.setMode();
        into.failed = reader.error() != 0;
    } catch (...) { // out of memory, say: the span is read again into the sink
        into.failed = true;
    }
}

// Who reads which span. Spans 1 to spans - 1 are claimed in order, each once, by the
// calling thread or by a thread of this object's own, which reads a span apart with
// `readApart` (given its index) into its place, index % places, and then tells it done.
// A span may be claimed only while fewer than `places` spans from the one the sink has
// reached on are claimed, so no place is taken before the sink has had it.
class SpanClaims {
public:
    // Starts the thread; std::system_error when there is none to be had.
    SpanClaims(std::size_t spans, std::size_t places, std::function<void(std::size_t)> readApart);
    // Stops the thread, wherever it is, and waits for it.
    ~SpanClaims();
    SpanClaims(const SpanClaims&) = delete;
    SpanClaims& operator=(const SpanClaims&) = delete;

    // The calling thread's claims. claimNext: span `index`, the one the sink has reached,
    // when nobody has claimed it yet (the calling thread reads it into the sink).
    bool claimNext(std::size_t index);
    // The next span nobody has claimed, when places allow: the calling thread reads it apart
    // and tells it done.
    std::optional<std::size_t> claimAhead();
    void done(std::size_t index);
    // Whether span `index` was read apart and is done; waitFor waits until it is.
    bool isDone(std::size_t index) const;
    void waitFor(std::size_t index) const;
    // The sink has had every span before `index`: their places are free.
    void reached(std::size_t index);

private:
    void readAll();
    bool mayClaim(std::size_t index) const;

    const std::size_t spans_;
    const std::size_t places_;
    const std::function<void(std::size_t)> readApart_;
    std::atomic<std::size_t> claimed_{1};              // spans 0 .. claimed_ - 1 are claimed
    std::atomic<std::size_t> reached_{1};              // spans before this one are in the sink
    std::unique_ptr<std::atomic<std::size_t>[]> done_; // per place: the last span done there, + 1
    std::atomic<bool> stop_{false};
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
    int spans = 0;     // spans after the first
    int readApart = 0; // of them read apart and joined
    int readAgain = 0; // of them read apart, but read again into the sink: the guess was wrong
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
    using Parts = span_reading::SpanParts<Sink>;
    using Part = typename Parts::Part;
    ReadResult result;
    std::uint64_t size = 0;
    const OpenPlot file = openPlot(path, result, size);
    if (!file)
        return result;
    const int fd = file.fd();
    CommandCensus counting;
    CommandCensus* const counted = census == Census::Take ? &counting : nullptr;
    ReadingState state;

    const std::vector<std::uint64_t> starts = span_reading::planSpans(fd, size, sizes);
    const auto bytesOf = [&](std::size_t index) {
        return spanOf(starts[index], index + 1 < starts.size() ? starts[index + 1] : size, size);
    };
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

    std::vector<span_reading::SpanReadApart<Part>> places;
    std::optional<span_reading::SpanClaims> claims; // after the places: stopped before they go
    if (starts.size() > 1) {
        try {
            const std::size_t placeCount = std::min(starts.size() - 1, Parts::ahead(sink));
            places.reserve(placeCount);
            while (places.size() < placeCount)
                places.push_back({{}, Parts::make(sink)});
            claims.emplace(starts.size(), places.size(), [&](std::size_t index) {
                span_reading::readApart(fd, bytesOf(index), size, counted != nullptr, places[index % places.size()],
                                        &Parts::restart);
            });
        } catch (const std::system_error&) { // no thread to be had: all on this one
        }
    }
    if (!claims) { // one span, or no second thread: the whole file here
        readHere({});
        return result;
    }
    if (!readHere(bytesOf(0)))
        return result;
    for (std::size_t index = 1; index < starts.size(); claims->reached(++index)) {
        if (counts != nullptr)
            ++counts->spans;
        if (sizes.readReachedHere && claims->claimNext(index)) {
            if (!readHere(bytesOf(index)))
                return result;
            continue;
        }
        // Claimed by the other thread, or read apart here earlier: meanwhile, read the next
        // span nobody has claimed apart, rather than wait.
        while (!claims->isDone(index)) {
            if (const std::optional<std::size_t> ahead = claims->claimAhead()) {
                span_reading::readApart(fd, bytesOf(*ahead), size, counted != nullptr, places[*ahead % places.size()],
                                        &Parts::restart);
                claims->done(*ahead);
            } else {
                claims->waitFor(index);
            }
        }
        const span_reading::SpanReadApart<Part>& apart = places[index % places.size()];
        if (!apart.follows(state, counted)) {
            if (counts != nullptr)
                ++counts->readAgain;
            if (!readHere(bytesOf(index)))
                return result;
            continue;
        }
        if (counts != nullptr)
            ++counts->readApart;
        if (const ReplayEnd replayed = Parts::join(sink, apart.part); replayed.stopped) {
            // Stopped at a point of the replay: the span is read again up to that point, for
            // what the reading found before it.
            span_reading::StopAt stopAt(replayed.points);
            ByteReader reader(fd, size, stopAt, nullptr, bytesOf(index));
            ClassicReader<span_reading::StopAt>(reader, stopAt, result, state).run();
            finishFrom(starts[index]);
            return result;
        }
        span_reading::addSpan(result, apart.result);
        if (counted != nullptr)
            counted->continueWith(apart.census);
        state = apart.endAfter(state);
    }
    // The last span, read apart, ran to the end of the file.
    if (counted != nullptr)
        result.ignoredByClassic = counted->finish();
    return result;
}

} // namespace orlex
