// Durations counted in bins 1.1 % wide, from a nanosecond to a quarter of an hour, so that
// millions of status reads give their percentiles without being kept one by one.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace orlex {

class TimeHistogram {
public:
    TimeHistogram() : counts_(kBins, 0), sums_(kBins, 0.0) {}

    // Cheap enough for the loop that polls the port: the bin is read off the bits of the
    // double (its exponent and the top six bits of its mantissa, 64 bins an octave).
    void add(double micros)
    {
        std::size_t bin = 0;
        if (micros > kSmallestMicros)
            bin = static_cast<std::size_t>((std::bit_cast<std::uint64_t>(micros) >> 46) - kFirstBits) + 1;
        if (bin >= kBins)
            bin = kBins - 1;
        ++counts_[bin];
        sums_[bin] += micros;
        ++count_;
        if (micros > largest_)
            largest_ = micros;
    }

    std::uint64_t count() const { return count_; }
    double largest() const { return largest_; }

    // The duration that `fraction` of the samples do not exceed, as the mean of the samples
    // in its bin (so exact when they are all alike); 0 when there is none. With `upTo`,
    // only the bins whose mean is not above it count.
    double percentile(double fraction, double upTo = std::numeric_limits<double>::infinity()) const
    {
        std::uint64_t counted = 0;
        forEachBin([&](double mean, std::uint64_t n) { counted += mean <= upTo ? n : 0; });
        if (counted == 0)
            return 0;
        auto rank = static_cast<std::uint64_t>(fraction * static_cast<double>(counted) + 0.999999);
        rank = rank < 1 ? 1 : rank > counted ? counted : rank;
        std::uint64_t seen = 0;
        for (std::size_t bin = 0; bin < kBins; ++bin) {
            if (counts_[bin] == 0)
                continue;
            const double mean = sums_[bin] / static_cast<double>(counts_[bin]);
            if (mean > upTo)
                continue;
            seen += counts_[bin];
            if (seen >= rank)
                return mean;
        }
        return largest_;
    }

    // Calls visit(mean, count) for every bin that holds samples, shortest first.
    template <typename Visit>
    void forEachBin(Visit visit) const
    {
        for (std::size_t bin = 0; bin < kBins; ++bin)
            if (counts_[bin] != 0)
                visit(sums_[bin] / static_cast<double>(counts_[bin]), counts_[bin]);
    }

private:
    static constexpr double kSmallestMicros = 1e-3;
    static constexpr std::uint64_t kFirstBits = std::bit_cast<std::uint64_t>(kSmallestMicros) >> 46;
    static constexpr std::size_t kBins = 64 * 40; // 40 octaves above a nanosecond: about 1100 s

    std::vector<std::uint64_t> counts_;
    std::vector<double> sums_;
    std::uint64_t count_ = 0;
    double largest_ = 0;
};

} // namespace orlex
