// The SVG import as the command-line tool loads it: a module of its own, so that Qt's
// libraries are loaded only when an SVG drawing is read, never for a plot file.
#pragma once

#include "import/svg_importer.h"

namespace orlex::cli {

// The module's one exported symbol: extern "C" const SvgImporter* NAME().
inline constexpr const char* kSvgModuleEntry = "orlex_svg_module_functions";
inline constexpr const char* kSvgModuleFile = "orlex-svg-import.so";

// The import through the module (svg_import_loader.cpp): loaded by the first call that
// needs it; a plain plot file is told from an SVG without loading it.
const SvgImporter& moduleSvgImporter();

} // namespace orlex::cli
