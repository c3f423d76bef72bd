// A large cleaned document split into smaller ones that draw the same strokes in the same
// order, so that librsvg never holds more than a bounded number of elements at once.
#pragma once

#include <QByteArray>

#include <functional>

namespace orlex {

// Calls `draw` with documents that together draw what `document` draws, in document order,
// each holding at most about `maxElements` drawn elements besides the structure they all
// share: the root, the containers on the way down, <defs>, <style>, clipping paths, masks,
// markers, patterns, symbols, every element that something refers to by id, and the pen
// markers. A document of no more than `maxElements` elements, or whose style sheets use
// structural pseudo-classes or sibling combinators (a split would change what they match),
// is passed whole. Stops at the first call that returns false and returns false then.
bool forEachChunk(const QByteArray& document, qint64 maxElements, const std::function<bool(QByteArray)>& draw);

} // namespace orlex
