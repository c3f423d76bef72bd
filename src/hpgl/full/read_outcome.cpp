// The refusal and the notes of a full HP-GL reading.
#include "hpgl/full/read_outcome.h"

#include <algorithm>

namespace orlex::fullhpgl {

namespace {

struct NoteText {
    const char* one;  // after "1 XY "
    const char* many; // after "N XY "
};

// In NoteKind's order.
constexpr NoteText kNoteTexts[] = {
    {"speed command has no effect: the machine's own speed governs",
     "speed commands have no effect: the machine's own speed governs"},
    {"paper or page command has no effect", "paper or page commands have no effect"},
    {"output or device command has no effect", "output or device commands have no effect"},
    {"pen attribute has no effect on a pen plotter", "pen attributes have no effect on a pen plotter"},
    {"font command has no effect: labels use one stroke font",
     "font commands have no effect: labels use one stroke font"},
    {"unknown command was skipped", "unknown commands were skipped"},
    {"printer escape sequence has no effect", "printer escape sequences have no effect"},
    {"command had a number that cannot be read; the rest of it was skipped",
     "commands had numbers that cannot be read; the rest of each was skipped"},
    {"command with parameters it cannot take was skipped", "commands with parameters they cannot take were skipped"},
    {"X value without its Y value was skipped", "X values without their Y values were skipped"},
    {"chord angle outside 0.5 to 180 degrees was taken as the nearest of these",
     "chord angles outside 0.5 to 180 degrees were taken as the nearest of these"},
    {"label character has no glyph in the stroke font: a space is left in its place",
     "label characters have no glyph in the stroke font: a space is left in their place"},
    {"pen number above 9 is drawn with pen 9", "pen numbers above 9 are drawn with pen 9"},
    {"pattern fill is drawn as a solid fill", "pattern fills are drawn as solid fills"},
    {"rotation other than 0, 90, 180 or 270 degrees was passed over",
     "rotations other than 0, 90, 180 or 270 degrees were passed over"},
    {"command is read but not drawn", "commands are read but not drawn"},
};
static_assert(std::size(kNoteTexts) == static_cast<std::size_t>(NoteKind::Count));

constexpr std::size_t kMnemonicsShown = 6;

} // namespace

void ReadOutcome::refuse(const std::string& what, bool sizeLimit)
{
    if (refusal)
        return;
    std::string text = what;
    if (command[0] != 0)
        text += " (" + std::string(command) + " at byte " + std::to_string(commandOffset) + ")";
    refusal = failure(std::move(text), sizeLimit ? Error::Kind::TooBig : Error::Kind::Failed);
}

void ReadOutcome::note(NoteKind kind, const std::string& mnemonic, std::uint64_t count)
{
    Note& n = notes[static_cast<int>(kind)];
    n.count += count;
    if (!mnemonic.empty() && n.mnemonics.size() < kMnemonicsShown
        && std::find(n.mnemonics.begin(), n.mnemonics.end(), mnemonic) == n.mnemonics.end())
        n.mnemonics.push_back(mnemonic);
}

std::vector<std::string> ReadOutcome::noteSentences() const
{
    std::vector<std::string> sentences;
    for (std::size_t i = 0; i < std::size(kNoteTexts); ++i) {
        const Note& n = notes[i];
        if (n.count == 0)
            continue;
        std::string names;
        for (const std::string& m : n.mnemonics)
            names += (names.empty() ? "" : "/") + m;
        sentences.push_back(std::to_string(n.count) + " " + (names.empty() ? "" : names + " ")
                            + (n.count == 1 ? kNoteTexts[i].one : kNoteTexts[i].many));
    }
    return sentences;
}

} // namespace orlex::fullhpgl
