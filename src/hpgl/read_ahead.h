// The classic reading beside its sink: the bytes are read and parsed on a thread of their
// own, which hands points, pen selections and progress over in batches, while the calling
// thread feeds them to the sink. On two cores the parsing and the sink's work overlap,
// which pays when the sink's work is at least the parsing's (a preview drawn point by
// point); the handover itself costs about a tenth of a reading. The sink sees the same
// calls in the same order as from readClassicPlotInto, on the calling thread. A second
// sink, fed on the reading thread itself, can take work off the calling thread.
#pragma once

#include "common/whole_number.h"
#include "hpgl/classic_reading.h"

#include <atomic>
#include <bit>
#include <climits>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace orlex {

namespace read_ahead {

// A batch is a run of 8-byte slots. A point whose coordinates are whole numbers (x within
// 32 bits, y within 31, neither -0) takes one slot: x, and y doubled plus the pen. Any
// other call takes a marked slot saying what it is; a point or progress then two more
// slots with the bits of its two numbers. The batches pass from one core's cache to the
// other's, and with 24 bytes a point that traffic took a fifth of the reading thread.
struct Slot {
    std::int32_t x = 0;
    std::int32_t rest = 0; // y * 2 + pen; in a marked slot, the Mark (and a pen's number)
};
static_assert(sizeof(Slot) == 8);

inline constexpr std::int32_t kMarked = INT32_MIN; // x of a slot that is no whole point
enum class Mark : std::int32_t { PointUp, PointDown, PenSelection, Progress };

// Batches from the reading thread to the sink's, at most kBatches on the way, so that a
// reading far ahead of its sink holds a bounded amount of memory. A handover may wake a
// sleeping thread, which on a virtual machine costs more than filling a batch of a few
// thousand points: with 24-byte events, batches of 16,384 took the window's Test and Show
// of 27 MB from 0.22 to 0.19 s against 8,192, and 1,024 made it 0.27 s. In slots, 32,768
// (256 KiB) and 49,152 were a tenth quicker than 16,384.
class Handover {
public:
    static constexpr std::size_t kBatchSlots = 32768;
    static constexpr std::size_t kBatches = 4;

    // Reading thread: passes a full (or the last) batch on, waiting while kBatches are on
    // the way; gets back an empty one to fill.
    std::vector<Slot> pass(std::vector<Slot> batch);
    // Reading thread: no more batches; `failure` is what the reading threw, if it did.
    void finish(std::exception_ptr failure);
    // Sink's thread: the next batch, or an empty one once the reading has finished and
    // everything passed was taken.
    std::vector<Slot> take();
    // Sink's thread: a batch taken and used, for the reading to fill again.
    void giveBack(std::vector<Slot> batch);
    // The sink asked to stop: the reading ends at its next point.
    void stop();
    bool stopped() const { return stop_.load(std::memory_order_relaxed); }
    std::exception_ptr failure() const { return failure_; }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<Slot>> full_;
    std::vector<std::vector<Slot>> empty_;
    bool finished_ = false;
    std::exception_ptr failure_;
    std::atomic<bool> stop_{false};
    // full_.size() and finished_, for a look without the lock
    std::atomic<std::size_t> onTheWay_{0};
    std::atomic<bool> finishedSeen_{false};
};

// The reading thread's sink: it writes every call into batches.
class BatchingSink final : public PlotSink {
public:
    explicit BatchingSink(Handover& handover) : handover_(handover) { batch_.reserve(Handover::kBatchSlots); }
    bool point(double x, double y, Pen pen) override
    {
        if (handover_.stopped())
            return false;
        const bool down = pen == Pen::Down;
        std::int32_t wholeX = 0, wholeY = 0;
        if (exactWhole(x, wholeX) && wholeX != kMarked && exactWhole(y, wholeY) && wholeY >= kLowestY
            && wholeY <= kHighestY)
            batch_.push_back({wholeX, wholeY * 2 + (down ? 1 : 0)});
        else
            addMarked(down ? Mark::PointDown : Mark::PointUp, std::bit_cast<Slot>(x), std::bit_cast<Slot>(y));
        passWhenFull();
        return true;
    }
    void selectPen(char pen) override
    {
        batch_.push_back(
            {kMarked, static_cast<std::int32_t>(Mark::PenSelection) | static_cast<unsigned char>(pen) << 8});
        passWhenFull();
    }
    void readProgress(std::uint64_t bytesRead, std::uint64_t fileSize) override
    {
        addMarked(Mark::Progress, std::bit_cast<Slot>(bytesRead), std::bit_cast<Slot>(fileSize));
        passWhenFull();
    }
    // Passes on what is left.
    void flush()
    {
        if (!batch_.empty())
            batch_ = handover_.pass(std::move(batch_));
    }

private:
    static constexpr std::int32_t kLowestY = -(1 << 30), kHighestY = (1 << 30) - 1;

    void addMarked(Mark mark, Slot first, Slot second)
    {
        batch_.push_back({kMarked, static_cast<std::int32_t>(mark)});
        batch_.push_back(first);
        batch_.push_back(second);
    }
    // A batch is passed on before it could not take one more call (three slots).
    void passWhenFull()
    {
        if (batch_.size() + 3 > Handover::kBatchSlots)
            batch_ = handover_.pass(std::move(batch_));
    }
    Handover& handover_;
    std::vector<Slot> batch_;
};

// A sink that takes nothing: the reading thread's own sink when there is none.
class NoSink final : public PlotSink {
public:
    bool point(double, double, Pen) override { return true; }
};

// Two sinks as one: `sink` first, and `beside` gets only the points `sink` took, and the
// pen selections, but no progress. On the reading thread `sink` is the batching one.
template <class Beside, class Sink>
class SinkThenBeside final : public PlotSink {
public:
    SinkThenBeside(Beside& beside, Sink& sink) : beside_(beside), sink_(sink) {}
    [[gnu::always_inline]] bool point(double x, double y, Pen pen) override
    {
        if (!sink_.point(x, y, pen))
            return false;
        beside_.point(x, y, pen);
        return true;
    }
    void selectPen(char pen) override
    {
        sink_.selectPen(pen);
        beside_.selectPen(pen);
    }
    void readProgress(std::uint64_t bytesRead, std::uint64_t fileSize) override
    {
        sink_.readProgress(bytesRead, fileSize);
    }

private:
    Beside& beside_;
    Sink& sink_;
};

} // namespace read_ahead

