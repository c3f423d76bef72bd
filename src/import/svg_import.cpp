// SVG import: an SVG drawing turned into plotter strokes.
#include "import/svg_import.h"

#include "import/page_geometry.h"
#include "import/placement.h"
#include "import/svg_chunks.h"
#include "import/svg_file.h"
#include "import/svg_prescan.h"
#include "import/svg_renderer.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>

namespace orlex {

namespace {

// librsvg holds some 2 KB an element; drawing a large document in parts bounds that.
constexpr qint64 kMaxElementsDrawnAtOnce = 20'000;

Error named(const std::string& name, const Error& error)
{
    return failure(name + ": " + error.message, error.kind);
}

// The message on one line: text quoted from the file or the XML reader's may hold line
// breaks or other control characters.
Result<SvgDrawing> oneLine(Result<SvgDrawing> result)
{
    if (result.ok())
        return result;
    std::string message = result.message();
    for (char& c : message)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    return failure(message, result.error().kind);
}

Result<void> checkOptions(const SvgImportOptions& options)
{
    if (!(options.toleranceMm >= 0.001 && options.toleranceMm <= 10))
        return failure("the curve tolerance must lie between 0.001 and 10 mm");
    if (options.rotateDegrees != 0 && options.rotateDegrees != 90)
        return failure("the page can be turned by 0 or 90 degrees only");
    if (options.fitMm
        && !(options.fitMm->first > 0 && options.fitMm->second > 0 && std::isfinite(options.fitMm->first)
             && std::isfinite(options.fitMm->second)))
        return failure("the size to fit must be positive");
    return {};
}

// The drawing's extents, for a document that gives no page size.
QRectF extents(const std::vector<MmStroke>& strokes)
{
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (const MmStroke& s : strokes)
        for (const QPointF& p : s.points) {
            minX = std::min(minX, p.x()), maxX = std::max(maxX, p.x());
            minY = std::min(minY, p.y()), maxY = std::max(maxY, p.y());
        }
    return minX <= maxX ? QRectF(QPointF(minX, minY), QPointF(maxX, maxY)) : QRectF();
}

void addNote(std::vector<std::string>& notes, int count, const char* what)
{
    if (count > 0)
        notes.push_back(std::to_string(count) + " " + what);
}

// What was left out or drawn otherwise than a viewer shows it, in plain words.
void addNotes(SvgDrawing& drawing, const LeftOut& left, bool dashed)
{
    auto& notes = drawing.notes;
    addNote(notes, left.text, "text element(s) left out; convert text to paths to plot it");
    if (left.textDrawn > 0)
        notes.push_back(std::to_string(left.textDrawn) + " text element(s) drawn in a single-stroke font"
                        + (left.missingCharacters > 0
                               ? "; " + std::to_string(left.missingCharacters) + " character(s) not in it left out"
                               : std::string()));
    addNote(notes, left.textOnPaths, "text(s) on a path (textPath) left out");
    addNote(notes, left.textWithoutFaces,
            "text element(s) left out: the stroke fonts (Debian package hershey-fonts-data) cannot be read");
    addNote(notes, left.images, "image(s) left out; images are not plotted");
    addNote(notes, left.embedded, "foreignObject element(s) left out");
    addNote(notes, left.filters, "filter effect(s) ignored; the shapes are drawn without them");
    addNote(notes, left.masks, "mask(s) ignored; the masked shapes are drawn whole");
    addNote(notes, left.fonts, "font definition(s) left out");
    addNote(notes, left.metadata, "metadata element(s) left out");
    addNote(notes, left.links, "link(s) not followed; their content is drawn");
    addNote(notes, left.styleSheets, "style sheet(s) of other files not read; their rules are not applied");
    if (dashed)
        notes.push_back("dashed lines are drawn solid");
}

Result<SvgDrawing> convert(QByteArray bytes, const std::string& name, const SvgImportOptions& options)
{
    if (auto ok = checkOptions(options); !ok)
        return named(name, ok.error());
    if (std::uintmax_t(bytes.size()) > kMaxSvgFileBytes)
        return failure(name + ": larger than " + std::to_string(kMaxSvgFileBytes >> 20) + " MiB; not read");
    if (isGzip(bytes)) {
        auto inflated = inflatedSvg(bytes, kMaxSvgFileBytes);
        if (!inflated)
            return named(name, inflated.error());
        bytes = std::move(*inflated);
    }
    auto prepared = prescanSvg(bytes, options.text, options.keepFillOutlines, options.pathPieceSegments);
    bytes = QByteArray(); // the cleaned copy is all that is drawn
    if (!prepared)
        return named(name, prepared.error());
    auto page = pageGeometry(prepared->root);
    if (!page)
        return named(name, page.error());

    RenderRequest request{QSizeF(page->widthMm, page->heightMm), 1, options.toleranceMm, kMaxSvgPoints,
                          options.keepFillOutlines};
    if (page->sizeFromDrawing) // user units are px; percentages refer to a viewport of 1000 px
        request = {QSizeF(1000, 1000), 25.4 / 96, options.toleranceMm, kMaxSvgPoints, options.keepFillOutlines};
    RenderedStrokes rendered;
    std::optional<Error> failed;
    std::size_t points = 0;
    forEachChunk(prepared->document, kMaxElementsDrawnAtOnce, [&](const QByteArray& part) {
        request.maxPoints = kMaxSvgPoints - std::min(points, kMaxSvgPoints - 1);
        auto drawn = renderStrokes(part, request);
        if (!drawn) {
            failed = drawn.error();
            return false;
        }
        for (MmFill& fill : drawn->fills) {
            for (const auto& ring : fill.rings)
                points += ring.size();
            fill.strokesBefore += rendered.strokes.size();
            rendered.fills.push_back(std::move(fill));
        }
        for (MmStroke& stroke : drawn->strokes) {
            points += stroke.points.size();
            rendered.strokes.push_back(std::move(stroke));
        }
        rendered.dashed = rendered.dashed || drawn->dashed;
        if (points > kMaxSvgPoints)
            failed = failure("too many points");
        return !failed;
    });
    prepared->document = QByteArray();
    if (failed && failed->message == "too many points")
        return failure(name + ": more than " + std::to_string(kMaxSvgPoints / 1'000'000)
                           + " million points once curves are flattened; raise the tolerance or simplify the drawing",
                       Error::Kind::TooBig);
    if (failed)
        return named(name, *failed);

    QRectF pageRect(0, 0, page->widthMm, page->heightMm);
    if (page->sizeFromDrawing)
        pageRect = extents(rendered.strokes);
    auto drawing = placeStrokes(rendered.strokes, pageRect, options, rendered.fills);
    if (!drawing)
        return named(name, drawing.error());
    const LeftOut& left = prepared->leftOut;
    addNotes(*drawing, left, rendered.dashed);
    if (drawing->strokes.empty()) {
        std::string message = name + ": nothing to draw: no shape with a stroke that can be seen";
        if (left.text > 0)
            message += " (text is left out; convert it to paths)";
        return failure(message + "; shapes that are only filled are not drawn");
    }
    return drawing;
}

Error outOfMemory(const std::string& name)
{
    return failure(name + ": there is not enough memory to convert it", Error::Kind::TooBig);
}

} // namespace

Result<SvgDrawing> importSvg(const std::filesystem::path& file, const SvgImportOptions& options)
{
    try {
        auto bytes = readSvgFile(file, kMaxSvgFileBytes);
        if (!bytes)
            return oneLine(bytes.error());
        return oneLine(convert(std::move(*bytes), file.string(), options));
    } catch (const std::bad_alloc&) {
        return outOfMemory(file.string());
    }
}

Result<SvgDrawing> importSvgData(const QByteArray& bytes, const SvgImportOptions& options)
{
    try {
        return oneLine(convert(bytes, "SVG data", options));
    } catch (const std::bad_alloc&) {
        return outOfMemory("SVG data");
    }
}

bool isSvgFile(const std::filesystem::path& file)
{
    QString extension = QString::fromStdString(file.extension().string());
    if (extension.compare(QLatin1String(".svg"), Qt::CaseInsensitive) == 0
        || extension.compare(QLatin1String(".svgz"), Qt::CaseInsensitive) == 0)
        return true;
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        return false;
    QFile in(QString::fromStdString(file.string()));
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = in.read(4096);
    if (!isGzip(head))
        return looksLikeSvg(head);
    in.seek(0);
    const auto inflated = inflatedSvg(in.read(1 << 16), 4096, true);
    return inflated && looksLikeSvg(*inflated);
}

} // namespace orlex
