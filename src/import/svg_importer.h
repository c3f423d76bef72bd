// The SVG import's two entry points as one value, so that the run preparation takes the
// import the program has: linked in (the window, linkedSvgImporter in svg_import.h) or in
// a module that is loaded on the first SVG drawing (the command-line tool, which must not
// load Qt for a plot file). Standard C++ only.
#pragma once

#include "common/result.h"
#include "import/svg_drawing.h"

#include <filesystem>

namespace orlex {

struct SvgImporter {
    Result<SvgDrawing> (*importSvg)(const std::filesystem::path& file, const SvgImportOptions& options);
    bool (*isSvgFile)(const std::filesystem::path& file);
};

} // namespace orlex
