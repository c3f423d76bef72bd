// A paint device that keeps the stroked outlines Qt paints on it as polylines in page
// millimetres, curves flattened to a chord tolerance.
#include "import/stroke_collector.h"

#include "import/svg_prescan.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <limits>

namespace orlex {

namespace {

constexpr int kMaxSegmentsPerCurve = 1 << 16;

bool finite(const QPointF& p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

} // namespace

void flattenCubic(const QPointF& p0, const QPointF& p1, const QPointF& p2, const QPointF& p3, double tolerance,
                  std::vector<QPointF>& out)
{
    // A uniform split in n keeps every chord within |B''|max / (8 n^2) of the curve, and
    // |B''| <= 6 max(|p0 - 2 p1 + p2|, |p1 - 2 p2 + p3|).
    const QPointF d1 = p0 - 2 * p1 + p2, d2 = p1 - 2 * p2 + p3;
    const double m2 = std::max(QPointF::dotProduct(d1, d1), QPointF::dotProduct(d2, d2));
    const double wanted = std::ceil(std::sqrt(0.75 * std::sqrt(m2) / tolerance));
    const int n = std::isfinite(wanted) ? static_cast<int>(std::clamp(wanted, 1.0, double(kMaxSegmentsPerCurve)))
                                        : kMaxSegmentsPerCurve;
    // Power form: p0 + t (c1 + t (c2 + t c3)).
    const QPointF c1 = 3 * (p1 - p0), c2 = 3 * (p0 - 2 * p1 + p2), c3 = p3 - p0 + 3 * (p1 - p2);
    for (int i = 1; i < n; ++i) {
        const double t = double(i) / n;
        out.push_back(p0 + t * (c1 + t * (c2 + t * c3)));
    }
    out.push_back(p3); // the end point exactly
}

// Keeps the pen and transform from the painter's state and turns every stroked primitive
// into polylines. Fills, images and text items are ignored.
class StrokeCollector::Engine : public QPaintEngine {
public:
    Engine(double tolerance, std::size_t maxPoints)
        : QPaintEngine(QPaintEngine::AllFeatures), tolerance_(tolerance), maxPoints_(maxPoints)
    {}

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& changed) override
    {
        if (changed.state() & QPaintEngine::DirtyPen) {
            const QPen qpen = changed.pen();
            stroking_ = qpen.style() != Qt::NoPen && qpen.brush().style() != Qt::NoBrush;
            dashed_ = stroking_ && qpen.style() != Qt::SolidLine;
        }
        if (changed.state() & QPaintEngine::DirtyTransform)
            transform_ = changed.transform();
    }

    void drawPath(const QPainterPath& path) override
    {
        if (!stroking_)
            return;
        noteDashes();
        for (int i = 0; i < path.elementCount(); ++i) {
            const QPainterPath::Element& e = path.elementAt(i);
            const QPointF p = transform_.map(QPointF(e.x, e.y));
            if (e.type == QPainterPath::MoveToElement) {
                startStroke(p);
            } else if (e.type == QPainterPath::LineToElement) {
                addPoint(p);
            } else if (e.type == QPainterPath::CurveToElement && i + 2 < path.elementCount()) {
                const QPointF c2 = transform_.map(QPointF(path.elementAt(i + 1)));
                const QPointF end = transform_.map(QPointF(path.elementAt(i + 2)));
                i += 2;
                if (current_ && !current_->points.empty() && finite(p) && finite(c2) && finite(end)) {
                    scratch_.clear();
                    flattenCubic(current_->points.back(), p, c2, end, tolerance_, scratch_);
                    for (const QPointF& q : scratch_)
                        addPoint(q);
                }
            }
        }
        current_ = nullptr;
    }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override
    {
        if (!stroking_ || count < 1)
            return;
        noteDashes();
        startStroke(transform_.map(points[0]));
        for (int i = 1; i < count; ++i)
            addPoint(transform_.map(points[i]));
        if (mode != QPaintEngine::PolylineMode)
            addPoint(transform_.map(points[0]));
        current_ = nullptr;
    }

    void drawPolygon(const QPoint* points, int count, PolygonDrawMode mode) override
    {
        std::vector<QPointF> converted(points, points + std::max(count, 0));
        drawPolygon(converted.data(), count, mode);
    }

    void drawLines(const QLineF* lines, int count) override
    {
        for (int i = 0; i < count; ++i) {
            const QPointF ends[2] = {lines[i].p1(), lines[i].p2()};
            drawPolygon(ends, 2, QPaintEngine::PolylineMode);
        }
    }

    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    // The only images that reach here are the pre-scan's pen markers.
    void drawImage(const QRectF&, const QImage& image, const QRectF&, Qt::ImageConversionFlags) override
    {
        if (image.width() != 1 || image.height() != 1)
            return;
        const QRgb pixel = image.pixel(0, 0);
        if (qRed(pixel) == kPenMarkerRed && qGreen(pixel) == kPenMarkerGreen && qBlue(pixel) > 0)
            pen = qBlue(pixel);
    }
    void drawTextItem(const QPointF&, const QTextItem&) override {}

    std::vector<MmStroke> strokes;
    int pen = 1;
    bool overflowed = false;
    bool sawDashes = false;

private:
    void noteDashes() { sawDashes = sawDashes || dashed_; }

    void startStroke(const QPointF& p)
    {
        current_ = nullptr;
        if (!finite(p) || overflowed)
            return;
        strokes.push_back({pen, {}});
        current_ = &strokes.back();
        addPoint(p);
    }

    void addPoint(const QPointF& p)
    {
        if (!current_)
            return;
        if (!finite(p) || ++points_ > maxPoints_) {
            overflowed = overflowed || points_ > maxPoints_;
            current_ = nullptr; // a non-finite point ends the stroke
            return;
        }
        current_->points.push_back(p);
    }

    double tolerance_;
    std::size_t maxPoints_;
    std::size_t points_ = 0;
    QTransform transform_;
    bool stroking_ = false;
    bool dashed_ = false;
    MmStroke* current_ = nullptr;
    std::vector<QPointF> scratch_;
};

StrokeCollector::StrokeCollector(double toleranceMm, std::size_t maxPoints)
    : engine_(std::make_unique<Engine>(toleranceMm, maxPoints))
{}

StrokeCollector::~StrokeCollector() = default;

std::vector<MmStroke>& StrokeCollector::strokes()
{
    return engine_->strokes;
}
bool StrokeCollector::overflowed() const
{
    return engine_->overflowed;
}
bool StrokeCollector::sawDashes() const
{
    return engine_->sawDashes;
}
QPaintEngine* StrokeCollector::paintEngine() const
{
    return engine_.get();
}

int StrokeCollector::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
    case PdmHeight: return kSide;
    case PdmWidthMM:
    case PdmHeightMM: return kSide * 254 / 960;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY: return 96;
    case PdmDepth: return 32;
    case PdmNumColors: return std::numeric_limits<int>::max();
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
    default: return 0;
    }
}

} // namespace orlex
