// Whether a coordinate is a whole number that an integer type holds exactly, for the
// compact forms of a plot's points. -0 is not one: its sign would be lost.
#pragma once

#include <cmath>
#include <limits>

namespace orlex {

// True, with the value in `result`, when `v` is a whole number within Int's range and not -0.
template <class Int>
bool exactWhole(double v, Int& result)
{
    if (!(v >= static_cast<double>(std::numeric_limits<Int>::min())
          && v <= static_cast<double>(std::numeric_limits<Int>::max())))
        return false;
    result = static_cast<Int>(v);
    return result == v && (result != 0 || !std::signbit(v));
}

} // namespace orlex
