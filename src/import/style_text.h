// CSS text of an SVG document as the pre-scan sees it: references to other files, and
// the filter effects and fonts that are left out.
#pragma once

#include "common/result.h"
#include "import/svg_prescan.h"

#include <QSet>
#include <QString>

#include <optional>

#include <string>

namespace orlex {

// The text in quotes, cut short: a message stays one readable line.
std::string quotedText(QStringView text);

// True when a url(...) in `value` points anywhere but "#id" in this document.
bool hasExternalUrl(QStringView value);

// Properties whose url() changes what is drawn: stroke, clip-path, mask, markers.
bool isDrawnUrlProperty(QStringView name);

// True when a declaration of a style attribute ("a: b; c: d") gives such a property a
// url() of another file.
bool hasDrawnExternalUrl(QStringView style);

// A fill of url(...): a pattern or gradient, which the drawn copy keeps.
bool isPaintServer(QStringView fill);

// What a presentation attribute or declaration becomes in the drawn copy, or nullopt
// when it stays: filter and mask become none (counted when they had an effect), fill
// none unless a paint server, overflow visible.
std::optional<QString> rewrittenValue(QStringView property, QStringView value, LeftOut& counts);

// url(#id) when `value` is a mask of `clipMasks` (masks written as clipping paths, see
// svg_prescan.h), as the clip-path that takes its place.
std::optional<QString> maskAsClip(QStringView value, const QSet<QString>& clipMasks);

// A style attribute with its declarations rewritten as rewrittenValue says; inside a
// pattern (`keepFills`) its fills stay, since the tile may paint a stroke. A mask of
// `clipMasks` becomes its clip-path, unless the style has a clip-path of its own.
QString cleanStyleAttribute(QStringView style, LeftOut& counts, bool keepFills = false,
                            const QSet<QString>& clipMasks = {});

// A <style> sheet without comments, with declarations rewritten as rewrittenValue says and
// @font-face rules and @import of other sheets left out (counted); refused when a
// declaration refers to another file.
// With `keepFills` fills are left as they are.
Result<QString> cleanStyleSheet(const QString& sheet, LeftOut& counts, const QSet<QString>& clipMasks = {},
                                bool keepFills = false);

} // namespace orlex
