// Opening a plot file to read: only plain files this process may read, with the reason in
// plain words when it cannot be opened.
#pragma once

#include "common/result.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace orlex {

struct OpenedPlotFile {
    std::FILE* file = nullptr; // open for reading; the caller closes it
    std::uint64_t size = 0;    // bytes, 0 when unknown
};

// The file, or why it cannot be opened ("Cannot open "x": ...").
Result<OpenedPlotFile> openPlotFile(const std::string& path);

} // namespace orlex
