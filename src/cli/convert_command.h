// The convert sub-command: an SVG drawing written as an HPGL plot file.
#pragma once

#include "cli/cli_options.h"

namespace orlex::cli {

int runConvertCommand(const CliOptions& options);

} // namespace orlex::cli
