// The preview canvas: what was drawn is in the image at once, across paints, colour
// changes, clears and resizes, and a repaint covers only what changed since the last one.
#include "ui/preview_widget.h"
#include "ui/widgets.h"

#include <QPaintEvent>
#include <QScreen>
#include <QTest>

#include <vector>

using orlex::ui::paletteColour;
using orlex::ui::PreviewWidget;

namespace {
constexpr long kPx = PreviewWidget::kTwipsPerPixel; // twips per pixel

// Records the regions of the paint events a widget receives.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget* widget) { widget->installEventFilter(this); }
    std::vector<QRegion> regions;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            regions.push_back(static_cast<QPaintEvent*>(event)->region());
        return false;
    }
};

// Shows the canvas and lets its first, whole paint pass.
void showSettled(PreviewWidget& canvas)
{
    canvas.show();
    QVERIFY(QTest::qWaitForWindowExposed(&canvas));
    QApplication::processEvents();
}
} // namespace

class TestPreviewWidget : public QObject {
    Q_OBJECT
private slots:
    void linesAreInTheImageAtOnce();
    void linesSurviveAPaintBetweenThem();
    void clearAndResizeKeepTheImageRight();
    void repaintsCoverOnlyNewLines_data();
    void repaintsCoverOnlyNewLines();
    void clearRepaintsEverything();
    void heldCopiesOfTheImageDoNotChange();
};

void TestPreviewWidget::linesAreInTheImageAtOnce()
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

void TestPreviewWidget::linesSurviveAPaintBetweenThem()
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

void TestPreviewWidget::clearAndResizeKeepTheImageRight()
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

void TestPreviewWidget::repaintsCoverOnlyNewLines_data()
{
    // Lines in pixels, drawn between two paints, and the image rectangle to repaint.
    QTest::addColumn<QList<QLine>>("lines");
    QTest::addColumn<QRect>("repaint");
    QTest::newRow("one short line") << QList<QLine>{{10, 20, 14, 22}} << QRect(10, 20, 5, 3);
    QTest::newRow("upwards, right to left") << QList<QLine>{{300, 200, 290, 150}} << QRect(290, 150, 11, 51);
    QTest::newRow("two lines, their union")
        << QList<QLine>{{10, 10, 20, 10}, {30, 40, 30, 50}} << QRect(10, 10, 21, 41);
    QTest::newRow("second line inside the first's box")
        << QList<QLine>{{100, 100, 200, 150}, {120, 140, 125, 141}} << QRect(100, 100, 101, 51);
    QTest::newRow("cut by the edge") << QList<QLine>{{-50, 5, 10, 5}} << QRect(0, 5, 11, 1);
    QTest::newRow("outside: nothing") << QList<QLine>{{-50, -5, 500, -5}} << QRect();
}

void TestPreviewWidget::repaintsCoverOnlyNewLines()
{
    QFETCH(QList<QLine>, lines);
    QFETCH(QRect, repaint);
    PreviewWidget canvas;
    showSettled(canvas);
    PaintRecorder recorder(&canvas);
    for (const QLine& line : lines)
        canvas.line(line.x1() * kPx, line.y1() * kPx, line.x2() * kPx, line.y2() * kPx, 0);
    QApplication::processEvents();
    if (repaint.isNull()) {
        QVERIFY(recorder.regions.empty());
        return;
    }
    QCOMPARE(recorder.regions.size(), 1u);
    QCOMPARE(recorder.regions.front(), QRegion(repaint.translated(canvas.contentsRect().topLeft())));
    // The repaint brought the new line to the screen and left the border as it was: the
    // screen shows what a whole repaint shows.
    const QPoint end = lines.back().p2() + canvas.contentsRect().topLeft();
    const QImage onScreen = canvas.screen()->grabWindow(canvas.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    if (canvas.contentsRect().contains(end))
        QCOMPARE(onScreen.pixelColor(end), paletteColour(0));
    QCOMPARE(onScreen, canvas.grab().toImage().convertToFormat(QImage::Format_RGB32));
}

void TestPreviewWidget::clearRepaintsEverything()
{
    PreviewWidget canvas;
    showSettled(canvas);
    PaintRecorder recorder(&canvas);
    canvas.line(10 * kPx, 10 * kPx, 50 * kPx, 10 * kPx, 0);
    canvas.clear();
    canvas.line(10 * kPx, 20 * kPx, 50 * kPx, 20 * kPx, 0); // inside what is repainted anyway
    QApplication::processEvents();
    QCOMPARE(recorder.regions.size(), 1u);
    QCOMPARE(recorder.regions.front(), QRegion(canvas.rect()));
}

void TestPreviewWidget::heldCopiesOfTheImageDoNotChange()
{
    PreviewWidget canvas;
    const QImage before = canvas.image();
    canvas.line(10 * kPx, 10 * kPx, 50 * kPx, 10 * kPx, 0);
    QCOMPARE(QColor(before.pixel(30, 10)), canvas.background());
    QCOMPARE(QColor(canvas.image().pixel(30, 10)), paletteColour(0));
}

QTEST_MAIN(TestPreviewWidget)
#include "tst_preview_widget.moc"
