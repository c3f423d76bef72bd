// Pre-scan of SVG bytes before Qt SVG sees them: refusals, page attributes, pen layers,
// and the cleaned document that is rendered.
#include "import/svg_prescan.h"

#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <optional>

namespace orlex {

namespace {

constexpr int kMaxDepth = 256;
constexpr qint64 kMaxExpandedElements = 4'000'000;
constexpr double kPxPerMm = 96.0 / 25.4;
const QString kInkscapeNs = QStringLiteral("http://www.inkscape.org/namespaces/inkscape");

std::string quoted(QStringView text)
{
    const QString shown = text.size() > 40 ? text.left(40).toString() + QStringLiteral("...") : text.toString();
    return "\"" + shown.toStdString() + "\"";
}

bool isOneOf(QStringView name, std::initializer_list<const char16_t*> names)
{
    for (const char16_t* n : names)
        if (name == QStringView(n))
            return true;
    return false;
}

// Top-level elements that draw; the others (defs, style, metadata ...) need no pen.
bool isGraphic(QStringView name)
{
    return isOneOf(name, {u"g", u"path", u"rect", u"circle", u"ellipse", u"line", u"polyline", u"polygon", u"use", u"a",
                          u"switch", u"svg"});
}

bool isText(QStringView name)
{
    return isOneOf(name, {u"text", u"flowRoot", u"textArea"});
}

// Never strokes, and Qt would load or lay them out: left out with everything inside.
bool isLeftOut(QStringView name)
{
    return isText(name) || isOneOf(name, {u"image", u"foreignObject", u"script", u"video", u"audio", u"animation"});
}

// True when a url(...) in `value` points anywhere but "#id" in this document.
bool hasExternalUrl(QStringView value)
{
    for (qsizetype at = value.indexOf(u"url(", 0, Qt::CaseInsensitive); at >= 0;
         at = value.indexOf(u"url(", at + 4, Qt::CaseInsensitive)) {
        qsizetype i = at + 4;
        while (i < value.size() && (value[i].isSpace() || value[i] == u'"' || value[i] == u'\''))
            ++i;
        if (i >= value.size() || value[i] != u'#')
            return true;
    }
    return false;
}

// Why the element refers outside the document, or nullopt.
std::optional<std::string> externalReference(const QXmlStreamAttributes& attributes, QStringView element)
{
    for (const QXmlStreamAttribute& a : attributes) {
        const QStringView value = a.value().trimmed();
        if (a.name() == u"href" && !value.startsWith(u'#'))
            return "it refers to another file (" + quoted(value) + " in <" + element.toString().toStdString() + ">)";
        if (hasExternalUrl(value))
            return "it refers to another file (" + quoted(value) + " in <" + element.toString().toStdString() + ">)";
    }
    return std::nullopt;
}

QString attr(const QXmlStreamAttributes& attributes, const char* name)
{
    return attributes.value(QLatin1String(name)).toString();
}

QString number(double v)
{
    return QString::number(v, 'g', 12);
}

QString matrixText(const QTransform& t)
{
    return QStringLiteral("matrix(%1,%2,%3,%4,%5,%6)")
        .arg(number(t.m11()), number(t.m12()), number(t.m21()), number(t.m22()), number(t.dx()), number(t.dy()));
}

// A length in user units (px) for x, y, width, height of nested viewports; nullopt when
// absent or a percentage.
std::optional<double> userLength(const QString& text)
{
    const auto mm = lengthInMm(text);
    if (!mm || !*mm) {
        bool ok = false;
        const double plain = text.trimmed().toDouble(&ok); // zero and negative x, y
        return ok ? std::optional<double>(plain) : std::nullopt;
    }
    return **mm * kPxPerMm;
}

// The transform that places a viewBox in a viewport at x, y of width x height user units;
// an absent width or height takes the viewBox's.
Result<QString> viewportTransform(const QString& x, const QString& y, const QString& width, const QString& height,
                                  const QString& viewBox, const QString& preserveAspectRatio)
{
    QTransform t = QTransform::fromTranslate(userLength(x).value_or(0), userLength(y).value_or(0));
    if (!viewBox.trimmed().isEmpty()) {
        const auto box = parseViewBox(viewBox);
        if (!box)
            return box.error();
        const auto map = viewBoxTransform(*box, userLength(width).value_or(box->width()),
                                          userLength(height).value_or(box->height()), preserveAspectRatio);
        if (!map)
            return map.error();
        t = *map * t;
    }
    return matrixText(t);
}

struct SymbolBox {
    QString viewBox, preserveAspectRatio;
};

// Symbols that have a viewBox, by id: a <use> of one needs the viewBox transform.
QHash<QString, SymbolBox> symbolsWithViewBox(const QByteArray& bytes)
{
    QHash<QString, SymbolBox> symbols;
    if (!bytes.contains("symbol"))
        return symbols;
    QXmlStreamReader reader(bytes);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement || reader.name() != u"symbol")
            continue;
        const auto a = reader.attributes();
        if (a.hasAttribute(QStringLiteral("id")) && a.hasAttribute(QStringLiteral("viewBox")))
            symbols.insert(a.value(QStringLiteral("id")).toString(),
                           {a.value(QStringLiteral("viewBox")).toString(),
                            a.value(QStringLiteral("preserveAspectRatio")).toString()});
    }
    return symbols;
}

