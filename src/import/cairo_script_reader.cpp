// Follows the text cairo's script surface writes while librsvg draws a document, and keeps
// the strokes that reach the page as polylines in page millimetres.
//
// The script is a small stack language: surfaces and contexts are objects on an operand
// stack, "name value def" names them, and drawing operators act on the context on top.
// Only what librsvg makes cairo write is understood; anything else stops the reader, so
// that nothing is dropped unnoticed.
#include "import/cairo_script_reader.h"

#include "import/pattern_fill.h"
#include "import/placement.h"
#include "import/script_tokens.h"
#include "import/shape_clip.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <unordered_map>

namespace orlex {

namespace {

constexpr int kMaxSegmentsPerCurve = 1 << 16;
constexpr std::size_t kMaxStack = 1 << 16;
// Segment-against-edge tests the pattern fills of a drawing may take to cut their tiles
// to their shapes (about a second of work).
constexpr double kMaxPatternFillTests = 200'000'000;

// A group, pattern tile or mask drawn on its own surface, and the strokes drawn onto it
// that would reach the page if the surface were painted there.
struct Surface {
    std::vector<MmStroke> strokes;
    std::vector<MmFill> fills;    // opaque fills, only with keepFills
    double width = 0, height = 0; // device units; 0 when unbounded
};

struct Paint {
    enum class Kind { Solid, Gradient, SurfacePattern } kind = Kind::Solid;
    double red = 0, green = 0, blue = 0, alpha = 1; // for a gradient: its most opaque stop
    double leastAlpha = 1;                          // for a gradient: its least opaque stop
    std::shared_ptr<Surface> surface;
    Affine matrix;       // a pattern's: device units to its surface's
    bool repeat = false; // a pattern's surface is tiled
    bool visible() const { return kind == Kind::SurfacePattern || alpha > 0; }
    bool opaque() const { return kind != Kind::SurfacePattern && alpha >= 1 && leastAlpha >= 1; }
};

// A clipping shape in page millimetres: an upright rectangle, or any shape by its fill rule.
struct Clip {
    std::optional<QRectF> box;
    std::unique_ptr<ShapeClip> shape;
};

// How each subpath of a path goes on, for joining the pieces of a long path.
struct SubpathOps {
    int segments = 0;       // after its move
    bool firstLine = false; // its first segment is a line
    bool lastLine = false;  // its last segment is a line
    bool closed = false;
};

struct Context {
    std::shared_ptr<Surface> target;
    std::vector<std::shared_ptr<const Clip>> clips; // what reaches the target lies inside all
    std::vector<std::vector<QPointF>> path;         // device units, curves flattened
    std::vector<SubpathOps> ops;                    // of each subpath of path
    double pathLargest = 0;                         // largest |coordinate| of the path, control points included
    Paint source;
    bool dashed = false;
    bool evenOdd = false; // the fill rule
};

struct Value {
    enum class Kind { Number, Name, Mark, DictMark, Array, Dict, String, Procedure, Surface, Context, Paint };
    Value() = default;
    explicit Value(Kind k, double n = 0, std::string text = {}) : kind(k), number(n), name(std::move(text)) {}

    Kind kind = Kind::Number;
    double number = 0;
    std::string name;
    std::vector<double> numbers;
    std::shared_ptr<Surface> surface;
    std::shared_ptr<Context> context;
    Paint paint;
};

} // namespace

void flattenCubic(const QPointF& p0, const QPointF& p1, const QPointF& p2, const QPointF& p3, double tolerance,
                  std::vector<QPointF>& out)
{
    // A uniform split in n keeps every chord within |B''|max / (8 n^2) of the curve, and
    // |B''| <= 6 max(|p0 - 2 p1 + p2|, |p1 - 2 p2 + p3|).
    const QPointF d1 = p0 - 2 * p1 + p2, d2 = p1 - 2 * p2 + p3;
    const double m2 = std::max(QPointF::dotProduct(d1, d1), QPointF::dotProduct(d2, d2));
    const double wanted = std::ceil(std::sqrt(0.75 * std::sqrt(m2) / tolerance));
    const int n = std::isfinite(wanted) ? static_cast<int>(std::clamp(wanted, 1.0, double(kMaxSegmentsPerCurve)))
                                        : kMaxSegmentsPerCurve;
    // Power form: p0 + t (c1 + t (c2 + t c3)).
    const QPointF c1 = 3 * (p1 - p0), c2 = 3 * (p0 - 2 * p1 + p2), c3 = p3 - p0 + 3 * (p1 - p2);
    for (int i = 1; i < n; ++i) {
        const double t = double(i) / n;
        out.push_back(p0 + t * (c1 + t * (c2 + t * c3)));
    }
    out.push_back(p3); // the end point exactly
}

class CairoScriptReader::Machine {
public:
    explicit Machine(const ScriptReaderOptions& options)
        : options_(options), tokenizer_([this](const ScriptToken& token) { return execute(token); }),
          turnCos_(std::cos(options.turn)), turnSin_(std::sin(options.turn))
    {}

