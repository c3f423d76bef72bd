// PE, the encoded polyline: flags and base-64 (or, after '7', base-32) numbers up to ';'.
#pragma once

#include "hpgl/full/command_scanner.h"

#include <cstdint>
#include <functional>

namespace orlex::fullhpgl {

struct EncodedStep {
    enum Kind { SelectPen, Point } kind = Point;
    double x = 0, y = 0;   // Point: current units, fractional bits applied
    bool penUp = false;    // the point was flagged '<': a move
    bool absolute = false; // the point was flagged '=': not relative to the last
    std::int64_t pen = 0;  // SelectPen
};

// Reads the PE command's bytes up to ';' (or the end of the file), handing on each pen
// selection and each point. The count of numbers too long to be read goes to `badNumbers`.
// False when `step` asked to stop.
bool readEncodedPolyline(CommandScanner& scanner, std::uint64_t& badNumbers,
                         const std::function<bool(const EncodedStep&)>& step);

} // namespace orlex::fullhpgl
