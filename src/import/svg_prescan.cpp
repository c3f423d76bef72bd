// Pre-scan of SVG bytes before librsvg sees them: refusals, page attributes, pen markers,
// what is left out, and the cleaned document that is drawn.
#include "import/svg_prescan.h"

#include "import/cairo_script_reader.h"
#include "import/name_lists.h"
#include "import/path_split.h"
#include "import/path_split_rules.h"
#include "import/style_text.h"
#include "import/svg_text.h"
#include "import/text_style.h"
#include "import/use_expansion.h"

#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <optional>

namespace orlex {

namespace {

const QString kSvgNs = QStringLiteral("http://www.w3.org/2000/svg");
const QString kInkscapeNs = QStringLiteral("http://www.inkscape.org/namespaces/inkscape");

// Top-level elements that draw; the others (defs, style, metadata ...) need no pen.
bool isGraphic(QStringView name)
{
    return isOneOf(name, {u"g", u"path", u"rect", u"circle", u"ellipse", u"line", u"polyline", u"polygon", u"use", u"a",
                          u"switch", u"svg", u"text"});
}

// Where a left-out element is counted; nullptr: not counted (filters are counted where
// they are used).
int* leftOutCounter(QStringView name, LeftOut& counts)
{
    if (isOneOf(name, {u"text", u"flowRoot", u"textArea"}))
        return &counts.text;
    if (name == u"image")
        return &counts.images;
    if (isOneOf(name, {u"font", u"font-face"}))
        return &counts.fonts;
    if (name == u"metadata")
        return &counts.metadata;
    if (name == u"foreignObject")
        return &counts.embedded;
    return nullptr;
}

bool isLeftOut(QStringView name, LeftOut& counts)
{
    return leftOutCounter(name, counts) != nullptr
           || isOneOf(name, {u"filter", u"script", u"video", u"audio", u"animation", u"iframe", u"canvas"});
}

QString attr(const QXmlStreamAttributes& attributes, const char* name)
{
    return attributes.value(QLatin1String(name)).toString();
}

QString hrefOf(const QXmlStreamAttributes& attributes)
{
    for (const auto& a : attributes)
        if (a.name() == u"href")
            return a.value().trimmed().toString();
    return {};
}

bool isWhite(QStringView paint)
{
    const QString p = paint.trimmed().toString().toLower().remove(u' ');
    return p == u"white" || p == u"#fff" || p == u"#ffffff" || p == u"rgb(255,255,255)" || p == u"rgb(100%,100%,100%)";
}

// The masks that are the outline of what they paint: shapes right inside them, filled in
// opaque white (or, for an alpha mask, any opaque fill), with no stroke, opacity, class or
// region of their own. Such a mask lets through exactly what lies inside the shapes, as a
// clipping path of them does.
QSet<QString> opaqueMasks(const QByteArray& bytes)
{
    QSet<QString> masks;
    if (!bytes.contains("mask"))
        return masks;
    QXmlStreamReader reader(bytes);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement || reader.name() != u"mask")
            continue;
        const QXmlStreamAttributes mask = reader.attributes();
        const QString id = mask.value(QStringLiteral("id")).toString();
        const bool alpha = mask.value(QStringLiteral("mask-type")) == u"alpha";
        bool opaque = !id.isEmpty();
        for (const char* region : {"x", "y", "width", "height", "style", "class", "opacity"})
            opaque = opaque && !mask.hasAttribute(QLatin1String(region));
        int depth = 1;
        while (depth > 0 && !reader.atEnd()) {
            const auto token = reader.readNext();
            if (token == QXmlStreamReader::EndElement) {
                --depth;
                continue;
            }
            if (token != QXmlStreamReader::StartElement)
                continue;
            ++depth;
            const QXmlStreamAttributes a = reader.attributes();
            QString fill = a.hasAttribute(QStringLiteral("fill")) ? a.value(QStringLiteral("fill")).toString()
                                                                  : QStringLiteral("black");
            QString stroke = a.value(QStringLiteral("stroke")).toString();
            QString fillOpacity = a.value(QStringLiteral("fill-opacity")).toString();
            QString opacity = a.value(QStringLiteral("opacity")).toString();
            for (QStringView declaration : a.value(QStringLiteral("style")).split(u';')) {
                const qsizetype colon = declaration.indexOf(u':');
                const QStringView name = declaration.left(colon).trimmed();
                const QString value = declaration.mid(colon + 1).trimmed().toString();
                if (colon <= 0)
                    continue;
                if (name == u"fill")
                    fill = value;
                else if (name == u"stroke")
                    stroke = value;
                else if (name == u"fill-opacity")
                    fillOpacity = value;
                else if (name == u"opacity")
                    opacity = value;
            }
            const bool shape =
                depth == 2 && isOneOf(reader.name(), {u"rect", u"circle", u"ellipse", u"path", u"polygon"});
            const bool full = [](const QString& v) { return v.isEmpty() || v.toDouble() >= 1; }(fillOpacity)
                              && (opacity.isEmpty() || opacity.toDouble() >= 1);
            opaque = opaque && shape && full && !a.hasAttribute(QStringLiteral("class"))
                     && (stroke.isEmpty() || stroke.trimmed() == u"none")
                     && (alpha ? fill.trimmed() != u"none" && !fill.contains(u"url(") : isWhite(fill));
        }
        if (opaque)
            masks.insert(id);
    }
    return masks;
}

