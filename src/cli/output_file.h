// The files a command writes: never one it reads, never two outputs in one file.
#pragma once

#include "cli/cli_options.h"

#include <optional>
#include <string>

namespace orlex::cli {

// Why `out` must not be written by optimize or convert, whose input is `in` and whose
// settings file is `settings` (when one is read); nullopt when it may.
std::optional<std::string> outputProblem(const std::string& in, const std::string& out,
                                         const std::string& settings = {});

// Why draw must not write its trace or paper where the options say: one of them is the
// plot file, the settings file or the other output. nullopt when both may be written.
std::optional<std::string> drawOutputProblem(const CliOptions& options);

// The settings file a command reads: --settings, else ./seting.txt when it exists.
std::string settingsFileRead(const CliOptions& options);

} // namespace orlex::cli
