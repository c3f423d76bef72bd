// How a full HP-GL reading is going: points handed on, a stop or a refusal that ends it,
// the command being carried out (for messages), and the counted notes.
#pragma once

#include "common/result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orlex::fullhpgl {

// Things read and deliberately left without effect (or drawn another way), one sentence
// per kind, e.g. "3 VS speed commands have no effect".
enum class NoteKind {
    Speed,
    Paper,
    Device,
    PenAttribute,
    Font,
    Unknown,
    Escape,
    BadNumber,
    BadParameters,
    LoneX,
    ChordAngle,
    MissingGlyph,
    HighPen,
    PatternFill,
    Rotation,
    NotDrawn,
    Count
};

struct Note {
    std::uint64_t count = 0;
    std::vector<std::string> mnemonics; // the first few met, in order
};

struct ReadOutcome {
    std::uint64_t points = 0;
    bool stopped = false;
    // What ended the reading, "<what> (XY at byte N)"; Error::Kind::TooBig for a size limit.
    std::optional<Error> refusal;
    char command[3] = {};            // mnemonic being carried out
    std::uint64_t commandOffset = 0; // its byte offset in the file
    Note notes[static_cast<int>(NoteKind::Count)];

    bool ended() const { return stopped || refusal.has_value(); }
    // Ends the reading with "<what> (XY at byte N)"; the first refusal stands.
    void refuse(const std::string& what, bool sizeLimit);
    void note(NoteKind kind, const std::string& mnemonic = {}, std::uint64_t count = 1);
    // One sentence per kind noted.
    std::vector<std::string> noteSentences() const;
};

} // namespace orlex::fullhpgl
