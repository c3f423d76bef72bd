// The doctor sub-command: the port check, and with --measure the timing of status reads.
#pragma once

#include "cli/cli_options.h"

namespace orlex::cli {

int runDoctorCommand(const CliOptions& options);

} // namespace orlex::cli
