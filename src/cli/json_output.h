// The test command's result as one JSON object.
#pragma once

#include "cli/test_run.h"

#include <string>

namespace orlex::cli {

// {"min_x_mm":-10,...,"fits":true,...}; a limit that is not a number is null.
std::string testJson(const PlotTest& outcome);

} // namespace orlex::cli
