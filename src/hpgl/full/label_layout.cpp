// Label layout (see label_layout.h). Positions are worked out in the label's own axes,
// x along the direction of writing and y up across it, then turned and moved to the start.
#include "hpgl/full/label_layout.h"

#include <cmath>

namespace orlex::fullhpgl {

namespace {

class LabelFrame {
public:
    LabelFrame(Point start, double directionRadians)
        : start_(start), cos_(std::cos(directionRadians)), sin_(std::sin(directionRadians))
    {}
    Point toFrame(Point local) const
    {
        return {start_.x + local.x * cos_ - local.y * sin_, start_.y + local.x * sin_ + local.y * cos_};
    }

private:
    Point start_;
    double cos_, sin_;
};

// Printing characters of the line that starts at `from`, less the backspaces.
int lineCells(std::string_view text, std::size_t from)
{
    int cells = 0;
    for (std::size_t i = from; i < text.size() && text[i] != '\r' && text[i] != '\n'; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\b')
            --cells;
        else if (c >= 32)
            ++cells;
    }
    return std::max(cells, 0);
}

// The LO shift of a line of `cells` characters, in the label's axes.
Point originShift(const LabelStyle& style, int cells)
{
    int origin = style.origin;
    const bool offset = origin >= 11 && origin <= 19;
    if (offset)
        origin -= 10;
    if (origin < 1 || origin > 9)
        origin = 1;
    const int column = (origin - 1) / 3; // left, centre, right
    const int row = (origin - 1) % 3;    // bottom, middle, top
    const double length = cells > 0 ? cells * style.advance() - 0.5 * style.width : 0;
    Point shift{-column * length / 2, -row * style.height / 2};
    if (offset) {
        shift.x += (1 - column) * style.width / 2;
        shift.y += (1 - row) * style.height / 2;
    }
    return shift;
}

} // namespace

LabelStrokes layoutLabel(std::string_view text, Point start, const LabelStyle& style, const StrokeFont& font)
{
    LabelStrokes out;
    const LabelFrame frame(start, style.directionRadians);
    const double sx = style.width / kFontCapWidth;
    const double sy = style.height / kFontCapHeight;
    Point shift = originShift(style, lineCells(text, 0));
    Point carriage{0, 0}; // cell origin in the label's axes, before the shift
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r' || c == '\n') {
            if (c == '\r')
                carriage.x = 0;
            else
                carriage.y -= style.lineSpacing();
            shift.x = originShift(style, lineCells(text, i + 1)).x;
            continue;
        }
        if (c == '\b') {
            carriage.x -= style.advance();
            continue;
        }
        if (c < 32)
            continue;
        const Glyph& glyph = font.glyphs[c];
        if (!glyph.present && c != ' ')
            ++out.missingGlyphs;
        const double left = carriage.x + shift.x + style.width / 2 - glyph.width * sx / 2;
        for (const std::vector<Point>& stroke : glyph.strokes) {
            std::vector<Point>& placed = out.strokes.emplace_back();
            for (const Point& p : stroke) {
                const double y = carriage.y + shift.y + p.y * sy;
                placed.push_back(frame.toFrame({left + p.x * sx + (p.y * sy) * style.slant, y}));
            }
        }
        carriage.x += style.advance();
    }
    // Left-aligned labels leave the pen where the next character would go; the others
    // bring it back to where the label started, so that each is placed by its own origin.
    const int origin = style.origin >= 11 ? style.origin - 10 : style.origin;
    out.end = origin >= 1 && origin <= 3 ? frame.toFrame(carriage) : start;
    return out;
}

Point moveByCells(Point start, const LabelStyle& style, double cells, double lines)
{
    return LabelFrame(start, style.directionRadians).toFrame({cells * style.advance(), -lines * style.lineSpacing()});
}

} // namespace orlex::fullhpgl