// How many elements the renderer visits once <use> references are expanded, from each
// id's subtree size and the references inside it.
class UseExpansion {
public:
    void elementStarted(QStringView id)
    {
        frames_.push_back({id.toString(), elements_, qsizetype(references_.size())});
        ++elements_;
    }
    void reference(const QString& target)
    {
        if (!target.isEmpty())
            references_.push_back(target);
    }
    void elementEnded()
    {
        const Frame f = frames_.back();
        frames_.pop_back();
        if (!f.id.isEmpty() && !subtrees_.contains(f.id))
            subtrees_.insert(f.id, {elements_ - f.firstElement, f.firstReference, qsizetype(references_.size())});
    }

    // Fails on a loop, a chain deeper than kMaxDepth, or too many elements.
    Result<void> check()
    {
        qint64 total = elements_;
        for (const QString& target : references_) {
            auto e = expanded(target, 0);
            if (!e)
                return e.error();
            total += *e;
            if (total > kMaxExpandedElements)
                return failure("its <use> references expand to more than 4 million elements");
        }
        return {};
    }

private:
    struct Frame {
        QString id;
        qint64 firstElement;
        qsizetype firstReference;
    };
    struct Subtree {
        qint64 elements;
        qsizetype firstReference, endReference;
        qint64 expanded = -1; // -2 while being expanded
    };

    Result<qint64> expanded(const QString& id, int depth)
    {
        auto it = subtrees_.find(id);
        if (it == subtrees_.end())
            return qint64(0); // Qt warns and draws nothing
        if (it->expanded == -2)
            return failure("its <use> references loop (through \"#" + id.toStdString() + "\")");
        if (it->expanded >= 0)
            return it->expanded;
        if (depth > kMaxDepth)
            return failure("its <use> references are nested more than 256 deep");
        it->expanded = -2;
        qint64 sum = it->elements;
        const qsizetype first = it->firstReference, end = it->endReference;
        for (qsizetype i = first; i < end && sum <= kMaxExpandedElements; ++i) {
            auto e = expanded(references_[i], depth + 1);
            if (!e)
                return e.error();
            sum += *e;
        }
        it->expanded = std::min(sum, kMaxExpandedElements + 1);
        return it->expanded;
    }

    std::vector<Frame> frames_;
    std::vector<QString> references_;
    QHash<QString, Subtree> subtrees_;
    qint64 elements_ = 0;
};

// Writes the cleaned document while the reader walks the original.
class Rewriter {
public:
    explicit Rewriter(const QByteArray& bytes)
        : reader_(bytes), writer_(&out_.document), symbols_(symbolsWithViewBox(bytes))
    {
        out_.document.reserve(bytes.size() + 1024);
    }

