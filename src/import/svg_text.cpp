// An SVG <text> element drawn in a single-stroke face (see svg_text.h).
#include "import/svg_text.h"

#include "import/text_layout.h"

#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace orlex {

namespace {

// A list of lengths (x, y, dx, dy) and how many of the element's characters took one.
struct PositionList {
    std::vector<double> values;
    std::size_t used = 0;
    bool next(double& value)
    {
        const bool has = used < values.size();
        if (has)
            value = values[used];
        ++used;
        return has;
    }
};

struct Frame {
    int style;
    PositionList x, y, dx, dy;
};

PositionList lengths(const QXmlStreamAttributes& attributes, const char* name, double fontSize)
{
    PositionList list;
    static const QRegularExpression separators(QStringLiteral("[\\s,]+"));
    const QStringView text = attributes.value(QLatin1String(name));
    for (QStringView word : text.split(separators, Qt::SkipEmptyParts)) {
        const double length = textLength(word, fontSize);
        list.values.push_back(std::isfinite(length) ? length : 0);
    }
    return list;
}

Frame frameOf(const QXmlStreamAttributes& attributes, int style, double fontSize)
{
    return {style, lengths(attributes, "x", fontSize), lengths(attributes, "y", fontSize),
            lengths(attributes, "dx", fontSize), lengths(attributes, "dy", fontSize)};
}

// Reads the characters and the spans that style and place them.
class TextReader {
public:
    TextReader(QXmlStreamReader& reader, const TextContext& context) : reader_(reader), context_(context) {}

    void read(const TextStyle& style, std::vector<TextChar>& chars, std::vector<TextStyle>& styles, int& onPaths)
    {
        chars_ = &chars;
        styles_ = &styles;
        styles.push_back(style);
        frames_.push_back(frameOf(reader_.attributes(), 0, style.fontSize));
        while (!reader_.atEnd() && !frames_.empty()) {
            switch (reader_.readNext()) {
            case QXmlStreamReader::StartElement: startElement(onPaths); break;
            case QXmlStreamReader::EndElement:
                frames_.pop_back();
                context_.path.pop_back();
                break;
            case QXmlStreamReader::Characters: characters(); break;
            default: break;
            }
        }
        if (!styles.front().preserveSpaces)
            while (!chars.empty() && chars.back().code == U' ')
                chars.pop_back();
    }

private:
    void startElement(int& onPaths)
    {
        const QStringView name = reader_.name();
        if (name == u"textPath")
            ++onPaths;
        if (name != u"tspan" && name != u"a") { // textPath, tref, title, desc ...: not drawn
            reader_.skipCurrentElement();
            return;
        }
        const QXmlStreamAttributes attributes = reader_.attributes();
        context_.path.push_back({name.toString(), attributes.value(QStringLiteral("id")).toString(),
                                 attributes.value(QStringLiteral("class")).toString().split(u' ', Qt::SkipEmptyParts)});
        const TextStyle& parent = (*styles_)[std::size_t(frames_.back().style)];
        TextStyle style = context_.sheet.styleOf(parent, context_.path, attributes);
        if (!style.displayed) {
            context_.path.pop_back();
            reader_.skipCurrentElement();
            return;
        }
        styles_->push_back(style);
        frames_.push_back(frameOf(attributes, int(styles_->size() - 1), style.fontSize));
    }

    void characters()
    {
        const QStringView text = reader_.text();
        const bool preserve = (*styles_)[std::size_t(frames_.back().style)].preserveSpaces;
        for (qsizetype i = 0; i < text.size(); ++i) {
            char32_t code = text[i].unicode();
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                code = QChar::surrogateToUcs4(text[i], text[i + 1]), ++i;
            if (code == U'\n' || code == U'\r') {
                if (!preserve)
                    continue; // newlines are removed, then spaces run together
                code = U' ';
            }
            if (code == U'\t')
                code = U' ';
            if (code == U' ' && !preserve && (chars_->empty() || chars_->back().code == U' '))
                continue;
            add(code);
        }
    }

    // Every open element's lists count the character; the innermost value given wins.
    void add(char32_t code)
    {
        TextChar c;
        c.code = code;
        c.style = frames_.back().style;
        bool x = false, y = false, dx = false, dy = false;
        for (auto frame = frames_.rbegin(); frame != frames_.rend(); ++frame) {
            double value = 0;
            if (frame->x.next(value) && !x)
                c.x = value, x = true;
            if (frame->y.next(value) && !y)
                c.y = value, y = true;
            if (frame->dx.next(value) && !dx)
                c.dx = value, dx = true;
            if (frame->dy.next(value) && !dy)
                c.dy = value, dy = true;
        }
        chars_->push_back(c);
    }

