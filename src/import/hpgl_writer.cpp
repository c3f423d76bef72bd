// HPGL text from imported strokes.
#include "import/hpgl_writer.h"

#include <charconv>

namespace orlex {

namespace {

void appendNumber(std::string& out, double value)
{
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, static_cast<long long>(value)).ptr;
    out.append(text, end);
}

void appendPoint(std::string& out, const std::pair<double, double>& p)
{
    appendNumber(out, p.first);
    out += ',';
    appendNumber(out, p.second);
}

} // namespace

std::string toHpgl(const SvgDrawing& drawing)
{
    std::string out = "IN;";
    std::size_t points = 0;
    for (const PlotStroke& s : drawing.strokes)
        points += s.points.size();
    out.reserve(16 + points * 12 + drawing.strokes.size() * 8);
    int pen = 0;
    for (const PlotStroke& stroke : drawing.strokes) {
        if (stroke.points.empty())
            continue;
        if (stroke.pen != pen) {
            pen = stroke.pen;
            out += "SP";
            appendNumber(out, pen);
            out += ';';
        }
        out += "PU";
        appendPoint(out, stroke.points.front());
        out += ";PD";
        for (std::size_t i = 1; i < stroke.points.size(); ++i) {
            if (i > 1)
                out += ',';
            appendPoint(out, stroke.points[i]);
        }
        out += ";\n";
    }
    out += "PU;";
    return out;
}

} // namespace orlex
