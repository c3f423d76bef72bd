// A text's characters set in a Hershey single-stroke face (see text_layout.h).
#include "import/text_layout.h"

#include "fonts/stroke_faces.h"

#include <QStringList>

#include <cmath>

namespace orlex {

namespace {

constexpr double kObliqueSlant = 0.2;     // about 11 degrees, as oblique faces lean
constexpr double kFixedAdvanceEm = 0.6;   // a monospace face's advance
constexpr double kMissingAdvanceEm = 0.5; // the room a character left out still takes

enum class Family { Serif, Sans, Mono, Script };

bool containsAny(const QString& name, std::initializer_list<const char*> parts)
{
    for (const char* part : parts)
        if (name.contains(QLatin1String(part)))
            return true;
    return false;
}

// The kind of one family name, when it is known.
std::optional<Family> kindOf(QString name)
{
    name = name.trimmed().toLower();
    name.remove(u'\'').remove(u'"');
    if (name == u"serif")
        return Family::Serif;
    if (name == u"sans-serif" || name == u"fantasy" || name == u"system-ui")
        return Family::Sans;
    if (name == u"monospace")
        return Family::Mono;
    if (name == u"cursive")
        return Family::Script;
    if (containsAny(name, {"mono", "courier", "consol", "menlo", "monaco", "typewriter", "fixed", "inconsolata",
                           "terminal", "code"}))
        return Family::Mono;
    if (containsAny(name,
                    {"sans",      "arial",     "helvetica",      "verdana", "tahoma",   "futura",  "gill",   "calibri",
                     "segoe",     "trebuchet", "lucida",         "myriad",  "frutiger", "univers", "roboto", "ubuntu",
                     "cantarell", "impact",    "century gothic", "avant",   "franklin", "optima"}))
        return Family::Sans;
    if (containsAny(name,
                    {"serif",       "times",      "georgia",  "garamond", "roman",    "cambria", "palatino", "book",
                     "baskerville", "bodoni",     "century",  "caslon",   "didot",    "minion",  "charter",  "utopia",
                     "schoolbook",  "constantia", "perpetua", "goudy",    "rockwell", "cochin"}))
        return Family::Serif;
    if (containsAny(name, {"script", "comic", "brush", "hand", "chancery", "zapfino", "pacifico", "dancing", "lobster",
                           "vivaldi", "mistral", "cursive"}))
        return Family::Script;
    return std::nullopt;
}

Family familyOf(const QString& families)
{
    if (families.trimmed().isEmpty())
        return Family::Serif; // librsvg's default family is Times New Roman
    for (const QString& name : families.split(u','))
        if (const auto kind = kindOf(name))
            return *kind;
    return Family::Sans; // fontconfig falls back to a sans-serif face
}

// Times, and the faces made to its widths, librsvg's default among them.
bool isTimesLike(const QString& families)
{
    const QString first = families.section(u',', 0, 0).trimmed().toLower();
    return first.isEmpty()
           || containsAny(first, {"times", "liberation serif", "nimbus roman", "tinos", "tex gyre termes"});
}

constexpr double kTimesNarrowing = 0.8;

} // namespace

StrokeFaceChoice strokeFaceFor(const TextStyle& style)
{
    const bool bold = style.bold, italic = style.italic;
    switch (familyOf(style.fontFamily)) {
    case Family::Serif:
        return {bold ? (italic ? "timesib" : "timesrb") : (italic ? "timesi" : "timesr"), 0, false,
                isTimesLike(style.fontFamily) ? kTimesNarrowing : 1};
    case Family::Mono: return {bold ? "futuram" : "futural", italic ? kObliqueSlant : 0, true};
    case Family::Script: return {bold ? "scriptc" : "scripts"};
    case Family::Sans: break;
    }
    return {bold ? "futuram" : "futural", italic ? kObliqueSlant : 0};
}

LaidText layoutText(const std::vector<TextChar>& chars, const std::vector<TextStyle>& styles)
{
    LaidText laid;
    struct Placed {
        const StrokeGlyph* glyph; // null: nothing to draw
        const TextStyle* style;
        int styleIndex;
        StrokeFaceChoice face;
        double x, y, scale, across, offset; // across: the scale of x
    };
    std::vector<Placed> placed;
    placed.reserve(chars.size());
    struct Chunk {
        std::size_t first;
        double startX, endX;
        TextStyle::Anchor anchor;
    };
    std::vector<Chunk> chunks;
    double x = 0, y = 0;
    for (const TextChar& c : chars) {
        const TextStyle& style = styles[std::size_t(c.style)];
        const bool absolute = c.x || c.y;
        if (c.x)
            x = *c.x;
        if (c.y)
            y = *c.y;
        x += c.dx, y += c.dy;
        if (absolute || chunks.empty())
            chunks.push_back({placed.size(), x, x, style.anchor});
        const StrokeFaceChoice face = strokeFaceFor(style);
        const StrokeFace* font = strokeFace(face.name);
        if (font == nullptr) {
            laid.facesMissing = true;
            laid.runs.clear();
            return laid;
        }
        // A no-break or other Unicode space is a space.
        const char32_t code =
            c.code == 0xA0 || (c.code >= 0x2000 && c.code <= 0x200A) || c.code == 0x202F ? U' ' : c.code;
        const StrokeGlyph* glyph = code < 256 && font->glyphs[code].present ? &font->glyphs[code] : nullptr;
        if (glyph == nullptr && code != U' ')
            ++laid.missing;
        const double scale = style.fontSize / kStrokeEm, across = scale * face.narrowing;
        double advance = glyph != nullptr ? glyph->advance * across : kMissingAdvanceEm * style.fontSize;
        double offset = 0;
        if (face.fixedPitch) {
            offset = glyph != nullptr ? (kFixedAdvanceEm * style.fontSize - advance) / 2 : 0;
            advance = kFixedAdvanceEm * style.fontSize;
        }
        placed.push_back({glyph, &style, c.style, face, x, y, scale, across, offset});
        ++laid.glyphs;
        chunks.back().endX = x + advance;
        x += advance + style.letterSpacing + (code == U' ' ? style.wordSpacing : 0);
    }
    // Each chunk moved by its anchor, the text-anchor of its first character.
    for (std::size_t k = 0; k < chunks.size(); ++k) {
        const Chunk& chunk = chunks[k];
        const double width = chunk.endX - chunk.startX;
        const double shift = chunk.anchor == TextStyle::Anchor::End      ? -width
                             : chunk.anchor == TextStyle::Anchor::Middle ? -width / 2
                                                                         : 0;
        const std::size_t end = k + 1 < chunks.size() ? chunks[k + 1].first : placed.size();
        for (std::size_t i = chunk.first; i < end; ++i)
            placed[i].x += shift;
    }
    for (const Placed& p : placed) {
        if (p.glyph == nullptr || p.glyph->strokes.empty())
            continue;
        if (laid.runs.empty() || laid.runs.back().style != p.styleIndex)
            laid.runs.push_back({p.styleIndex, {}});
        auto& strokes = laid.runs.back().strokes;
        for (const auto& stroke : p.glyph->strokes) {
            Polyline& line = strokes.emplace_back();
            line.reserve(stroke.size());
            for (const StrokePoint& q : stroke)
                line.push_back(
                    QPointF(p.x + p.offset + q.x * p.across + p.face.slant * q.y * p.scale, p.y - q.y * p.scale));
        }
    }
    return laid;
}

} // namespace orlex
