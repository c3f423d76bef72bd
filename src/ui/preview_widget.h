// The preview canvas, whose canvas unit is the twip (15 to a pixel), drawn into a kept
// image so nothing drawn is lost while the window is hidden or covered.
#pragma once

#include "preview/preview.h"
#include "ui/twips.h"

#include <QColor>
#include <QFrame>
#include <QImage>
#include <QRect>

#include <array>
#include <cstdint>

namespace orlex::ui {

// A canvas like the preview's, drawn into an image of its own: another thread may fill
// it (QImage needs no window), and the preview then takes the image over whole.
class PreviewImage : public orlex::Canvas {
public:
    PreviewImage(QImage image, const std::array<QRgb, 16>& palette, QColor background)
        : image_(std::move(image)), palette_(palette), background_(background)
    {}
    int widthUnits() const override { return image_.width() * ui::kTwipsPerPixel; }
    int heightUnits() const override { return image_.height() * ui::kTwipsPerPixel; }
    void line(long x1, long y1, long x2, long y2, std::int16_t colour) override;
    void clear() override { image_.fill(background_); }
    const QImage& image() const { return image_; }

private:
    QImage image_;
    std::array<QRgb, 16> palette_;
    QColor background_;
};

class PreviewWidget : public QFrame, public orlex::Canvas {
    Q_OBJECT
public:
    static constexpr int kTwipsPerPixel = ui::kTwipsPerPixel;

    explicit PreviewWidget(QWidget* parent = nullptr);

    int widthUnits() const override;  // inner width in twips, pixels * 15
    int heightUnits() const override; // inner height in twips
    void line(long x1, long y1, long x2, long y2, std::int16_t colour) override;
    void clear() override;

    const QImage& image() const { return image_; }
    QColor background() const { return background_; }
    // An empty canvas of this one's size and colours, to be drawn on elsewhere.
    PreviewImage blankCopy() const;
    // Shows what was drawn on `drawn` instead of what is here; false (and nothing changes)
    // when the preview's size has changed since blankCopy().
    bool sameSizeAs(const PreviewImage& drawn) const;
    bool takeOver(const PreviewImage& drawn);
    // Colour of the inner pixel at a point in twips; invalid outside the canvas.
    QColor pixelAtTwips(long x, long y) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // The painter that copies the image needs no pen, brush or font from the widget, and
    // skips them: looking up the palette and the font costs more than a small copy.
    void initPainter(QPainter* painter) const override;

private:
    void fitImage();

    QImage image_;
    QColor background_;
    std::array<QRgb, 16> palette_{}; // the console palette as the image stores it
    // Lines only widen this box and ask for a repaint of it when it grows, so a run of a
    // million lines between two paints makes few requests, and a draw that paints after
    // every line repaints only what that line touched.
    QRect pendingRepaint_;
    bool copyingImage_ = false; // the painter being begun only copies the image
};

} // namespace orlex::ui
