// A paint device that keeps the stroked outlines Qt paints on it as polylines in page
// millimetres, curves flattened to a chord tolerance, with the pen the pre-scan's markers
// choose (1 until the first).
#pragma once

#include <QPaintDevice>
#include <QPointF>

#include <cstddef>
#include <memory>
#include <vector>

namespace orlex {

struct MmStroke {
    int pen = 1;
    std::vector<QPointF> points; // page millimetres, y down
};

class StrokeCollector : public QPaintDevice {
public:
    // The painter's transform is expected to map to millimetres; `toleranceMm` bounds the
    // distance between a curve and its chords, `maxPoints` the points kept in all.
    StrokeCollector(double toleranceMm, std::size_t maxPoints);
    ~StrokeCollector() override;

    std::vector<MmStroke>& strokes();
    bool overflowed() const; // more than maxPoints were painted
    bool sawDashes() const;  // a dashed pen was drawn solid

    static constexpr int kSide = 1000; // the device's size in pixels (it has no pixels)

    QPaintEngine* paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    class Engine;
    std::unique_ptr<Engine> engine_;
};

// Points at parameter steps 1/n..1 of the cubic p0..p3, n chosen so that no chord is
// farther than `tolerance` from the curve (Wang's bound on the second derivative).
void flattenCubic(const QPointF& p0, const QPointF& p1, const QPointF& p2, const QPointF& p3, double tolerance,
                  std::vector<QPointF>& out);

} // namespace orlex