// The rules of the document's style sheets, for the styles of its text.
TextStyleSheet textStyleSheet(const QByteArray& bytes)
{
    TextStyleSheet sheet;
    if (!bytes.contains("style"))
        return sheet;
    QXmlStreamReader reader(bytes);
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == u"style")
            sheet.add(reader.readElementText(QXmlStreamReader::IncludeChildElements));
    return sheet;
}

// Writes the cleaned document while the reader walks the original.
class Rewriter {
public:
    Rewriter(const QByteArray& bytes, SvgText text, bool keepFills, int pieceSegments)
        : bytes_(bytes), keepFills_(keepFills), reader_(bytes), writer_(&out_.document),
          pieceSegments_(keepFills || hasStyleSheet(bytes) ? 0 : pieceSegments),
          // Styles are followed only where a text may need them.
          strokeText_(text == SvgText::Stroke && bytes.contains("text"))
    {
        out_.document.reserve(bytes.size() + 1024);
        if (strokeText_)
            sheet_ = textStyleSheet(bytes);
        clipMasks_ = opaqueMasks(bytes);
        if (pieceSegments_ > 0)
            referenced_ = referencedIds(bytes);
    }

    Result<PreparedSvg> run()
    {
        while (!reader_.atEnd()) {
            Result<void> step;
            switch (reader_.readNext()) {
            case QXmlStreamReader::EntityReference:
                return failure("it uses the entity &" + reader_.name().toString().toStdString()
                               + "; whose text is not in the document");
            case QXmlStreamReader::DTD: step = checkEntities(); break;
            case QXmlStreamReader::ProcessingInstruction:
                if (reader_.processingInstructionTarget() == u"xml-stylesheet")
                    ++out_.leftOut.styleSheets;
                break;
            case QXmlStreamReader::StartElement: step = startElement(); break;
            case QXmlStreamReader::EndElement: step = endElement(); break;
            case QXmlStreamReader::Characters: characters(); break;
            default: break; // the DOCTYPE is not copied: internal entities are expanded in place
            }
            if (!step)
                return step.error();
        }
        if (reader_.hasError()) {
            const std::string where = " (line " + std::to_string(reader_.lineNumber()) + ", column "
                                      + std::to_string(reader_.columnNumber()) + ": "
                                      + reader_.errorString().toStdString() + ")";
            if (!rootSeen_)
                return failure("it is not an SVG drawing: not XML" + where);
            return failure("it is not well-formed XML" + where);
        }
        if (!rootSeen_)
            return failure("it is not an SVG drawing: no <svg> element");
        if (auto uses = expansion_.check(); !uses)
            return uses.error();
        return std::move(out_);
    }

private:
    // The reader leaves out a reference to an entity declared in another file without a
    // word; such a reference is refused instead (its text is never read).
    Result<void> checkEntities()
    {
        for (const QXmlStreamEntityDeclaration& entity : reader_.entityDeclarations()) {
            if (entity.systemId().isEmpty() && entity.publicId().isEmpty())
                continue;
            if (bytes_.contains("&" + entity.name().toUtf8() + ";"))
                return failure("it uses the entity &" + entity.name().toString().toStdString()
                               + "; whose text is in another file");
        }
        return {};
    }

