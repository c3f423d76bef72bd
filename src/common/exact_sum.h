// A sum of lengths that comes out the same, bit for bit, however its terms are grouped,
// so that a plot counted in parts and joined has the figures of the plot counted in one
// go. Each term is kept exactly, to 2^-70, in 128-bit integers; the value is that sum
// rounded once. A term outside 0 to 2^24 plotter units (419 m: no plotter comes near),
// or NaN, is added as a double beside them, so only such terms' grouping can show in the
// last bits.
#pragma once

#include <cstdint>

namespace orlex {

class ExactSum {
public:
    void add(double term)
    {
        if (term >= 0 && term < kLargest) [[likely]] {
            const Halves h = halvesOf(term);
            high_ += static_cast<unsigned __int128>(h.high);
            low_ += static_cast<unsigned __int128>(h.low);
        } else {
            outside_ += term;
        }
    }
    // Takes back a term that add() took (a part's first term, once the part is joined).
    void subtract(double term)
    {
        if (term >= 0 && term < kLargest) {
            const Halves h = halvesOf(term);
            high_ -= static_cast<unsigned __int128>(h.high);
            low_ -= static_cast<unsigned __int128>(h.low);
        } else {
            outside_ -= term;
        }
    }
    void add(const ExactSum& other)
    {
        high_ += other.high_;
        low_ += other.low_;
        outside_ += other.outside_;
    }
    double value() const { return static_cast<double>((high_ << 35) + low_) * 0x1p-70 + outside_; }

private:
    static constexpr double kLargest = 0x1p24;
    struct Halves {
        std::uint64_t high; // units of 2^-35
        std::uint64_t low;  // units of 2^-70
    };

    // The term in two halves of 35 bits that a double holds exactly (the bits below 2^-70
    // of a term under 2^-18 are dropped).
    static Halves halvesOf(double term)
    {
        const double scaled = term * 0x1p35; // below 2^59
        // Converted as signed numbers (one instruction each), which they fit.
        const auto high = static_cast<std::int64_t>(scaled);
        const auto low = static_cast<std::int64_t>((scaled - static_cast<double>(high)) * 0x1p35);
        return {static_cast<std::uint64_t>(high), static_cast<std::uint64_t>(low)};
    }

    // Modulo 2^128 in between: a subtraction follows its add.
    unsigned __int128 high_ = 0, low_ = 0;
    double outside_ = 0;
};

} // namespace orlex