    ScriptReaderOptions options_;
    ScriptTokenizer tokenizer_;
    std::string error_;
    bool overflowed_ = false;
    bool sawDashes_ = false;
    double largest_ = 0;
    std::shared_ptr<Surface> page_; // the first surface: the page itself

    // A piece still held at the end is drawn as it is.
    bool finish() { return keepHeld(); }

private:
    bool fail(const std::string& why)
    {
        if (error_.empty())
            error_ = why;
        return false;
    }

    bool execute(const ScriptToken& token)
    {
        if (procedureDepth_ > 0) { // the body of a procedure is skipped
            if (token.kind == ScriptToken::Kind::Delimiter && token.text == "{")
                ++procedureDepth_;
            else if (token.kind == ScriptToken::Kind::Delimiter && token.text == "}" && --procedureDepth_ == 0)
                return push(Value(Value::Kind::Procedure));
            return true;
        }
        switch (token.kind) {
        case ScriptToken::Kind::Number: return push(Value(Value::Kind::Number, token.number));
        case ScriptToken::Kind::LiteralName:
        case ScriptToken::Kind::ImmediateName: return push(Value(Value::Kind::Name, 0, token.text));
        case ScriptToken::Kind::String: return push(Value(Value::Kind::String));
        case ScriptToken::Kind::Delimiter: return delimiter(token.text);
        case ScriptToken::Kind::Name: break;
        }
        if (const auto defined = definitions_.find(token.text); defined != definitions_.end())
            return push(defined->second);
        return operate(token.text);
    }

    bool delimiter(const std::string& d)
    {
        if (d == "[")
            return push(Value(Value::Kind::Mark));
        if (d == "<<")
            return push(Value(Value::Kind::DictMark));
        if (d == "{") {
            procedureDepth_ = 1;
            return true;
        }
        const Value::Kind open = d == "]" ? Value::Kind::Mark : Value::Kind::DictMark;
        if (d == "}")
            return fail("unbalanced }");
        Value collected(d == "]" ? Value::Kind::Array : Value::Kind::Dict);
        while (!stack_.empty() && stack_.back().kind != open) {
            if (stack_.back().kind == Value::Kind::Number)
                collected.numbers.insert(collected.numbers.begin(), stack_.back().number);
            stack_.pop_back();
        }
        if (stack_.empty())
            return fail("unbalanced " + d);
        stack_.back() = std::move(collected);
        return true;
    }

    bool push(Value v)
    {
        if (stack_.size() >= kMaxStack)
            return fail("the operand stack overflows");
        stack_.push_back(std::move(v));
        return true;
    }

    bool pop(Value& v, Value::Kind kind)
    {
        if (stack_.empty() || stack_.back().kind != kind)
            return fail("an operand is missing or of the wrong kind");
        v = std::move(stack_.back());
        stack_.pop_back();
        return true;
    }

    // Pops n numbers into `out`, the deepest first.
    bool popNumbers(int n, double* out)
    {
        Value v;
        for (int i = n - 1; i >= 0; --i) {
            if (!pop(v, Value::Kind::Number))
                return false;
            out[i] = v.number;
        }
        return true;
    }

    Context* topContext()
    {
        if (stack_.empty() || stack_.back().kind != Value::Kind::Context) {
            fail("a drawing operation has no context");
            return nullptr;
        }
        return stack_.back().context.get();
    }

