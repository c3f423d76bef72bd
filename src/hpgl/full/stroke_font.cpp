// The labels' face, copied from the stroke faces into the reading's own point type.
#include "hpgl/full/stroke_font.h"

#include "fonts/stroke_faces.h"

#include <memory>

namespace orlex::fullhpgl {

namespace {

std::unique_ptr<StrokeFont> loadFont()
{
    const StrokeFace* face = strokeFace(kStrokeFontName);
    if (face == nullptr)
        return nullptr;
    auto font = std::make_unique<StrokeFont>();
    for (std::size_t c = 0; c < face->glyphs.size(); ++c) {
        const StrokeGlyph& from = face->glyphs[c];
        Glyph& glyph = font->glyphs[c];
        glyph.present = from.present;
        glyph.width = from.advance;
        for (const auto& stroke : from.strokes) {
            std::vector<Point>& to = glyph.strokes.emplace_back();
            for (const StrokePoint& p : stroke)
                to.push_back({p.x, p.y});
        }
    }
    return font;
}

} // namespace

const StrokeFont* strokeFont()
{
    static const std::unique_ptr<StrokeFont> font = loadFont();
    return font.get();
}

} // namespace orlex::fullhpgl
