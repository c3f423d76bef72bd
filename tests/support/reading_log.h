// A sink that logs every call a reading makes, and a reading's result in one comparable
// line: for the tests that compare a reading on two threads with the reading on one.
#pragma once

#include "hpgl/classic_reader.h"

#include <bit>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace orlex::test {

// Every call the reading makes, in order; it stops (or throws) at a chosen point.
class CallLog final : public PlotSink {
public:
    struct Call {
        char kind; // 'P' point, 'S' pen selection, 'R' progress
        double x, y;
        int pen;
        // Coordinates by their bits: -0 is not 0.
        bool operator==(const Call& other) const
        {
            return kind == other.kind && std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(other.x)
                   && std::bit_cast<std::uint64_t>(y) == std::bit_cast<std::uint64_t>(other.y) && pen == other.pen;
        }
    };
    std::uint64_t stopAt = 0, throwAt = 0; // 1-based point; 0: never
    bool logProgress = true;
    std::vector<Call> calls;
    std::uint64_t points = 0;

    bool point(double x, double y, Pen pen) override
    {
        calls.push_back({'P', x, y, pen == Pen::Down ? 1 : 0});
        ++points;
        if (points == throwAt)
            throw std::runtime_error("sink failed");
        return points != stopAt;
    }
    void selectPen(char pen) override { calls.push_back({'S', 0, 0, pen}); }
    void readProgress(std::uint64_t bytesRead, std::uint64_t fileSize) override
    {
        if (logProgress)
            calls.push_back({'R', static_cast<double>(bytesRead), static_cast<double>(fileSize), 0});
    }
};

// What a reading found, besides its calls, in one comparable line.
inline std::string summary(const ReadResult& r)
{
    return "opened " + std::to_string(!r.openError) + " " + (r.openError ? r.openError->message : "") + " beeps "
           + std::to_string(r.beeps) + " eof " + std::to_string(r.endOfFileCaption) + " points "
           + std::to_string(r.points) + " stopped " + std::to_string(r.stopped) + " skipped "
           + std::to_string(r.skippedPairs) + " " + r.skippedMessage() + " census " + r.ignoredByClassic.sentence();
}

} // namespace orlex::test
