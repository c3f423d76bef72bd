// Where a plot file is cut into spans, and who reads which.
#include "hpgl/span_reading.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <utility>
#include <vector>

#include <unistd.h>

namespace orlex::span_reading {

namespace {

// How far past the place a cut is wanted it is looked for: first in a short window, which
// almost always holds one, then in a long one.
constexpr std::size_t kShortCutWindow = 1024;
constexpr std::size_t kCutWindow = 64 * 1024;

// The first cut at or after `from` (at least 1) within `window` bytes: the 'P' of a PU or
// PD that follows a separator, with the U or D inside the file. Whatever the reading was
// doing before the separator, it starts a mnemonic at that 'P'.
std::optional<std::uint64_t> findCut(int fd, std::uint64_t from, std::uint64_t fileSize, std::size_t window)
{
    if (from >= fileSize)
        return std::nullopt;
    const std::uint64_t first = from - 1; // the byte before, which must be a separator
    std::vector<unsigned char> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(window, fileSize - first)));
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + got, bytes.size() - got, static_cast<off_t>(first + got));
        if (n > 0)
            got += static_cast<std::size_t>(n);
        else if (n == 0 || errno != EINTR)
            break;
    }
    using classic_reading::kCharClasses;
    for (std::size_t i = 1; i + 1 < got; ++i)
        if (bytes[i] == 'P' && (bytes[i + 1] == 'U' || bytes[i + 1] == 'D')
            && kCharClasses[bytes[i - 1]] == classic_reading::kSeparator)
            return first + i;
    return std::nullopt;
}

std::optional<std::uint64_t> findCut(int fd, std::uint64_t from, std::uint64_t fileSize)
{
    if (const std::optional<std::uint64_t> near = findCut(fd, from, fileSize, kShortCutWindow))
        return near;
    return findCut(fd, from, fileSize, kCutWindow);
}

// Waits until `ready` says yes, asleep on `value`; after a spin of up to `spin` first,
// when waking would take longer than the wait (on a virtual machine, a sleeping thread
// takes longer to wake than a span takes to read).
template <typename Ready>
void waitUntil(const std::atomic<std::size_t>& value, std::chrono::microseconds spin, Ready ready)
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

Sizes Sizes::forThisMachine()
{
    Sizes sizes;
    if (std::thread::hardware_concurrency() < 2)
        sizes.smallest = UINT64_MAX;
    return sizes;
}

std::vector<std::uint64_t> planSpans(int fd, std::uint64_t fileSize, const Sizes& sizes)
{
    std::vector<std::uint64_t> starts{0};
    if (fileSize < sizes.smallest)
        return starts;
    // The last span takes the rest when that is not much more than a span.
    for (std::uint64_t wanted = sizes.span; wanted + sizes.span / 2 < fileSize;) {
        const std::optional<std::uint64_t> cut = findCut(fd, std::max(wanted, starts.back() + 1), fileSize);
        if (!cut) // none where one was looked for: the rest is one span
            break;
        starts.push_back(*cut);
        wanted = *cut + sizes.span;
    }
    return starts;
}

classic_reading::Span spanOf(std::uint64_t from, std::uint64_t to, std::uint64_t fileSize)
{
    if (to == fileSize)
        return {from};
    return {from, to + 1, to};
}

bool SpanOutcome::follows(const classic_reading::ReadingState& before, const CommandCensus* censusBefore) const
{
    // Its first pairs were read as absolute; its first PR added to an unknown point.
    if (failed || (reliedOnMode && before.relative) || reliedOnPoint)
        return false;
    return censusBefore == nullptr || censusBefore->atCommandStart();
}

classic_reading::ReadingState SpanOutcome::endAfter(const classic_reading::ReadingState& before) const
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

SpanClaims::SpanClaims(std::size_t spans, std::size_t places, std::function<void(std::size_t)> readApart)
    : spans_(spans), places_(places), readApart_(std::move(readApart)),
      done_(std::make_unique<std::atomic<std::size_t>[]>(places)), thread_([this] { readAll(); })
{}

SpanClaims::~SpanClaims()
{
    stop_.store(true, std::memory_order_relaxed);
    reached_.fetch_add(1, std::memory_order_release); // wakes the thread if it waits for a place
    reached_.notify_one();
}

bool SpanClaims::mayClaim(std::size_t index) const
{
    return index < spans_ && index < reached_.load(std::memory_order_acquire) + places_;
}

void SpanClaims::readAll()
{
    while (!stop_.load(std::memory_order_relaxed)) {
        std::size_t next = claimed_.load(std::memory_order_relaxed);
        if (next >= spans_)
            return;
        if (const std::size_t reached = reached_.load(std::memory_order_acquire); !mayClaim(next)) {
            reached_.wait(reached, std::memory_order_acquire); // no place free: until the sink moves on
            continue;
        }
        if (!claimed_.compare_exchange_weak(next, next + 1, std::memory_order_relaxed))
            continue;
        readApart_(next);
        done(next);
    }
}

bool SpanClaims::claimNext(std::size_t index)
{
    return claimed_.compare_exchange_strong(index, index + 1, std::memory_order_relaxed);
}

std::optional<std::size_t> SpanClaims::claimAhead()
{
    std::size_t next = claimed_.load(std::memory_order_relaxed);
    while (mayClaim(next))
        if (claimed_.compare_exchange_weak(next, next + 1, std::memory_order_relaxed))
            return next;
    return std::nullopt;
}

void SpanClaims::done(std::size_t index)
{
    std::atomic<std::size_t>& place = done_[index % places_];
    place.store(index + 1, std::memory_order_release);
    place.notify_one();
}

bool SpanClaims::isDone(std::size_t index) const
{
    return done_[index % places_].load(std::memory_order_acquire) == index + 1;
}

void SpanClaims::waitFor(std::size_t index) const
{
    waitUntil(done_[index % places_], std::chrono::microseconds(200), [&] { return isDone(index); });
}

void SpanClaims::reached(std::size_t index)
{
    reached_.store(index, std::memory_order_release);
    reached_.notify_one();
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
