// The page of an SVG document: its size in millimetres.
#include "import/page_geometry.h"

#include <QList>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace orlex {

namespace {

constexpr double kMmPerPx = 25.4 / 96.0;

struct Unit {
    const char* name;
    double mm;
};
constexpr Unit kUnits[] = {{"mm", 1.0},        {"cm", 10.0},     {"in", 25.4},  {"pt", 25.4 / 72.0},
                           {"pc", 25.4 / 6.0}, {"px", kMmPerPx}, {"", kMmPerPx}};

// The text in quotes, cut short: a message stays one readable line.
std::string quoted(const QString& text)
{
    return "\"" + (text.size() > 40 ? text.left(40) + QStringLiteral("...") : text).toStdString() + "\"";
}

} // namespace

Result<std::optional<double>> lengthInMm(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.endsWith(QLatin1Char('%')))
        return std::optional<double>();
    for (const Unit& unit : kUnits) {
        if (!t.endsWith(QLatin1String(unit.name), Qt::CaseInsensitive))
            continue;
        bool ok = false;
        const double number = t.left(t.size() - qsizetype(std::strlen(unit.name))).trimmed().toDouble(&ok);
        if (!ok)
            break;
        if (!std::isfinite(number) || number <= 0)
            return failure("the length " + quoted(t) + " is not a positive size");
        return std::optional<double>(number * unit.mm);
    }
    return failure("the length " + quoted(t) + " is not a number with a unit of mm, cm, in, pt, pc or px");
}

Result<QRectF> parseViewBox(const QString& text)
{
    static const QRegularExpression separators(QStringLiteral("[\\s,]+"));
    const QStringList parts = text.trimmed().split(separators, Qt::SkipEmptyParts);
    double v[4] = {};
    bool ok = parts.size() == 4;
    for (int i = 0; ok && i < 4; ++i) {
        v[i] = parts[i].toDouble(&ok);
        ok = ok && std::isfinite(v[i]);
    }
    if (!ok)
        return failure("the viewBox " + quoted(text) + " is not four numbers");
    if (v[2] <= 0 || v[3] <= 0)
        return failure("the viewBox " + quoted(text) + " has no positive width and height");
    return QRectF(v[0], v[1], v[2], v[3]);
}

Result<PageGeometry> pageGeometry(const RootAttributes& root)
{
    auto width = lengthInMm(root.width);
    if (!width)
        return width.error();
    auto height = lengthInMm(root.height);
    if (!height)
        return height.error();

    PageGeometry page;
    if (root.viewBox.trimmed().isEmpty()) {
        page.sizeFromDrawing = !*width || !*height;
        page.widthMm = width->value_or(0);
        page.heightMm = height->value_or(0);
        return page;
    }
    const auto viewBox = parseViewBox(root.viewBox);
    if (!viewBox)
        return viewBox.error();

    // A missing width or height follows the viewBox: as px, or in its proportions when
    // the other one is given.
    const double vw = viewBox->width(), vh = viewBox->height();
    page.widthMm = *width ? **width : *height ? **height * vw / vh : vw * kMmPerPx;
    page.heightMm = *height ? **height : *width ? **width * vh / vw : vh * kMmPerPx;
    return page;
}

} // namespace orlex
