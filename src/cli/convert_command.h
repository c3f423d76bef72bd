// The convert sub-command: an SVG drawing, or an HPGL file as read, written as a plain
// HPGL plot file.
#pragma once

#include "cli/cli_options.h"

namespace orlex::cli {

int runConvertCommand(const CliOptions& options);

} // namespace orlex::cli
