// The properties that say how a text is drawn, worked out as CSS does for each element
// of the document: inherited from the parent, then set by presentation attributes, by the
// rules of the document's style sheets (simple selectors: type, class, id, descendant and
// child) in order of specificity, and by the style attribute.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class QXmlStreamAttributes;

namespace orlex {

struct TextStyle {
    QString fontFamily;   // as written; empty: librsvg's default, a serif face
    double fontSize = 12; // user units
    bool bold = false, italic = false;
    enum class Anchor { Start, Middle, End } anchor = Anchor::Start;
    double letterSpacing = 0, wordSpacing = 0; // user units
    QString fill = QStringLiteral("black"), stroke = QStringLiteral("none"), color = QStringLiteral("black");
    QString fillOpacity = QStringLiteral("1"), strokeOpacity = QStringLiteral("1");
    bool visible = true;         // visibility (inherited)
    bool displayed = true;       // display (this element only)
    bool preserveSpaces = false; // xml:space="preserve"
};

// What a rule's selector is matched against: an element and those it stands in.
struct StyledElement {
    QString name, id;
    QStringList classes;
};

class TextStyleSheet {
public:
    // Adds the rules of a <style> sheet; what cannot be read is passed over.
    void add(const QString& sheet);
    bool empty() const { return rules_.empty(); }

    // The style of the element on top of `path` (the root first), whose parent has
    // `parent`, with its attributes.
    TextStyle styleOf(const TextStyle& parent, const std::vector<StyledElement>& path,
                      const QXmlStreamAttributes& attributes) const;

private:
    struct Compound {
        QString name; // empty: any
        QString id;
        QStringList classes;
        bool child = false; // joined to the compound before it by '>' (else by a blank)
    };
    struct Rule {
        std::vector<Compound> selector;
        int specificity = 0;
        int order = 0;
        QString declarations;
    };
    static bool matches(const std::vector<Compound>& selector, const std::vector<StyledElement>& path);
    std::vector<Rule> rules_;
};

// Sets one property (name, value as written) of `style`, whose parent has `parent`.
void applyTextProperty(TextStyle& style, const TextStyle& parent, QStringView name, QStringView value);

// A length as x, y, dx, dy and font sizes take it: a number in user units, or with a unit
// of length or em, ex (of `fontSize`); nullopt-like NaN when it cannot be read.
double textLength(QStringView text, double fontSize);

} // namespace orlex