    // Pops the value an operator sets and checks that the object it applies to is on top.
    bool popSetting(Value::Kind kind, bool paintOrContext = false)
    {
        Value v;
        if (!pop(v, kind))
            return false;
        if (stack_.empty())
            return fail("a setting has nothing to apply to");
        const Value::Kind target = stack_.back().kind;
        if (target == Value::Kind::Context || (paintOrContext && target == Value::Kind::Paint))
            return true;
        return fail("a setting applies to neither a context nor a paint");
    }

    bool stackOperator(const std::string& op)
    {
        if (op == "pop") {
            if (stack_.empty())
                return fail("pop on an empty stack");
            stack_.pop_back();
        } else if (op == "dup") {
            if (stack_.empty())
                return fail("dup on an empty stack");
            return push(stack_.back());
        } else if (op == "exch") {
            if (stack_.size() < 2)
                return fail("exch needs two operands");
            std::swap(stack_[stack_.size() - 1], stack_[stack_.size() - 2]);
        } else if (op == "index") {
            double n;
            if (!popNumbers(1, &n))
                return false;
            if (!(n >= 0 && n < double(stack_.size())))
                return fail("index out of range");
            return push(stack_[stack_.size() - 1 - std::size_t(n)]);
        } else if (op == "roll") {
            double nj[2];
            if (!popNumbers(2, nj))
                return false;
            if (!(nj[0] >= 0 && nj[0] <= double(stack_.size())) || !std::isfinite(nj[1]))
                return fail("roll out of range");
            const auto n = static_cast<std::ptrdiff_t>(nj[0]);
            if (n > 0) {
                const auto shift = ((static_cast<std::ptrdiff_t>(std::fmod(nj[1], double(n))) % n) + n) % n;
                std::rotate(stack_.end() - n, stack_.end() - shift, stack_.end());
            }
        } else if (op == "def") {
            Value value = stack_.empty() ? Value{} : std::move(stack_.back());
            if (stack_.empty())
                return fail("def needs two operands");
            stack_.pop_back();
            Value key;
            if (!pop(key, Value::Kind::Name))
                return false;
            definitions_[key.name] = std::move(value);
        } else if (op == "undef") {
            Value key;
            if (!pop(key, Value::Kind::Name))
                return false;
            definitions_.erase(key.name);
        } else if (op == "get") {
            Value key;
            if (!pop(key, Value::Kind::Name))
                return false;
            if (key.name != "target" || stack_.empty() || stack_.back().kind != Value::Kind::Context)
                return fail("get of something other than a context's target");
            Value surface(Value::Kind::Surface);
            surface.surface = stack_.back().context->target;
            return push(std::move(surface));
        } else {
            return false;
        }
        return true;
    }

    bool objectOperator(const std::string& op)
    {
        Value v;
        if (op == "surface" || op == "image") {
            if (!pop(v, Value::Kind::Dict))
                return false;
            Value surface(Value::Kind::Surface);
            surface.surface = std::make_shared<Surface>();
            if (op == "surface" && !page_)
                page_ = surface.surface;
            return push(std::move(surface));
        }
        if (op == "similar" || op == "record") {
            // similar: object width height content; record: content [extents]
            const int operands = op == "similar" ? 4 : 2;
            if (stack_.size() < std::size_t(operands))
                return fail(op + " needs more operands");
            Value surface(Value::Kind::Surface);
            surface.surface = std::make_shared<Surface>();
            const Value& extents = stack_.back();
            if (op == "similar" && stack_[stack_.size() - 3].kind == Value::Kind::Number)
                surface.surface->width = stack_[stack_.size() - 3].number,
                surface.surface->height = stack_[stack_.size() - 2].number;
            else if (op == "record" && extents.kind == Value::Kind::Array && extents.numbers.size() == 4)
                surface.surface->width = extents.numbers[2], surface.surface->height = extents.numbers[3];
            stack_.resize(stack_.size() - operands);
            return push(std::move(surface));
        }
        if (op == "context") {
            if (!pop(v, Value::Kind::Surface))
                return false;
            Value context(Value::Kind::Context);
            context.context = std::make_shared<Context>();
            context.context->target = v.surface;
            return push(std::move(context));
        }
        if (op == "pattern") {
            if (!pop(v, Value::Kind::Surface))
                return false;
            Value paint(Value::Kind::Paint);
            paint.paint.kind = Paint::Kind::SurfacePattern;
            paint.paint.surface = v.surface;
            return push(std::move(paint));
        }
        return false;
    }

