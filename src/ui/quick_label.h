// A one-line label for text that changes many times a second during a draw.
#pragma once

#include <QImage>
#include <QLabel>

#include <unordered_map>

namespace orlex::ui {

// A QLabel lays its text out and draws it glyph by glyph at every repaint, which holds
// the drive's clock polling for a hundred microseconds and more. This label draws each
// character once into a coverage image and builds a new text from those with plain
// pixel arithmetic, so that a repaint is one image copy. Only plain single-line text is
// built this way (left-aligned, centred vertically, without kerning); anything else is
// painted as by QLabel.
class QuickLabel : public QLabel {
    Q_OBJECT
public:
    explicit QuickLabel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Glyph {
        QImage coverage; // Format_Alpha8, its left edge kPad pixels before the pen position
        double advance = 0;
    };
    bool composable() const;
    const Glyph& glyph(QChar c);
    void composeText(); // textImage_ for the current text, size and colours

    std::unordered_map<char16_t, Glyph> glyphs_; // for the current font
    QImage textImage_;
    bool composed_ = false;
    QString composedText_;
    QRgb composedInk_ = 0, composedBackground_ = 0;
};

} // namespace orlex::ui
