// The in-memory plot gives back every event exactly as recorded: coordinates bit for bit
// (whole, fractional, huge, -0), pen states, and pen selections where they came, also
// before the first point and after the last; a sink that stops ends the replay there.
#include "hpgl/recorded_plot.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace orlex {
namespace {

// Each event as text, coordinates by their bits, so -0 and 0 differ.
class EventLog : public PlotSink {
public:
    explicit EventLog(std::uint64_t stopAt = 0) : stopAt_(stopAt) {}
    bool point(double x, double y, Pen pen) override
    {
        events.push_back(std::to_string(std::bit_cast<std::uint64_t>(x)) + ","
                         + std::to_string(std::bit_cast<std::uint64_t>(y)) + (pen == Pen::Down ? "D" : "U"));
        return ++points_ != stopAt_;
    }
    void selectPen(char pen) override { events.push_back(std::string("SP") + pen); }
    std::vector<std::string> events;

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
