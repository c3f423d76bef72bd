// Reading and writing seting.txt: nine lines, CR LF, blank-padded integers and the address.
#pragma once

#include "common/result.h"
#include "settings/machine_settings.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orlex {

inline constexpr const char* kSettingsFileName = "seting.txt";

// Name of the setting on each line, 1-based line numbers ("Lstepx" is line 1).
const char* settingName(int line);

// One line that was missing or not usable; its setting took another value for this run.
struct SettingsProblem {
    enum class Kind {
        Missing,
        Empty,
        NotANumber,
        NotAPortAddress,
        NotAboveZero,
        Unreachable,
        NotA16BitNumber, // does not round into -32768..32767, so no settings line can hold it
        StepTooLong,     // one half step is longer than the axis travel: no move fits the machine
        StepTooShort,    // 32767 half steps reach less than a millimetre: every move needs more steps
    };
    int line = 0;        // 1..9
    std::string setting; // "Maxx"
    std::string text;    // the offending text, empty when the line is missing
    Kind kind = Kind::NotANumber;
    std::string used; // the value used instead ("150")
    bool usedDefault = true;
    std::string detail; // Unreachable: how far the step length reaches; StepTooLong: the half step and the travel
};

struct LoadReport {
    bool createdDefaults = false;   // the file was absent and has been written with the defaults
    std::optional<Error> fileError; // the file could not be read or created (reason in plain words)
    std::vector<SettingsProblem> problems;
    // One message for the operator naming the file, each bad line, setting and text;
    // empty when everything loaded.
    std::string message(const std::filesystem::path& file) const;
    // The same problems for a caller that refuses to go on with other values.
    std::string refusal(const std::filesystem::path& file) const;
    bool ok() const { return !fileError && problems.empty(); }
};

// Fills all nine settings. Creates the defaults file when the file is absent and reads
// it back. A file that exists is never rewritten or deleted here: unreadable, short or
// bad lines, a number no settings line can hold, a step length or travel limit not above
// 0, a step length that cannot drive the machine (a half step longer than the travel, or
// so short that 16-bit half steps reach less than a millimetre) and a travel limit that
// 16-bit half steps cannot reach give another value for the affected settings and a
// report. A value that only lies outside what the settings dialog offers is kept.
LoadReport loadSettings(MachineSettings& settings, const std::filesystem::path& file = kSettingsFileName);

// The settings a Save would make of eight integers and the address text, checked as a
// load checks them; the line texts are the plain integers. The reason on failure.
Result<MachineSettings> settingsFromValues(const std::array<std::int16_t, kNumericSettings>& values,
                                           const std::string& portAddressText);

// Writes the settings' eight numbers as integers and the address text as line 9 through
// a temporary file renamed over the old one. The reason on failure; the old file is
// then untouched.
Result<void> saveSettings(const MachineSettings& settings, const std::filesystem::path& file = kSettingsFileName);

} // namespace orlex
