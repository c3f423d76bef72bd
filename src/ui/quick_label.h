// A one-line label for text that changes many times a second during a draw.
#pragma once

#include <QImage>
#include <QLabel>

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace orlex::ui {

// A QLabel lays its text out and draws it glyph by glyph at every repaint, which holds
// the drive's clock polling for a hundred microseconds and more. This label draws each
// character once into a coverage image and builds a new text from those with plain
// pixel arithmetic, so that a repaint is one image copy. Only plain single-line text on
// an unscaled screen is built this way (left-aligned, centred vertically, without
// kerning); anything else is painted as by QLabel.
class QuickLabel : public QLabel {
    Q_OBJECT
public:
    explicit QuickLabel(QWidget* parent = nullptr);

    // QLabel::setText, and the new text's pixels built at once, so that the repaint that
    // follows only copies them, and only the columns that changed. (Through a QLabel
    // pointer QLabel::setText still works: the paint then builds the whole text.)
    void setText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    // Text built here is copied and filled with explicit colours: its painter skips the
    // widget's pen, brush and font, which cost more to look up than the copy.
    void initPainter(QPainter* painter) const override;
    void changeEvent(QEvent* event) override;

private:
    // A glyph's coverage rows lie in coverage_ from `offset` on, `width` bytes each, its
    // left edge kPad pixels before the pen position; all glyphs in one block keep a text's
    // glyphs close together in memory.
    struct Glyph {
        std::size_t offset = 0;
        int width = 0;
        double advance = 0;
    };
    bool composable() const;
    bool composedAsShown() const; // textImage_ holds the current text, size and colours
    QRect changedColumns(const QString& before, const QString& after);
    const Glyph& glyph(QChar c);
    void measureFont();           // lineHeight_ and ascent_, and forget the glyphs of another font
    void composeText(QRect part); // textImage_ for the current text, size and colours

    std::vector<Glyph> glyphs_;
    std::array<int, 128> asciiGlyphs_{}; // index in glyphs_ + 1, 0 while not drawn
    std::unordered_map<char16_t, std::size_t> otherGlyphs_;
    std::vector<std::uint8_t> coverage_;
    bool fontMeasured_ = false;
    int lineHeight_ = 0;
    double ascent_ = 0;
    QImage textImage_;
    bool composed_ = false;
    QString composedText_;
    QRgb composedInk_ = 0, composedBackground_ = 0;
    int inkRight_ = 0; // columns left of this may hold text, the rest is background
};

} // namespace orlex::ui
