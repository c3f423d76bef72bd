// The plotter unit, the one length every plot file counts in: 0.025 mm, 40 to the mm.
#pragma once

namespace orlex {

inline constexpr double kMillimetresPerPlotterUnit = 0.025; // one plotter unit
inline constexpr double kPlotterUnitsPerMm = 40;            // exactly 1 / 0.025 as a double

} // namespace orlex