    bool paintOperator(const std::string& op)
    {
        double n[6];
        Value paint(Value::Kind::Paint);
        if (op == "rgb" || op == "rgba" || op == "g" || op == "a") {
            const int count = op == "rgb" ? 3 : op == "rgba" ? 4 : 1;
            if (!popNumbers(count, n))
                return false;
            Paint& p = paint.paint;
            if (op == "a")
                p.alpha = n[0];
            else if (op == "g")
                p.red = p.green = p.blue = n[0];
            else
                p.red = n[0], p.green = n[1], p.blue = n[2], p.alpha = count == 4 ? n[3] : 1;
            return push(std::move(paint));
        }
        if (op == "linear" || op == "radial") {
            if (!popNumbers(op == "linear" ? 4 : 6, n))
                return false;
            paint.paint.kind = Paint::Kind::Gradient;
            paint.paint.alpha = 0;
            return push(std::move(paint));
        }
        if (op == "add-color-stop") {
            if (!popNumbers(5, n))
                return false;
            if (stack_.empty() || stack_.back().kind != Value::Kind::Paint)
                return fail("a colour stop without a gradient");
            Paint& gradient = stack_.back().paint;
            gradient.alpha = std::max(gradient.alpha, n[4]);
            gradient.leastAlpha = std::min(gradient.leastAlpha, n[4]);
            return true;
        }
        if (op == "set-extend" || op == "set-filter") {
            const bool repeat =
                !stack_.empty() && (stack_.back().name == "EXTEND_REPEAT" || stack_.back().name == "EXTEND_REFLECT");
            if (!popSetting(Value::Kind::Name, true))
                return false;
            if (op == "set-extend" && stack_.back().kind == Value::Kind::Paint)
                stack_.back().paint.repeat = repeat;
            return true;
        }
        if (op == "set-matrix" || op == "transform") {
            const std::vector<double> m = stack_.empty() ? std::vector<double>{} : stack_.back().numbers;
            if (!popSetting(Value::Kind::Array, true))
                return false;
            if (op == "set-matrix" && stack_.back().kind == Value::Kind::Paint && m.size() == 6)
                stack_.back().paint.matrix = Affine{m[0], m[1], m[2], m[3], m[4], m[5]};
            return true;
        }
        if (op == "identity") {
            Value identity(Value::Kind::Array);
            identity.numbers = {1, 0, 0, 1, 0, 0};
            return push(std::move(identity));
        }
        return false;
    }

    bool settingOperator(const std::string& op)
    {
        if (op == "set-line-width" || op == "set-miter-limit" || op == "set-tolerance")
            return popSetting(Value::Kind::Number);
        if (op == "set-fill-rule") {
            const bool evenOdd = !stack_.empty() && stack_.back().name == "EVEN_ODD";
            if (!popSetting(Value::Kind::Name))
                return false;
            stack_.back().context->evenOdd = evenOdd;
            return true;
        }
        if (op == "set-line-cap" || op == "set-line-join" || op == "set-antialias" || op == "set-operator")
            return popSetting(Value::Kind::Name);
        if (op == "scale" || op == "translate") {
            double n[2];
            return popNumbers(2, n) && topContext() != nullptr;
        }
        if (op == "set-source") {
            Value paint;
            if (!pop(paint, Value::Kind::Paint))
                return false;
            Context* c = topContext();
            if (c != nullptr)
                c->source = std::move(paint.paint);
            return c != nullptr;
        }
        if (op == "set-dash") {
            double offset;
            Value dashes;
            if (!popNumbers(1, &offset) || !pop(dashes, Value::Kind::Array))
                return false;
            Context* c = topContext();
            if (c != nullptr)
                c->dashed = std::any_of(dashes.numbers.begin(), dashes.numbers.end(), [](double d) { return d > 0; });
            return c != nullptr;
        }
        return false;
    }

