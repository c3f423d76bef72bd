// The stat sub-command: a plot's figures.
#pragma once

#include "cli/cli_options.h"

namespace orlex::cli {

int runStatCommand(const CliOptions& options);

} // namespace orlex::cli
