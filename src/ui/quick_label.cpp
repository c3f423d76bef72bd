// QuickLabel: label text built from glyph images drawn once per character.
#include "ui/quick_label.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace orlex::ui {

namespace {

constexpr int kPad = 2; // room for a glyph's overhang on either side of its advance

// `background` moved towards `ink` by coverage/255, channel by channel.
std::uint32_t mixed(QRgb background, QRgb ink, std::uint32_t coverage)
{
    std::uint32_t result = 0xff000000u;
    for (const int shift : {16, 8, 0}) {
        const int b = static_cast<int>((background >> shift) & 0xff);
        const int i = static_cast<int>((ink >> shift) & 0xff);
        result |= static_cast<std::uint32_t>(b + ((i - b) * static_cast<int>(coverage) + 127) / 255) << shift;
    }
    return result;
}

} // namespace

QuickLabel::QuickLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    // Every repaint covers its rectangle, with the window colour under the text.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool QuickLabel::composable() const
{
    // Glyphs are drawn at one pixel per unit: a scaled screen gets QLabel's sharp text.
    if (alignment() != (Qt::AlignLeft | Qt::AlignVCenter) || wordWrap() || margin() != 0 || frameWidth() != 0
        || indent() > 0 || devicePixelRatioF() != 1.0)
        return false;
    const QString t = text();
    // Combining marks start at U+0300: the common text never looks the character up.
    return std::none_of(t.begin(), t.end(), [](QChar c) {
        return c == QLatin1Char('\n') || c == QLatin1Char('\t')
               || (c.unicode() >= 0x300 && (c.isSurrogate() || c.isMark()));
    });
}

void QuickLabel::measureFont()
{
    const QFontMetricsF metrics(font());
    lineHeight_ = static_cast<int>(std::ceil(metrics.height()));
    ascent_ = metrics.ascent();
    glyphs_.clear();
    asciiGlyphs_.fill(0);
    otherGlyphs_.clear();
    coverage_.clear();
    fontMeasured_ = true;
}

const QuickLabel::Glyph& QuickLabel::glyph(QChar c)
{
    const char16_t code = c.unicode();
    if (code < asciiGlyphs_.size() && asciiGlyphs_[code] != 0)
        return glyphs_[static_cast<std::size_t>(asciiGlyphs_[code] - 1)];
    if (code >= asciiGlyphs_.size())
        if (const auto found = otherGlyphs_.find(code); found != otherGlyphs_.end())
            return glyphs_[found->second];

    const QFontMetricsF metrics(font());
    Glyph g;
    g.advance = metrics.horizontalAdvance(c);
    g.width = std::max(1, static_cast<int>(std::ceil(g.advance)) + 2 * kPad);
    QImage drawn(g.width, std::max(1, lineHeight_), QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    {
        QPainter p(&drawn);
        p.setFont(font());
        p.setPen(Qt::white);
        p.drawText(QPointF(kPad, ascent_), QString(c));
    }
    g.offset = coverage_.size();
    for (int y = 0; y < lineHeight_; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(drawn.constScanLine(y));
        for (int x = 0; x < g.width; ++x)
            coverage_.push_back(static_cast<std::uint8_t>(qAlpha(row[x])));
    }
    glyphs_.push_back(g);
    if (code < asciiGlyphs_.size())
        asciiGlyphs_[code] = static_cast<int>(glyphs_.size());
    else
        otherGlyphs_.emplace(code, glyphs_.size() - 1);
    return glyphs_.back();
}

// The text laid out as QLabel lays out one left-aligned line: from the left edge of the
// contents, centred vertically, each glyph at its advance rounded to whole pixels.
void QuickLabel::composeText()
{
    const QRect area = contentsRect();
    const QRgb ink = palette().color(foregroundRole()).rgb();
    const QRgb background = palette().color(QPalette::Window).rgb();
    // Only the columns the last text reached need clearing: the rest is background.
    if (textImage_.size() != size().expandedTo(QSize(1, 1)) || background != composedBackground_ || !composed_) {
        textImage_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        textImage_.fill(background);
    } else if (inkRight_ > 0) {
        for (int y = 0; y < textImage_.height(); ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(textImage_.scanLine(y));
            std::fill(row, row + inkRight_, 0xff000000u | background);
        }
    }
    inkRight_ = 0;
    composed_ = true;
    composedText_ = text();
    composedInk_ = ink;
    composedBackground_ = background;

    // Glyphs rarely overlap: a pixel still showing the background takes its colour from
    // a table of the 256 coverages, any other is mixed.
    std::array<std::uint32_t, 256> onBackground{};
    for (std::uint32_t a = 0; a < 256; ++a)
        onBackground[a] = mixed(background, ink, a);

    if (!fontMeasured_)
        measureFont();
    const int top = area.top() + static_cast<int>(std::lround((area.height() - lineHeight_) / 2.0));
    auto* const pixels = reinterpret_cast<std::uint32_t*>(textImage_.bits());
    const qsizetype stride = textImage_.bytesPerLine() / 4;
    double pen = area.left();
    for (const QChar c : composedText_) {
        const Glyph& g = glyph(c);
        const int left = static_cast<int>(std::lround(pen)) - kPad;
        pen += g.advance;
        if (left > area.right())
            break;
        const int fromX = std::max(0, area.left() - left);
        const int toX = std::min(g.width, area.right() + 1 - left);
        inkRight_ = std::max(inkRight_, left + toX);
        const int fromY = std::max(0, area.top() - top);
        const int toY = std::min(lineHeight_, area.bottom() + 1 - top);
        for (int gy = fromY; gy < toY; ++gy) {
            const std::uint8_t* cover = coverage_.data() + g.offset + static_cast<std::size_t>(gy * g.width);
            std::uint32_t* row = pixels + (top + gy) * stride + left;
            for (int gx = fromX; gx < toX; ++gx) {
                const std::uint32_t a = cover[gx];
                if (a != 0)
                    row[gx] = row[gx] == (background | 0xff000000u) ? onBackground[a] : mixed(row[gx], ink, a);
            }
        }
    }
}

void QuickLabel::paintEvent(QPaintEvent* event)
{
    if (!composable()) {
        QPainter(this).fillRect(event->rect(), palette().color(QPalette::Window));
        QLabel::paintEvent(event);
        return;
    }
    if (!composed_ || composedText_ != text() || textImage_.size() != size()
        || composedInk_ != palette().color(foregroundRole()).rgb()
        || composedBackground_ != palette().color(QPalette::Window).rgb())
        composeText();
    // The text's columns from the image, the background beyond them as a plain fill.
    QPainter p(this);
    const QRect r = event->rect();
    const QRect text = r & QRect(0, 0, inkRight_, height());
    if (!text.isEmpty())
        p.drawImage(text.topLeft(), textImage_, text);
    if (const QRect beyond = r & QRect(inkRight_, 0, width() - inkRight_, height()); !beyond.isEmpty())
        p.fillRect(beyond, QColor::fromRgb(composedBackground_));
}

void QuickLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        fontMeasured_ = false;
        composed_ = false;
    }
    QLabel::changeEvent(event);
}

} // namespace orlex::ui
