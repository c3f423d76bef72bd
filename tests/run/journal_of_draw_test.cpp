// The draw journal's part that both front ends share: the record of a draw about to run,
// the texts that tell of a kept one, and the keeper that never goes back below the point
// a resumed draw starts from.
#include "run/journal_of_draw.h"

#include "run/carriage_reach.h"
#include "run_rig.h"

#include <cmath>

#include <gtest/gtest.h>

namespace orlex {
namespace {

using test::RunRig;

TEST(JournalOfDraw, TheRecordOfADrawAboutToRun)
{
    RunRig rig;
    const std::string path = rig.file("IN;PU-400,-400;PD400,-400,400,400;PU;");
    const PlotTest check = rig.check(path);
    JournalDrawSetup setup{path, "text=stroke", "virtual", true, true, 3};
    const Result<DrawJournal> record = journalForDraw(setup, rig.settings, check);
    ASSERT_TRUE(record) << record.message();
    EXPECT_EQ(record->plotPath, path);
    EXPECT_EQ(record->plotSize, 37u);
    EXPECT_EQ(record->pointsDone, 2u); // from point 3: two are done
    EXPECT_EQ(record->points, 3u);
    EXPECT_EQ(record->conversion, "text=stroke");
    EXPECT_TRUE(record->shorterTravel && record->originFromHome);
    // The "Pen to 0" point, 10 mm and 10 mm from the plot's lowest corner, in half steps of 0.25 mm.
    const CarriageMm origin = penToZeroPoint(check, rig.settings);
    EXPECT_EQ(record->originStepsX, std::llround(origin.x / 0.25));
    EXPECT_EQ(record->originStepsY, std::llround(origin.y / 0.25));
    setup.plotFile = path + ".gone";
    EXPECT_FALSE(journalForDraw(setup, rig.settings, check));
}

TEST(JournalOfDraw, PortNames)
{
    EXPECT_EQ(journalPortName(PortKind::Virtual, 0x378), "virtual");
    EXPECT_EQ(journalPortName(PortKind::Direct, 0xd010), "direct-0xd010");
}

TEST(JournalOfDraw, ALongDrawFromWhereThePenStandsIsNoted)
{
    struct Row {
        std::optional<double> seconds;
        bool fromHome;
        bool noted;
    };
    const Row rows[] = {{601, false, true}, {600, false, false}, {601, true, false}, {std::nullopt, false, false}};
    for (const Row& row : rows)
        EXPECT_EQ(unhomedLongDrawNote(row.seconds, row.fromHome).has_value(), row.noted)
            << row.seconds.value_or(-1) << " " << row.fromHome;
    EXPECT_EQ(*unhomedLongDrawNote(3725, false),
              "Note: this draw of about 1 h 02 min starts where the pen stands, not from home: if it is cut off, it "
              "cannot be resumed in its place.");
}

// A resumed draw's counters may begin below its first point: the record never goes back.
TEST(JournalOfDraw, TheKeeperNeverGoesBackBelowTheFirstPoint)
{
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("orlex_keeper_" + std::to_string(::getpid()) + ".journal");
    DrawJournal start;
    start.points = 100;
    start.pointsDone = 40;
    JournalKeeper keeper(file, start, std::chrono::seconds(1));
    keeper.poll(3, 0, 1, JournalKeeper::Clock::now());
    EXPECT_EQ(keeper.record().pointsDone, 40u);
    endJournal(keeper, false, 0, 41, 50); // ended before it stopped at a point: where it began
    EXPECT_EQ(keeper.record().pointsDone, 40u);
    endJournal(keeper, false, 47, 41, 51);
    EXPECT_EQ(keeper.record().pointsDone, 46u);
    endJournal(keeper, true, 0, 41, 100);
    EXPECT_FALSE(std::filesystem::exists(file));
}

} // namespace
} // namespace orlex
