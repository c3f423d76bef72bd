// Loads the Hershey font through libhersheyfont and keeps a plain copy of its glyphs.
#include "hpgl/full/stroke_font.h"

#include <memory>

extern "C" {
#include <hersheyfont.h>
}

namespace orlex::fullhpgl {

namespace {

std::unique_ptr<StrokeFont> loadFont()
{
    hershey_font* hf = hershey_font_load(kStrokeFontName);
    if (hf == nullptr)
        return nullptr;
    auto font = std::make_unique<StrokeFont>();
    for (int c = 0; c < 256; ++c) {
        const hershey_glyph* g = hershey_font_glyph(hf, static_cast<unsigned char>(c));
        Glyph& glyph = font->glyphs[static_cast<std::size_t>(c)];
        glyph.present = g != nullptr && g->width != 0;
        if (!glyph.present)
            continue;
        glyph.width = g->width;
        for (const hershey_path* path = g->paths; path != nullptr; path = path->next) {
            std::vector<Point>& stroke = glyph.strokes.emplace_back();
            for (unsigned i = 0; i < path->nverts; ++i)
                stroke.push_back({static_cast<double>(path->verts[i].x), static_cast<double>(path->verts[i].y)});
        }
    }
    hershey_font_free(hf);
    return font;
}

} // namespace

const StrokeFont* strokeFont()
{
    static const std::unique_ptr<StrokeFont> font = loadFont();
    return font.get();
}

} // namespace orlex::fullhpgl
