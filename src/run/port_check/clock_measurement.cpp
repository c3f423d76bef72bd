// Timing status reads and the clock's edges, and judging what the figures mean.
#include "run/port_check/clock_measurement.h"

#include "run/port_check/time_histogram.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace orlex {

namespace {

constexpr double kMedian = 0.5, kRare = 0.999, kVeryShort = 0.001;
// A half-period more than this many usual ones long may hold edges that a gap hid; below
// it, a gap has only held one edge back, stretching this phase and shortening the next.
constexpr double kMissedEdgeFactor = 2;
// Half-periods within this share of the usual one (plus what the reads' spacing blurs)
// count as regular.
constexpr double kRegularShare = 0.2;

std::string threeDigits(double value, const char* unit)
{
    char text[48];
    const char* format = value < 9.995 ? "%.2f %s" : value < 99.95 ? "%.1f %s" : "%.0f %s";
    std::snprintf(text, sizeof text, format, value, unit);
    return text;
}

// Edges hidden in gaps. They go in pairs (a whole phase unseen), so a half-period about
// 2k + 1 usual ones long hid 2k of them.
std::uint64_t hiddenEdges(const TimeHistogram& halfPeriods, double usual)
{
    std::uint64_t missed = 0;
    if (!(usual > 0))
        return 0;
    halfPeriods.forEachBin([&](double mean, std::uint64_t count) {
        if (mean > kMissedEdgeFactor * usual)
            missed += count * 2 * static_cast<std::uint64_t>(std::llround((mean / usual - 1) / 2));
    });
    return missed;
}

std::string shareText(std::uint64_t part, std::uint64_t whole)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.2g %%",
                  whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole));
    return text;
}

} // namespace

