// Opening a plot file to read: only plain files this process may read, with the reason in
// plain words when it cannot be opened.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace orlex {

struct OpenedPlotFile {
    std::FILE* file = nullptr; // null when it could not be opened; the caller closes it
    std::uint64_t size = 0;    // bytes, 0 when unknown
    std::string error;         // "Cannot open "x": ..." when not opened
};

OpenedPlotFile openPlotFile(const std::string& path);

} // namespace orlex
