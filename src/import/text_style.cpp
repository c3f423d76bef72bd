// The properties that say how a text is drawn (see text_style.h).
#include "import/text_style.h"
#include "import/name_lists.h"

#include <QRegularExpression>
#include <QXmlStreamAttributes>

#include <algorithm>
#include <cmath>

namespace orlex {

namespace {

// The properties read here, as presentation attributes or declarations.
bool isTextProperty(QStringView name)
{
    return isOneOf(name, {u"font-family", u"font-size", u"font-weight", u"font-style", u"font", u"text-anchor",
                          u"letter-spacing", u"word-spacing", u"fill", u"stroke", u"color", u"fill-opacity",
                          u"stroke-opacity", u"visibility", u"display"});
}

// "a: b; c: d", in order, with !important taken off.
template <class Apply>
void forEachDeclaration(QStringView text, Apply apply)
{
    for (QStringView declaration : text.split(u';')) {
        const qsizetype colon = declaration.indexOf(u':');
        if (colon <= 0)
            continue;
        QStringView value = declaration.mid(colon + 1).trimmed();
        if (const qsizetype bang = value.indexOf(u"!important", 0, Qt::CaseInsensitive); bang >= 0)
            value = value.left(bang).trimmed();
        const QString name = declaration.left(colon).trimmed().toString().toLower();
        if (isTextProperty(name))
            apply(QStringView(name), value);
    }
}

// font-size keywords, as librsvg sizes them around its medium of 12.
double keywordSize(QStringView value, double parent)
{
    static const std::pair<const char16_t*, double> sizes[] = {
        {u"xx-small", 12 / 1.728}, {u"x-small", 12 / 1.44}, {u"small", 12 / 1.2},     {u"medium", 12},
        {u"large", 12 * 1.2},      {u"x-large", 12 * 1.44}, {u"xx-large", 12 * 1.728}};
    for (const auto& [name, size] : sizes)
        if (value.compare(QStringView(name), Qt::CaseInsensitive) == 0)
            return size;
    if (value.compare(u"larger", Qt::CaseInsensitive) == 0)
        return parent * 1.2;
    if (value.compare(u"smaller", Qt::CaseInsensitive) == 0)
        return parent / 1.2;
    return NAN;
}

// The font shorthand: [style] [variant] [weight] size[/line-height] family.
void applyFontShorthand(TextStyle& style, const TextStyle& parent, QStringView value)
{
    const QList<QStringView> words = value.split(u' ', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QStringView word = words[i];
        if (word.front().isDigit() || word.front() == u'.' || !std::isnan(keywordSize(word, parent.fontSize))) {
            applyTextProperty(style, parent, u"font-size", word.left(word.indexOf(u'/')));
            QStringList family;
            for (qsizetype k = i + 1; k < words.size(); ++k)
                family << words[k].toString();
            if (!family.isEmpty())
                style.fontFamily = family.join(u' ');
            return;
        }
        applyTextProperty(
            style, parent,
            word.compare(u"italic") == 0 || word.compare(u"oblique") == 0 ? u"font-style" : u"font-weight", word);
    }
}

// The parent's value of the property, over what an earlier source set.
void inherit(TextStyle& style, const TextStyle& parent, QStringView name)
{
    if (name == u"font-family" || name == u"font")
        style.fontFamily = parent.fontFamily;
    if (name == u"font-size" || name == u"font")
        style.fontSize = parent.fontSize;
    if (name == u"font-weight" || name == u"font")
        style.bold = parent.bold;
    if (name == u"font-style" || name == u"font")
        style.italic = parent.italic;
    if (name == u"text-anchor")
        style.anchor = parent.anchor;
    if (name == u"letter-spacing")
        style.letterSpacing = parent.letterSpacing;
    if (name == u"word-spacing")
        style.wordSpacing = parent.wordSpacing;
    if (name == u"fill")
        style.fill = parent.fill;
    if (name == u"stroke")
        style.stroke = parent.stroke;
    if (name == u"color")
        style.color = parent.color;
    if (name == u"fill-opacity")
        style.fillOpacity = parent.fillOpacity;
    if (name == u"stroke-opacity")
        style.strokeOpacity = parent.strokeOpacity;
    if (name == u"visibility")
        style.visible = parent.visible;
    if (name == u"display")
        style.displayed = parent.displayed;
}

} // namespace

double textLength(QStringView text, double fontSize)
{
    static const QRegularExpression length(QStringLiteral("^\\s*([+-]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][+-]?\\d+)?)"
                                                          "\\s*(px|pt|pc|mm|cm|in|em|ex)?\\s*$"),
                                           QRegularExpression::CaseInsensitiveOption);
    const auto match = length.match(text);
    if (!match.hasMatch())
        return NAN;
    const double number = match.capturedView(1).toDouble();
    const QString unit = match.captured(2).toLower();
    const double perUnit = unit == u"pt"   ? 96.0 / 72
                           : unit == u"pc" ? 16
                           : unit == u"mm" ? 96 / 25.4
                           : unit == u"cm" ? 96 / 2.54
                           : unit == u"in" ? 96
                           : unit == u"em" ? fontSize
                           : unit == u"ex" ? fontSize / 2
                                           : 1;
    return number * perUnit;
}

void applyTextProperty(TextStyle& style, const TextStyle& parent, QStringView name, QStringView value)
{
    value = value.trimmed();
    if (value.compare(u"inherit", Qt::CaseInsensitive) == 0) {
        inherit(style, parent, name);
        return;
    }
    if (name == u"font-family") {
        style.fontFamily = value.toString();
    } else if (name == u"font-size") {
        double size = keywordSize(value, parent.fontSize);
        if (std::isnan(size))
            size = value.endsWith(u'%') ? parent.fontSize * value.chopped(1).toDouble() / 100
                                        : textLength(value, parent.fontSize);
        if (std::isfinite(size) && size >= 0)
            style.fontSize = size;
    } else if (name == u"font-weight") {
        bool number = false;
        const int weight = value.toInt(&number);
        if (number)
            style.bold = weight >= 600;
        else if (value.compare(u"bold", Qt::CaseInsensitive) == 0 || value.compare(u"bolder", Qt::CaseInsensitive) == 0)
            style.bold = true;
        else if (value.compare(u"normal", Qt::CaseInsensitive) == 0
                 || value.compare(u"lighter", Qt::CaseInsensitive) == 0)
            style.bold = false;
    } else if (name == u"font-style") {
        style.italic =
            value.compare(u"italic", Qt::CaseInsensitive) == 0 || value.startsWith(u"oblique", Qt::CaseInsensitive);
    } else if (name == u"font") {
        if (!value.isEmpty())
            applyFontShorthand(style, parent, value);
    } else if (name == u"text-anchor") {
        style.anchor = value == u"middle" ? TextStyle::Anchor::Middle
                       : value == u"end"  ? TextStyle::Anchor::End
                                          : TextStyle::Anchor::Start;
    } else if (name == u"letter-spacing" || name == u"word-spacing") {
        const double spacing = value == u"normal" ? 0 : textLength(value, style.fontSize);
        if (std::isfinite(spacing))
            (name == u"letter-spacing" ? style.letterSpacing : style.wordSpacing) = spacing;
    } else if (name == u"fill") {
        style.fill = value.toString();
    } else if (name == u"stroke") {
        style.stroke = value.toString();
    } else if (name == u"color") {
        style.color = value.toString();
    } else if (name == u"fill-opacity") {
        style.fillOpacity = value.toString();
    } else if (name == u"stroke-opacity") {
        style.strokeOpacity = value.toString();
    } else if (name == u"visibility") {
        style.visible = value == u"visible";
    } else if (name == u"display") {
        style.displayed = value != u"none";
    }
}

void TextStyleSheet::add(const QString& sheet)
{
    static const QRegularExpression comment(QStringLiteral("/\\*.*?\\*/"),
                                            QRegularExpression::DotMatchesEverythingOption);
    QString text = sheet;
    text.remove(comment);
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype open = text.indexOf(u'{', at);
        if (open < 0)
            break;
        const QStringView prelude = QStringView(text).mid(at, open - at).trimmed();
        // The block's end, over nested blocks (an at-rule's).
        qsizetype close = open + 1;
        for (int depth = 1; close < text.size() && depth > 0; ++close)
            depth += text[close] == u'{' ? 1 : text[close] == u'}' ? -1 : 0;
        const QString declarations = text.mid(open + 1, close - open - 2);
        at = close;
        if (prelude.startsWith(u'@'))
            continue; // @media, @font-face ...: passed over
        for (QStringView selector : prelude.split(u',')) {
            Rule rule;
            rule.order = int(rules_.size());
            rule.declarations = declarations;
            bool readable = true;
            bool child = false;
            for (QStringView part : selector.trimmed().split(u' ', Qt::SkipEmptyParts)) {
                if (part == u">") {
                    child = true;
                    continue;
                }
                static const QRegularExpression compound(QStringLiteral("^([A-Za-z][\\w-]*|\\*)?((?:[.#][\\w-]+)*)$"));
                const auto match = compound.match(part);
                if (!match.hasMatch()) {
                    readable = false; // attribute selectors, pseudo-classes, siblings: not for text
                    break;
                }
                Compound c;
                c.child = child;
                child = false;
                c.name = match.captured(1) == u"*" ? QString() : match.captured(1);
                rule.specificity += c.name.isEmpty() ? 0 : 1;
                static const QRegularExpression simple(QStringLiteral("([.#])([\\w-]+)"));
                for (auto it = simple.globalMatch(match.capturedView(2)); it.hasNext();) {
                    const auto s = it.next();
                    if (s.capturedView(1) == u"#")
                        c.id = s.captured(2), rule.specificity += 10000;
                    else
                        c.classes << s.captured(2), rule.specificity += 100;
                }
                rule.selector.push_back(std::move(c));
            }
            if (readable && !rule.selector.empty())
                rules_.push_back(std::move(rule));
        }
    }
    std::stable_sort(rules_.begin(), rules_.end(), [](const Rule& a, const Rule& b) {
        return a.specificity != b.specificity ? a.specificity < b.specificity : a.order < b.order;
    });
}

