// The test sub-command: measure a plot and check it against the travel limits.
#pragma once

#include "cli/cli_options.h"

namespace orlex::cli {

int runTestCommand(const CliOptions& options);

} // namespace orlex::cli
