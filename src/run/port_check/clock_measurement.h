// The port check's measurement: the status register read flat out for a while, with
// nothing moving, to tell what one read costs, what clock the plotter gives and how
// steadily, how long the program was ever away from the port, and so the fastest clock
// whose every edge this PC would see.
#pragma once

#include "drive/port.h"
#include "run/port_check/finding.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace orlex {

struct ClockMeasurement {
    double spanMicros = 0; // from the first read to the last
    std::uint64_t reads = 0;
    double readMedianMicros = 0, readP999Micros = 0; // one status read
    double gapP999Micros = 0;                        // between the ends of two reads in a row
    double longestGapMicros = 0;
    std::optional<double> clockHz;     // empty when the clock line did not rise twice
    std::uint64_t halfPeriods = 0;     // between two level changes of the clock line
    double halfPeriodMedianMicros = 0; // measured to within one gap between reads
    // The shortest and the longest but one in a thousand, of those in which no edge hid.
    double halfPeriodP001Micros = 0, halfPeriodP999Micros = 0;
    std::uint64_t missedEdges = 0; // edges that fell into a gap, as the half-periods tell
    double shorterPhaseMicros = 0; // the median of the high or of the low phases, the shorter
    bool stopped = false;          // a stop request ended it early
    // The fastest clock whose half-periods are all longer than the gap between reads at the
    // 99.9th percentile, so that this PC sees each of its edges; infinite when no gap was measured.
    double fastestClockHz() const;
    // That clock is the plotter's or faster: the clock's shorter phase outlasts the gap.
    bool followsTheClock() const { return clockHz && shorterPhaseMicros > gapP999Micros; }
};

// Writes data 0 (every coil off) and then the pen up, and afterwards reads the status
// register and nothing else, for `spanMicros` on the `nowMicros` clock (the virtual
// plotter's simulated time, or the wall clock). A stop flag that turns non-zero ends it
// early. Throws PortFault when a port call fails.
ClockMeasurement measureClock(Port& port, const std::function<double()>& nowMicros, double spanMicros,
                              const std::atomic<int>* stopWhen = nullptr);

// What the measurement says, a finding a line: the reads, the plotter's clock, the
// longest gap and the verdict.
std::vector<Finding> measurementFindings(const ClockMeasurement& measured);

// "2.00 kHz", "250 Hz", "1.20 MHz"; "5.00 µs", "250 µs", "3.20 ms".
std::string frequencyText(double hz);
std::string microsText(double micros);

} // namespace orlex