    void notePoint(Context& c, const QPointF& p)
    {
        c.pathLargest = std::max({c.pathLargest, std::fabs(p.x()), std::fabs(p.y())});
        if (std::isnan(p.x()) || std::isnan(p.y()))
            c.pathLargest = INFINITY;
    }

    bool pathOperator(const std::string& op)
    {
        double n[6];
        const int count = op == "m" || op == "l" ? 2 : op == "c" ? 6 : op == "rectangle" ? 4 : 0;
        if (count == 0 && op != "n" && op != "h")
            return false;
        if (!popNumbers(count, n))
            return false;
        Context* c = topContext();
        if (c == nullptr)
            return false;
        auto& path = c->path;
        if (op == "n") {
            clearPath(*c);
        } else if (op == "m") {
            path.push_back({QPointF(n[0], n[1])});
            c->ops.emplace_back();
        } else if (op == "h") {
            if (!path.empty())
                path.back().push_back(path.back().front()); // cairo writes a move to go on from there
            if (!path.empty())
                c->ops.back().closed = true;
        } else if (op == "rectangle") {
            const double x = n[0], y = n[1], w = n[2], h = n[3];
            path.push_back({{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}, {x, y}});
            c->ops.push_back({4, true, true, true});
        } else {
            if (path.empty()) {
                path.push_back({QPointF(n[0], n[1])});
                c->ops.emplace_back();
            }
            SubpathOps& ops = c->ops.back();
            ops.firstLine = ops.segments++ == 0 ? op == "l" : ops.firstLine;
            ops.lastLine = op == "l";
            if (op == "l") {
                path.back().push_back(QPointF(n[0], n[1]));
            } else {
                const QPointF from = path.back().back(), c1(n[0], n[1]), c2(n[2], n[3]), to(n[4], n[5]);
                notePoint(*c, c1);
                notePoint(*c, c2);
                if (options_.maxPoints == 0)
                    path.back().push_back(to);
                else
                    flattenCubic(from, c1, c2, to, options_.toleranceMm * options_.unitsPerMm, path.back());
            }
        }
        for (int i = 0; i + 1 < count; i += 2)
            notePoint(*c, QPointF(n[i], n[i + 1]));
        if (op == "rectangle")
            notePoint(*c, QPointF(n[0] + n[2], n[1] + n[3]));
        return true;
    }

    void clearPath(Context& c)
    {
        c.path.clear();
        c.ops.clear();
        c.pathLargest = 0;
    }

    // The blue (1..255) of a zero-length stroke in the marker red and `green`, else 0.
    static int markerBlue(const Context& c, int green)
    {
        const Paint& p = c.source;
        if (p.kind != Paint::Kind::Solid || p.alpha != 1 || std::fabs(p.red * 255 - kPenMarkerRed) > 1e-3
            || std::fabs(p.green * 255 - green) > 1e-3 || c.path.size() != 1)
            return 0;
        const auto& points = c.path.front();
        if (std::any_of(points.begin(), points.end(), [&](const QPointF& q) { return q != points.front(); }))
            return 0;
        const double blue = std::round(p.blue * 255);
        if (blue < 1 || std::fabs(p.blue * 255 - blue) > 1e-3)
            return 0;
        return int(blue);
    }

    // A piece's subpath held for the next piece to go on from (device units).
    struct Held {
        std::vector<QPointF> points;
        bool lastLine = false;
        int pen = 1;
        std::shared_ptr<Context> context; // where it is drawn
    };

    // cairo's test for a line going straight on from the line before it (whose end point
    // it then moves instead of adding one): the same slope in its fixed point, not backwards.
    static bool goesStraightOn(const QPointF& p, const QPointF& q, const QPointF& r)
    {
        const auto fixed = [](double v) { return std::llround(v * 256); };
        const long long dx1 = fixed(q.x()) - fixed(p.x()), dy1 = fixed(q.y()) - fixed(p.y());
        const long long dx2 = fixed(r.x()) - fixed(q.x()), dy2 = fixed(r.y()) - fixed(q.y());
        return dy1 * dx2 == dy2 * dx1 && ((dx1 ^ dx2) | (dy1 ^ dy2)) >= 0;
    }

