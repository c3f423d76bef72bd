// Machine settings for the command-line tool: read from a file, never written.
#pragma once

#include "settings/variabile.h"

#include <optional>
#include <string>

namespace orlex::cli {

struct CliSettings {
    Variabile settings;
    std::string source;   // where they came from, for messages
    std::string warning;  // problems that fell back to defaults; empty when none
    std::string error;    // the settings named with --settings cannot be used
};

// --settings PATH when given (it must exist), else ./seting.txt when it exists, else the
// defaults in the texts the defaults file would give. Bad lines take their defaults.
CliSettings loadCliSettings(const std::optional<std::string>& settingsFile);

} // namespace orlex::cli
