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
    if (alignment() != (Qt::AlignLeft | Qt::AlignVCenter) || wordWrap() || margin() != 0 || frameWidth() != 0
        || (indent() > 0))
        return false;
    const QString t = text();
    return std::none_of(t.begin(), t.end(), [](QChar c) {
        return c.isSurrogate() || c.isMark() || c == QLatin1Char('\n') || c == QLatin1Char('\t');
    });
}

const QuickLabel::Glyph& QuickLabel::glyph(QChar c)
{
    const auto found = glyphs_.find(c.unicode());
    if (found != glyphs_.end())
        return found->second;
    const QFontMetricsF metrics(font());
    Glyph g;
    g.advance = metrics.horizontalAdvance(c);
    const int width = static_cast<int>(std::ceil(g.advance)) + 2 * kPad;
    const int height = static_cast<int>(std::ceil(metrics.height()));
    QImage drawn(std::max(1, width), std::max(1, height), QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    {
        QPainter p(&drawn);
        p.setFont(font());
        p.setPen(Qt::white);
        p.drawText(QPointF(kPad, metrics.ascent()), QString(c));
    }
    g.coverage = drawn.convertToFormat(QImage::Format_Alpha8);
    return glyphs_.emplace(c.unicode(), std::move(g)).first->second;
}

// The text laid out as QLabel lays out one left-aligned line: from the left edge of the
// contents, centred vertically, each glyph at its advance rounded to whole pixels.
void QuickLabel::composeText()
{
    const QRect area = contentsRect();
    const QRgb ink = palette().color(foregroundRole()).rgb();
    const QRgb background = palette().color(QPalette::Window).rgb();
    if (textImage_.size() != size())
        textImage_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    textImage_.fill(background);
    composed_ = true;
    composedText_ = text();
    composedInk_ = ink;
    composedBackground_ = background;

    // Glyphs rarely overlap: a pixel still showing the background takes its colour from
    // a table of the 256 coverages, any other is mixed.
    std::array<std::uint32_t, 256> onBackground{};
    for (std::uint32_t a = 0; a < 256; ++a)
        onBackground[a] = mixed(background, ink, a);

    const QFontMetricsF metrics(font());
    const int top = area.top() + static_cast<int>(std::lround((area.height() - metrics.height()) / 2));
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
        const int toX = std::min(g.coverage.width(), area.right() + 1 - left);
        const int fromY = std::max(0, area.top() - top);
        const int toY = std::min(g.coverage.height(), area.bottom() + 1 - top);
        for (int gy = fromY; gy < toY; ++gy) {
            const uchar* cover = g.coverage.constScanLine(gy);
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
    QPainter p(this);
    const QRect r = event->rect();
    p.drawImage(r.topLeft(), textImage_, r);
}

void QuickLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        glyphs_.clear();
        composed_ = false;
    }
    QLabel::changeEvent(event);
}

} // namespace orlex::ui