bool TextStyleSheet::matches(const std::vector<Compound>& selector, const std::vector<StyledElement>& path)
{
    const auto fits = [](const Compound& c, const StyledElement& e) {
        if (!c.name.isEmpty() && c.name != e.name)
            return false;
        if (!c.id.isEmpty() && c.id != e.id)
            return false;
        return std::all_of(c.classes.begin(), c.classes.end(), [&](const QString& k) { return e.classes.contains(k); });
    };
    if (path.empty() || !fits(selector.back(), path.back()))
        return false;
    // The compounds before it, right to left, among the ancestors (greedily: enough for
    // the selectors drawings use).
    qsizetype element = qsizetype(path.size()) - 1;
    for (qsizetype k = qsizetype(selector.size()) - 2; k >= 0; --k) {
        const bool child = selector[std::size_t(k + 1)].child;
        qsizetype ancestor = element - 1;
        while (ancestor >= 0 && !fits(selector[std::size_t(k)], path[std::size_t(ancestor)])) {
            if (child)
                return false;
            --ancestor;
        }
        if (ancestor < 0)
            return false;
        element = ancestor;
    }
    return true;
}

TextStyle TextStyleSheet::styleOf(const TextStyle& parent, const std::vector<StyledElement>& path,
                                  const QXmlStreamAttributes& attributes) const
{
    TextStyle style = parent;
    style.displayed = true;
    QStringView inlineStyle;
    for (const auto& a : attributes) {
        if (!a.namespaceUri().isEmpty()) {
            if (a.name() == u"space")
                style.preserveSpaces = a.value() == u"preserve";
            continue;
        }
        if (a.name() == u"style")
            inlineStyle = a.value();
        else if (isTextProperty(a.name()))
            applyTextProperty(style, parent, a.name(), a.value());
    }
    for (const Rule& rule : rules_)
        if (matches(rule.selector, path))
            forEachDeclaration(rule.declarations, [&](QStringView name, QStringView value) {
                applyTextProperty(style, parent, name, value);
            });
    forEachDeclaration(inlineStyle,
                       [&](QStringView name, QStringView value) { applyTextProperty(style, parent, name, value); });
    return style;
}

} // namespace orlex
