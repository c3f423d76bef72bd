// A canvas for tests that records every line with its colour, and every clear.
#pragma once

#include "preview/preview.h"

#include <cstdint>
#include <vector>

namespace orlex::test {

struct RecordedLine {
    long x1, y1, x2, y2;
    std::int16_t colour;
    bool operator==(const RecordedLine&) const = default;
};

class RecordingCanvas : public Canvas {
public:
    int widthUnits() const override { return 5655; }
    int heightUnits() const override { return 4695; }
    void line(long x1, long y1, long x2, long y2, std::int16_t colour) override
    {
        lines.push_back({x1, y1, x2, y2, colour});
    }
    void clear() override
    {
        lines.clear();
        ++clears;
    }

    std::vector<RecordedLine> lines;
    int clears = 0;
};

} // namespace orlex::test