    std::string at() const { return " (line " + std::to_string(reader_.lineNumber()) + ")"; }

    // Why a reference of this element would read another file and change the drawing.
    std::optional<std::string> externalReference(QStringView name, const QXmlStreamAttributes& attributes) const
    {
        const QString href = hrefOf(attributes);
        const bool paintServer = isOneOf(name, {u"use", u"pattern", u"linearGradient", u"radialGradient"});
        // "url(#id)" is no reference at all in an href (librsvg draws nothing for it), not a file.
        const bool noReference = href.startsWith(u"url(#");
        if (paintServer && !href.isEmpty() && !href.startsWith(u'#') && !noReference)
            return "it refers to another file (" + quotedText(href) + " in <" + name.toString().toStdString() + ">"
                   + at() + ")";
        for (const QXmlStreamAttribute& a : attributes) {
            const QStringView value = a.value();
            const bool drawn = a.name() == u"style" ? hasDrawnExternalUrl(value)
                                                    : isDrawnUrlProperty(a.name()) && hasExternalUrl(value);
            if (drawn)
                return "it refers to another file (" + quotedText(value) + " in <" + name.toString().toStdString() + ">"
                       + at() + ")";
        }
        return std::nullopt;
    }

    Result<void> startElement()
    {
        ++depth_;
        if (depth_ > kMaxUseDepth)
            return failure("its elements are nested more than 256 deep" + at());
        const QStringView name = reader_.name();
        const QXmlStreamAttributes attributes = reader_.attributes();
        if (pieceSegments_ > 0)
            splitStates_.push_back(
                splitState(splitStates_.empty() ? nullptr : &splitStates_.back(), name, attributes, referenced_));
        if (strokeText_) {
            path_.push_back({name.toString(), attributes.value(QStringLiteral("id")).toString(),
                             attributes.value(QStringLiteral("class")).toString().split(u' ', Qt::SkipEmptyParts)});
            styles_.push_back(sheet_.styleOf(styles_.empty() ? TextStyle{} : styles_.back(), path_, attributes));
        }
        if (name == u"clipPath" && !clipFrom_)
            clipFrom_ = depth_;
        if (depth_ == 1)
            return startRoot(attributes);
        const bool strokeText = strokeText_ && name == u"text" && !clipFrom_ && !leftOutFrom_
                                && (reader_.namespaceUri().isEmpty() || reader_.namespaceUri() == kSvgNs);
        if (!strokeText && (leftOutFrom_ || startLeftOut(name))) {
            closes_.push_back(false);
            return {};
        }
        if (auto reference = externalReference(name, attributes))
            return failure(*reference);
        expansion_.elementStarted(attributes.value(QStringLiteral("id")));
        if (name == u"use")
            expansion_.reference(hrefOf(attributes).mid(1));
        if (name == u"a" && !hrefOf(attributes).isEmpty())
            ++out_.leftOut.links;
        if (depth_ == 2)
            markPen(name, attributes);
        if (name == u"style")
            styleFrom_ = depth_;
        if (name == u"pattern" && !patternFrom_)
            patternFrom_ = depth_;
        if (strokeText)
            return replaceText(attributes);
        if (name == u"mask" && clipMasks_.contains(attributes.value(QStringLiteral("id")).toString()))
            return maskAsClipPath(attributes);
        if (name == u"path" && pieceSegments_ > 0 && maySplitPath(splitStates_.back(), attributes))
            if (auto pieces = splitPathData(attributes.value(QStringLiteral("d")), pieceSegments_))
                return writePieces(attributes, *pieces);

        writer_.writeStartElement(reader_.qualifiedName().toString());
        writeAttributes(attributes);
        closes_.push_back(true);
        return {};
    }

