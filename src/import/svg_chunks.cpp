// A large cleaned document split into smaller ones that draw the same strokes in the same
// order, so that librsvg never holds more than a bounded number of elements at once.
#include "import/svg_chunks.h"
#include "import/name_lists.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace orlex {

namespace {

// The ids an attribute value or style text refers to: "#id" and url(#id).
void collectReferences(QStringView text, QSet<QString>& ids)
{
    static const QRegularExpression reference(QStringLiteral("(?:^\\s*#|url\\(\\s*['\"]?#)([^)'\"\\s]+)"));
    for (auto it = reference.globalMatch(text); it.hasNext();)
        ids.insert(it.next().captured(1));
}

// Selectors whose match depends on an element's siblings.
bool isStructural(QStringView sheet)
{
    static const QRegularExpression structural(QStringLiteral(":(first|last|nth|only|empty)|[~+](?![=\\d])"),
                                               QRegularExpression::CaseInsensitiveOption);
    return structural.match(sheet).hasMatch();
}

// Each element in document order, and the elements that go to every part.
struct Layout {
    std::vector<qint64> parent;     // index of the parent element, -1 for the root
    std::vector<qint64> subtreeEnd; // index just past the element's subtree
    std::vector<bool> unit;         // split off as a whole into one part
    std::vector<bool> shared;       // drawn, and referred to: drawn in the first part, in <defs> in the others
    bool splittable = true;
};

Layout readLayout(const QByteArray& document, qint64 maxElements)
{
    Layout layout;
    QSet<QString> referenced;
    QHash<QString, qint64> ids;
    std::vector<bool> renderPath, fixed; // children on the render path; kept in every part
    std::vector<qint64> open;
    QXmlStreamReader reader(document);
    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const qint64 index = qint64(layout.parent.size());
            const qint64 parent = open.empty() ? -1 : open.back();
            const QStringView name = reader.name();
            const auto attributes = reader.attributes();
            for (const auto& a : attributes)
                collectReferences(a.value(), referenced);
            if (attributes.hasAttribute(QStringLiteral("id")))
                ids.insert(attributes.value(QStringLiteral("id")).toString(), index);
            const bool onPath = parent < 0 || renderPath[std::size_t(parent)];
            renderPath.push_back(onPath && isOneOf(name, {u"svg", u"g", u"a"}));
            fixed.push_back(!onPath || parent < 0 || attributes.hasAttribute(QStringLiteral("data-orlex-pen"))
                            || isOneOf(name, {u"style", u"defs"}));
            layout.parent.push_back(parent);
            layout.subtreeEnd.push_back(index + 1);
            open.push_back(index);
        } else if (token == QXmlStreamReader::EndElement) {
            layout.subtreeEnd[std::size_t(open.back())] = qint64(layout.parent.size());
            open.pop_back();
        } else if (token == QXmlStreamReader::Characters && !reader.isWhitespace()) {
            collectReferences(reader.text(), referenced);
            layout.splittable = layout.splittable && !isStructural(reader.text());
        }
    }
    // A container too big for one part is split among parts.
    for (std::size_t i = 0; i < fixed.size(); ++i)
        if (renderPath[i] && layout.subtreeEnd[i] - qint64(i) > maxElements)
            fixed[i] = true;
    // What is referred to stays in every part, and the containers around it too.
    layout.shared.assign(fixed.size(), false);
    for (const QString& id : referenced) {
        const qint64 target = ids.value(id, -1);
        if (target > 0 && !fixed[std::size_t(target)])
            layout.shared[std::size_t(target)] = true;
        for (qint64 i = target; i >= 0 && !fixed[std::size_t(i)]; i = layout.parent[std::size_t(i)])
            fixed[std::size_t(i)] = true;
    }
    for (qint64 i = qint64(fixed.size()) - 1; i > 0; --i) // a container of a fixed element is structure
        if (fixed[std::size_t(i)] && renderPath[std::size_t(layout.parent[std::size_t(i)])])
            fixed[std::size_t(layout.parent[std::size_t(i)])] = true;
    // Units: the topmost elements on the render path that are not structure; a shared
    // element is kept whole, like a unit that goes everywhere.
    layout.unit.assign(fixed.size(), false);
    std::vector<bool> whole(fixed.size(), false); // inside a unit or a shared element
    for (std::size_t i = 1; i < fixed.size(); ++i) {
        const auto parent = std::size_t(layout.parent[i]);
        whole[i] = whole[parent] || layout.unit[parent] || layout.shared[parent] || !renderPath[parent];
        if (whole[i])
            layout.shared[i] = false;
        layout.unit[i] = !fixed[i] && !whole[i];
    }
    return layout;
}

