// A long path's data cut into pieces that librsvg draws one by one: cairo works out the
// extents of each path it draws in time that grows with the square of its crossings, so a
// long path that crosses itself is drawn in pieces, and the script reader joins their
// strokes again (see the join markers in cairo_script_reader.h).
#pragma once

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace orlex {

// How a piece's last subpath goes on.
enum class PieceEnd {
    Ends,      // it ends there, as in the whole path
    Continues, // the next piece goes on from its last point
    Closes,    // it is closed back to its first point (z), which lies in an earlier piece
};

struct PathPiece {
    QString data; // path data starting with an absolute M
    PieceEnd end = PieceEnd::Ends;
};

// The pieces of `data`, each of about `segments` segments (more when there would be more
// than kMaxPathPieces), whose strokes joined as PieceEnd says are the whole path's: a cut
// never falls before a smooth curve (S, T: it needs the segment before) or a z; the point
// at a cut is written as an absolute M, taken from the data's own text where it gave it
// absolutely; a z whose subpath began in an earlier piece ends its piece (Closes). nullopt
// when the data is not well-formed (librsvg draws it up to the error) or has fewer than
// twice `segments` segments.
std::optional<std::vector<PathPiece>> splitPathData(QStringView data, int segments);

inline constexpr int kMaxPathPieces = 2000;

} // namespace orlex
