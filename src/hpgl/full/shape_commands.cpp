// Curves (CI, AA, AR, AT, RT, BZ, BR), rectangles (EA, ER, RA, RR), wedges (EW, WG),
// polygon mode (PM, EP, FP), encoded polylines (PE) and fill types (FT). Curves are
// worked out in user units, so an anisotropic scale draws ellipses, as HP plotters do.
#include "hpgl/full/curves.h"
#include "hpgl/full/encoded_polyline.h"
#include "hpgl/full/reader.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orlex::fullhpgl {

namespace {

Point polar(Point centre, double radius, double degrees)
{
    const double a = degrees * std::numbers::pi / 180;
    return {centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)};
}

} // namespace

// The chord angle of a curve command: its own parameter when given (`count` > 0), else
// the 5 degree default; CT 1 reads the parameter as the largest deviation in user units.
bool Reader::chordDegrees(int count, double value, double radiusUser, double& degrees)
{
    degrees = kDefaultChordDegrees;
    if (count <= 0)
        return true;
    degrees = chordDeviation_ ? chordDegreesForDeviation(std::fabs(value), std::fabs(radiusUser)) : std::fabs(value);
    if (!(degrees >= kMinChordDegrees && degrees <= kMaxChordDegrees)) {
        outcome_.note(NoteKind::ChordAngle, outcome_.command);
        degrees = degrees > kMaxChordDegrees ? kMaxChordDegrees : kMinChordDegrees;
    }
    return true;
}

bool Reader::tooFew(int count, int needed)
{
    if (count >= needed)
        return false;
    if (count >= 0) // a number that could not be read is noted already
        outcome_.note(NoteKind::BadParameters, outcome_.command);
    return true;
}

bool Reader::tooManyChords(std::uint64_t chords)
{
    if (chords <= options_.maxChordsPerCurve)
        return false;
    outcome_.refuse("a curve would need more than " + std::to_string(options_.maxChordsPerCurve) + " chords", true);
    return true;
}

bool Reader::curvePathTo(const std::vector<Point>& userPoints, bool down)
{
    for (const Point& p : userPoints)
        if (!pathTo(state_.toFrame(p), down))
            return false;
    return true;
}

Ring Reader::userRing(const std::vector<Point>& userPoints) const
{
    Ring ring;
    for (const Point& p : userPoints)
        ring.vertices.push_back({state_.toFrame(p), true});
    return ring;
}

// CI: the pen goes up to the circle's start (the radius along x; a negative radius starts
// opposite), down round it, and up back to the centre.
bool Reader::circle()
{
    double v[2] = {};
    const int n = readParameters(v, 2);
    if (tooFew(n, 1))
        return true;
    const Point centre = userPosition();
    const double radius = v[0];
    double degrees = 0;
    chordDegrees(n - 1, v[1], radius, degrees);
    const std::uint64_t chords = chordCount(360, degrees);
    if (tooManyChords(chords))
        return false;
    if (radius == 0)
        return true;
    curve_.clear();
    const Point start{centre.x + radius, centre.y};
    curve_.push_back(start);
    appendArc(centre, start, 360, chords, curve_);
    if (polygon_.active()) {
        curve_.pop_back(); // the ring closes on its start
        if (!polygon_.addRing(userRing(curve_), options_.maxPolygonPoints)) {
            outcome_.refuse("the polygon has more than " + std::to_string(options_.maxPolygonPoints)
                                + " points; it would be drawn only in part",
                            true);
            return false;
        }
        return true;
    }
    output_.setPosition(physical(state_.toFrame(start)));
    for (std::size_t i = 1; i < curve_.size(); ++i)
        if (!output_.lineTo(physical(state_.toFrame(curve_[i]))))
            return false;
    output_.setPosition(physical(frameAt_));
    return true;
}

// AA, AR: from the pen's position around a centre, with the pen as it is.
bool Reader::arc(bool relative)
{
    double v[4] = {};
    const int n = readParameters(v, 4);
    if (tooFew(n, 3))
        return true;
    const Point start = userPosition();
    const Point centre = relative ? Point{start.x + v[0], start.y + v[1]} : Point{v[0], v[1]};
    const double sweep = std::clamp(v[2], -360.0, 360.0);
    double degrees = 0;
    chordDegrees(n - 3, v[3], std::hypot(start.x - centre.x, start.y - centre.y), degrees);
    const std::uint64_t chords = chordCount(sweep, degrees);
    if (tooManyChords(chords))
        return false;
    if (sweep == 0 || (centre.x == start.x && centre.y == start.y))
        return true;
    curve_.clear();
    appendArc(centre, start, sweep, chords, curve_);
    return curvePathTo(curve_, penDown_);
}

