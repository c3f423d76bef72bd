// The HP dash patterns of LT 1 to 8, in per cent of the pattern length.
#include "hpgl/full/line_type.h"

#include <cmath>

namespace orlex::fullhpgl {

namespace {

const std::array<DashPattern, 9> kHpPatterns = {{
    {},
    {0, 100},                       // 1: a dot at the start of each pattern
    {50, 50},                       // 2
    {70, 30},                       // 3
    {80, 10, 0, 10},                // 4: dash and dot
    {70, 10, 10, 10},               // 5: long and short dash
    {50, 10, 10, 10, 10, 10},       // 6: long and two short dashes
    {70, 10, 0, 10, 0, 10},         // 7: dash and two dots
    {50, 10, 0, 10, 10, 10, 0, 10}, // 8
}};

} // namespace

void DashPatterns::resetAll()
{
    for (int n = 1; n <= 8; ++n)
        reset(n);
}

void DashPatterns::reset(int number)
{
    DashPattern& p = patterns_[static_cast<std::size_t>(number)];
    p = kHpPatterns[static_cast<std::size_t>(number)];
    for (double& length : p)
        length /= 100;
}

bool DashPatterns::define(int number, const std::vector<double>& lengths)
{
    double total = 0;
    for (double length : lengths) {
        if (!(length >= 0))
            return false;
        total += length;
    }
    if (!(total > 0) || !std::isfinite(total))
        return false;
    DashPattern& p = patterns_[static_cast<std::size_t>(number)];
    p.clear();
    for (double length : lengths)
        p.push_back(length / total);
    if (p.size() % 2 != 0)
        p.push_back(0); // an odd count ends with a pen-down length: no gap after it
    return true;
}

} // namespace orlex::fullhpgl