    QXmlStreamReader& reader_;
    const TextContext& context_;
    std::vector<Frame> frames_;
    std::vector<TextChar>* chars_ = nullptr;
    std::vector<TextStyle>* styles_ = nullptr;
};

// Coordinates written with a fixed number of decimals: whole numbers formatted (a float
// formatted to a precision goes through printf, and took most of the text's time).
class NumberWriter {
public:
    // Decimals enough for a thousandth of the em.
    explicit NumberWriter(double fontSize)
        : decimals_(std::clamp(3 - int(std::floor(std::log10(std::max(fontSize, 1e-9)))) + 1, 0, 12)),
          scale_(std::pow(10.0, decimals_))
    {}

    void append(std::string& out, double value) const
    {
        const double scaled = std::round(value * scale_);
        char text[40];
        if (!(std::fabs(scaled) < 9e15)) { // too large for whole numbers: as it is
            out.append(text, std::to_chars(text, text + sizeof text, value).ptr);
            return;
        }
        auto whole = static_cast<long long>(scaled);
        if (whole < 0)
            out += '-', whole = -whole;
        char* end = std::to_chars(text, text + sizeof text, whole).ptr;
        std::string digits(text, end);
        if (int(digits.size()) <= decimals_)
            digits.insert(0, std::size_t(decimals_ + 1 - int(digits.size())), '0');
        const std::size_t point = digits.size() - std::size_t(decimals_);
        out.append(digits, 0, point);
        std::size_t last = digits.size();
        while (last > point && digits[last - 1] == '0')
            --last;
        if (last > point)
            out.append(1, '.').append(digits, point, last - point);
    }

private:
    int decimals_;
    double scale_;
};

// The paint a run's centre lines are stroked with: the stroke, else the fill; empty when
// the text has neither.
std::pair<QString, QString> paintOf(const TextStyle& style)
{
    const auto resolved = [&](const QString& paint) {
        return paint.trimmed().compare(u"currentColor", Qt::CaseInsensitive) == 0 ? style.color : paint.trimmed();
    };
    if (!style.visible)
        return {};
    if (resolved(style.stroke) != u"none" && !resolved(style.stroke).isEmpty())
        return {resolved(style.stroke), style.strokeOpacity};
    if (resolved(style.fill) != u"none" && !resolved(style.fill).isEmpty())
        return {resolved(style.fill), style.fillOpacity};
    return {};
}

} // namespace

bool isTextPositioning(QStringView attribute)
{
    for (const char16_t* name : {u"x", u"y", u"dx", u"dy", u"rotate", u"textLength", u"lengthAdjust"})
        if (attribute == QStringView(name))
            return true;
    return false;
}

TextOutcome writeStrokeText(QXmlStreamReader& reader, QXmlStreamWriter& writer, const TextStyle& style,
                            const TextContext& context)
{
    TextOutcome outcome;
    std::vector<TextChar> chars;
    std::vector<TextStyle> styles;
    TextReader(reader, context).read(style, chars, styles, outcome.onPaths);
    const LaidText laid = layoutText(chars, styles);
    outcome.missing = laid.missing;
    outcome.facesMissing = laid.facesMissing;
    std::string d;
    for (const TextRun& run : laid.runs) {
        const auto [paint, opacity] = paintOf(styles[std::size_t(run.style)]);
        if (paint.isEmpty())
            continue;
        d.clear();
        const NumberWriter number(styles[std::size_t(run.style)].fontSize);
        for (const Polyline& stroke : run.strokes)
            for (std::size_t i = 0; i < stroke.size(); ++i) {
                d += i == 0 ? (d.empty() ? "M" : " M") : " ";
                number.append(d, stroke[i].x());
                d += ',';
                number.append(d, stroke[i].y());
                ++outcome.points;
            }
        writer.writeStartElement(context.pathElement);
        writer.writeAttribute(QStringLiteral("d"), QString::fromLatin1(d));
        writer.writeAttribute(QStringLiteral("style"),
                              QStringLiteral("fill:none!important;stroke:%1!important;stroke-opacity:%2!important;"
                                             "stroke-width:1px!important;stroke-dasharray:none!important;"
                                             "marker:none!important")
                                  .arg(paint, opacity));
        writer.writeEndElement();
        outcome.drawn = true;
    }
    return outcome;
}

} // namespace orlex