// AT, RT: the arc from the pen's position through a point to an end point; a straight
// line when the three lie on one line.
bool Reader::arcThrough(bool relative)
{
    double v[5] = {};
    const int n = readParameters(v, 5);
    if (tooFew(n, 4))
        return true;
    const Point start = userPosition();
    const Point middle = relative ? Point{start.x + v[0], start.y + v[1]} : Point{v[0], v[1]};
    const Point end = relative ? Point{start.x + v[2], start.y + v[3]} : Point{v[2], v[3]};
    curve_.clear();
    if (const std::optional<Point> centre = circleCentre(start, middle, end)) {
        const double sweep = sweepThrough(*centre, start, middle, end);
        double degrees = 0;
        chordDegrees(n - 4, v[4], std::hypot(start.x - centre->x, start.y - centre->y), degrees);
        const std::uint64_t chords = chordCount(sweep, degrees);
        if (tooManyChords(chords))
            return false;
        appendArc(*centre, start, sweep, chords, curve_);
        curve_.back() = end;
    } else {
        curve_.push_back(end);
    }
    return curvePathTo(curve_, penDown_);
}

// BZ, BR: cubic Bezier curves, three points each, within a twentieth of a millimetre.
bool Reader::bezier(bool relative)
{
    for (;;) {
        double v[6] = {};
        int n = 0;
        for (; n < 6; ++n) {
            const CommandScanner::Param param = scanner_.nextNumber(v[n]);
            if (param == CommandScanner::Param::Bad) {
                outcome_.note(NoteKind::BadNumber, outcome_.command);
                scanner_.skipParameters();
                return true;
            }
            if (param == CommandScanner::Param::None)
                break;
        }
        if (n < 6) {
            if (n > 0)
                outcome_.note(NoteKind::LoneX, outcome_.command);
            return true;
        }
        // In frame units, so that the tolerance is in plotter units.
        const Point p0 = frameAt_;
        const auto control = [&](int i) {
            return relative ? Point{p0.x + state_.frameDelta({v[i], v[i + 1]}).x,
                                    p0.y + state_.frameDelta({v[i], v[i + 1]}).y}
                            : state_.toFrame({v[i], v[i + 1]});
        };
        curve_.clear();
        if (!appendBezier(p0, control(0), control(2), control(4), 0.05 * kPlotterUnitsPerMm, options_.maxChordsPerCurve,
                          curve_)) {
            tooManyChords(options_.maxChordsPerCurve + 1);
            return false;
        }
        for (const Point& p : curve_)
            if (!pathTo(p, penDown_))
                return false;
    }
}

// EA, ER, RA, RR: the rectangle between the pen's position and a corner; the pen stays.
bool Reader::rectangle(bool relative, bool fill)
{
    double v[2] = {};
    if (tooFew(readParameters(v, 2), 2))
        return true;
    const Point a = userPosition();
    const Point c = relative ? Point{a.x + v[0], a.y + v[1]} : Point{v[0], v[1]};
    return drawShape(Polygon{userRing({a, {c.x, a.y}, c, {a.x, c.y}})}, fill);
}

// EW, WG: the wedge around the pen's position: radius, start angle, sweep.
bool Reader::wedge(bool fill)
{
    double v[4] = {};
    const int n = readParameters(v, 4);
    if (tooFew(n, 3))
        return true;
    const Point centre = userPosition();
    const double sweep = std::clamp(v[2], -360.0, 360.0);
    double degrees = 0;
    chordDegrees(n - 3, v[3], v[0], degrees);
    const std::uint64_t chords = chordCount(sweep, degrees);
    if (tooManyChords(chords))
        return false;
    curve_.clear();
    if (std::fabs(sweep) < 360)
        curve_.push_back(centre);
    const Point start = polar(centre, v[0], v[1]);
    curve_.push_back(start);
    appendArc(centre, start, sweep, chords, curve_);
    if (std::fabs(sweep) >= 360)
        curve_.pop_back(); // the circle closes on its start
    return drawShape(Polygon{userRing(curve_)}, fill);
}

// A rectangle or wedge, filled or outlined, and kept as the polygon for EP and FP (in
// polygon mode, the buffer being built is left alone).
bool Reader::drawShape(const Polygon& shape, bool fill)
{
    if (!polygon_.active())
        polygon_.set(shape);
    return fill ? fillPolygon(shape, false) : edgePolygon(shape);
}

bool Reader::polygonMode()
{
    double mode = 0;
    if (readParameters(&mode, 1) < 0)
        return true;
    if (mode == 0)
        polygon_.begin(frameAt_);
    else if (mode == 1)
        polygon_.closeRing(penDown_);
    else if (mode == 2)
        polygon_.end(penDown_);
    return true;
}

bool Reader::fillPolygonCommand()
{
    double rule = 0;
    if (readParameters(&rule, 1) < 0)
        return true;
    return fillPolygon(polygon_.polygon(), rule == 1);
}

