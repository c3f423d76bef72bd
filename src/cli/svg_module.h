// The SVG import as the command-line tool loads it: a module of its own, so that Qt's
// libraries are loaded only when an SVG drawing is read, never for a plot file.
#pragma once

#include "common/result.h"
#include "import/svg_import.h"

#include <filesystem>

namespace orlex::cli {

// The import's functions, as the module hands them out.
struct SvgModuleFunctions {
    Result<SvgDrawing> (*importSvg)(const std::filesystem::path& file, const SvgImportOptions& options);
    bool (*isSvgFile)(const std::filesystem::path& file);
};

// The module's one exported symbol: extern "C" const SvgModuleFunctions* NAME().
inline constexpr const char* kSvgModuleEntry = "orlex_svg_module_functions";
inline constexpr const char* kSvgModuleFile = "orlex-svg-import.so";

} // namespace orlex::cli