    // Joins `next`, the first subpath of a piece, to the held subpath as cairo adds its
    // first segment to the path before it; false when it does not start where that ends.
    static bool join(Held& held, std::vector<QPointF>& next, const SubpathOps& ops)
    {
        auto& a = held.points;
        if (a.empty() || next.empty() || next.front() != a.back())
            return false;
        const QPointF end = a.back();
        const bool afterLine = held.lastLine && a.size() >= 2;
        bool lastLine = ops.segments > 0 ? ops.lastLine : held.lastLine;
        if (next.size() >= 2 && ops.firstLine && next[1] == end && a.size() >= 2) {
            next.erase(next.begin() + 1); // a line that goes nowhere, not after a move, is left out
            lastLine = held.lastLine;
        } else if (next.size() >= 2 && afterLine
                   && (a[a.size() - 2] == end || (ops.firstLine && goesStraightOn(a[a.size() - 2], end, next[1])))) {
            a.pop_back(); // the line before went nowhere, or goes straight on
        }
        a.insert(a.end(), next.begin() + 1, next.end());
        held.lastLine = lastLine;
        next = std::move(a);
        return true;
    }

    // Closes a subpath back to its first point as cairo's close_path does.
    static void closeLikeZ(std::vector<QPointF>& points, bool lastLine)
    {
        const QPointF start = points.front(), end = points.back();
        if (points.size() >= 2 && lastLine) {
            const QPointF before = points[points.size() - 2];
            if (end == start || before == end || goesStraightOn(before, end, start))
                points.pop_back();
        }
        points.push_back(start);
    }

    bool keepHeld()
    {
        if (!held_)
            return true;
        Held held = std::move(*held_);
        held_.reset();
        return held.points.size() < 2 || keepStroke(*held.context, std::move(held.points), held.pen);
    }

    bool joinMarker(JoinMarker marker)
    {
        if (options_.maxPoints == 0)
            return true;
        joinNext_ = marker == JoinMarker::End ? JoinMarker::None : marker;
        return marker != JoinMarker::End || keepHeld();
    }

    // The upright rectangle a ring of four corners (and its closing point) outlines.
    static std::optional<QRectF> uprightBox(const std::vector<Polyline>& rings)
    {
        if (rings.size() != 1 || (rings[0].size() != 4 && rings[0].size() != 5))
            return std::nullopt;
        const Polyline& r = rings[0];
        if (r.size() == 5 && r[4] != r[0])
            return std::nullopt;
        for (std::size_t i = 0; i < 4; ++i) {
            const QPointF &a = r[i], &b = r[(i + 1) % 4];
            if (a.x() != b.x() && a.y() != b.y())
                return std::nullopt;
        }
        if (r[0].x() == r[1].x() && r[1].x() == r[2].x())
            return std::nullopt; // all on one line
        return QRectF(r[0], r[2]).normalized();
    }

    // The context's path as a clip: from now on only what lies inside reaches its target.
    void addClip(Context& c)
    {
        if (options_.maxPoints == 0)
            return; // the check drawing keeps no strokes
        std::vector<Polyline> rings;
        for (const auto& subpath : c.path)
            if (subpath.size() >= 2) {
                rings.push_back(subpath);
                for (QPointF& p : rings.back())
                    p = toMm(p);
            }
        auto clip = std::make_shared<Clip>();
        clip->box = uprightBox(rings);
        if (!clip->box)
            clip->shape = std::make_unique<ShapeClip>(rings, c.evenOdd);
        c.clips.push_back(std::move(clip));
    }

    // The pieces of a stroke (page millimetres) inside every clip of the context.
    static std::vector<Polyline> clipped(const Context& c, Polyline&& points)
    {
        std::vector<Polyline> pieces, next;
        pieces.push_back(std::move(points));
        for (const auto& clip : c.clips) {
            next.clear();
            for (const Polyline& piece : pieces) {
                if (clip->box) {
                    for (Polyline& inside : clipPolyline(piece, *clip->box))
                        if (inside.size() >= 2)
                            next.push_back(std::move(inside));
                } else {
                    clip->shape->cut(piece, next);
                }
            }
            std::swap(pieces, next);
        }
        return pieces;
    }

