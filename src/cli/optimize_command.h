// The optimize sub-command: the plot rewritten with shorter pen-up travel.
#pragma once

#include "cli/cli_options.h"

namespace orlex::cli {

int runOptimizeCommand(const CliOptions& options);

} // namespace orlex::cli