    Result<PreparedSvg> run()
    {
        while (!reader_.atEnd()) {
            Result<void> step;
            switch (reader_.readNext()) {
            case QXmlStreamReader::DTD:
                if (!reader_.entityDeclarations().isEmpty() || reader_.text().contains(u"<!ENTITY"))
                    return failure("its DOCTYPE declares entities; they are not read");
                break;
            case QXmlStreamReader::EntityReference:
                return failure("it uses the entity &" + reader_.name().toString().toStdString()
                               + "; which is not read");
            case QXmlStreamReader::ProcessingInstruction:
                if (reader_.processingInstructionTarget() == u"xml-stylesheet")
                    return failure("it links a style sheet from another file");
                break;
            case QXmlStreamReader::StartElement: step = startElement(); break;
            case QXmlStreamReader::EndElement: endElement(); break;
            case QXmlStreamReader::Characters: step = characters(); break;
            default: break;
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
    Result<void> startElement()
    {
        ++depth_;
        if (depth_ > kMaxDepth)
            return failure("its elements are nested more than 256 deep");
        const QStringView name = reader_.name();
        const QXmlStreamAttributes attributes = reader_.attributes();
        if (auto reference = externalReference(attributes, name))
            return failure(*reference);
        expansion_.elementStarted(attributes.value(QStringLiteral("id")));
        if (name == u"use")
            expansion_.reference(useTarget(attributes));

        if (depth_ == 1)
            return startRoot(attributes);
        if (leftOutFrom_ || isLeftOut(name)) {
            if (!leftOutFrom_) {
                leftOutFrom_ = depth_;
                out_.skippedText += isText(name) ? 1 : 0;
            }
            closes_.push_back(0);
            return {};
        }
        if (depth_ == 2)
            markPen(name, attributes);
        if (name == u"style")
            styleFrom_ = depth_;

        int closes = 1;
        if (name == u"symbol") {
            writer_.writeStartElement(prefixed(u"defs"));
            writer_.writeStartElement(prefixed(u"g"));
            writeAttributes(attributes,
                            {u"viewBox", u"preserveAspectRatio", u"x", u"y", u"width", u"height", u"refX", u"refY"});
            closes = 2;
        } else if (name == u"svg") {
            auto transform = viewportTransform(attr(attributes, "x"), attr(attributes, "y"), attr(attributes, "width"),
                                               attr(attributes, "height"), attr(attributes, "viewBox"),
                                               attr(attributes, "preserveAspectRatio"));
            if (!transform)
                return transform.error();
            writer_.writeStartElement(prefixed(u"g"));
            writeAttributes(attributes,
                            {u"x", u"y", u"width", u"height", u"viewBox", u"preserveAspectRatio", u"transform"});
            writer_.writeAttribute(QStringLiteral("transform"), *transform);
        } else if (name == u"use" && symbols_.contains(useTarget(attributes))) {
            const SymbolBox& symbol = symbols_[useTarget(attributes)];
            auto transform = viewportTransform(attr(attributes, "x"), attr(attributes, "y"), attr(attributes, "width"),
                                               attr(attributes, "height"), symbol.viewBox, symbol.preserveAspectRatio);
            if (!transform)
                return transform.error();
            writer_.writeStartElement(reader_.qualifiedName().toString());
            writeAttributes(attributes, {u"x", u"y", u"width", u"height", u"transform"});
            writer_.writeAttribute(QStringLiteral("transform"),
                                   attr(attributes, "transform") + QLatin1Char(' ') + *transform);
        } else {
            writer_.writeStartElement(reader_.qualifiedName().toString());
            writeAttributes(attributes, {});
        }
        closes_.push_back(closes);
        return {};
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
        // The page is placed by the caller. A fixed size spares Qt working one out from
        // the content's bounds, which costs as much as rendering.
        writer_.writeStartElement(reader_.qualifiedName().toString());
        writeAttributes(attributes, {u"width", u"height", u"viewBox", u"preserveAspectRatio", u"x", u"y"});
        writer_.writeAttribute(QStringLiteral("width"), QStringLiteral("1000"));
        writer_.writeAttribute(QStringLiteral("height"), QStringLiteral("1000"));
        closes_.push_back(1);
        return {};
    }

    void endElement()
    {
        for (int i = closes_.back(); i > 0; --i)
            writer_.writeEndElement();
        closes_.pop_back();
        expansion_.elementEnded();
        if (depth_ == leftOutFrom_)
            leftOutFrom_ = 0;
        if (depth_ == styleFrom_)
            styleFrom_ = 0;
        --depth_;
    }

    Result<void> characters()
    {
        if (leftOutFrom_ || depth_ == 0)
            return {};
        const QStringView text = reader_.text();
        if (styleFrom_ && (hasExternalUrl(text) || text.contains(u"@import", Qt::CaseInsensitive)))
            return failure("its style sheet refers to another file");
        if (reader_.isWhitespace())
            return {}; // whitespace matters only inside text, which is left out
        if (reader_.isCDATA())
            writer_.writeCDATA(text.toString());
        else
            writer_.writeCharacters(text.toString());
        return {};
    }

    // Before a top-level drawing element whose pen differs from the one in force, a
    // marker: a 1 x 1 image whose pixel carries the pen (see kPenMarkerRed and kPenMarkerGreen). Qt draws it in
    // document order like everything else, so the collector learns where pens change
    // without a second pass over the document.
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
        QByteArray pixel = QByteArrayLiteral("P6\n1 1\n255\n");
        pixel += char(kPenMarkerRed);
        pixel += char(kPenMarkerGreen);
        pixel += char(pen);
        writer_.writeStartElement(prefixed(u"image"));
        writer_.writeAttribute(QStringLiteral("xmlns:xlink"), QStringLiteral("http://www.w3.org/1999/xlink"));
        writer_.writeAttribute(QStringLiteral("width"), QStringLiteral("1"));
        writer_.writeAttribute(QStringLiteral("height"), QStringLiteral("1"));
        writer_.writeAttribute(QStringLiteral("style"), QStringLiteral("display:inline;visibility:visible;opacity:1"));
        writer_.writeAttribute(QStringLiteral("xlink:href"), QStringLiteral("data:image/x-portable-pixmap;base64,")
                                                                 + QString::fromLatin1(pixel.toBase64()));
        writer_.writeEndElement();
    }

    void writeAttributes(const QXmlStreamAttributes& attributes, std::initializer_list<const char16_t*> except)
    {
        for (const QXmlStreamNamespaceDeclaration& ns : reader_.namespaceDeclarations())
            writer_.writeAttribute(ns.prefix().isEmpty() ? QStringLiteral("xmlns")
                                                         : QStringLiteral("xmlns:") + ns.prefix().toString(),
                                   ns.namespaceUri().toString());
        for (const QXmlStreamAttribute& a : attributes)
            if (!a.namespaceUri().isEmpty() || !isOneOf(a.name(), except))
                writer_.writeAttribute(a.qualifiedName().toString(), a.value().toString());
    }

    QString prefixed(QStringView name) const
    {
        return rootPrefix_.isEmpty() ? name.toString() : rootPrefix_ + QLatin1Char(':') + name.toString();
    }

    static QString useTarget(const QXmlStreamAttributes& attributes)
    {
        for (const auto& a : attributes)
            if (a.name() == u"href")
                return a.value().trimmed().mid(1).toString();
        return {};
    }

    QXmlStreamReader reader_;
    PreparedSvg out_;
    QXmlStreamWriter writer_;
    QHash<QString, SymbolBox> symbols_;
    UseExpansion expansion_;
    std::vector<int> closes_; // writer elements to close at the end of each open element
    QString rootPrefix_;
    int depth_ = 0;
    int leftOutFrom_ = 0; // depth of the left-out element we are inside, or 0
    int styleFrom_ = 0;   // depth of the <style> element we are inside, or 0
    bool rootSeen_ = false;
    int pen_ = 1; // the pen of the last marker written
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

Result<PreparedSvg> prescanSvg(const QByteArray& bytes)
{
    if (bytes.startsWith("\x1f\x8b"))
        return failure("it is compressed (.svgz); save it as plain SVG");
    if (bytes.trimmed().isEmpty())
        return failure("it is empty");
    return Rewriter(bytes).run();
}

} // namespace orlex