// The parts, in one pass over the document: part k holds the units from parts[k] up to
// parts[k + 1] (the last up to the end) and everything that is not a unit; shared elements
// are drawn in the first part only and kept in <defs> in the others. (A pass for each part
// read the whole document again for each: time grew with the square of its size.)
std::vector<QByteArray> parts(const QByteArray& document, const Layout& layout, const std::vector<qint64>& firsts)
{
    const std::size_t count = firsts.size();
    std::vector<QByteArray> out(count);
    std::vector<std::unique_ptr<QXmlStreamWriter>> writers;
    for (QByteArray& bytes : out) {
        bytes.reserve(document.size() / qsizetype(count) + 4096);
        writers.push_back(std::make_unique<QXmlStreamWriter>(&bytes));
    }
    QXmlStreamReader reader(document);
    qint64 index = 0;
    std::size_t part = 0;     // the part of the unit being read
    std::vector<bool> inDefs; // for each open element: wrapped in <defs> in the parts after the first
    std::vector<bool> inUnit; // for each open element: it belongs to a unit (one part only)
    const auto each = [&](bool unitOnly, const auto& write) {
        if (unitOnly)
            write(*writers[part], part);
        else
            for (std::size_t k = 0; k < count; ++k)
                write(*writers[k], k);
    };
    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const qint64 i = index++;
            if (layout.unit[std::size_t(i)])
                part = std::size_t(std::upper_bound(firsts.begin(), firsts.end(), i) - firsts.begin()) - 1;
            const bool unitOnly = layout.unit[std::size_t(i)] || (!inUnit.empty() && inUnit.back());
            const bool wrap = layout.shared[std::size_t(i)] && !unitOnly;
            inDefs.push_back(wrap);
            inUnit.push_back(unitOnly);
            const QString defs = reader.prefix().isEmpty() ? QStringLiteral("defs")
                                                           : reader.prefix().toString() + QStringLiteral(":defs");
            const QString name = reader.qualifiedName().toString();
            const auto declarations = reader.namespaceDeclarations();
            const auto attributes = reader.attributes();
            each(unitOnly, [&](QXmlStreamWriter& writer, std::size_t k) {
                if (wrap && k > 0)
                    writer.writeStartElement(defs);
                writer.writeStartElement(name);
                for (const auto& ns : declarations)
                    writer.writeAttribute(ns.prefix().isEmpty() ? QStringLiteral("xmlns")
                                                                : QStringLiteral("xmlns:") + ns.prefix().toString(),
                                          ns.namespaceUri().toString());
                for (const auto& a : attributes)
                    writer.writeAttribute(a.qualifiedName().toString(), a.value().toString());
            });
        } else if (token == QXmlStreamReader::EndElement) {
            const bool wrapped = inDefs.back(), unitOnly = inUnit.back();
            inDefs.pop_back();
            inUnit.pop_back();
            each(unitOnly, [&](QXmlStreamWriter& writer, std::size_t k) {
                writer.writeEndElement();
                if (wrapped && k > 0)
                    writer.writeEndElement();
            });
        } else if (token == QXmlStreamReader::Characters) {
            const QString text = reader.text().toString();
            each(!inUnit.empty() && inUnit.back(),
                 [&](QXmlStreamWriter& writer, std::size_t) { writer.writeCharacters(text); });
        }
    }
    return out;
}

} // namespace

bool forEachChunk(const QByteArray& document, qint64 maxElements, const std::function<bool(QByteArray)>& draw)
{
    if (document.count('<') <= maxElements)
        return draw(document);
    const Layout layout = readLayout(document, maxElements);
    const qint64 count = qint64(layout.unit.size());
    if (!layout.splittable || count <= maxElements)
        return draw(document);
    std::vector<qint64> firsts{0}; // the first element of each part
    qint64 units = 0;
    for (qint64 i = 0; i < count; ++i) {
        if (!layout.unit[std::size_t(i)])
            continue;
        const qint64 size = layout.subtreeEnd[std::size_t(i)] - i;
        if (units > 0 && units + size > maxElements) {
            firsts.push_back(i);
            units = 0;
        }
        units += size;
    }
    std::vector<QByteArray> split = parts(document, layout, firsts);
    for (QByteArray& piece : split)
        if (!draw(std::exchange(piece, QByteArray())))
            return false;
    return true;
}

} // namespace orlex
