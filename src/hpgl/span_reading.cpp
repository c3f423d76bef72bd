// Where a plot file is cut into spans, and the second span's reading.
#include "hpgl/span_reading.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <vector>

#include <unistd.h>

namespace orlex::span_reading {

namespace {

// How far past the place a cut is wanted it is looked for.
constexpr std::size_t kCutWindow = 64 * 1024;

// The first cut at or after `from` (at least 1) within kCutWindow bytes: the 'P' of a PU
// or PD that follows a separator, with the U or D inside the file. Whatever the reading
// was doing before the separator, it starts a mnemonic at that 'P'.
std::optional<std::uint64_t> findCut(int fd, std::uint64_t from, std::uint64_t fileSize)
{
    if (from >= fileSize)
        return std::nullopt;
    const std::uint64_t first = from - 1; // the byte before, which must be a separator
    std::vector<unsigned char> window(static_cast<std::size_t>(std::min<std::uint64_t>(kCutWindow, fileSize - first)));
    std::size_t got = 0;
    while (got < window.size()) {
        const ssize_t n = ::pread(fd, window.data() + got, window.size() - got, static_cast<off_t>(first + got));
        if (n > 0)
            got += static_cast<std::size_t>(n);
        else if (n == 0 || errno != EINTR)
            break;
    }
    using classic_reading::kCharClasses;
    for (std::size_t i = 1; i + 1 < got; ++i)
        if (window[i] == 'P' && (window[i + 1] == 'U' || window[i + 1] == 'D')
            && kCharClasses[window[i - 1]] == classic_reading::kSeparator)
            return first + i;
    return std::nullopt;
}

} // namespace

Sizes Sizes::forThisMachine()
{
    Sizes sizes;
    if (std::thread::hardware_concurrency() < 2)
        sizes.smallest = UINT64_MAX;
    return sizes;
}

std::vector<Round> planRounds(int fd, std::uint64_t fileSize, const Sizes& sizes)
{
    std::vector<Round> rounds;
    if (fileSize < sizes.smallest)
        return rounds;
    for (std::uint64_t start = 0; start < fileSize;) {
        // The last round takes the rest when it is not much more than a round.
        const std::uint64_t rest = fileSize - start;
        const bool last = rest <= sizes.round + sizes.round / 2;
        const std::uint64_t length = last ? rest : sizes.round;
        const std::optional<std::uint64_t> split =
            findCut(fd, start + std::max<std::uint64_t>(1, length * sizes.firstShare / 100), fileSize);
        if (!split)
            break;
        const std::optional<std::uint64_t> end =
            last ? fileSize : findCut(fd, std::max(start + length, *split + 1), fileSize);
        if (!end)
            break;
        rounds.push_back({*split, *end});
        start = *end;
    }
    return rounds;
}

classic_reading::Span spanOf(std::uint64_t from, std::uint64_t to, std::uint64_t fileSize)
{
    if (to == fileSize)
        return {from};
    return {from, to + 1, to};
}

bool SecondSpan::follows(const classic_reading::ReadingState& before, const CommandCensus* censusBefore) const
{
    // Its first pairs were read as absolute; its first PR added to an unknown point.
    if (failed || (reliedOnMode && before.relative) || reliedOnPoint)
        return false;
    return censusBefore == nullptr || censusBefore->atCommandStart();
}

classic_reading::ReadingState SecondSpan::endAfter(const classic_reading::ReadingState& before) const
{
    classic_reading::ReadingState after = end;
    if (!setMode)
        after.relative = before.relative;
    if (result.points == 0) { // with no pair, no point of its own
        after.x = before.x;
        after.y = before.y;
    }
    return after;
}

namespace {

// Reads round `round`'s second span into `span`, which it empties first.
void readSecondSpan(int fd, Round round, std::uint64_t fileSize, bool census, SecondSpan& span)
{
    span.result = {};
    span.plot.clear();
    span.census = {};
    span.failed = false;
    try {
        classic_reading::ByteReader reader(fd, fileSize, span.plot, census ? &span.census : nullptr,
                                           spanOf(round.split, round.end, fileSize));
        classic_reading::ClassicReader<RecordedPlot> reading(reader, span.plot, span.result);
        reading.run();
        span.end = reading.state();
        span.reliedOnMode = reading.reliedOnStartMode();
        span.reliedOnPoint = reading.reliedOnStartPoint();
        span.setMode = reading.setMode();
        span.failed = reader.error() != 0;
    } catch (...) { // out of memory, say: the calling thread reads the span itself
        span.failed = true;
    }
}

// Waits until `ready` says yes, asleep on `value`; after a spin of up to `spin` first,
// when waking would take longer than the wait (on a virtual machine, a sleeping thread
// takes longer to wake than a round's span takes to read).
template <typename Ready>
void waitFor(const std::atomic<std::size_t>& value, std::chrono::microseconds spin, Ready ready)
{
    const auto spinUntil = std::chrono::steady_clock::now() + spin;
    for (int spins = 0; !ready(); ++spins) {
        if (spins % 64 == 0 && std::chrono::steady_clock::now() >= spinUntil) {
            for (std::size_t seen = value.load(std::memory_order_acquire); !ready();
                 seen = value.load(std::memory_order_acquire))
                value.wait(seen, std::memory_order_acquire);
            return;
        }
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause(); // leaves the core to the other thread meanwhile
#endif
    }
}

} // namespace

SecondSpans::SecondSpans(int fd, std::vector<Round> rounds, std::uint64_t fileSize, bool census, bool takeOver)
    : fd_(fd), rounds_(std::move(rounds)), fileSize_(fileSize), census_(census), takeOver_(takeOver),
      thread_([this] { readAll(); })
{}

SecondSpans::~SecondSpans()
{
    stopThread();
}

void SecondSpans::stopThread()
{
    stop_.store(true, std::memory_order_relaxed);
    released_.store(rounds_.size(), std::memory_order_release); // wakes a thread waiting for a place
    released_.notify_one();
}

void SecondSpans::readAll()
{
    for (std::size_t index = 0; index < rounds_.size(); ++index) {
        // Ahead of the calling thread: this one sleeps at once.
        waitFor(released_, std::chrono::microseconds(0),
                [&] { return index < released_.load(std::memory_order_acquire) + kPlaces; });
        if (stop_.load(std::memory_order_relaxed))
            return;
        if (std::size_t unclaimed = index; !claimed_.compare_exchange_strong(unclaimed, index + 1))
            continue; // the calling thread reads this one itself
        readSecondSpan(fd_, rounds_[index], fileSize_, census_, places_[index % kPlaces]);
        read_.store(index + 1, std::memory_order_release);
        read_.notify_one();
    }
}

const SecondSpan* SecondSpans::take(std::size_t index, std::chrono::nanoseconds ownSpan)
{
    const bool judged = index >= kRoundsBeforeJudging; // the thread's start is not counted
    if (judged)
        worked_ += ownSpan;
    if (read_.load(std::memory_order_acquire) > index)
        return &places_[index % kPlaces];
    if (takeOver_) {
        if (std::size_t unclaimed = index; claimed_.compare_exchange_strong(unclaimed, index + 1))
            return nullptr; // not begun: read here
    }
    const auto began = std::chrono::steady_clock::now();
    waitFor(read_, std::chrono::microseconds(200), [&] { return read_.load(std::memory_order_acquire) > index; });
    // Over the rounds since the first few (the thread's start), waited for more than half
    // the time the calling thread's own spans took: the other core is busy, and the rest
    // is read here, after the span the thread has begun. A single wait says little.
    if (judged)
        waited_ += std::chrono::steady_clock::now() - began;
    if (takeOver_ && index >= 2 * kRoundsBeforeJudging && waited_ > worked_ / 2)
        stopThread();
    return &places_[index % kPlaces];
}

void SecondSpans::release()
{
    released_.fetch_add(1, std::memory_order_release);
    released_.notify_one();
}

void addSpan(ReadResult& into, const ReadResult& span)
{
    into.points += span.points;
    into.beeps += span.beeps;
    into.endOfFileCaption = into.endOfFileCaption || span.endOfFileCaption;
    if (into.skippedPairs == 0)
        into.firstSkipped = span.firstSkipped;
    into.skippedPairs += span.skippedPairs;
}

} // namespace orlex::span_reading
