// findCommandsClassicIgnores: one tokenizer pass counting the commands that change the
// drawing and that the classic reading passes over, and the operator's sentence about them.
#include "hpgl/full/command_scanner.h"
#include "hpgl/full/full_reader.h"
#include "hpgl/plot_file.h"

#include <algorithm>

namespace orlex {

namespace {

struct CensusEntry {
    char mnemonic[3];
    const char* one;  // "circle", or for a setting its name ("scaling")
    const char* many; // "circles"; null for a setting, which is named without a count
};

constexpr CensusEntry kCensus[] = {
    {"SC", "scaling", nullptr},
    {"IP", "scaling points", nullptr},
    {"IR", "scaling points", nullptr},
    {"RO", "rotation", nullptr},
    {"IW", "clipping window", nullptr},
    {"LT", "line types", nullptr},
    {"SM", "symbols", nullptr},
    {"CI", "circle", "circles"},
    {"AA", "arc", "arcs"},
    {"AR", "arc", "arcs"},
    {"AT", "arc through three points", "arcs through three points"},
    {"RT", "arc through three points", "arcs through three points"},
    {"BZ", "Bezier curve", "Bezier curves"},
    {"BR", "Bezier curve", "Bezier curves"},
    {"EA", "rectangle", "rectangles"},
    {"ER", "rectangle", "rectangles"},
    {"RA", "filled rectangle", "filled rectangles"},
    {"RR", "filled rectangle", "filled rectangles"},
    {"EW", "wedge", "wedges"},
    {"WG", "filled wedge", "filled wedges"},
    {"EP", "polygon outline", "polygon outlines"},
    {"FP", "filled polygon", "filled polygons"},
    {"PE", "encoded polyline", "encoded polylines"},
    {"LB", "label", "labels"},
    {"PB", "buffered label", "buffered labels"},
    {"CP", "character move", "character moves"},
    {"XT", "tick", "ticks"},
    {"YT", "tick", "ticks"},
};

const CensusEntry* censusEntry(const std::string& mnemonic)
{
    for (const CensusEntry& entry : kCensus)
        if (mnemonic == entry.mnemonic)
            return &entry;
    return nullptr;
}

// Skips text up to `terminator` (or the end of the file).
void skipText(fullhpgl::CommandScanner& scanner, int terminator)
{
    for (int c = scanner.nextByte(); c >= 0 && c != terminator; c = scanner.nextByte()) {
    }
}

// Whether a setting command changes anything: SC, IP, IR, IW and LT with parameters, RO
// with a turn.
bool settingTakesEffect(fullhpgl::CommandScanner& scanner, const std::string& mnemonic)
{
    double value = 0;
    const bool any = scanner.nextNumber(value) == fullhpgl::CommandScanner::Param::Number;
    scanner.skipParameters();
    return any && (mnemonic != "RO" || value != 0);
}

} // namespace

std::string ClassicIgnoredCommands::sentence(std::string_view remedy) const
{
    if (counts.empty())
        return {};
    std::vector<std::string> items;
    for (const auto& [mnemonic, count] : counts) {
        const CensusEntry* entry = censusEntry(mnemonic);
        if (entry == nullptr)
            continue;
        items.push_back(entry->many == nullptr ? mnemonic + " " + entry->one
                                               : std::to_string(count) + " " + (count == 1 ? entry->one : entry->many)
                                                     + " (" + mnemonic + ")");
    }
    std::string list;
    for (std::size_t i = 0; i < items.size(); ++i)
        list += (i == 0 ? "" : i + 1 == items.size() ? " and " : ", ") + items[i];
    const CensusEntry* first = censusEntry(counts.front().first);
    const bool one = items.size() == 1 && (first->many == nullptr || counts.front().second == 1);
    return "This plot uses " + list + " that the classic reading ignores: " + std::string(remedy) + " draws "
           + (one ? "it" : "them");
}

ClassicIgnoredCommands findCommandsClassicIgnores(const std::string& path)
{
    ClassicIgnoredCommands result;
    const OpenedPlotFile opened = openPlotFile(path);
    if (opened.file == nullptr)
        return result;
    fullhpgl::CommandScanner scanner(opened.file, opened.size);
    int terminator = 3;
    char first = 0, second = 0;
    while (scanner.nextMnemonic(first, second)) {
        const std::string mnemonic{first, second};
        bool counted = true;
        if (mnemonic == "LB" || mnemonic == "BL" || mnemonic == "WD") {
            skipText(scanner, terminator);
        } else if (mnemonic == "DT") {
            const int c = scanner.nextByte();
            terminator = c < 0 || c == ';' ? 3 : c;
        } else if (mnemonic == "PE") {
            skipText(scanner, ';');
        } else if (mnemonic == "SM") {
            const int c = scanner.peekByte();
            counted = c > ' ' && c != ';' && c < 127;
            if (counted)
                scanner.nextByte();
        } else if (const CensusEntry* entry = censusEntry(mnemonic); entry != nullptr && entry->many == nullptr) {
            counted = settingTakesEffect(scanner, mnemonic);
        } else {
            scanner.skipParameters();
        }
        if (!counted || censusEntry(mnemonic) == nullptr)
            continue;
        auto it = std::find_if(result.counts.begin(), result.counts.end(),
                               [&](const auto& count) { return count.first == mnemonic; });
        if (it == result.counts.end())
            result.counts.emplace_back(mnemonic, 1);
        else
            ++it->second;
    }
    if (scanner.error() != 0)
        result.counts.clear();
    return result;
}

} // namespace orlex
