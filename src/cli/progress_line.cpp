// "Drawing: 42 %, point 1234 of 5000, 1 min 05 s elapsed, about 2 min 10 s left"
#include "cli/progress_line.h"

#include <cstdio>
#include <string>

namespace orlex::cli {

namespace {
constexpr std::chrono::milliseconds kPrintInterval{100};
}

void ProgressLine::update(const DrawProgress& progress)
{
    if (!show_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (printed_ && now - lastPrint_ < kPrintInterval)
        return;
    lastPrint_ = now;
    // Carriage return and "erase to end of line": the line is rewritten in place.
    std::fprintf(stderr, "\r%s\x1b[K", progress.text().c_str());
    std::fflush(stderr);
    printed_ = true;
}

void ProgressLine::finish()
{
    if (printed_) {
        std::fputs("\r\x1b[K", stderr);
        std::fflush(stderr);
        printed_ = false;
    }
}

} // namespace orlex::cli
