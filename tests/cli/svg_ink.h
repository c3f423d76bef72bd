// The plot that the tests of an interrupted draw use, and the ink of an SVG that the tool
// wrote with --svg.
#pragma once

#include "cli_runner.h"
#include "run/ink.h"

#include <regex>
#include <set>
#include <string>
#include <vector>

namespace orlex::cli::testing {

// Three long strokes with travel between them: 2780 port writes with --home from 30,30,
// about 3 s at 1 kHz in real time.
inline constexpr const char* kThreeStrokes = "IN;SP1;PU400,400;PD4400,400,4400,4400,400,4400,400,400;"
                                             "PU800,800;PD4000,4000;PU4000,800;PD800,4000;PU;";

// The ink of an SVG the tool wrote with --svg, in half steps of 0.25 mm (the defaults).
inline std::set<test::InkStep> inkOf(const fs::path& svg)
{
    const std::string text = readFile(svg);
    const std::regex line(R"re(<line x1="([^"]+)" y1="([^"]+)" x2="([^"]+)" y2="([^"]+)")re");
    std::vector<PaperSegment> paper;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), line); it != std::sregex_iterator(); ++it)
        paper.push_back({std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4])});
    return test::inkSteps(paper, 0.25, 0.25);
}

} // namespace orlex::cli::testing
