// The preview canvas draws its lines with one painter per batch: what was drawn is in
// the image at once, across paints, colour changes, clears and resizes.
#include "ui/preview_widget.h"
#include "ui/widgets.h"

#include <QtTest>

using orlex::ui::paletteColour;
using orlex::ui::PreviewWidget;

namespace {
constexpr long kPx = PreviewWidget::kTwipsPerPixel; // twips per pixel
}

class TestPreviewBatching : public QObject {
    Q_OBJECT
private slots:
    void linesAreInTheImageAtOnce();
    void linesSurviveAPaintBetweenThem();
    void clearAndResizeEndTheBatch();
};

void TestPreviewBatching::linesAreInTheImageAtOnce()
{
    PreviewWidget canvas;
    canvas.line(10 * kPx, 10 * kPx, 50 * kPx, 10 * kPx, 0);  // black
    canvas.line(10 * kPx, 20 * kPx, 50 * kPx, 20 * kPx, 12); // light red
    canvas.line(10 * kPx, 30 * kPx, 50 * kPx, 30 * kPx, 0);  // black again
    QCOMPARE(canvas.pixelAtTwips(30 * kPx, 10 * kPx), paletteColour(0));
    QCOMPARE(canvas.pixelAtTwips(30 * kPx, 20 * kPx), paletteColour(12));
    QCOMPARE(canvas.pixelAtTwips(30 * kPx, 30 * kPx), paletteColour(0));
    canvas.line(10 * kPx, 40 * kPx, 50 * kPx, 40 * kPx, 15);
    QCOMPARE(canvas.image().pixelColor(30, 40), paletteColour(15));
    QCOMPARE(canvas.pixelAtTwips(30 * kPx, 50 * kPx), canvas.background());
}

void TestPreviewBatching::linesSurviveAPaintBetweenThem()
{
    PreviewWidget canvas;
    canvas.show();
    canvas.line(10 * kPx, 10 * kPx, 50 * kPx, 10 * kPx, 0);
    const QImage first = canvas.grab().toImage(); // a paint in the middle of the run
    canvas.line(10 * kPx, 20 * kPx, 50 * kPx, 20 * kPx, 12);
    const QImage second = canvas.grab().toImage();
    const QPoint origin = canvas.contentsRect().topLeft();
    QCOMPARE(first.pixelColor(origin + QPoint(30, 10)), paletteColour(0));
    QCOMPARE(first.pixelColor(origin + QPoint(30, 20)), canvas.background());
    QCOMPARE(second.pixelColor(origin + QPoint(30, 10)), paletteColour(0));
    QCOMPARE(second.pixelColor(origin + QPoint(30, 20)), paletteColour(12));
}

void TestPreviewBatching::clearAndResizeEndTheBatch()
{
    PreviewWidget canvas;
    canvas.line(10 * kPx, 10 * kPx, 50 * kPx, 10 * kPx, 0);
    canvas.clear();
    QCOMPARE(canvas.pixelAtTwips(30 * kPx, 10 * kPx), canvas.background());
    canvas.line(10 * kPx, 10 * kPx, 50 * kPx, 10 * kPx, 12);
    canvas.resize(canvas.width() + 20, canvas.height() + 20); // the image is rebuilt
    QCOMPARE(canvas.pixelAtTwips(30 * kPx, 10 * kPx), paletteColour(12));
    canvas.line(10 * kPx, 60 * kPx, 50 * kPx, 60 * kPx, 0);
    QCOMPARE(canvas.pixelAtTwips(30 * kPx, 60 * kPx), paletteColour(0));
}

QTEST_MAIN(TestPreviewBatching)
#include "tst_preview_batching.moc"
