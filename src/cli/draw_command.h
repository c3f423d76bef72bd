// The draw sub-command: check, presence check, Pen to 0, and the drawing itself.
#pragma once

#include "cli/cli_options.h"

namespace orlex::cli {

int runDrawCommand(const CliOptions& options);

} // namespace orlex::cli
