// "Drawing: 42 % of the file, 1234 points, 1 min 05 s elapsed, about 2 min 10 s left",
// rewritten in place at most ten times a second.
#include "cli/progress_line.h"

#include "hpgl/plot_extents.h"

#include <cstdio>
#include <string>

namespace orlex::cli {

namespace {
constexpr std::chrono::milliseconds kPrintInterval{100};
}

ProgressLine::ProgressLine(bool show, std::function<bool()> stop)
    : show_(show), stop_(std::move(stop)), start_(std::chrono::steady_clock::now())
{}

void ProgressLine::onPoint(std::uint64_t bytesRead, std::uint64_t fileSize, std::uint64_t points)
{
    bytesRead_ = bytesRead;
    fileSize_ = fileSize;
    points_ = points;
    tick();
}

void ProgressLine::tick()
{
    if (!show_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (printed_ && now - lastPrint_ < kPrintInterval)
        return;
    lastPrint_ = now;
    print(std::chrono::duration<double>(now - start_).count());
}

void ProgressLine::print(double elapsedSeconds)
{
    std::string text = "Drawing: ";
    if (fileSize_ > 0)
        text += std::to_string(bytesRead_ * 100 / fileSize_) + " % of the file, ";
    text += std::to_string(points_) + " points, " + durationText(elapsedSeconds) + " elapsed";
    // The time left assumes the rest of the file draws at the pace of what is done.
    if (fileSize_ > 0 && bytesRead_ > 0 && bytesRead_ < fileSize_) {
        const double left =
            elapsedSeconds * static_cast<double>(fileSize_ - bytesRead_) / static_cast<double>(bytesRead_);
        text += ", about " + durationText(left) + " left";
    }
    // Carriage return and "erase to end of line": the line is rewritten in place.
    std::fprintf(stderr, "\r%s\x1b[K", text.c_str());
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