    // An opaque mask as the clipping path of its shapes.
    Result<void> maskAsClipPath(const QXmlStreamAttributes& attributes)
    {
        writer_.writeStartElement(prefixed(u"clipPath"));
        writer_.writeAttribute(QStringLiteral("id"), attributes.value(QStringLiteral("id")).toString());
        if (attributes.value(QStringLiteral("maskContentUnits")) == u"objectBoundingBox")
            writer_.writeAttribute(QStringLiteral("clipPathUnits"), QStringLiteral("objectBoundingBox"));
        closes_.push_back(true);
        if (!clipFrom_)
            clipFrom_ = depth_;
        return {};
    }

    // A long path as a group of its pieces, a join marker before each piece whose stroke
    // goes on in the next one or closes back into an earlier one, and one at the end.
    Result<void> writePieces(const QXmlStreamAttributes& attributes, const std::vector<PathPiece>& pieces)
    {
        writer_.writeStartElement(prefixed(u"g"));
        writeAttributes(attributes, Omit::PathData);
        for (const PathPiece& piece : pieces) {
            if (piece.end != PieceEnd::Ends)
                writeMarker(kJoinMarkerGreen,
                            int(piece.end == PieceEnd::Continues ? JoinMarker::Continues : JoinMarker::Closes));
            writer_.writeStartElement(prefixed(u"path"));
            writer_.writeAttribute(QStringLiteral("d"), piece.data);
            writer_.writeEndElement();
        }
        writeMarker(kJoinMarkerGreen, int(JoinMarker::End));
        closes_.push_back(true);
        return {};
    }

    // A text in a single-stroke face: a group in its place, holding its characters' paths.
    Result<void> replaceText(const QXmlStreamAttributes& attributes)
    {
        writer_.writeStartElement(prefixed(u"g"));
        writeAttributes(attributes, Omit::TextPositioning);
        const TextOutcome text = writeStrokeText(reader_, writer_, styles_.back(), {sheet_, path_, prefixed(u"path")});
        writer_.writeEndElement();
        // Its end element was read with it: what endElement does for the others.
        styles_.pop_back();
        if (pieceSegments_ > 0)
            splitStates_.pop_back();
        expansion_.elementEnded();
        --depth_;
        LeftOut& left = out_.leftOut;
        left.textDrawn += text.drawn;
        left.missingCharacters += text.missing;
        left.textOnPaths += text.onPaths;
        left.textWithoutFaces += text.facesMissing;
        // The drawing's limit of points, before the paths of much text fill memory.
        textPoints_ += text.points;
        if (textPoints_ > kMaxSvgPoints)
            return failure("more than " + std::to_string(kMaxSvgPoints / 1'000'000)
                               + " million points once its text is laid out in the stroke font; leave text out "
                                 "(--text skip) or simplify the drawing",
                           Error::Kind::TooBig);
        return {};
    }

    // True when the element starting is left out with everything inside it.
    bool startLeftOut(QStringView name)
    {
        const QStringView ns = reader_.namespaceUri();
        const bool foreign = !ns.isEmpty() && ns != kSvgNs;
        if (clipFrom_ && name == u"text" && !foreign)
            return false; // librsvg clips to the letters' outlines
        if (!foreign && !isLeftOut(name, out_.leftOut))
            return false;
        leftOutFrom_ = depth_;
        if (foreign)
            ++out_.leftOut.metadata;
        else if (int* counter = leftOutCounter(name, out_.leftOut))
            ++*counter;
        return true;
    }

    Result<void> startRoot(const QXmlStreamAttributes& attributes)
    {
        if (reader_.name() != u"svg")
            return failure("it is not an SVG drawing: its root element is <" + reader_.name().toString().toStdString()
                           + ">");
        rootSeen_ = true;
        rootPrefix_ = reader_.prefix().toString();
        out_.root = {attr(attributes, "width"), attr(attributes, "height"), attr(attributes, "viewBox"),
                     attr(attributes, "preserveAspectRatio")};
        expansion_.elementStarted(attributes.value(QStringLiteral("id")));
        writer_.writeStartElement(reader_.qualifiedName().toString());
        writeAttributes(attributes);
        closes_.push_back(true);
        return {};
    }

