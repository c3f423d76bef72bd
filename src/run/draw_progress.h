// How far a draw has come: what the drive has sent against what the test run counted,
// so the percentage and the time left move steadily with the carriage.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orlex {

struct DrawProgress {
    std::uint64_t donePeriods = 0;  // step periods sent so far (skipped ones included)
    std::uint64_t totalPeriods = 0; // what the whole draw sends, from the test run
    std::uint64_t point = 0;        // the point being drawn, 1-based
    std::uint64_t totalPoints = 0;
    double elapsedSeconds = 0;        // since the drawing itself began
    std::uint64_t periodsAtStart = 0; // already done when the clock started (a resumed draw)

    // 0..1 of the whole draw.
    double fraction() const;
    // At the pace so far; nullopt before anything has been sent.
    std::optional<double> secondsLeft() const;
    // "Drawing: 42 %, point 1234 of 5000, 1 min 05 s elapsed, about 2 min 10 s left"
    std::string text() const;
};

} // namespace orlex