std::string frequencyText(double hz)
{
    if (hz >= 999'500)
        return threeDigits(hz / 1e6, "MHz");
    if (hz >= 999.5)
        return threeDigits(hz / 1e3, "kHz");
    return threeDigits(hz, "Hz");
}

std::string microsText(double micros)
{
    if (micros >= 999'500)
        return threeDigits(micros / 1e6, "s");
    if (micros >= 999.5)
        return threeDigits(micros / 1e3, "ms");
    return threeDigits(micros, "µs");
}

double ClockMeasurement::fastestClockHz() const
{
    return gapP999Micros > 0 ? 1e6 / (2 * gapP999Micros) : std::numeric_limits<double>::infinity();
}

ClockMeasurement measureClock(Port& port, const std::function<double()>& nowMicros, double spanMicros,
                              const std::atomic<int>* stopWhen)
{
    // Nothing may move: every coil off first, then the pen up.
    port.write(Register::Data, kAllCoilsOff);
    port.write(Register::Control, kPenUpControl);

    TimeHistogram readTimes, gaps, halfPeriods;
    TimeHistogram phases[2]; // the half-periods the line was low, and high
    ClockMeasurement m;
    const double start = nowMicros();
    double lastEnd = start;
    double lastEdge = std::numeric_limits<double>::quiet_NaN();
    double firstRise = 0, lastRise = 0;
    std::uint64_t rises = 0;
    bool level = false;
    for (bool first = true;; first = false) {
        if (stopWhen != nullptr && stopWhen->load(std::memory_order_relaxed) != 0) {
            m.stopped = true;
            break;
        }
        const double before = nowMicros();
        const bool high = (port.read(Register::Status) & kClockLine) != 0;
        const double after = nowMicros();
        readTimes.add(after - before);
        if (!first)
            gaps.add(after - lastEnd);
        lastEnd = after;
        // The level was read somewhere within the call: its middle, the same for every read.
        const double at = (before + after) / 2;
        if (!first && high != level) {
            if (!std::isnan(lastEdge)) {
                halfPeriods.add(at - lastEdge);
                phases[level ? 1 : 0].add(at - lastEdge);
            }
            lastEdge = at;
            if (high) {
                if (rises++ == 0)
                    firstRise = at;
                lastRise = at;
            }
        }
        level = high;
        if (after - start >= spanMicros)
            break;
    }

    m.spanMicros = lastEnd - start;
    m.reads = readTimes.count();
    m.readMedianMicros = readTimes.percentile(kMedian);
    m.readP999Micros = readTimes.percentile(kRare);
    m.gapP999Micros = gaps.percentile(kRare);
    m.longestGapMicros = gaps.largest();
    m.halfPeriods = halfPeriods.count();
    m.halfPeriodMedianMicros = halfPeriods.percentile(kMedian);
    const double seenWhole = kMissedEdgeFactor * m.halfPeriodMedianMicros; // longer ones hid edges
    m.halfPeriodP001Micros = halfPeriods.percentile(kVeryShort, seenWhole);
    m.halfPeriodP999Micros = halfPeriods.percentile(kRare, seenWhole);
    m.missedEdges = hiddenEdges(halfPeriods, m.halfPeriodMedianMicros);
    // Medians, since a gap between reads that holds an edge back stretches one phase and
    // shortens the next: the clock's duty decides, not the measurement's own stalls.
    m.shorterPhaseMicros = std::min(phases[0].percentile(kMedian), phases[1].percentile(kMedian));
    // Whole periods between the first and the last rise, the ones whose edges hid counted in.
    if (rises >= 2 && lastRise > firstRise)
        m.clockHz =
            (static_cast<double>(rises - 1) + static_cast<double>(m.missedEdges) / 2) * 1e6 / (lastRise - firstRise);
    return m;
}

std::vector<Finding> measurementFindings(const ClockMeasurement& m)
{
    std::vector<Finding> out;
    out.push_back({FindingLevel::Ok,
                   "reads",
                   "one status read takes " + microsText(m.readMedianMicros) + " (median), "
                       + microsText(m.readP999Micros) + " at the 99.9th percentile (" + std::to_string(m.reads)
                       + " reads in " + microsText(m.spanMicros) + (m.stopped ? ", stopped early" : "") + ")",
                   {}});

    if (!m.clockHz) {
        out.push_back({FindingLevel::Problem,
                       "clock",
                       "the plotter's clock on status bit 7 did not run in " + microsText(m.spanMicros),
                       {"connect the plotter, switch it on and release its STOP switch, then measure again"}});
    } else {
        const double spread = m.halfPeriodP999Micros - m.halfPeriodP001Micros;
        const bool regular = spread <= kRegularShare * m.halfPeriodMedianMicros + 2 * m.gapP999Micros;
        out.push_back({regular ? FindingLevel::Ok : FindingLevel::Note,
                       "clock",
                       "the plotter's clock: " + frequencyText(*m.clockHz) + ", half-periods of "
                           + microsText(m.halfPeriodMedianMicros) + " (median), from "
                           + microsText(m.halfPeriodP001Micros) + " to " + microsText(m.halfPeriodP999Micros)
                           + " (0.1th to 99.9th percentile)" + (regular ? "" : ": an uneven clock"),
                       {}});
    }

    const bool gapHidEdges = m.missedEdges > 0 || (m.clockHz && m.longestGapMicros >= m.shorterPhaseMicros);
    std::string gapText = "the longest gap between two status reads: " + microsText(m.longestGapMicros);
    if (gapHidEdges)
        gapText += m.missedEdges > 0 ? ", so about " + std::to_string(m.missedEdges) + " of "
                                           + std::to_string(m.halfPeriods + m.missedEdges) + " clock edges ("
                                           + shareText(m.missedEdges, m.halfPeriods + m.missedEdges)
                                           + ") went unseen and those steps took longer"
                                     : ", as long as the clock's shorter phase: an edge may have gone unseen";
    out.push_back({gapHidEdges ? FindingLevel::Note : FindingLevel::Ok, "gaps", gapText, {}});

    const double fastest = m.fastestClockHz();
    const std::string fastestText = std::isfinite(fastest) ? "up to " + frequencyText(fastest) : "of any speed";
    const std::string spacing =
        " (99.9 % of status reads end within " + microsText(m.gapP999Micros) + " of the one before)";
    if (!m.clockHz)
        out.push_back(
            {FindingLevel::Ok,
             "verdict",
             "this PC follows a clock " + fastestText + " without missing an edge at the 99.9th percentile" + spacing,
             {}});
    else if (m.followsTheClock())
        out.push_back({FindingLevel::Ok,
                       "verdict",
                       "this PC follows a clock " + fastestText
                           + " without missing an edge at the 99.9th percentile; the plotter's clock is "
                           + frequencyText(*m.clockHz) + spacing,
                       {}});
    else
        out.push_back({FindingLevel::Problem,
                       "verdict",
                       "the plotter's clock (" + frequencyText(*m.clockHz) + ", its shorter phase "
                           + microsText(m.shorterPhaseMicros)
                           + ") is faster than this PC follows without missing an edge at the 99.9th percentile, "
                           + fastestText + spacing + ": steps take longer than two clock cycles, unevenly",
                       {"give the motion thread real-time priority (the real-time lines above say how)",
                        "or slow the plotter's clock to " + frequencyText(fastest) + " or less"}});
    return out;
}

} // namespace orlex
