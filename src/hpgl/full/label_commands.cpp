// Labels and their settings: LB, BL and PB, DT, SM, CP, and SI, SR, DI, DR, SL, LO, ES.
// Labels are drawn solid in the stroke font, whatever the line type.
#include "hpgl/full/reader.h"
#include "hpgl/full/stroke_font.h"

#include <cmath>

namespace orlex::fullhpgl {

LabelStyle Reader::labelStyle() const
{
    LabelStyle style;
    const Point p1 = state_.p1(), p2 = state_.p2();
    if (sizeRelative_) {
        style.width = sizeWidth_ / 100 * (p2.x - p1.x);
        style.height = sizeHeight_ / 100 * (p2.y - p1.y);
    } else {
        style.width = sizeWidth_ * 10 * kPlotterUnitsPerMm;
        style.height = sizeHeight_ * 10 * kPlotterUnitsPerMm;
    }
    style.directionRadians = directionRelative_
                                 ? std::atan2(directionRise_ * (p2.y - p1.y), directionRun_ * (p2.x - p1.x))
                                 : std::atan2(directionRise_, directionRun_);
    style.slant = slant_;
    style.origin = labelOrigin_;
    style.extraSpaces = extraSpaces_;
    style.extraLines = extraLines_;
    return style;
}

bool Reader::readLabelText(std::string& text)
{
    text.clear();
    const std::uint64_t start = scanner_.offset();
    for (;;) {
        const int c = scanner_.nextByte();
        if (c < 0) {
            outcome_.refuse("the label that starts at byte " + std::to_string(start)
                                + " has no terminator, so the rest of the file ("
                                + std::to_string(scanner_.offset() - start) + " bytes) would be drawn as its text",
                            false);
            return false;
        }
        if (c == terminator_)
            return true;
        if (text.size() >= options_.maxLabelCharacters) {
            outcome_.refuse("a label is longer than " + std::to_string(options_.maxLabelCharacters)
                                + " characters; the rest of it would be lost",
                            true);
            return false;
        }
        text.push_back(static_cast<char>(c));
    }
}

bool Reader::drawLabel(const std::string& text, Point start, const LabelStyle& style, Point* end)
{
    if (!options_.drawLabels)
        return true;
    const StrokeFont* font = strokeFont();
    if (font == nullptr) {
        outcome_.refuse(std::string("labels cannot be drawn: the stroke font \"") + kStrokeFontName
                            + "\" (Debian package hershey-fonts-data) cannot be read",
                        false);
        return false;
    }
    const LabelStrokes laid = layoutLabel(text, start, style, *font);
    if (laid.missingGlyphs != 0)
        outcome_.note(NoteKind::MissingGlyph, outcome_.command, laid.missingGlyphs);
    for (const std::vector<Point>& stroke : laid.strokes) {
        output_.setPosition(physical(stroke.front()));
        for (std::size_t i = 1; i < stroke.size(); ++i)
            if (!output_.solidLineTo(physical(stroke[i])))
                return false;
    }
    const Point at = end != nullptr ? laid.end : start;
    if (end != nullptr)
        *end = at;
    output_.setPosition(physical(at));
    return true;
}

bool Reader::label()
{
    std::string text;
    if (!readLabelText(text))
        return false;
    carriageReturn_ = frameAt_;
    return drawLabel(text, frameAt_, labelStyle(), &frameAt_);
}

bool Reader::bufferLabel()
{
    return readLabelText(bufferedLabel_);
}

bool Reader::printBufferedLabel()
{
    carriageReturn_ = frameAt_;
    return drawLabel(bufferedLabel_, frameAt_, labelStyle(), &frameAt_);
}

// DT: the byte right after the mnemonic ends labels; DT; brings back ETX.
bool Reader::labelTerminator()
{
    const int c = scanner_.nextByte();
    terminator_ = c < 0 || c == ';' ? 3 : c;
    if (c >= 0 && c != ';')
        scanner_.skipParameters(); // the mode
    return true;
}

// SM: the byte after the mnemonic is drawn at each point; SM; ends symbol mode.
bool Reader::symbolMode()
{
    const int c = scanner_.peekByte();
    symbol_ = 0;
    if (c > ' ' && c != ';' && c < 127) {
        symbol_ = scanner_.nextByte();
        scanner_.skipParameters();
    }
    return true;
}

// CP: moves the pen by character cells (spaces along, lines up); without parameters, to
// the start of the line below the last label.
bool Reader::characterPlot()
{
    double v[2] = {};
    const int n = readParameters(v, 2);
    if (n < 0)
        return true;
    const LabelStyle style = labelStyle();
    if (n == 0) {
        carriageReturn_ = moveByCells(carriageReturn_, style, 0, 1);
        frameAt_ = carriageReturn_;
    } else {
        frameAt_ = moveByCells(frameAt_, style, v[0], -v[1]);
    }
    output_.setPosition(physical(frameAt_));
    return true;
}

bool Reader::labelSetting(char first, char second)
{
    double v[2] = {};
    const int n = readParameters(v, 2);
    if (n < 0)
        return true;
    const bool defaults = n == 0;
    if (first == 'S' && (second == 'I' || second == 'R')) { // SI, SR
        sizeRelative_ = second == 'R';
        const bool given = !defaults && n == 2;
        sizeWidth_ = given ? v[0] : sizeRelative_ ? 0.75 : 0.187;
        sizeHeight_ = given ? v[1] : sizeRelative_ ? 1.5 : 0.269;
    } else if (first == 'D') { // DI, DR
        directionRelative_ = second == 'R';
        const bool given = !defaults && n == 2 && (v[0] != 0 || v[1] != 0);
        directionRun_ = given ? v[0] : 1;
        directionRise_ = given ? v[1] : 0;
    } else if (first == 'S') { // SL
        slant_ = defaults ? 0 : v[0];
    } else if (first == 'L') { // LO
        labelOrigin_ = defaults ? 1 : integerParameter(v[0]);
    } else { // ES
        extraSpaces_ = defaults ? 0 : v[0];
        extraLines_ = n == 2 ? v[1] : 0;
    }
    return true;
}

} // namespace orlex::fullhpgl
