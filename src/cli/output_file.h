// The file optimize and convert write: never the input file, whatever the name says.
#pragma once

#include <optional>
#include <string>

namespace orlex::cli {

// Why `out` must not be written for input `in` (it is the same file, by another name or
// through a link); nullopt when it may.
std::optional<std::string> outputProblem(const std::string& in, const std::string& out);

} // namespace orlex::cli
