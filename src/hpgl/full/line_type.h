// HP-GL line types (LT): the numbered dash patterns, fixed or adaptive, and the user
// patterns of UL.
#pragma once

#include <array>
#include <vector>

namespace orlex::fullhpgl {

// Alternating pen-down and pen-up lengths, starting down, as fractions of the pattern
// length (they add up to 1). A pen-down length of 0 is a dot.
using DashPattern = std::vector<double>;

struct LineType {
    bool solid = true;
    bool dotsOnly = false;    // LT0: a dot at the end of each line
    bool adaptive = false;    // negative numbers: whole patterns fit each line
    double patternLength = 0; // plotter units
    DashPattern pattern;
};

// The patterns of LT 1 to 8 (index 0 unused), as UL changes them.
class DashPatterns {
public:
    DashPatterns() { resetAll(); }
    void resetAll();
    void reset(int number);
    // UL: lengths in any unit, turned into fractions. False (nothing changed) when they
    // are negative or add up to nothing.
    bool define(int number, const std::vector<double>& lengths);
    const DashPattern& operator[](int number) const { return patterns_[static_cast<std::size_t>(number)]; }

private:
    std::array<DashPattern, 9> patterns_;
};

} // namespace orlex::fullhpgl
