// SVG import: an SVG drawing turned into plotter strokes (Qt Core reads the XML).
#pragma once

#include "common/result.h"
#include "import/svg_importer.h"

#include <QByteArray>

#include <filesystem>

namespace orlex {

// Reads and converts an SVG file. Only regular files up to kMaxSvgFileBytes are read; a
// gzip-compressed one (.svgz) is inflated first, to at most kMaxSvgFileBytes.
Result<SvgDrawing> importSvg(const std::filesystem::path& file, const SvgImportOptions& options = {});

// The same for bytes in memory (tests, fuzzing); messages name the drawing "SVG data".
Result<SvgDrawing> importSvgData(const QByteArray& bytes, const SvgImportOptions& options = {});

// True for a .svg or .svgz name (any case) or, for a regular file, content that starts
// like an SVG, also once inflated when it is gzip-compressed.
bool isSvgFile(const std::filesystem::path& file);

// The import linked into this program (only a program that links orlex_import calls it).
inline SvgImporter linkedSvgImporter()
{
    return {&importSvg, &isSvgFile};
}

} // namespace orlex
