// Machine settings for the command-line tool: read from a file, never written.
#pragma once

#include "common/result.h"
#include "settings/machine_settings.h"

#include <optional>
#include <string>

namespace orlex::cli {

struct CliSettings {
    MachineSettings settings;
    std::string source;         // where they came from, for messages
    std::string warning;        // problems that fell back to defaults; empty when none
    std::optional<Error> error; // the settings named with --settings cannot be used
};

enum class SettingsProblems { UseDefaults, Refuse };

// --settings PATH when given (it must exist), else ./seting.txt when it exists, else the
// defaults in the texts the defaults file would give. Bad lines take their defaults and a
// warning, or, with Refuse (a draw on a real machine must not run at the wrong scale),
// make the whole file an error.
CliSettings loadCliSettings(const std::optional<std::string>& settingsFile,
                            SettingsProblems problems = SettingsProblems::UseDefaults);

} // namespace orlex::cli
