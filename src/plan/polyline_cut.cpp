// Cutting stretches out of a polyline.
#include "plan/polyline_cut.h"

#include <algorithm>
#include <utility>

namespace orlex {

std::vector<Stroke> cutOut(const std::vector<Position>& points, const std::vector<LineSpan>& removed)
{
    std::vector<Stroke> pieces;
    if (removed.empty()) {
        pieces.push_back(Stroke{points});
        return pieces;
    }
    Stroke piece;
    const auto flush = [&] {
        if (piece.points.size() >= 2)
            pieces.push_back(std::move(piece));
        piece.points.clear();
    };
    std::size_t k = 0;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const Position a = points[i], b = points[i + 1];
        double t = 0; // how far along the segment the line is accounted for
        for (; k < removed.size() && removed[k].segment == i; ++k) {
            const LineSpan& span = removed[k];
            if (span.from > t) {
                if (piece.points.empty())
                    piece.points.push_back(pointAt(a, b, t));
                piece.points.push_back(pointAt(a, b, span.from));
            }
            flush();
            t = std::max(t, span.to);
        }
        if (t < 1) {
            if (piece.points.empty())
                piece.points.push_back(pointAt(a, b, t));
            piece.points.push_back(b);
        }
    }
    flush();
    return pieces;
}

void mergeSpans(std::size_t segment, std::vector<std::pair<double, double>>& spans, std::vector<LineSpan>& out)
{
    std::sort(spans.begin(), spans.end());
    for (const auto& [from, to] : spans) {
        if (!out.empty() && out.back().segment == segment && from <= out.back().to)
            out.back().to = std::max(out.back().to, to);
        else
            out.push_back({segment, from, to});
    }
}

} // namespace orlex
