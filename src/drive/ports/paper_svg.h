// The virtual plotter's paper, a list of ink segments, written as an SVG document.
#pragma once

#include "common/result.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orlex {

struct PaperSegment {
    double x1, y1, x2, y2; // millimetres from home
    char pen = '1';        // the pen the draw said it holds (SP), for the view's colours
};

// The segments as an SVG document of widthMm x heightMm millimetres, y up from home.
std::string paperSvg(const std::vector<PaperSegment>& paper, double widthMm, double heightMm);

// The same document written to `file`; the reason in plain words when it cannot be.
Result<void> writePaperSvg(const std::filesystem::path& file, const std::vector<PaperSegment>& paper, double widthMm,
                           double heightMm);

} // namespace orlex
