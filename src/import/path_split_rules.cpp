// When the pre-scan may draw a long path in pieces without changing what is drawn.
#include "import/path_split_rules.h"

#include <cstring>

namespace orlex {

namespace {

bool isNone(QStringView value)
{
    return value.trimmed().compare(u"none", Qt::CaseInsensitive) == 0;
}

// Applies one declaration or presentation attribute to the state.
void apply(SplitState& s, QStringView property, QStringView value)
{
    if (value.trimmed() == u"inherit")
        return;
    const bool url = value.contains(u"url(");
    if (property == u"fill")
        s.fillServer = url;
    else if (property == u"stroke")
        s.strokeServer = url;
    else if (property == u"stroke-dasharray")
        s.dashed = !isNone(value);
    else if (property == u"marker")
        s.markers = {url, url, url};
    else if (property == u"marker-start" || property == u"marker-mid" || property == u"marker-end")
        s.markers[property == u"marker-start" ? 0 : property == u"marker-mid" ? 1 : 2] = url;
    else if ((property == u"clip-path" || property == u"mask") && !isNone(value))
        s.allowed = false;
}

bool isIdCharacter(char c)
{
    return c != ')' && c != '\'' && c != '"' && c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != ';' && c != ',';
}

} // namespace

SplitState splitState(const SplitState* parent, QStringView name, const QXmlStreamAttributes& attributes,
                      const QSet<QString>& referenced)
{
    SplitState s = parent != nullptr ? *parent : SplitState{};
    s.allowed = s.container && !referenced.contains(attributes.value(QStringLiteral("id")).toString());
    for (const QXmlStreamAttribute& a : attributes)
        if (a.namespaceUri().isEmpty() && a.name() != u"style")
            apply(s, a.name(), a.value());
    for (QStringView declaration : attributes.value(QStringLiteral("style")).split(u';')) {
        const qsizetype colon = declaration.indexOf(u':');
        if (colon > 0)
            apply(s, declaration.left(colon).trimmed(), declaration.mid(colon + 1).trimmed());
    }
    s.container = s.allowed && (name == u"svg" || name == u"g" || name == u"a");
    return s;
}

bool maySplitPath(const SplitState& state, const QXmlStreamAttributes& attributes)
{
    const QStringView style = attributes.value(QStringLiteral("style"));
    return state.allowed && !state.fillServer && !state.strokeServer && !state.dashed
           && state.markers == std::array<bool, 3>{} && !attributes.hasAttribute(QStringLiteral("pathLength"))
           && (!attributes.hasAttribute(QStringLiteral("vector-effect"))
               || isNone(attributes.value(QStringLiteral("vector-effect"))))
           && !style.contains(u"vector-effect");
}

bool hasStyleSheet(const QByteArray& bytes)
{
    for (qsizetype at = bytes.indexOf("style"); at > 0; at = bytes.indexOf("style", at + 1)) {
        const char after = at + 5 < bytes.size() ? bytes[at + 5] : '>';
        if (!std::strchr(" \t\r\n>/", after))
            continue;
        qsizetype start = at;
        if (bytes[at - 1] == ':') // a prefix: back over its name
            for (start = at - 1; start > 0 && std::strchr("<\"' \t\r\n=", bytes[start - 1]) == nullptr; --start) {
            }
        if (start > 0 && bytes[start - 1] == '<')
            return true;
    }
    return false;
}

QSet<QString> referencedIds(const QByteArray& bytes)
{
    QSet<QString> ids;
    for (qsizetype at = bytes.indexOf('#'); at >= 0; at = bytes.indexOf('#', at + 1)) {
        qsizetype before = at;
        while (before > 0 && std::strchr(" \t\r\n'\"", bytes[before - 1]) != nullptr)
            --before;
        const QByteArray head =
            bytes.mid(std::max<qsizetype>(0, before - 5), before - std::max<qsizetype>(0, before - 5));
        if (!head.endsWith("url(") && !head.endsWith('='))
            continue;
        qsizetype end = at + 1;
        while (end < bytes.size() && isIdCharacter(bytes[end]))
            ++end;
        ids.insert(QString::fromUtf8(bytes.mid(at + 1, end - at - 1)));
    }
    return ids;
}

} // namespace orlex
