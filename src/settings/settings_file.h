// Reading and writing seting.txt: nine lines, CR LF, blank-padded integers and the address.
#pragma once

#include "settings/variabile.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orlex {

inline constexpr const char* kSettingsFileName = "seting.txt";

// The eight numeric defaults in file order, and the default address.
inline constexpr std::array<std::int16_t, 8> kDefaultSettingValues{50, 50, 150, 150, 80, 80, 5, 5};
inline constexpr const char* kDefaultLptAddress = "&H378";

// Name of the setting on each line, 1-based line numbers ("Lstepx" is line 1).
const char* settingName(int line);

// One line that was missing or did not convert; its setting took the default for this run.
struct SettingsProblem {
    int line = 0;            // 1..9
    std::string setting;     // "Maxx"
    std::string text;        // the offending text, empty when the line is missing
    bool missing = false;    // the file ended before this line
};

struct LoadReport {
    bool createdDefaults = false;   // the file was absent and has been written with the defaults
    std::string fileError;          // the file could not be read or created (reason in plain words)
    std::vector<SettingsProblem> problems;
    // One message for the operator naming the file, each bad line, setting and text;
    // empty when everything loaded.
    std::string message(const std::filesystem::path& file) const;
    // The same problems for a caller that refuses to go on with defaults.
    std::string refusal(const std::filesystem::path& file) const;
    bool ok() const { return fileError.empty() && problems.empty(); }
};

// Fills all nine settings. Creates the defaults file when the file is absent and reads
// it back. A file that exists is never rewritten or deleted here: unreadable, short or
// bad lines give the defaults for the affected settings and a report.
LoadReport loadSettings(Variabile& settings, const std::filesystem::path& file = kSettingsFileName);

// Writes the eight integers and `lptAddress` as line 9 through a temporary file renamed
// over the old one. Returns the reason on failure; the old file is then untouched.
std::optional<std::string> saveSettings(const std::array<std::int16_t, 8>& values,
                                        const std::string& lptAddress,
                                        const std::filesystem::path& file = kSettingsFileName);

// " 50 " for 50 and "-5 " for -5: the sign position, the digits, one trailing blank.
std::string integerLineText(std::int16_t value);

} // namespace orlex
