// SVG import: an SVG drawing turned into plotter strokes.
#include "import/svg_import.h"

#include "import/page_geometry.h"
#include "import/placement.h"
#include "import/stroke_collector.h"
#include "import/svg_file.h"
#include "import/svg_prescan.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>

namespace orlex {

namespace {

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

Result<SvgDrawing> convert(const QByteArray& bytes, const std::string& name, const SvgImportOptions& options)
{
    if (auto ok = checkOptions(options); !ok)
        return named(name, ok.error());
    if (std::uintmax_t(bytes.size()) > kMaxSvgFileBytes)
        return failure(name + ": larger than " + std::to_string(kMaxSvgFileBytes >> 20) + " MiB; not read");
    auto prepared = prescanSvg(bytes);
    if (!prepared)
        return named(name, prepared.error());
    auto page = pageGeometry(prepared->root);
    if (!page)
        return named(name, page.error());

    QSvgRenderer renderer;
    if (!renderer.load(prepared->document))
        return failure(name + ": Qt SVG could not read the drawing");
    // Qt's own viewBox handling is made the identity (viewBox = device rectangle); the
    // painter's transform carries the page map.
    renderer.setAspectRatioMode(Qt::IgnoreAspectRatio);
    renderer.setViewBox(QRectF(0, 0, StrokeCollector::kSide, StrokeCollector::kSide));

    StrokeCollector collector(options.toleranceMm, kMaxSvgPoints);
    {
        QPainter painter(&collector);
        painter.setWorldTransform(page->userToPage);
        renderer.render(&painter);
    }
    if (collector.overflowed())
        return failure(name + ": more than " + std::to_string(kMaxSvgPoints / 1'000'000)
                           + " million points once curves are flattened; raise the tolerance or simplify the drawing",
                       Error::Kind::TooBig);

    QRectF pageRect(0, 0, page->widthMm, page->heightMm);
    if (page->sizeFromDrawing)
        pageRect = extents(collector.strokes());
    auto drawing = placeStrokes(collector.strokes(), pageRect, options);
    if (!drawing)
        return named(name, drawing.error());
    if (prepared->skippedText > 0)
        drawing->notes.push_back(std::to_string(prepared->skippedText)
                                 + " text element(s) left out; convert text to paths to plot it");
    if (collector.sawDashes())
        drawing->notes.push_back("dashed lines are drawn solid");
    if (drawing->strokes.empty()) {
        std::string message = name + ": nothing to draw: no shape with a stroke";
        if (prepared->skippedText > 0)
            message += " (text is left out; convert it to paths)";
        return failure(message + "; shapes that are only filled are not drawn");
    }
    return drawing;
}

} // namespace

Result<SvgDrawing> importSvg(const std::filesystem::path& file, const SvgImportOptions& options)
{
    auto bytes = readSvgFile(file, kMaxSvgFileBytes);
    if (!bytes)
        return oneLine(bytes.error());
    return oneLine(convert(*bytes, file.string(), options));
}

Result<SvgDrawing> importSvgData(const QByteArray& bytes, const SvgImportOptions& options)
{
    return oneLine(convert(bytes, "SVG data", options));
}

bool isSvgFile(const std::filesystem::path& file)
{
    QString extension = QString::fromStdString(file.extension().string());
    if (extension.compare(QLatin1String(".svg"), Qt::CaseInsensitive) == 0)
        return true;
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        return false;
    QFile in(QString::fromStdString(file.string()));
    return in.open(QIODevice::ReadOnly) && looksLikeSvg(in.read(4096));
}

} // namespace orlex
