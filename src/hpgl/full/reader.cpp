// The full HP-GL reading's command loop, its state commands (IN, DF, IP, IR, SC, RO, IW),
// vectors (PU, PD, PA, PR), pens (SP) and line types (LT, UL), and the commands read
// without effect.
#include "hpgl/full/reader.h"

#include <cmath>
#include <cstring>

namespace orlex::fullhpgl {

namespace {

constexpr int code(char a, char b)
{
    return (a << 8) | b;
}

struct QuietCommand {
    char mnemonic[3];
    NoteKind kind;
};

// Commands that are read and change nothing a pen plotter draws here.
constexpr QuietCommand kQuietCommands[] = {
    {"VS", NoteKind::Speed},        {"VA", NoteKind::Speed},        {"VN", NoteKind::Speed},
    {"FS", NoteKind::Speed},        {"AS", NoteKind::Speed},        {"PS", NoteKind::Paper},
    {"PG", NoteKind::Paper},        {"AF", NoteKind::Paper},        {"AH", NoteKind::Paper},
    {"NR", NoteKind::Paper},        {"EC", NoteKind::Paper},        {"FR", NoteKind::Paper},
    {"RP", NoteKind::Paper},        {"BP", NoteKind::Paper},        {"MT", NoteKind::Paper},
    {"PP", NoteKind::Paper},        {"OA", NoteKind::Device},       {"OC", NoteKind::Device},
    {"OD", NoteKind::Device},       {"OE", NoteKind::Device},       {"OF", NoteKind::Device},
    {"OG", NoteKind::Device},       {"OH", NoteKind::Device},       {"OI", NoteKind::Device},
    {"OK", NoteKind::Device},       {"OL", NoteKind::Device},       {"OO", NoteKind::Device},
    {"OP", NoteKind::Device},       {"OS", NoteKind::Device},       {"OT", NoteKind::Device},
    {"OW", NoteKind::Device},       {"DC", NoteKind::Device},       {"DP", NoteKind::Device},
    {"IM", NoteKind::Device},       {"IV", NoteKind::Device},       {"AP", NoteKind::Device},
    {"GM", NoteKind::Device},       {"KY", NoteKind::Device},       {"QL", NoteKind::Device},
    {"WD", NoteKind::Device},       {"LA", NoteKind::PenAttribute}, {"TR", NoteKind::PenAttribute},
    {"PC", NoteKind::PenAttribute}, {"NP", NoteKind::PenAttribute}, {"CR", NoteKind::PenAttribute},
    {"MC", NoteKind::PenAttribute}, {"SV", NoteKind::PenAttribute}, {"RF", NoteKind::PenAttribute},
    {"CA", NoteKind::Font},         {"CS", NoteKind::Font},         {"SA", NoteKind::Font},
    {"SS", NoteKind::Font},         {"SD", NoteKind::Font},         {"AD", NoteKind::Font},
    {"DS", NoteKind::Font},         {"DL", NoteKind::Font},         {"SB", NoteKind::Font},
    {"LM", NoteKind::Font},         {"FI", NoteKind::Font},         {"FN", NoteKind::Font},
    {"CF", NoteKind::Font},         {"TD", NoteKind::Font},         {"DV", NoteKind::NotDrawn},
    {"CV", NoteKind::NotDrawn},
};

} // namespace

Reader::Reader(CommandScanner& scanner, PlotSink& sink, const FullHpglOptions& options)
    : scanner_(scanner), options_(options), state_(options.pageWidth, options.pageHeight),
      output_(sink, OutputLimits{options.maxPoints, options.maxDashesPerLine, options.maxCoordinate}, outcome_),
      fillWorkLeft_(options.maxFillWork)
{
    initialize();
}

void Reader::run()
{
    char first = 0, second = 0;
    while (!outcome_.ended() && scanner_.nextMnemonic(first, second)) {
        outcome_.command[0] = first;
        outcome_.command[1] = second;
        outcome_.commandOffset = scanner_.offset() - 2;
        if (!command(first, second))
            break;
    }
    outcome_.command[0] = 0;
    if (scanner_.escapeSequences() != 0)
        outcome_.note(NoteKind::Escape, "ESC", scanner_.escapeSequences());
}

bool Reader::command(char first, char second)
{
    switch (code(first, second)) {
    case code('P', 'D'): penDown_ = true; return coordinateList();
    case code('P', 'U'): penDown_ = false; return coordinateList();
    case code('P', 'A'): relative_ = false; return coordinateList();
    case code('P', 'R'): relative_ = true; return coordinateList();
    case code('S', 'P'): return selectPen();
    case code('I', 'N'): initialize(); break;
    case code('D', 'F'): setDefaults(); break;
    case code('I', 'P'): return inputPoints(false);
    case code('I', 'R'): return inputPoints(true);
    case code('S', 'C'): return scale();
    case code('R', 'O'): return rotate();
    case code('I', 'W'): return window();
    case code('L', 'T'): return lineType();
    case code('U', 'L'): return userLineType();
    case code('X', 'T'): return ticks(true);
    case code('Y', 'T'): return ticks(false);
    case code('C', 'I'): return circle();
    case code('A', 'A'): return arc(false);
    case code('A', 'R'): return arc(true);
    case code('A', 'T'): return arcThrough(false);
    case code('R', 'T'): return arcThrough(true);
    case code('B', 'Z'): return bezier(false);
    case code('B', 'R'): return bezier(true);
    case code('E', 'A'): return rectangle(false, false);
    case code('E', 'R'): return rectangle(true, false);
    case code('R', 'A'): return rectangle(false, true);
    case code('R', 'R'): return rectangle(true, true);
    case code('E', 'W'): return wedge(false);
    case code('W', 'G'): return wedge(true);
    case code('P', 'M'): return polygonMode();
    case code('E', 'P'): return edgePolygon(polygon_.polygon());
    case code('F', 'P'): return fillPolygonCommand();
    case code('P', 'E'): return encodedPolyline();
    case code('F', 'T'): return fillType();
    case code('L', 'B'): return label();
    case code('B', 'L'): return bufferLabel();
    case code('P', 'B'): return printBufferedLabel();
    case code('D', 'T'): return labelTerminator();
    case code('S', 'M'): return symbolMode();
    case code('C', 'P'): return characterPlot();
    case code('S', 'I'):
    case code('S', 'R'):
    case code('D', 'I'):
    case code('D', 'R'):
    case code('S', 'L'):
    case code('L', 'O'):
    case code('E', 'S'): return labelSetting(first, second);
    case code('C', 'T'): {
        double mode = 0;
        chordDeviation_ = readParameters(&mode, 1) == 1 && mode == 1;
        return true;
    }
    case code('P', 'W'):
    case code('P', 'T'): {
        double width = 0;
        if (readParameters(&width, 1) == 1 && width >= 0) {
            if (first == 'P' && second == 'W' && penWidthRelative_)
                penWidth_ = width / 100 * state_.p1p2Diagonal();
            else
                penWidth_ = width * kPlotterUnitsPerMm;
        }
        return true;
    }
    case code('W', 'U'): {
        double unit = 0;
        penWidthRelative_ = readParameters(&unit, 1) == 1 && unit == 1;
        return true;
    }
    case code('A', 'C'): {
        double at[2] = {};
        fillAnchor_ = readParameters(at, 2) == 2 ? state_.toFrame({at[0], at[1]}) : Point{};
        return true;
    }
    case code('T', 'L'): {
        double lengths[2] = {0.5, 0.5};
        const int n = readParameters(lengths, 2);
        tickPlus_ = n >= 1 ? lengths[0] : 0.5;
        tickMinus_ = n == 2 ? lengths[1] : (n == 1 ? 0 : 0.5);
        return true;
    }
    case code('C', 'O'): break; // a comment
    default: {
        const std::string mnemonic{first, second};
        NoteKind kind = NoteKind::Unknown;
        for (const QuietCommand& quiet : kQuietCommands)
            if (mnemonic == quiet.mnemonic)
                kind = quiet.kind;
        outcome_.note(kind, mnemonic);
        break;
    }
    }
    scanner_.skipParameters();
    return true;
}

void Reader::initialize()
{
    state_.initialize();
    setDefaults();
    penDown_ = false;
    frameAt_ = {};
    carriageReturn_ = {};
    output_.setPosition(physical(frameAt_));
    polygon_ = PolygonBuffer{};
}

void Reader::setDefaults()
{
    state_.setDefaults();
    output_.setWindow(std::nullopt);
    relative_ = false;
    chordDeviation_ = false;
    lineSolid_ = previousLineSolid_ = true;
    linePatternLength_ = 4;
    linePatternMm_ = false;
    patterns_.resetAll();
    applyLineType();
    fillKind_ = 1;
    fillSpacing_ = fillAngle_ = 0;
    fillShading_ = 100;
    fillAnchor_ = {};
    penWidth_ = 0.35 * kPlotterUnitsPerMm;
    penWidthRelative_ = false;
    sizeRelative_ = false;
    sizeWidth_ = 0.187;
    sizeHeight_ = 0.269;
    directionRelative_ = false;
    directionRun_ = 1;
    directionRise_ = 0;
    slant_ = 0;
    labelOrigin_ = 1;
    extraSpaces_ = extraLines_ = 0;
    terminator_ = 3;
    symbol_ = 0;
    tickPlus_ = tickMinus_ = 0.5;
}

int Reader::readParameters(double* values, int max)
{
    int count = 0;
    for (;;) {
        double value = 0;
        const CommandScanner::Param param = scanner_.nextNumber(value);
        if (param == CommandScanner::Param::None)
            return count;
        if (param == CommandScanner::Param::Bad) {
            outcome_.note(NoteKind::BadNumber, outcome_.command);
            scanner_.skipParameters();
            return -1;
        }
        if (count < max)
            values[count] = value;
        ++count;
        if (count > max) { // more than the command takes: the rest are passed over
            scanner_.skipParameters();
            return max;
        }
    }
}

// The pairs of PU, PD, PA, PR, each carried out as it is read.
bool Reader::coordinateList()
{
    for (;;) {
        double x = 0, y = 0;
        CommandScanner::Param param = scanner_.nextNumber(x);
        if (param == CommandScanner::Param::Number) {
            param = scanner_.nextNumber(y);
            if (param == CommandScanner::Param::Number) {
                if (!plotPair(x, y))
                    return false;
                continue;
            }
            if (param == CommandScanner::Param::None) {
                outcome_.note(NoteKind::LoneX, outcome_.command);
                return true;
            }
        }
        if (param == CommandScanner::Param::None)
            return true;
        outcome_.note(NoteKind::BadNumber, outcome_.command);
        scanner_.skipParameters();
        return true;
    }
}

bool Reader::plotPair(double x, double y)
{
    const Point target = relative_
                             ? Point{frameAt_.x + state_.frameDelta({x, y}).x, frameAt_.y + state_.frameDelta({x, y}).y}
                             : state_.toFrame({x, y});
    if (!pathTo(target, penDown_))
        return false;
    if (symbol_ != 0 && !polygon_.active()) {
        LabelStyle style = labelStyle();
        style.origin = 5;
        return drawLabel(std::string(1, static_cast<char>(symbol_)), target, style, nullptr);
    }
    return true;
}

bool Reader::pathTo(Point frame, bool down)
{
    if (polygon_.active()) {
        if (!polygon_.add(frame, down, options_.maxPolygonPoints)) {
            outcome_.refuse("the polygon has more than " + std::to_string(options_.maxPolygonPoints)
                                + " points; it would be drawn only in part",
                            true);
            return false;
        }
        frameAt_ = frame;
        return true;
    }
    frameAt_ = frame;
    return down ? output_.lineTo(physical(frame)) : output_.moveTo(physical(frame));
}

bool Reader::selectPen()
{
    double number = 0;
    const int n = readParameters(&number, 1);
    if (n < 0)
        return true;
    const double rounded = std::nearbyint(number);
    char pen = '0';
    if (rounded > 9) {
        outcome_.note(NoteKind::HighPen, "SP");
        pen = '9';
    } else if (rounded > 0) {
        pen = static_cast<char>('0' + static_cast<int>(rounded));
    }
    output_.selectPen(pen);
    return true;
}

bool Reader::inputPoints(bool relative)
{
    double v[4] = {};
    const int n = readParameters(v, 4);
    if (n < 0)
        return true;
    if (n == 0) {
        state_.resetInputPoints();
    } else if (n == 2 || n == 4) {
        if (relative) // per cent of the page
            for (int i = 0; i < n; ++i)
                v[i] *= (i % 2 == 0 ? state_.frameWidth() : state_.frameHeight()) / 100;
        const Point p1{v[0], v[1]};
        const Point p2 = n == 4 ? Point{v[2], v[3]}
                                : Point{p1.x + state_.p2().x - state_.p1().x, p1.y + state_.p2().y - state_.p1().y};
        if (!state_.setInputPoints(p1, p2)) {
            outcome_.refuse("P1 and P2 share an x or a y value, so the scale would have no size", false);
            return false;
        }
    } else {
        outcome_.note(NoteKind::BadParameters, outcome_.command);
        return true;
    }
    applyLineType();
    return true;
}

bool Reader::scale()
{
    double v[7] = {};
    const int n = readParameters(v, 7);
    if (n < 0)
        return true;
    UserScale scale;
    const int kind = n >= 5 ? integerParameter(v[4]) : 0;
    if (n == 0) {
        scale.kind = ScaleKind::Off;
    } else if ((n == 4 || n == 5) && kind == 0) {
        scale = UserScale{ScaleKind::Anisotropic, v[0], v[1], v[2], v[3]};
    } else if ((n == 5 || n == 7) && kind == 1) {
        scale = UserScale{ScaleKind::Isotropic, v[0], v[1], v[2], v[3]};
        if (n == 7) {
            scale.leftPercent = v[5];
            scale.bottomPercent = v[6];
        }
    } else if (n == 5 && kind == 2) {
        scale = UserScale{ScaleKind::PointFactor, v[0], v[1], v[2], v[3]};
    } else {
        outcome_.note(NoteKind::BadParameters, "SC");
        return true;
    }
    if (!state_.setScale(scale)) {
        outcome_.refuse(scale.kind == ScaleKind::PointFactor
                            ? "SC gives a point factor of zero, so nothing can be placed"
                            : "SC gives a range of zero (minimum equal to maximum), "
                              "so nothing can be placed",
                        false);
        return false;
    }
    return true;
}

bool Reader::rotate()
{
    double degrees = 0;
    if (readParameters(&degrees, 1) < 0)
        return true;
    if (degrees != 0 && degrees != 90 && degrees != 180 && degrees != 270) {
        outcome_.note(NoteKind::Rotation, "RO");
        return true;
    }
    const Point at = physical(frameAt_);
    state_.setRotation(static_cast<int>(degrees));
    frameAt_ = state_.fromPhysical(at);
    output_.setWindow(std::nullopt);
    applyLineType();
    return true;
}

bool Reader::window()
{
    double v[4] = {};
    const int n = readParameters(v, 4);
    if (n == 0)
        state_.clearWindow();
    else if (n == 4)
        state_.setWindow({v[0], v[1]}, {v[2], v[3]});
    else if (n > 0)
        outcome_.note(NoteKind::BadParameters, "IW");
    output_.setWindow(state_.window());
    return true;
}

bool Reader::lineType()
{
    double v[3] = {};
    const int n = readParameters(v, 3);
    if (n < 0)
        return true;
    if (n == 0) {
        if (!lineSolid_) {
            previousLineSolid_ = false;
            previousLineNumber_ = lineNumber_;
        }
        lineSolid_ = true;
    } else if (v[0] == 99) {
        if (lineSolid_) {
            lineSolid_ = previousLineSolid_;
            lineNumber_ = previousLineNumber_;
        }
    } else {
        const int number = static_cast<int>(std::nearbyint(std::clamp(v[0], -8.0, 8.0)));
        if (n >= 2 && !(v[1] > 0))
            return true; // a length of zero or less: the command is ignored
        lineSolid_ = false;
        lineNumber_ = number;
        if (n >= 2)
            linePatternLength_ = v[1];
        if (n >= 3)
            linePatternMm_ = v[2] == 1;
    }
    applyLineType();
    return true;
}

bool Reader::userLineType()
{
    double v[21] = {};
    const int n = readParameters(v, 21);
    if (n < 1)
        return true;
    const int number = integerParameter(v[0]);
    if (number < 1 || number > 8) {
        outcome_.note(NoteKind::BadParameters, "UL");
        return true;
    }
    if (n == 1)
        patterns_.reset(number);
    else if (!patterns_.define(number, std::vector<double>(v + 1, v + n)))
        outcome_.note(NoteKind::BadParameters, "UL");
    applyLineType();
    return true;
}

void Reader::applyLineType()
{
    LineType type;
    type.solid = lineSolid_;
    if (!lineSolid_) {
        type.dotsOnly = lineNumber_ == 0;
        type.adaptive = lineNumber_ < 0;
        type.patternLength =
            linePatternMm_ ? linePatternLength_ * kPlotterUnitsPerMm : linePatternLength_ / 100 * state_.p1p2Diagonal();
        if (!type.dotsOnly)
            type.pattern = patterns_[std::abs(lineNumber_)];
        if (!type.dotsOnly && !(type.patternLength > 0))
            type.solid = true;
    }
    output_.setLineType(type);
}

// A tick across the pen's position: XT up and down by TL's per cent of P1-P2 in y, YT
// right and left by them of P1-P2 in x.
bool Reader::ticks(bool xTick)
{
    const Point p1 = state_.p1(), p2 = state_.p2();
    const double span = xTick ? p2.y - p1.y : p2.x - p1.x;
    const double plus = tickPlus_ / 100 * span, minus = tickMinus_ / 100 * span;
    const Point from = xTick ? Point{frameAt_.x, frameAt_.y + plus} : Point{frameAt_.x + plus, frameAt_.y};
    const Point to = xTick ? Point{frameAt_.x, frameAt_.y - minus} : Point{frameAt_.x - minus, frameAt_.y};
    output_.setPosition(physical(from));
    if (!output_.solidLineTo(physical(to)))
        return false;
    output_.setPosition(physical(frameAt_));
    scanner_.skipParameters();
    return true;
}

} // namespace orlex::fullhpgl
