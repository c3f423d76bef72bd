// Loads Hershey faces through libhersheyfont and keeps a plain copy of their glyphs.
#include "fonts/stroke_faces.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

extern "C" {
#include <hersheyfont.h>
}

namespace orlex {

namespace {

std::unique_ptr<StrokeFace> loadFace(const std::string& name)
{
    hershey_font* hf = hershey_font_load(name.c_str());
    if (hf == nullptr)
        return nullptr;
    auto face = std::make_unique<StrokeFace>();
    for (int c = 0; c < 256; ++c) {
        const hershey_glyph* g = hershey_font_glyph(hf, static_cast<unsigned char>(c));
        StrokeGlyph& glyph = face->glyphs[static_cast<std::size_t>(c)];
        glyph.present = g != nullptr && g->width != 0;
        if (!glyph.present)
            continue;
        glyph.advance = g->width;
        for (const hershey_path* path = g->paths; path != nullptr; path = path->next) {
            std::vector<StrokePoint>& stroke = glyph.strokes.emplace_back();
            for (unsigned i = 0; i < path->nverts; ++i)
                stroke.push_back({static_cast<double>(path->verts[i].x), static_cast<double>(path->verts[i].y)});
        }
    }
    hershey_font_free(hf);
    return face;
}

} // namespace

const StrokeFace* strokeFace(std::string_view name)
{
    static std::mutex lock;
    static std::map<std::string, std::unique_ptr<StrokeFace>, std::less<>> faces; // null: cannot be read
    const std::lock_guard<std::mutex> held(lock);
    auto found = faces.find(name);
    if (found == faces.end())
        found = faces.emplace(std::string(name), loadFace(std::string(name))).first;
    return found->second.get();
}

} // namespace orlex