// The drawn edges of each ring, and its closing edge when that was drawn; the pen comes
// back to where it was.
bool Reader::edgePolygon(const Polygon& polygon)
{
    for (const Ring& ring : polygon) {
        if (ring.vertices.empty())
            continue;
        output_.setPosition(physical(ring.vertices[0].at));
        for (std::size_t i = 1; i < ring.vertices.size(); ++i) {
            const Point to = physical(ring.vertices[i].at);
            if (!ring.vertices[i].drawn)
                output_.setPosition(to);
            else if (!output_.lineTo(to))
                return false;
        }
        if (ring.closingDrawn && ring.vertices.size() > 1 && !output_.lineTo(physical(ring.vertices[0].at)))
            return false;
    }
    output_.setPosition(physical(frameAt_));
    return true;
}

bool Reader::fillType()
{
    double v[3] = {};
    const int n = readParameters(v, 3);
    if (n < 0)
        return true;
    const int kind = n == 0 ? 1 : integerParameter(v[0]);
    fillKind_ = kind;
    if (kind == 3 || kind == 4) {
        if (n >= 2)
            fillSpacing_ = std::fabs(v[1]);
        if (n >= 3)
            fillAngle_ = v[2];
    } else if (kind == 10 && n >= 2) {
        fillShading_ = std::clamp(v[1], 0.0, 100.0);
    } else if (kind != 1 && kind != 2 && kind != 10) {
        outcome_.note(NoteKind::PatternFill, "FT");
    }
    return true;
}

// Fills as lines: solid fills one pen width apart (FT 1 both ways, FT 2 one way), hatching
// at FT's spacing (user units along x; by default 1 % of P1-P2) and angle, cross-hatching
// also at right angles, shading as solid lines spread out by the shade.
bool Reader::fillPolygon(const Polygon& polygon, bool nonzeroWinding)
{
    if (polygon.empty())
        return true;
    HatchStyle style;
    style.nonzeroWinding = nonzeroWinding;
    style.spacing = std::max(penWidth_, 1.0);
    int passes = 1;
    if (fillKind_ == 2) {
        style.alternate = false;
    } else if (fillKind_ == 3 || fillKind_ == 4) {
        style.spacing =
            fillSpacing_ > 0 ? fillSpacing_ / std::fabs(state_.userUnitsPerFrameUnitX()) : state_.p1p2Diagonal() / 100;
        style.angleDegrees = fillAngle_;
        passes = fillKind_ == 4 ? 2 : 1;
    } else if (fillKind_ == 10) {
        if (fillShading_ <= 0)
            return true; // white
        style.spacing /= fillShading_ / 100;
    }
    Polygon anchored = polygon; // hatch lines run through the anchor corner (AC)
    for (Ring& ring : anchored)
        for (PolygonVertex& v : ring.vertices)
            v = {{v.at.x - fillAnchor_.x, v.at.y - fillAnchor_.y}, v.drawn};
    for (int pass = 0; pass < passes; ++pass, style.angleDegrees += 90) {
        const HatchEnd end =
            hatchPolygon(anchored, style, options_.maxFillLines, fillWorkLeft_, [this](Point a, Point b) {
                output_.setPosition(physical({a.x + fillAnchor_.x, a.y + fillAnchor_.y}));
                return output_.lineTo(physical({b.x + fillAnchor_.x, b.y + fillAnchor_.y}));
            });
        if (end == HatchEnd::Stopped)
            return false;
        if (end == HatchEnd::TooManyLines) {
            outcome_.refuse("a fill would need more than " + std::to_string(options_.maxFillLines)
                                + " lines (its spacing is too small for its size)",
                            true);
            return false;
        }
        if (end == HatchEnd::TooMuchWork) {
            outcome_.refuse("the fills of this file would take more than " + std::to_string(options_.maxFillWork)
                                + " edge crossings to work out",
                            true);
            return false;
        }
    }
    output_.setPosition(physical(frameAt_));
    return true;
}

// PE: relative points (current units) unless flagged absolute, pen down unless flagged up.
bool Reader::encodedPolyline()
{
    std::uint64_t badNumbers = 0;
    const bool ok = readEncodedPolyline(scanner_, badNumbers, [this](const EncodedStep& step) {
        if (step.kind == EncodedStep::SelectPen) {
            const std::int64_t pen = step.pen;
            if (pen > 9)
                outcome_.note(NoteKind::HighPen, "PE");
            output_.selectPen(pen <= 0 ? '0' : pen > 9 ? '9' : static_cast<char>('0' + pen));
            return true;
        }
        const Point target = step.absolute ? state_.toFrame({step.x, step.y})
                                           : Point{frameAt_.x + state_.frameDelta({step.x, step.y}).x,
                                                   frameAt_.y + state_.frameDelta({step.x, step.y}).y};
        return pathTo(target, !step.penUp);
    });
    if (badNumbers != 0)
        outcome_.note(NoteKind::BadNumber, "PE", badNumbers);
    return ok;
}

} // namespace orlex::fullhpgl