    bool keepStroke(Context& c, std::vector<QPointF>&& devicePoints, int pen)
    {
        for (QPointF& p : devicePoints)
            p = toMm(p);
        std::vector<Polyline> pieces;
        if (c.clips.empty())
            pieces.push_back(std::move(devicePoints));
        else
            pieces = clipped(c, std::move(devicePoints));
        for (Polyline& piece : pieces) {
            points_ += piece.size();
            if (points_ > options_.maxPoints) {
                overflowed_ = true;
                return fail("too many points");
            }
            c.target->strokes.push_back(MmStroke{pen, std::move(piece)});
        }
        return true;
    }

    bool stroke(Context& c)
    {
        if (!c.source.visible())
            return true;
        if (const int pen = markerBlue(c, kPenMarkerGreen)) {
            pen_ = pen;
            return true;
        }
        if (const int join = markerBlue(c, kJoinMarkerGreen); join > 0 && join <= int(JoinMarker::End))
            return joinMarker(JoinMarker(join));
        largest_ = std::max(largest_, c.pathLargest);
        if (options_.maxPoints == 0)
            return true;
        const JoinMarker then = std::exchange(joinNext_, JoinMarker::None);
        for (std::size_t i = 0; i < c.path.size(); ++i) {
            std::vector<QPointF> points(c.path[i]);
            bool lastLine = c.ops[i].lastLine;
            if (i == 0 && held_) {
                if (join(*held_, points, c.ops[i]))
                    lastLine = held_->lastLine, held_.reset();
                else if (!keepHeld())
                    return false;
            }
            const bool last = i + 1 == c.path.size() && !c.ops[i].closed;
            if (last && then == JoinMarker::Continues) {
                held_ = Held{std::move(points), lastLine, pen_, stack_.back().context};
                continue;
            }
            if (last && then == JoinMarker::Closes)
                closeLikeZ(points, lastLine);
            if (points.size() >= 2 && !keepStroke(c, std::move(points), pen_))
                return false;
        }
        sawDashes_ = sawDashes_ || c.dashed;
        return true;
    }

    // A shape filled with a pattern: the strokes of the pattern's surface, tiled, inside
    // the shape. (A fill of a colour or gradient draws nothing.)
    bool fill(Context& c)
    {
        const Paint& source = c.source;
        if (options_.keepFills && source.opaque() && options_.maxPoints > 0)
            return keepFill(c);
        if (source.kind != Paint::Kind::SurfacePattern || source.surface == c.target)
            return true;
        largest_ = std::max(largest_, c.pathLargest);
        if (options_.maxPoints == 0)
            return true;
        std::vector<Polyline> tile;
        for (const MmStroke& s : source.surface->strokes) {
            tile.emplace_back(s.points);
            for (QPointF& p : tile.back())
                p = fromMm(p);
        }
        const PatternTiling tiling{source.matrix, source.surface->width, source.surface->height, source.repeat,
                                   c.evenOdd};
        bool kept = true;
        const bool laid = layPattern(tile, tiling, c.path, patternTestsLeft_,
                                     [&](Polyline&& piece) { kept = kept && keepStroke(c, std::move(piece), pen_); });
        if (!laid)
            return fail("a pattern is too fine for the shape it fills to be laid out");
        return kept;
    }

    // An opaque fill's outline, on its surface after the strokes drawn there so far.
    bool keepFill(Context& c)
    {
        MmFill kept{{}, c.evenOdd, c.target->strokes.size()};
        for (const auto& subpath : c.path) {
            if (subpath.size() < 3)
                continue;
            points_ += subpath.size();
            kept.rings.push_back(subpath);
            for (QPointF& p : kept.rings.back())
                p = toMm(p);
        }
        if (points_ > options_.maxPoints) {
            overflowed_ = true;
            return fail("too many points");
        }
        if (!kept.rings.empty())
            c.target->fills.push_back(std::move(kept));
        return true;
    }

