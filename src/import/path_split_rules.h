// When the pre-scan may draw a long path in pieces (path_split.h) without changing what
// is drawn: what the path has and inherits from the elements around it.
#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QXmlStreamAttributes>

#include <array>

namespace orlex {

struct SplitState {
    bool allowed = true;   // inside containers (svg, g, a) only, none clipped, masked or referred to
    bool container = true; // its children may be allowed
    bool fillServer = false, strokeServer = false; // a fill or stroke of url(...) is in force
    bool dashed = false;
    std::array<bool, 3> markers{}; // marker-start, -mid, -end in force
};

// An element's state from its parent's (nullptr for the root). `referenced`: the ids
// something refers to (a <use> draws what it refers to with its own inherited style).
SplitState splitState(const SplitState* parent, QStringView name, const QXmlStreamAttributes& attributes,
                      const QSet<QString>& referenced);

// True when a path with this state may be drawn in pieces: no fill or stroke of a paint
// server (they depend on the shape's box; a pattern fill draws strokes inside it), no
// dashes, markers, pathLength or vector-effect (they depend on the whole path).
bool maySplitPath(const SplitState& state, const QXmlStreamAttributes& attributes);

// A document with a <style> element: its selectors could match the pieces otherwise than
// the path, so no path is split.
bool hasStyleSheet(const QByteArray& bytes);

// The ids an href="#id" or url(#id) of the document refers to.
QSet<QString> referencedIds(const QByteArray& bytes);

} // namespace orlex
