// Follows the text cairo's script surface writes while librsvg draws a document, and keeps
// the strokes that reach the page as polylines in page millimetres.
#pragma once

#include <QPointF>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace orlex {

struct MmStroke {
    int pen = 1;
    std::vector<QPointF> points; // page millimetres, y down
};

// An opaque fill's outline, page millimetres, painted after the first strokesBefore strokes.
struct MmFill {
    std::vector<std::vector<QPointF>> rings;
    bool evenOdd = false;
    std::size_t strokesBefore = 0;
};

// A pen marker is a stroke of zero length in this colour, its blue the pen (1..255).
inline constexpr int kPenMarkerRed = 0x4F, kPenMarkerGreen = 0x52;
// A join marker is one in the pen marker's red and this green, its blue what joins the
// pieces of a long path drawn piece by piece (see path_split.h): the next stroke's last
// subpath goes on in the stroke after it (1), or is closed back to its first point as a
// z closes it (2); 3 ends the pieces. A stroke after a 1 has its first subpath joined to
// that last one as cairo would have joined the segments in one path.
inline constexpr int kJoinMarkerGreen = 0x53;
enum class JoinMarker { None = 0, Continues = 1, Closes = 2, End = 3 };

struct ScriptReaderOptions {
    double unitsPerMm = 4;     // device units of the script per page millimetre
    double toleranceMm = 0.05; // largest distance between a curve and its chords
    std::size_t maxPoints = 0; // points kept in all; 0 keeps no strokes, only the extents
    bool keepFills = false;    // keep the outlines of opaque fills too (they count as points)
    double turn = 0;           // radians the drawing was turned by on the surface: turned back
};

// What the script drew with a stroke, once every group, mask and pattern is resolved:
// - a stroke counts when its paint can be seen (a colour or gradient with some opacity, a
//   pattern), and when the group it was drawn into is painted onto the page with some
//   opacity; strokes inside a pattern tile or a mask are never drawn by themselves;
// - a shape filled with a pattern draws the tile's strokes, tiled, inside the shape;
// - curves are flattened so that no chord is farther than the tolerance from the curve;
// - clips are applied: a stroke drawn, or a group painted, where a clip is in force keeps
//   only its pieces inside the clip's shape, by the clip's fill rule; masks are not: a
//   masked stroke is kept whole;
// - pen markers set the pen of the strokes that follow; join markers join the strokes of
//   a path drawn in pieces.
class CairoScriptReader {
public:
    explicit CairoScriptReader(const ScriptReaderOptions& options);
    ~CairoScriptReader();

    // The next piece of the script; false once it cannot be followed (see error()).
    bool feed(const char* data, std::size_t size);
    // The end of the script: true when it was followed to the end.
    bool finish();

    const std::string& error() const; // why the script could not be followed
    bool overflowed() const;          // more than maxPoints were drawn
    bool sawDashes() const;           // a dashed stroke was kept (it is drawn solid)
    double largestCoordinate() const; // of every stroked path, in device units
    std::vector<MmStroke>& strokes(); // in drawing order
    std::vector<MmFill>& fills();     // with keepFills: the page's opaque fills in paint order

private:
    class Machine;
    std::unique_ptr<Machine> machine_;
};

// Points at parameter steps 1/n..1 of the cubic p0..p3, n chosen so that no chord is
// farther than `tolerance` from the curve (Wang's bound on the second derivative).
void flattenCubic(const QPointF& p0, const QPointF& p1, const QPointF& p2, const QPointF& p3, double tolerance,
                  std::vector<QPointF>& out);

} // namespace orlex
