// QuickLabel: label text built from glyph images drawn once per character.
#include "ui/quick_label.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

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

void QuickLabel::setText(const QString& text)
{
    if (text == QLabel::text())
        return;
    if (!isVisible() || !composedAsShown()) {
        QLabel::setText(text);
        return;
    }
    // QLabel::setText would ask for a repaint of the whole label.
    const QString before = composedText_;
    const bool updatesWereDisabled = testAttribute(Qt::WA_UpdatesDisabled);
    setAttribute(Qt::WA_UpdatesDisabled, true);
    QLabel::setText(text);
    setAttribute(Qt::WA_UpdatesDisabled, updatesWereDisabled);
    if (!composable()) {
        composed_ = false; // QLabel paints this text: the built image no longer shows
        update();
        return;
    }
    const QRect changed = changedColumns(before, text);
    composeText(changed);
    update(changed);
}

// The columns where `after` differs from `before`, both laid out from the contents' left
// edge: from the first character that changed to the last one when the characters after
// them lie where they lay, else to the label's right edge.
QRect QuickLabel::changedColumns(const QString& before, const QString& after)
{
    const qsizetype common =
        std::mismatch(before.begin(), before.end(), after.begin(), after.end()).first - before.begin();
    qsizetype same = 0; // characters at the end that both texts share
    while (same < before.size() - common && same < after.size() - common
           && before[before.size() - 1 - same] == after[after.size() - 1 - same])
        ++same;
    struct Span {
        int left = std::numeric_limits<int>::max(), right = std::numeric_limits<int>::min();
        double penAfter = 0;
    };
    const auto changedSpan = [&](const QString& t) {
        Span span;
        double pen = contentsRect().left();
        for (qsizetype i = 0; i < t.size() - same; ++i) {
            const Glyph& g = glyph(t[i]);
            if (i >= common) {
                const int left = static_cast<int>(std::lround(pen)) - kPad;
                span.left = std::min(span.left, left);
                span.right = std::max(span.right, left + g.width);
            }
            pen += g.advance;
        }
        span.penAfter = pen;
        return span;
    };
    const Span old = changedSpan(before), now = changedSpan(after);
    const int left = std::min(old.left, now.left);
    const int right = old.penAfter == now.penAfter ? std::max(old.right, now.right) : width();
    return left < right ? QRect(left, 0, right - left, height()) & rect() : QRect();
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
// contents, centred vertically, each glyph at its advance rounded to whole pixels. Only
// the columns of `part` are built anew, unless the image has to be made afresh.
void QuickLabel::composeText(QRect part)
{
    const QRect area = contentsRect();
    const QRgb ink = palette().color(foregroundRole()).rgb();
    const QRgb background = palette().color(QPalette::Window).rgb();
    // Only the columns the last text reached need clearing: the rest is background.
    if (textImage_.size() != size().expandedTo(QSize(1, 1)) || background != composedBackground_ || !composed_) {
        textImage_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        textImage_.fill(background);
        part = textImage_.rect();
    } else if (const int clearTo = std::min(inkRight_, part.right() + 1); clearTo > part.left()) {
        for (int y = 0; y < textImage_.height(); ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(textImage_.scanLine(y));
            std::fill(row + std::max(0, part.left()), row + clearTo, 0xff000000u | background);
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
        const int toX = std::min(g.width, area.right() + 1 - left);
        inkRight_ = std::max(inkRight_, left + toX);
        const int fromX = std::max({0, area.left() - left, part.left() - left});
        const int partToX = std::min(toX, part.right() + 1 - left);
        const int fromY = std::max(0, area.top() - top);
        const int toY = std::min(lineHeight_, area.bottom() + 1 - top);
        for (int gy = fromY; gy < toY; ++gy) {
            const std::uint8_t* cover = coverage_.data() + g.offset + static_cast<std::size_t>(gy * g.width);
            std::uint32_t* row = pixels + (top + gy) * stride + left;
            for (int gx = fromX; gx < partToX; ++gx) {
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
        composed_ = false; // what is on screen is QLabel's, not the built image
        QPainter(this).fillRect(event->rect(), palette().color(QPalette::Window));
        QLabel::paintEvent(event);
        return;
    }
    if (!composedAsShown() || composedText_ != text())
        composeText(rect());
    // The text's columns from the image, the background beyond them as a plain fill.
    QPainter p(this);
    const QRect r = event->rect();
    const QRect text = r & QRect(0, 0, inkRight_, height());
    if (!text.isEmpty())
        p.drawImage(text.topLeft(), textImage_, text);
    if (const QRect beyond = r & QRect(inkRight_, 0, width() - inkRight_, height()); !beyond.isEmpty())
        p.fillRect(beyond, QColor::fromRgb(composedBackground_));
}

bool QuickLabel::composedAsShown() const
{
    return composed_ && textImage_.size() == size() && composedInk_ == palette().color(foregroundRole()).rgb()
           && composedBackground_ == palette().color(QPalette::Window).rgb();
}

void QuickLabel::initPainter(QPainter* painter) const
{
    if (!composable())
        QLabel::initPainter(painter);
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