    Result<void> endElement()
    {
        const bool written = closes_.back();
        closes_.pop_back();
        if (written) {
            if (depth_ == styleFrom_) {
                styleFrom_ = 0;
                auto sheet = cleanStyleSheet(styleText_, out_.leftOut, clipMasks_, keepFills_);
                styleText_.clear();
                if (!sheet)
                    return failure(sheet.message() + at());
                writer_.writeCharacters(*sheet);
            }
            writer_.writeEndElement();
            expansion_.elementEnded();
        }
        if (depth_ == leftOutFrom_)
            leftOutFrom_ = 0;
        if (depth_ == patternFrom_)
            patternFrom_ = 0;
        if (depth_ == clipFrom_)
            clipFrom_ = 0;
        if (strokeText_) {
            path_.pop_back();
            styles_.pop_back();
        }
        if (pieceSegments_ > 0)
            splitStates_.pop_back();
        --depth_;
        return {};
    }

    void characters()
    {
        if (leftOutFrom_ || depth_ == 0)
            return;
        if (styleFrom_) {
            styleText_ += reader_.text();
            return;
        }
        if (!reader_.isWhitespace()) // whitespace matters only inside text, which is left out
            writer_.writeCharacters(reader_.text().toString());
    }

    // Before a top-level drawing element whose pen differs from the one in force, a
    // marker: a zero-length stroke whose colour carries the pen. librsvg draws it in
    // document order like everything else, so the script reader learns where pens change.
    void markPen(QStringView name, const QXmlStreamAttributes& attributes)
    {
        if (!isGraphic(name))
            return;
        int pen = 1;
        if (name == u"g" && attributes.value(kInkscapeNs, QStringLiteral("groupmode")) == u"layer")
            pen = std::max(1, penFromLayerLabel(attributes.value(kInkscapeNs, QStringLiteral("label")).toString()));
        if (pen == pen_)
            return;
        pen_ = pen;
        writeMarker(kPenMarkerGreen, pen);
    }

    // A marker: a zero-length stroke in the marker red, `green` and `blue`, drawn whatever
    // the style around it.
    void writeMarker(int green, int blue)
    {
        writer_.writeStartElement(prefixed(u"path"));
        if (green == kPenMarkerGreen)
            writer_.writeAttribute(QStringLiteral("data-orlex-pen"), QString::number(blue));
        writer_.writeAttribute(QStringLiteral("d"), QStringLiteral("M0 0L0 0"));
        writer_.writeAttribute(
            QStringLiteral("style"),
            QStringLiteral("display:inline!important;visibility:visible!important;opacity:1!important;"
                           "stroke:rgb(%1,%2,%3)!important;stroke-opacity:1!important;stroke-width:1!important;"
                           "stroke-linecap:round!important;stroke-dasharray:none!important;fill:none!important;"
                           "marker:none!important;clip-path:none!important;mask:none!important;"
                           "filter:none!important")
                .arg(kPenMarkerRed)
                .arg(green)
                .arg(blue));
        writer_.writeEndElement();
    }

    // The attributes as the drawn copy has them (see rewrittenValue); the root fills
    // nothing, and viewports do not clip.
    enum class Omit { Nothing, TextPositioning, PathData };

