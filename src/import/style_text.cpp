// CSS text of an SVG document as the pre-scan sees it: references to other files, and
// the filter effects and fonts that are left out.
#include "import/style_text.h"

#include <QRegularExpression>

#include <optional>

namespace orlex {

std::string quotedText(QStringView text)
{
    const QString shown = text.size() > 40 ? text.left(40).toString() + QStringLiteral("...") : text.toString();
    return "\"" + shown.toStdString() + "\"";
}

bool hasExternalUrl(QStringView value)
{
    for (qsizetype at = value.indexOf(u"url(", 0, Qt::CaseInsensitive); at >= 0;
         at = value.indexOf(u"url(", at + 4, Qt::CaseInsensitive)) {
        qsizetype i = at + 4;
        while (i < value.size() && (value[i].isSpace() || value[i] == u'"' || value[i] == u'\''))
            ++i;
        if (i >= value.size() || value[i] != u'#')
            return true;
    }
    return false;
}

bool isDrawnUrlProperty(QStringView name)
{
    for (const char16_t* drawn :
         {u"stroke", u"clip-path", u"mask", u"marker", u"marker-start", u"marker-mid", u"marker-end"})
        if (name.trimmed().compare(QStringView(drawn), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool hasDrawnExternalUrl(QStringView style)
{
    for (QStringView declaration : style.split(u';')) {
        const qsizetype colon = declaration.indexOf(u':');
        if (colon > 0 && isDrawnUrlProperty(declaration.left(colon)) && hasExternalUrl(declaration.mid(colon + 1)))
            return true;
    }
    return false;
}

// What a declaration becomes in the drawn copy: filters and masks are dropped (counted),
// fills made none unless a paint server (a pattern's strokes are plotted inside the shape
// it fills), overflow made visible. Nothing else is filled in the copy, since a fill does
// not change which strokes are plotted. Clipping paths stay: the script reader cuts the
// strokes to them.
bool isPaintServer(QStringView fill)
{
    return fill.trimmed().startsWith(u"url(", Qt::CaseInsensitive);
}

std::optional<QString> rewrittenValue(QStringView property, QStringView value, LeftOut& counts)
{
    const QString name = property.trimmed().toString().toLower();
    const bool effect = !value.trimmed().startsWith(u"none", Qt::CaseInsensitive);
    if (name == u"filter" || name == u"mask") {
        (name == u"filter" ? counts.filters : counts.masks) += effect;
        return QStringLiteral("none");
    }
    if (name == u"fill")
        return isPaintServer(value) ? std::nullopt : std::optional(QStringLiteral("none"));
    if (name == u"overflow")
        return QStringLiteral("visible");
    return std::nullopt;
}

std::optional<QString> maskAsClip(QStringView value, const QSet<QString>& clipMasks)
{
    static const QRegularExpression url(QStringLiteral("^\\s*url\\(\\s*['\"]?#([^)'\"\\s]+)['\"]?\\s*\\)\\s*$"));
    if (clipMasks.isEmpty())
        return std::nullopt;
    const auto match = url.match(value);
    if (!match.hasMatch() || !clipMasks.contains(match.captured(1)))
        return std::nullopt;
    return QStringLiteral("url(#%1)").arg(match.captured(1));
}

QString cleanStyleAttribute(QStringView style, LeftOut& counts, bool keepFills, const QSet<QString>& clipMasks)
{
    const bool ownClip = style.contains(u"clip-path", Qt::CaseInsensitive);
    QString kept;
    for (QStringView declaration : style.split(u';')) {
        const qsizetype colon = declaration.indexOf(u':');
        if (colon <= 0)
            continue;
        const QStringView property = declaration.left(colon).trimmed();
        const bool fill = property.compare(u"fill", Qt::CaseInsensitive) == 0;
        if (property.compare(u"mask", Qt::CaseInsensitive) == 0 && !ownClip) {
            if (const auto clip = maskAsClip(declaration.mid(colon + 1), clipMasks)) {
                kept += QStringLiteral("clip-path:") + *clip + QLatin1Char(';');
                continue;
            }
        }
        const auto value =
            keepFills && fill ? std::nullopt : rewrittenValue(property, declaration.mid(colon + 1), counts);
        kept += value ? property.toString() + QLatin1Char(':') + *value : declaration.toString();
        kept += QLatin1Char(';');
    }
    return kept;
}

Result<QString> cleanStyleSheet(const QString& sheet, LeftOut& counts, const QSet<QString>& clipMasks, bool keepFills)
{
    static const QRegularExpression import(QStringLiteral("@import[^;]*;?"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression comment(QStringLiteral("/\\*.*?\\*/"),
                                            QRegularExpression::DotMatchesEverythingOption);
    // Also one left open at the end of the sheet, which CSS closes there.
    static const QRegularExpression fontFace(QStringLiteral("@font-face\\s*\\{[^}]*(?:\\}|$)"),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression declaration(QStringLiteral("([{;]\\s*)(filter|mask|fill|overflow)\\s*:([^;}]*)"),
                                                QRegularExpression::CaseInsensitiveOption);
    QString cleaned = sheet;
    cleaned.remove(comment);
    counts.styleSheets += int(cleaned.count(import));
    cleaned.remove(import);
    counts.fonts += int(cleaned.count(fontFace));
    cleaned.remove(fontFace);
    QString out;
    qsizetype from = 0;
    for (auto it = declaration.globalMatch(cleaned); it.hasNext();) {
        const auto match = it.next();
        out += QStringView(cleaned).mid(from, match.capturedStart() - from);
        const auto clip = match.captured(2).compare(u"mask", Qt::CaseInsensitive) == 0
                              ? maskAsClip(match.capturedView(3), clipMasks)
                              : std::nullopt;
        const bool fill = match.capturedView(2).compare(u"fill", Qt::CaseInsensitive) == 0;
        if (clip)
            out += match.captured(1) + QStringLiteral("clip-path:") + *clip;
        else
            out += match.captured(1) + match.captured(2) + QLatin1Char(':')
                   + (keepFills && fill ? std::nullopt
                                        : rewrittenValue(match.capturedView(2), match.capturedView(3), counts))
                         .value_or(match.captured(3));
        from = match.capturedEnd();
    }
    out += QStringView(cleaned).mid(from);
    if (hasExternalUrl(out))
        return failure("its style sheet refers to another file");
    return out;
}

} // namespace orlex