// Plot files from this size on are read beside their sink; smaller ones are read on the
// calling thread, where a thread's start would cost more than the overlap saves. So are
// all files on a machine with one processor.
inline constexpr std::uint64_t kReadAheadFromBytes = std::uint64_t{1} << 20;

// readClassicPlotInto, with the reading on a thread of its own for a file of at least
// `fromBytes`. The result is the one the reading on one thread gives, with one difference
// when the sink stops: `points` counts the points it took and `stopped` is set, but the
// beeps and skipped pairs may include some of what the reading had read ahead (a few
// batches); the census covers the whole file either way.
//
// `beside`, when given, gets every point and pen selection that the sink gets, in the same
// order but on the reading thread, as they are batched (no progress): work that need not
// be done on the calling thread. When the sink stops, `beside` has had up to a few batches
// more. On one thread it gets each call right after the sink.
template <class Beside, class Sink>
ReadResult readClassicPlotAhead(const std::string& path, Beside& beside, Sink& sink, Census census = Census::Skip,
                                std::uint64_t fromBytes = kReadAheadFromBytes)
{
    std::error_code ec;
    const std::uintmax_t size = path.empty() ? 0 : std::filesystem::file_size(path, ec);
    if (path.empty() || ec || size < fromBytes || std::thread::hardware_concurrency() < 2) {
        read_ahead::SinkThenBeside<Beside, Sink> both(beside, sink);
        return readClassicPlotInto(path, both, census);
    }

    read_ahead::Handover handover;
    ReadResult result;
    std::thread reading;
    try {
        reading = std::thread([&] {
            std::exception_ptr failure;
            try {
                read_ahead::BatchingSink batching(handover);
                read_ahead::SinkThenBeside<Beside, read_ahead::BatchingSink> fed(beside, batching);
                result = readClassicPlotInto(path, fed, census);
                batching.flush();
            } catch (...) {
                failure = std::current_exception();
            }
            handover.finish(failure);
        });
    } catch (const std::system_error&) { // no thread to be had: the reading on this one
        read_ahead::SinkThenBeside<Beside, Sink> both(beside, sink);
        return readClassicPlotInto(path, both, census);
    }
    // However the sink's side ends (a sink may throw), the reading is stopped and waited for.
    const struct Joined {
        read_ahead::Handover& handover;
        std::thread& reading;
        ~Joined()
        {
            handover.stop();
            // Taking what is left frees a reading that waits to pass a batch.
            while (!handover.take().empty())
                continue;
            reading.join();
        }
    } joined{handover, reading};

    std::uint64_t pointsTaken = 0;
    bool sinkStopped = false;
    // Past a stop, what the reading had read ahead is dropped; the census reads on to the
    // end, and the progress through it is told as on one thread.
    const auto takePoint = [&](double x, double y, Pen pen) {
        if (sinkStopped)
            return;
        ++pointsTaken;
        if (!sink.point(x, y, pen)) {
            sinkStopped = true;
            handover.stop();
        }
    };
    for (std::vector<read_ahead::Slot> batch = handover.take(); !batch.empty(); batch = handover.take()) {
        for (auto slot = batch.cbegin(); slot != batch.cend(); ++slot) {
            if (slot->x != read_ahead::kMarked) {
                takePoint(slot->x, slot->rest >> 1, (slot->rest & 1) != 0 ? Pen::Down : Pen::Up);
                continue;
            }
            const auto mark = static_cast<read_ahead::Mark>(slot->rest & 0xff);
            if (mark == read_ahead::Mark::PenSelection) {
                if (!sinkStopped)
                    sink.selectPen(static_cast<char>(static_cast<unsigned char>(slot->rest >> 8)));
                continue;
            }
            const read_ahead::Slot first = *++slot, second = *++slot;
            if (mark == read_ahead::Mark::Progress) {
                if (!sinkStopped || census == Census::Take)
                    sink.readProgress(std::bit_cast<std::uint64_t>(first), std::bit_cast<std::uint64_t>(second));
            } else {
                takePoint(std::bit_cast<double>(first), std::bit_cast<double>(second),
                          mark == read_ahead::Mark::PointDown ? Pen::Down : Pen::Up);
            }
        }
        handover.giveBack(std::move(batch));
    }
    // Every batch was taken: the reading has finished and its result is complete.
    if (handover.failure())
        std::rethrow_exception(handover.failure());
    if (sinkStopped) {
        result.points = pointsTaken;
        result.stopped = true;
    }
    return result;
}

// readClassicPlotAhead with nothing fed on the reading thread.
template <class Sink>
ReadResult readClassicPlotAhead(const std::string& path, Sink& sink, Census census = Census::Skip,
                                std::uint64_t fromBytes = kReadAheadFromBytes)
{
    read_ahead::NoSink nothing;
    return readClassicPlotAhead(path, nothing, sink, census, fromBytes);
}

} // namespace orlex
