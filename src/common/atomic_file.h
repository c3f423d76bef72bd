// Replacing a file so that it is either the old one or the whole new one, never half.
#pragma once

#include "common/result.h"

#include <filesystem>
#include <string>

namespace orlex {

// Writes `bytes` to a temporary file in the same folder, flushes it to disk and renames
// it over `file`; the new file keeps the old one's permissions. On failure the reason is
// returned ("cannot write the new file (No space left on device).") and `file` is as it
// was, with no temporary file left behind.
Result<void> replaceFileAtomically(const std::filesystem::path& file, const std::string& bytes);

} // namespace orlex
