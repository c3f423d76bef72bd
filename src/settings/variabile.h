// The machine settings held for the whole run, as text, converted at each use.
#pragma once

#include <string>

namespace orlex {

struct Variabile {
    std::string Lstepx;     // 1/100 mm per full X step
    std::string Lstepy;     // 1/100 mm per full Y step
    std::string Maxx;       // mm, X travel limit
    std::string Maxy;       // mm, Y travel limit
    std::string Speedx;     // ms, carried only by the file and the dialog
    std::string Speedy;     // ms
    std::string Offsetx;    // mm, X of the plot origin on the preview
    std::string Offsety;    // mm, Y of the plot origin on the preview
    std::string LptAddress; // port base address literal, "&H378"
    std::string PlotFile;   // path of the chosen plot file; never stored in the file
};

} // namespace orlex
