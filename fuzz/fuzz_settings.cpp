// Fuzz target: seting.txt with arbitrary bytes. Loading must not crash and must leave
// nine usable settings; saving what loaded and loading again must give the same numbers.
#include "fuzz_support.h"

#include "settings/conversions.h"
#include "settings/settings_file.h"

#include <cmath>
#include <fstream>

using namespace orlex;

namespace {

bool reported(const LoadReport& report, int line)
{
    for (const SettingsProblem& p : report.problems)
        if (p.line == line)
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::filesystem::path input = fuzz::scratchFolder() / "in" / kSettingsFileName;
    const std::filesystem::path output = fuzz::scratchFolder() / "out" / kSettingsFileName;
    std::filesystem::create_directories(input.parent_path());
    std::filesystem::create_directories(output.parent_path());
    {
        std::ofstream f(input, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    MachineSettings loaded;
    const LoadReport report = loadSettings(loaded, input);
    ORLEX_FUZZ_CHECK(!report.fileError);
    ORLEX_FUZZ_CHECK(!report.createdDefaults);
    ORLEX_FUZZ_CHECK(report.ok() == report.message(input).empty());
    for (const SettingsProblem& p : report.problems) {
        ORLEX_FUZZ_CHECK(p.line >= 1 && p.line <= 9);
        ORLEX_FUZZ_CHECK(p.setting == settingName(p.line));
    }

    // What the program relies on after any load: usable step lengths, reachable travels,
    // and each line's number denoted by its text where the line was good.
    ORLEX_FUZZ_CHECK(loaded.stepLengthX > 0 && loaded.stepLengthY > 0);
    ORLEX_FUZZ_CHECK(loaded.travelXmm <= reachableTravelMm(loaded.stepLengthX));
    ORLEX_FUZZ_CHECK(loaded.travelYmm <= reachableTravelMm(loaded.stepLengthY));
    for (int line = 1; line <= kNumericSettings; ++line) {
        const auto i = static_cast<std::size_t>(line - 1);
        const double value = loaded.*kNumericSettingTable[i].value;
        ORLEX_FUZZ_CHECK(std::isfinite(value));
        if (!reported(report, line))
            ORLEX_FUZZ_CHECK(toNumber(loaded.lines[i]) == value);
    }
    ORLEX_FUZZ_CHECK(toPortAddress(loaded.line(SettingLine::PortAddress)) == loaded.portAddress);

    // The file was read only: it still holds the input.
    ORLEX_FUZZ_CHECK(std::filesystem::file_size(input) == size);

    // Numbers that do not round into 16 bits cannot be saved: the save says so.
    const Result<void> saved = saveSettings(loaded, output);
    bool fits = true;
    for (const NumericSetting& setting : kNumericSettingTable)
        fits = fits && roundToInt16(loaded.*setting.value).has_value();
    ORLEX_FUZZ_CHECK(saved.ok() == fits);
    if (!fits)
        return 0;
    MachineSettings again;
    const LoadReport againReport = loadSettings(again, output);
    for (std::size_t i = 0; i < kNumericSettingTable.size(); ++i) {
        const double rounded = roundHalfEven(loaded.*kNumericSettingTable[i].value);
        // Rounding may push a travel just past what its step length reaches; the load
        // then reports it, and only then may the numbers differ.
        if (!reported(againReport, static_cast<int>(i) + 1))
            ORLEX_FUZZ_CHECK(again.*kNumericSettingTable[i].value == rounded);
    }
    ORLEX_FUZZ_CHECK(again.portAddress == loaded.portAddress);
    return 0;
}
