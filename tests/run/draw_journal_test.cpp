// The draw journal on disk: an atomic replace cut at any step leaves a whole record, a
// journal that is not whole is moved aside, a resume is refused with what differs, and the
// keeper writes at pen lifts and once a second, never more.
#include "run/draw_journal.h"

#include <gtest/gtest.h>

#include <fstream>

namespace orlex {
namespace {

namespace fs = std::filesystem;

// A folder of its own for each test, with a sample record and its plot file.
class JournalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "orlex-journal-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        write(folder / "plot.plt", "IN;PU0,0;PD400,0;PU;");
        record.plotPath = (folder / "plot.plt").string();
        const Result<FileDigest> digest = digestOfFile(record.plotPath);
        ASSERT_TRUE(digest);
        record.plotSize = digest->size;
        record.plotHash = digest->hash;
        record.settings = journalSettings(defaultMachineSettings());
        record.port = "virtual";
        record.originFromHome = true;
        record.points = 3;
        record.pointsDone = 1;
        record.started = "2026-12-09 10:15 UTC";
    }
    void TearDown() override { fs::remove_all(folder); }
    static void write(const fs::path& file, const std::string& bytes)
    {
        std::ofstream(file, std::ios::binary) << bytes;
    }
    static std::string read(const fs::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path folder;
    DrawJournal record;
};

TEST_F(JournalTest, TextReadsBackAsTheSameRecord)
{
    record.conversion = "text=skip";
    record.halfStep = false;
    record.percentDone = 33.3;
    const Result<DrawJournal> back = parseJournal(journalText(record));
    ASSERT_TRUE(back) << back.message();
    EXPECT_EQ(*back, record);
}

// A disk that fails one step of the replace, as a power cut or a kill would stop it there.
class CutDisk : public JournalDisk {
public:
    enum class Cut { None, WhileWriting, BetweenWriteAndRename };
    explicit CutDisk(Cut cut) : cut_(cut) {}
    Result<void> writeNew(const fs::path& file, const std::string& bytes) override
    {
        if (cut_ == Cut::WhileWriting) {
            std::ofstream(file, std::ios::binary) << bytes.substr(0, bytes.size() / 2); // torn
            return failure("cut while writing");
        }
        return JournalDisk::writeNew(file, bytes);
    }
    Result<void> rename(const fs::path& from, const fs::path& to) override
    {
        if (cut_ == Cut::BetweenWriteAndRename)
            return failure("cut before the rename");
        return JournalDisk::rename(from, to);
    }

private:
    Cut cut_;
};

TEST_F(JournalTest, ACutReplaceLeavesTheEarlierRecord)
{
    for (const CutDisk::Cut cut : {CutDisk::Cut::WhileWriting, CutDisk::Cut::BetweenWriteAndRename}) {
        const fs::path file = folder / "j.journal";
        ASSERT_TRUE(writeJournal(file, record));
        DrawJournal later = record;
        later.pointsDone = 2;
        CutDisk disk(cut);
        EXPECT_FALSE(writeJournal(file, later, disk));
        const JournalRead read = readJournal(file);
        ASSERT_EQ(read.state, JournalRead::State::Kept) << read.problem;
        EXPECT_EQ(read.journal.pointsDone, 1u);
        // Uncut, the next record replaces it whole.
        ASSERT_TRUE(writeJournal(file, later));
        EXPECT_EQ(readJournal(file).journal.pointsDone, 2u);
    }
}

struct BadText {
    const char* name;
    std::string (*spoil)(std::string text);
    const char* problem; // part of the reason
};

const BadText kBadTexts[] = {
    {"CutOff", [](std::string t) { return t.substr(0, t.size() / 2); }, "cut off"},
    {"NoEnd", [](std::string t) { return t.substr(0, t.rfind("end\n")); }, "no end line"},
    {"Empty", [](std::string) { return std::string(); }, "not a draw journal"},
    {"UnknownKey", [](std::string t) { return t.insert(t.rfind("end\n"), "colour=red\n"); }, "not a journal key"},
    {"Twice", [](std::string t) { return t.insert(t.rfind("end\n"), "zoom=50\n"); }, "given twice"},
    {"BadNumber", [](std::string t) { return t.replace(t.find("zoom=100"), 8, "zoom=1x0"); }, "zoom=1x0"},
    {"PastTheEnd", [](std::string t) { return t.replace(t.find("points-done=1"), 13, "points-done=9"); },
     "points-done"},
    {"Missing",
     [](std::string t) { return t.erase(t.find("hash="), t.find('\n', t.find("hash=")) - t.find("hash=") + 1); },
     "\"hash\" is missing"},
};

TEST_F(JournalTest, AJournalThatIsNotWholeIsMovedAsideUnused)
{
    for (const BadText& bad : kBadTexts) {
        SCOPED_TRACE(bad.name);
        const fs::path file = folder / (std::string(bad.name) + ".journal");
        write(file, bad.spoil(journalText(record)));
        const std::string spoilt = read(file);
        const JournalRead got = readJournal(file);
        ASSERT_EQ(got.state, JournalRead::State::Bad);
        EXPECT_NE(got.problem.find(bad.problem), std::string::npos) << got.problem;
        EXPECT_FALSE(fs::exists(file));
        ASSERT_FALSE(got.asideAs.empty());
        EXPECT_EQ(read(got.asideAs), spoilt);
        EXPECT_EQ(readJournal(file).state, JournalRead::State::None);
    }
}

struct Change {
    const char* name;
    void (*apply)(DrawJournal& now, const fs::path& plot);
    const char* difference; // empty: the same draw
};

const Change kChanges[] = {
    {"Same", [](DrawJournal&, const fs::path&) {}, ""},
    {"AByte",
     [](DrawJournal& now, const fs::path& plot) {
         std::ofstream(plot, std::ios::binary) << "IN;PU0,0;PD400,1;PU;"; // one byte, the same size
         const Result<FileDigest> digest = digestOfFile(plot);
         now.plotSize = digest->size;
         now.plotHash = digest->hash;
     },
     "the plot file's bytes have changed since the draw began"},
    {"Zoom", [](DrawJournal& now, const fs::path&) { now.zoom = 50; }, "the zoom was 100 %, now 50 %"},
    {"Setting", [](DrawJournal& now, const fs::path&) { now.settings[0] = "40"; }, "the setting Lstepx was 50, now 40"},
    {"Reading", [](DrawJournal& now, const fs::path&) { now.reading = "full"; }, "the reading was classic, now full"},
    {"StepMode", [](DrawJournal& now, const fs::path&) { now.halfStep = false; },
     "the step mode was half steps, now full steps"},
    {"Order", [](DrawJournal& now, const fs::path&) { now.shorterTravel = true; },
     "the shorter-travel order was off, now on"},
};

TEST_F(JournalTest, AResumeIsRefusedWithWhatDiffers)
{
    for (const Change& change : kChanges) {
        SCOPED_TRACE(change.name);
        DrawJournal now = record;
        now.pointsDone = 0; // where the new draw stands is no difference
        change.apply(now, record.plotPath);
        const std::vector<std::string> differences = journalDifferences(record, now);
        if (*change.difference == '\0')
            EXPECT_TRUE(differences.empty());
        else
            EXPECT_EQ(differences, std::vector<std::string>{change.difference});
    }
}

// Counts the records that reach the disk.
class CountingDisk : public JournalDisk {
public:
    Result<void> writeNew(const fs::path& file, const std::string& bytes) override
    {
        ++writes;
        return JournalDisk::writeNew(file, bytes);
    }
    int writes = 0;
};

TEST_F(JournalTest, TheKeeperWritesAtPenLiftsAndOnceASecond)
{
    using namespace std::chrono_literals;
    struct Poll {
        std::chrono::milliseconds at;
        std::uint64_t points, lifts;
        bool written;
    };
    const Poll polls[] = {
        {0ms, 0, 0, true},     // the first look: the draw has begun
        {20ms, 1, 0, false},   // on within the second, no lift
        {40ms, 1, 1, false},   // a pen lift within a quarter second of the last record: waits
        {250ms, 1, 1, true},   // a quarter second on: the lift is written
        {400ms, 2, 1, false},  // within the second of the last record
        {1250ms, 2, 1, true},  // a second since it
        {1260ms, 2, 1, false}, // nothing new
        {1600ms, 3, 2, true},  // a pen lift, a quarter second on: at once
        {5000ms, 3, 2, false}, // nothing new however long
    };
    CountingDisk disk;
    DrawJournal start = record;
    start.pointsDone = 0;
    start.points = 10;
    JournalKeeper keeper(folder / "k.journal", start, 1s, disk);
    const auto t0 = JournalKeeper::Clock::time_point{} + 1h;
    int expected = 0;
    for (const Poll& poll : polls) {
        keeper.poll(poll.points, poll.lifts, 10, t0 + poll.at);
        expected += poll.written ? 1 : 0;
        EXPECT_EQ(disk.writes, expected) << poll.at.count() << " ms";
        EXPECT_EQ(readJournal(folder / "k.journal").journal.pointsDone, keeper.record().pointsDone);
    }
    keeper.end(false, 4, 40);
    EXPECT_EQ(readJournal(folder / "k.journal").journal.pointsDone, 4u);
    keeper.end(true, 10, 100);
    EXPECT_FALSE(fs::exists(folder / "k.journal"));
    EXPECT_FALSE(keeper.takeProblem());
}

TEST_F(JournalTest, TheKeeperTellsTheFirstFailedWriteOnce)
{
    using namespace std::chrono_literals;
    CutDisk disk(CutDisk::Cut::WhileWriting);
    JournalKeeper keeper(folder / "k.journal", record, 1s, disk);
    const auto t0 = JournalKeeper::Clock::time_point{} + 1h;
    keeper.poll(1, 0, 10, t0);
    const std::optional<Error> problem = keeper.takeProblem();
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->message, "cut while writing");
    keeper.poll(2, 0, 20, t0 + 2s); // fails again: already told
    EXPECT_FALSE(keeper.takeProblem());
}

TEST_F(JournalTest, LivesUnderTheStateFolder)
{
    ::setenv("XDG_STATE_HOME", folder.c_str(), 1);
    EXPECT_EQ(journalFile("virtual"), folder / "orlex/draw-virtual.journal");
    ::unsetenv("XDG_STATE_HOME");
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    ::setenv("HOME", folder.c_str(), 1);
    EXPECT_EQ(journalFolder(), folder / ".local/state/orlex");
    ::setenv("HOME", home.c_str(), 1);
}

} // namespace
} // namespace orlex
