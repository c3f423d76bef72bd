// The in-memory plot gives back every event exactly as recorded: coordinates bit for bit
// (whole, fractional, huge, -0), pen states, and pen selections where they came, also
// before the first point and after the last; a sink that stops ends the replay there.
#include "hpgl/recorded_plot.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <iomanip>
#include <ostream>
#include <utility>
#include <vector>

namespace orlex {
namespace {

// One call as it came: a point, coordinates by their bits so that -0 and 0 differ, or a
// pen selection. Plain data, so that a log of a million points is quick to make and compare.
struct Event {
    std::uint64_t x = 0, y = 0;
    char kind = 0; // 'D' or 'U': a point and its pen; 'S': a selection of pen `pen`
    char pen = 0;
    bool operator==(const Event&) const = default;
};

void PrintTo(const Event& e, std::ostream* out)
{
    if (e.kind == 'S')
        *out << "SP" << e.pen;
    else
        *out << std::setprecision(17) << std::bit_cast<double>(e.x) << "," << std::bit_cast<double>(e.y) << e.kind;
}

class EventLog : public PlotSink {
public:
    explicit EventLog(std::uint64_t stopAt = 0) : stopAt_(stopAt) {}
    bool point(double x, double y, Pen pen) override
    {
        events.push_back(
            {std::bit_cast<std::uint64_t>(x), std::bit_cast<std::uint64_t>(y), pen == Pen::Down ? 'D' : 'U'});
        return ++points_ != stopAt_;
    }
    void selectPen(char pen) override { events.push_back({0, 0, 'S', pen}); }
    std::vector<Event> events;

private:
    std::uint64_t stopAt_, points_ = 0;
};

TEST(RecordedPlot, GivesBackEveryEventExactly)
{
    const double coordinates[] = {0,     -0.0,   1, -1, 12.5, 0.1, 2147483647, -2147483647, -2147483648.0, 2147483648.0,
                                  1e300, -4e-310};
    EventLog direct;
    RecordedPlot plot;
    SinkFan both{&direct, &plot};
    both.selectPen('3'); // before any point
    int n = 0;
    for (double x : coordinates)
        for (double y : coordinates) {
            both.point(x, y, ++n % 3 == 0 ? Pen::Down : Pen::Up);
            if (n % 17 == 0) {
                both.selectPen('2');
                both.selectPen('5'); // two in a row keep their order
            }
        }
    both.selectPen('1'); // after the last point

    EventLog replayed;
    const ReplayEnd end = plot.replay(replayed);
    EXPECT_EQ(replayed.events, direct.events);
    EXPECT_EQ(end.points, plot.points());
    EXPECT_FALSE(end.stopped);
    EXPECT_LE(plot.bytes(), plot.points() * 8 + plot.points() / 8 + 64 * 24 + plot.penSelections() * 16 + 4096);
}

// Plots of whole 16-bit coordinates take 4 bytes a point and a bit, over many blocks of
// points; the 16-bit ends, exact points among whole ones and pen selections on a block's
// edge come back as they went in, and two recordings compare by their events.
TEST(RecordedPlot, KeepsLargePlotsCompactAndExact)
{
    struct PlotSize {
        const char* name;
        std::uint64_t points;
        int exactEvery;  // every n-th point fractional; 0: none
        double maxBytes; // per point
    };
    const PlotSize cases[] = {
        {"one point", 1, 0, 0},
        {"a block less one", 65535, 0, 4.2},
        {"a block", 65536, 0, 4.2},
        {"three blocks and some", 3 * 65536 + 77, 0, 4.2},
        {"every 1000th fractional", 3 * 65536 + 77, 1000, 4.3},
        {"into a second huge region", 8 * 65536 + 5, 0, 4.2}, // a block, then seven to a region
    };
    for (const PlotSize& c : cases) {
        SCOPED_TRACE(c.name);
        EventLog direct;
        RecordedPlot plot, again;
        SinkFan both{&direct, &plot};
        for (std::uint64_t i = 0; i < c.points; ++i) {
            const double x = (i % 4099 == 0) ? -32768.0
                             : (i % 13 == 0) ? 32767.0
                                             : static_cast<double>(static_cast<std::int64_t>(i * 37 % 65536) - 32768);
            const double y = (i % 11 == 0) ? 32767.0 : -static_cast<double>(i % 32768);
            const bool fractional = c.exactEvery != 0 && i % static_cast<std::uint64_t>(c.exactEvery) == 0;
            const Pen pen = (i * 2654435761u >> 7) % 3 == 0 ? Pen::Up : Pen::Down;
            if (i % 65536 == 0) { // on a block's first point
                both.selectPen(static_cast<char>('1' + i / 65536 % 9));
                again.selectPen(static_cast<char>('1' + i / 65536 % 9));
            }
            both.point(fractional ? x + 0.25 : x, y, pen);
            const bool last = i + 1 == c.points; // its pen differs in `again`
            again.point(fractional ? x + 0.25 : x, y, last ? (pen == Pen::Up ? Pen::Down : Pen::Up) : pen);
        }
        EventLog replayed;
        plot.replay(replayed);
        EXPECT_EQ(replayed.events, direct.events);
        EXPECT_EQ(plot.points(), c.points);
        if (c.maxBytes > 0) {
            EXPECT_LE(static_cast<double>(plot.bytes()), c.maxBytes * static_cast<double>(c.points));
        }
        EXPECT_FALSE(plot == again);
        RecordedPlot copy;
        plot.replay(copy);
        EXPECT_TRUE(copy == plot);
        copy.point(0, 0, Pen::Up);
        EXPECT_FALSE(copy == plot);
    }
}

// A recording cleared and made again holds only what came after the clear, though its
// memory held more points than that.
TEST(RecordedPlot, ClearedAndMadeAgainHoldsOnlyTheNewPlot)
{
    RecordedPlot reused, fresh;
    for (int i = 0; i < 3 * 65536; ++i)
        reused.point(i % 1000, 0.5, Pen::Down);
    reused.selectPen('2');
    reused.clear();
    for (RecordedPlot* plot : {&reused, &fresh}) {
        plot->selectPen('4');
        for (int i = 0; i < 70000; ++i)
            plot->point(i % 5000, -(i % 7), i % 3 == 0 ? Pen::Up : Pen::Down);
    }
    EXPECT_TRUE(reused == fresh);
    EventLog fromReused, fromFresh;
    EXPECT_EQ(reused.replay(fromReused).points, 70000u);
    fresh.replay(fromFresh);
    EXPECT_EQ(fromReused.events, fromFresh.events);
}

TEST(HugeRegion, AlignedToItsSizeWritableThroughoutAndHandedOnByAMove)
{
    HugeRegion region;
    std::byte* const data = region.data();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(data) % HugeRegion::kBytes, 0u);
    data[0] = std::byte{1};
    data[HugeRegion::kBytes - 1] = std::byte{2};
    HugeRegion taken(std::move(region));
    EXPECT_EQ(region.data(), nullptr);
    EXPECT_EQ(taken.data(), data);
    EXPECT_EQ(taken.data()[HugeRegion::kBytes - 1], std::byte{2});
}

TEST(RecordedPlot, StopsWhereTheSinkAsks)
{
    RecordedPlot plot;
    for (int i = 0; i < 10; ++i)
        plot.point(i, i, Pen::Down);
    EventLog stopping(4);
    const ReplayEnd end = plot.replay(stopping);
    EXPECT_EQ(end.points, 4u);
    EXPECT_TRUE(end.stopped);
    EXPECT_EQ(stopping.events.size(), 4u);
}

} // namespace
} // namespace orlex
