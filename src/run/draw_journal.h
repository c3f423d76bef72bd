// The draw journal: a small record on disk of what a draw draws, where its origin is and
// how far it got, replaced atomically while the draw runs so that a crash, a kill or a
// power cut leaves the last record whole and the draw can be resumed from it.
#pragma once

#include "common/result.h"
#include "settings/machine_settings.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orlex {

// What a draw draws and how far it got. Texts, so that a record compares exactly.
struct DrawJournal {
    std::string plotPath;            // absolute
    std::uint64_t plotSize = 0;      // bytes
    std::string plotHash;            // "fnv1a64:" and 16 hex digits, of the file's bytes
    std::string reading = "classic"; // "classic" or "full"
    int zoom = 100;                  // percent
    bool halfStep = true;
    std::array<std::string, kSettingLines> settings; // the nine settings as numbers in text
    bool shorterTravel = false;                      // the strokes were put in the shorter-travel order
    std::string conversion;                          // an SVG's conversion options; empty for HPGL
    std::string port;                                // "virtual", "ppdev-0x378", "direct-0x378"
    // Where the plot's origin is: after "Pen to 0", its point in steps from home; else the
    // carriage's start, which only the virtual plotter knows again.
    bool originFromHome = false;
    std::int64_t originStepsX = 0, originStepsY = 0;
    std::uint64_t pointsDone = 0; // the last point whose move is complete (0: none yet)
    std::uint64_t points = 0;     // the plot's points
    double percentDone = 0;       // of the drawing's step periods, 0..100
    std::string started;          // when the draw began, "2026-12-09 10:15 UTC"

    // The point a resume draws from: the one after the last complete one.
    std::uint64_t resumePoint() const { return pointsDone + 1; }
    bool operator==(const DrawJournal&) const = default;
};

// The nine settings as a journal records them.
std::array<std::string, kSettingLines> journalSettings(const MachineSettings& settings);

// The journal's text: one "key=value" a line, a first line naming the format and a last
// "end" line.
std::string journalText(const DrawJournal& journal);
// Reads a journal's text, every key once, every value checked; the reason when it is not a
// whole journal.
Result<DrawJournal> parseJournal(const std::string& text);

// The size and hash of a plot file's bytes.
struct FileDigest {
    std::uint64_t size = 0;
    std::string hash;
};
Result<FileDigest> digestOfFile(const std::filesystem::path& file);

// What differs between the journal's draw and the one asked for now, one phrase each;
// empty when a resume may go on.
std::vector<std::string> journalDifferences(const DrawJournal& kept, const DrawJournal& now);

// Where journals live: $XDG_STATE_HOME/orlex, else ~/.local/state/orlex.
std::filesystem::path journalFolder();
// The journal of one port or the virtual plotter in that folder.
std::filesystem::path journalFile(const std::string& port, const std::filesystem::path& folder = journalFolder());

// The file steps an atomic replace takes; tests hand in one that fails or stops between.
class JournalDisk {
public:
    virtual ~JournalDisk() = default;
    // Writes `bytes` to a new file `file` and flushes it to disk.
    virtual Result<void> writeNew(const std::filesystem::path& file, const std::string& bytes);
    virtual Result<void> rename(const std::filesystem::path& from, const std::filesystem::path& to);
    virtual void syncFolder(const std::filesystem::path& folder);
};
JournalDisk& systemDisk();

// Replaces `file` by the journal: a new file, fsync, rename over it, fsync of the folder.
// A cut at any instant leaves the old record or the new one.
Result<void> writeJournal(const std::filesystem::path& file, const DrawJournal& journal,
                          JournalDisk& disk = systemDisk());

struct JournalRead {
    enum class State { None, Kept, Bad };
    State state = State::None;
    DrawJournal journal;           // Kept
    std::string problem;           // Bad: why it cannot be used
    std::filesystem::path asideAs; // Bad: where it was moved to (empty: it could not be)
};
// Reads the journal `file`. One that cannot be read whole is moved aside (FILE.bad-DATE),
// never used in part.
JournalRead readJournal(const std::filesystem::path& file);

// "2026-12-09 10:15 UTC" for now.
std::string journalDateNow();

// Keeps the journal of a running draw: the draw publishes its progress in counters that
// the motion thread only increments; the front end's watch loop calls poll(), which writes
// at a new pen lift (at most four times per `interval`) and at least once per `interval`
// while the draw moves on. No write ever happens on the motion thread.
class JournalKeeper {
public:
    using Clock = std::chrono::steady_clock;
    JournalKeeper(std::filesystem::path file, DrawJournal start, std::chrono::milliseconds interval,
                  JournalDisk& disk = systemDisk());

    // `pointsDone`, `penLifts` as the draw's counters read now; `percent` of the drawing.
    // The first call writes the first record.
    void poll(std::uint64_t pointsDone, std::uint64_t penLifts, double percent, Clock::time_point now);
    // The draw is over: a finished one removes the journal, any other keeps it at
    // `pointsDone`.
    void end(bool finished, std::uint64_t pointsDone, double percent);

    const DrawJournal& record() const { return record_; }
    std::uint64_t writes() const { return writes_; }
    // The first write that failed, once: nullopt when none did, or it was told already.
    std::optional<Error> takeProblem();

private:
    void write();

    std::filesystem::path file_;
    DrawJournal record_;
    std::chrono::milliseconds interval_;
    JournalDisk& disk_;
    std::uint64_t firstDone_ = 0; // a resumed draw's points before its first are done already
    std::uint64_t penLifts_ = 0;
    bool liftPending_ = false; // a pen lift since the last write
    Clock::time_point lastWrite_{};
    std::uint64_t writes_ = 0;
    std::optional<Error> problem_;
    bool problemTold_ = false;
};

} // namespace orlex
