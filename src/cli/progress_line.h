// Live progress of a draw on stderr, rewritten in place at most ten times a second.
#pragma once

#include "run/draw_progress.h"

#include <chrono>

namespace orlex::cli {

class ProgressLine {
public:
    // `show`: print the line (only when stderr is a terminal).
    explicit ProgressLine(bool show) : show_(show) {}

    // Rewrites the line with `progress` when it is due.
    void update(const DrawProgress& progress);

    // Clears the line so that what follows starts on a clean line.
    void finish();

private:
    bool show_;
    std::chrono::steady_clock::time_point lastPrint_;
    bool printed_ = false;
};

} // namespace orlex::cli