    void writeAttributes(const QXmlStreamAttributes& attributes, Omit omit = Omit::Nothing)
    {
        const bool textGroup = omit == Omit::TextPositioning;
        QStringList declared;
        for (const QXmlStreamNamespaceDeclaration& ns : reader_.namespaceDeclarations()) {
            const QString name =
                ns.prefix().isEmpty() ? QStringLiteral("xmlns") : QStringLiteral("xmlns:") + ns.prefix().toString();
            if (declared.contains(name))
                continue; // declared by the element and defaulted by a DTD's ATTLIST: once is enough
            declared << name;
            writer_.writeAttribute(name, ns.namespaceUri().toString());
        }
        for (const QXmlStreamAttribute& a : attributes) {
            const QString name = a.qualifiedName().toString();
            if (a.value().trimmed().isEmpty())
                continue; // librsvg takes an empty value for an error, not for absent
            // A namespace declaration may come as an attribute too.
            if (declared.contains(name) || (textGroup && a.namespaceUri().isEmpty() && isTextPositioning(a.name()))
                || (omit == Omit::PathData && name == u"d"))
                continue;
            if (!a.namespaceUri().isEmpty()) {
                writer_.writeAttribute(name, a.value().toString());
            } else if (a.name() == u"style") {
                writer_.writeAttribute(
                    name, cleanStyleAttribute(a.value(), out_.leftOut, keepFills_ || patternFrom_ != 0, clipMasks_));
            } else if (a.name() == u"fill") { // a fill that is not kept must not inherit one that is
                const bool kept = keepFills_ || patternFrom_ != 0 || isPaintServer(a.value());
                if (depth_ > 1)
                    writer_.writeAttribute(name, kept ? a.value().toString() : QStringLiteral("none"));
            } else if (const auto clip = a.name() == u"mask" ? maskAsClip(a.value(), clipMasks_) : std::nullopt;
                       clip && !attributes.hasAttribute(QStringLiteral("clip-path"))
                       && !attributes.value(QStringLiteral("style")).contains(u"clip-path")) {
                writer_.writeAttribute(QStringLiteral("clip-path"), *clip); // an opaque mask is its clip
            } else if (a.name() != u"overflow") {
                const auto value = rewrittenValue(a.name(), a.value(), out_.leftOut);
                writer_.writeAttribute(name, value ? *value : a.value().toString());
            }
        }
        const QStringView element = reader_.name();
        if (depth_ == 1 && !keepFills_)
            writer_.writeAttribute(QStringLiteral("fill"), QStringLiteral("none"));
        if (isOneOf(element, {u"svg", u"symbol", u"marker", u"pattern"}))
            writer_.writeAttribute(QStringLiteral("overflow"), QStringLiteral("visible"));
    }

    QString prefixed(QStringView name) const
    {
        return rootPrefix_.isEmpty() ? name.toString() : rootPrefix_ + QLatin1Char(':') + name.toString();
    }

    const QByteArray& bytes_;
    bool keepFills_;
    QXmlStreamReader reader_;
    PreparedSvg out_;
    QXmlStreamWriter writer_;
    int pieceSegments_; // long paths are split into pieces of about this many; 0: never
    UseExpansion expansion_;
    std::vector<bool> closes_; // whether each open element was written
    QString rootPrefix_;
    QString styleText_; // the text of the <style> element being read
    int depth_ = 0;
    int leftOutFrom_ = 0;   // depth of the left-out element we are inside, or 0
    int styleFrom_ = 0;     // depth of the <style> element we are inside, or 0
    int patternFrom_ = 0;   // depth of the outermost <pattern> we are inside, or 0
    int clipFrom_ = 0;      // depth of the <clipPath> we are inside, or 0
    const bool strokeText_; // text is drawn in a stroke face, and the document may hold some
    TextStyleSheet sheet_;
    QSet<QString> clipMasks_;         // opaque masks, written as clipping paths
    std::size_t textPoints_ = 0;      // of the text's paths so far
    std::vector<TextStyle> styles_;   // of the open elements, when strokeText_
    std::vector<StyledElement> path_; // the open elements, when strokeText_
    bool rootSeen_ = false;
    int pen_ = 1;                         // the pen of the last marker written
    QSet<QString> referenced_;            // ids something refers to, when pieceSegments_
    std::vector<SplitState> splitStates_; // of the open elements, when pieceSegments_
};

} // namespace

int penFromLayerLabel(const QString& label)
{
    static const QRegularExpression numbered(QStringLiteral("^\\s*(?:pen\\s*)?(\\d{1,3})(?!\\d)"),
                                             QRegularExpression::CaseInsensitiveOption);
    const auto match = numbered.match(label);
    if (!match.hasMatch())
        return 0;
    const int pen = match.capturedView(1).toInt();
    return pen >= 1 && pen <= 255 ? pen : 0;
}

Result<PreparedSvg> prescanSvg(const QByteArray& bytes, SvgText text, bool keepFills, int pieceSegments)
{
    if (bytes.trimmed().isEmpty())
        return failure("it is empty");
    return Rewriter(bytes, text, keepFills, pieceSegments).run();
}

} // namespace orlex
