// HPGL text from imported strokes, and the atomic SVG-to-HPGL file conversion.
#pragma once

#include "common/result.h"
#include "import/svg_import.h"

#include <filesystem>
#include <string>

namespace orlex {

// "IN;SP1;PU x,y;PD x,y,x,y,...;...PU;" with whole plotter units; SP n whenever the pen
// changes.
std::string toHpgl(const SvgDrawing& drawing);

// Imports `in` and writes its HPGL to `out` through a temporary file in the same folder
// (written, flushed to disk, renamed over `out`): on failure `out` is left as it was and
// no temporary file remains.
Result<void> convertSvgToHpgl(const std::filesystem::path& in, const std::filesystem::path& out,
                              const SvgImportOptions& options = {});

} // namespace orlex