    // Paints the source through a mask (an opacity, or an image of one): a group reaches
    // the surface below, unless its opacity is zero; its fills hide what is below only
    // when it is painted whole.
    bool paint(Context& c, const Paint* mask)
    {
        if (c.source.kind != Paint::Kind::SurfacePattern || (mask != nullptr && !mask->visible()))
            return true;
        const Surface& from = *c.source.surface;
        if (c.source.surface == c.target)
            return true;
        if (mask == nullptr || mask->opaque())
            for (const MmFill& f : from.fills) {
                c.target->fills.push_back(f);
                c.target->fills.back().strokesBefore += c.target->strokes.size();
            }
        if (c.clips.empty()) {
            c.target->strokes.insert(c.target->strokes.end(), from.strokes.begin(), from.strokes.end());
            return true;
        }
        for (const MmStroke& stroke : from.strokes)
            for (Polyline& piece : clipped(c, Polyline(stroke.points)))
                c.target->strokes.push_back(MmStroke{stroke.pen, std::move(piece)});
        return true;
    }

    bool drawOperator(const std::string& op)
    {
        const bool preserve = op.back() == '+';
        const std::string name = preserve ? op.substr(0, op.size() - 1) : op;
        if (name != "stroke" && name != "fill" && name != "clip" && name != "paint" && name != "mask"
            && name != "reset-clip" && name != "show-page" && name != "copy-page")
            return false;
        Value mask;
        if (name == "mask" && !pop(mask, Value::Kind::Paint))
            return false;
        Context* c = topContext();
        if (c == nullptr)
            return false;
        if (name == "stroke" && !stroke(*c))
            return false;
        if (name == "fill" && !fill(*c))
            return false;
        if (name == "paint" || name == "mask")
            paint(*c, name == "mask" ? &mask.paint : nullptr);
        if (name == "clip")
            addClip(*c);
        if (name == "reset-clip")
            c->clips.clear();
        if (!preserve && (name == "stroke" || name == "fill" || name == "clip"))
            clearPath(*c);
        return true;
    }

    bool operate(const std::string& op)
    {
        if (stackOperator(op) || objectOperator(op) || paintOperator(op) || settingOperator(op) || pathOperator(op)
            || drawOperator(op))
            return true;
        return fail(error_.empty() ? "the drawing operation \"" + op.substr(0, 40) + "\" is not understood" : error_);
    }

    // Device units to page millimetres, the surface's turn undone.
    QPointF toMm(const QPointF& p) const
    {
        if (options_.turn == 0)
            return p / options_.unitsPerMm;
        return QPointF(turnCos_ * p.x() + turnSin_ * p.y(), -turnSin_ * p.x() + turnCos_ * p.y()) / options_.unitsPerMm;
    }
    // The inverse of toMm: page millimetres back to the surface's device units.
    QPointF fromMm(const QPointF& mm) const
    {
        const QPointF p = mm * options_.unitsPerMm;
        if (options_.turn == 0)
            return p;
        return QPointF(turnCos_ * p.x() - turnSin_ * p.y(), turnSin_ * p.x() + turnCos_ * p.y());
    }

    double turnCos_, turnSin_;
    std::vector<Value> stack_;
    std::unordered_map<std::string, Value> definitions_;
    int procedureDepth_ = 0;
    int pen_ = 1;
    JoinMarker joinNext_ = JoinMarker::None; // what the next stroke's last subpath does
    std::optional<Held> held_;
    std::size_t points_ = 0;
    double patternTestsLeft_ = kMaxPatternFillTests;
};

CairoScriptReader::CairoScriptReader(const ScriptReaderOptions& options) : machine_(std::make_unique<Machine>(options))
{}

CairoScriptReader::~CairoScriptReader() = default;

bool CairoScriptReader::feed(const char* data, std::size_t size)
{
    return machine_->tokenizer_.feed(data, size);
}

bool CairoScriptReader::finish()
{
    return machine_->tokenizer_.finish() && machine_->finish() && machine_->error_.empty();
}

const std::string& CairoScriptReader::error() const
{
    return machine_->error_;
}

bool CairoScriptReader::overflowed() const
{
    return machine_->overflowed_;
}

bool CairoScriptReader::sawDashes() const
{
    return machine_->sawDashes_;
}

double CairoScriptReader::largestCoordinate() const
{
    return machine_->largest_;
}

std::vector<MmStroke>& CairoScriptReader::strokes()
{
    static std::vector<MmStroke> none;
    return machine_->page_ ? machine_->page_->strokes : none;
}

std::vector<MmFill>& CairoScriptReader::fills()
{
    static std::vector<MmFill> none;
    return machine_->page_ ? machine_->page_->fills : none;
}

} // namespace orlex
