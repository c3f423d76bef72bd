// The command-line tool's exit statuses, kept where the core maps outcomes to them.
#pragma once

#include "common/exit_codes.h"

namespace orlex::cli {

using orlex::kExitDrawFailed;
using orlex::kExitInterrupted;
using orlex::kExitNoPlotter;
using orlex::kExitOk;
using orlex::kExitOutputFailed;
using orlex::kExitPortFailed;
using orlex::kExitProblemFound;
using orlex::kExitTooBig;
using orlex::kExitUsage;

} // namespace orlex::cli
