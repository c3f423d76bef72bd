// The preview canvas writes its own pixels. Every plot and line set here is drawn both on
// it and with QPainter's cosmetic pen the way the canvas used to draw (twips rounded to
// pixels, the segment cut to a 4-pixel margin around the image, the cut ends rounded),
// and the two images are compared pixel by pixel. Lines inside the image must give the
// same pixels. Lines with an end outside may differ by one pixel across, no more: the
// old way cut them (at the margin, then Qt at the image's edge) and rounded the cut
// ends, which tilted them a little; the canvas keeps their true ends.
#include "common/segment_clip.h"
#include "hpgl/classic_reader.h"
#include "preview/preview.h"
#include "run/preview_sink.h"
#include "ui/preview_widget.h"
#include "ui/widgets.h"

#include <QPainter>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>

using namespace orlex;
using orlex::ui::PreviewWidget;

// Draws a set of lines on a canvas.
using LineSet = std::function<void(Canvas&)>;
Q_DECLARE_METATYPE(LineSet)

namespace {

constexpr long kPx = PreviewWidget::kTwipsPerPixel;

// The canvas as QPainter drew it before.
class PainterCanvas : public Canvas {
public:
    PainterCanvas(QSize size, const QColor& background)
        : image(size, QImage::Format_RGB32), leavingLines_(size + QSize(2, 2), QImage::Format_RGB32)
    {
        image.fill(background);
        leavingLines_.fill(Qt::white);
        painter_.begin(&image);
        leavingPainter_.begin(&leavingLines_);
        leavingPainter_.setPen(QPen(Qt::black, 0));
        leavingPainter_.translate(1, 1);
    }
    int widthUnits() const override { return image.width() * static_cast<int>(kPx); }
    int heightUnits() const override { return image.height() * static_cast<int>(kPx); }
    void line(long x1, long y1, long x2, long y2, std::int16_t colour) override
    {
        const double ends[4] = {toPixel(x1), toPixel(y1), toPixel(x2), toPixel(y2)};
        double t0 = 0, t1 = 1;
        if (!clipSegment(ends[0], ends[1], ends[2], ends[3], -4, -4, image.width() + 3, image.height() + 3, t0, t1))
            return;
        const double dx = ends[2] - ends[0], dy = ends[3] - ends[1];
        const double ax = ends[0] + t0 * dx, ay = ends[1] + t0 * dy;
        const double bx = ends[0] + t1 * dx, by = ends[1] + t1 * dy;
        painter_.setPen(QPen(ui::paletteColour(colour), 0));
        const QPoint from(static_cast<int>(std::nearbyint(ax)), static_cast<int>(std::nearbyint(ay)));
        const QPoint to(static_cast<int>(std::nearbyint(bx)), static_cast<int>(std::nearbyint(by)));
        if (from == to)
            painter_.drawPoint(from);
        else
            painter_.drawLine(from, to);
        if (!image.rect().contains(QPoint(static_cast<int>(ends[0]), static_cast<int>(ends[1])))
            || !image.rect().contains(QPoint(static_cast<int>(ends[2]), static_cast<int>(ends[3])))) {
            ++leaving;
            leavingPainter_.drawLine(from, to);
        }
    }
    void clear() override {}
    void finish()
    {
        painter_.end();
        leavingPainter_.end();
    }
    // Whether a line with an end outside has a pixel at (x, y) or next to it, also just
    // outside the image: one there may be drawn a pixel across, on the image's edge.
    bool nearLeavingLine(int x, int y) const
    {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (leavingLines_.pixel(x + 1 + dx, y + 1 + dy) != qRgb(255, 255, 255))
                    return true;
        return false;
    }

    QImage image;
    long leaving = 0; // lines with an end outside the image

private:
    static double toPixel(long twips) { return std::nearbyint(static_cast<double>(twips) / kPx); }

    QImage leavingLines_; // the lines with an end outside, black on white, with a pixel's frame
    QPainter painter_;
    QPainter leavingPainter_;
};

// Hands every line to both canvases.
class BothCanvases : public Canvas {
public:
    BothCanvases(Canvas& a, Canvas& b) : a_(a), b_(b) {}
    int widthUnits() const override { return a_.widthUnits(); }
    int heightUnits() const override { return a_.heightUnits(); }
    void line(long x1, long y1, long x2, long y2, std::int16_t colour) override
    {
        a_.line(x1, y1, x2, y2, colour);
        b_.line(x1, y1, x2, y2, colour);
    }
    void clear() override
    {
        a_.clear();
        b_.clear();
    }

private:
    Canvas& a_;
    Canvas& b_;
};

// Lines from the middle in every direction, 1 to 150 pixels long, in whole and odd twips.
void everyOctant(Canvas& canvas)
{
    const long cx = canvas.widthUnits() / 2, cy = canvas.heightUnits() / 2;
    for (const long length : {1L, 2L, 3L, 7L, 40L, 150L})
        for (int step = 0; step < 96; ++step) {
            const double angle = step * 2 * M_PI / 96;
            const auto dx = std::lround(std::cos(angle) * static_cast<double>(length * kPx));
            const auto dy = std::lround(std::sin(angle) * static_cast<double>(length * kPx));
            canvas.line(cx, cy, cx + dx, cy + dy, step % 2 == 0 ? kBlack : kWhite);
            canvas.line(cx + 3, cy - 5, cx + dx + 11, cy + dy - 7, kLightRed);
        }
}

// Random short lines inside the image, and every pixel-exact slope up to 12 steps.
void insideLines(Canvas& canvas)
{
    std::mt19937 random(11);
    // Below W - 7 and H - 7 twips, which round to the last pixel inside.
    const auto w = static_cast<unsigned>(canvas.widthUnits() - 7), h = static_cast<unsigned>(canvas.heightUnits() - 7);
    for (int i = 0; i < 3000; ++i)
        canvas.line(random() % w, random() % h, random() % w, random() % h, i % 3 == 0 ? kWhite : kBlack);
    for (long dx = -12; dx <= 12; ++dx)
        for (long dy = -12; dy <= 12; ++dy)
            canvas.line(150 * kPx, 150 * kPx, (150 + dx) * kPx, (150 + dy) * kPx, kBlack);
}

// Points: lines of length zero, inside, on every edge and just outside.
void zeroLength(Canvas& canvas)
{
    const long w = canvas.widthUnits(), h = canvas.heightUnits();
    for (const long x : {-kPx, 0L, 7L, 8L, 100 * kPx + 3, w - kPx, w - 8, w, w + kPx})
        for (const long y : {-kPx, 0L, 7L, 8L, 90 * kPx + 11, h - kPx, h - 8, h, h + kPx})
            canvas.line(x, y, x, y, kBlack);
}

// Lines across the edges, ends up to 30 pixels out (inside and beyond the old margin).
void partlyOutside(Canvas& canvas)
{
    std::mt19937 random(5);
    const long w = canvas.widthUnits(), h = canvas.heightUnits();
    auto around = [&random](long size) { return static_cast<long>(random() % (size + 60 * kPx)) - 30 * kPx; };
    for (int i = 0; i < 3000; ++i) {
        // One draw a statement: the order of a call's arguments is the compiler's choice.
        const long x1 = around(w), y1 = around(h);
        const long dy = around(60 * kPx);
        const long dx = around(60 * kPx);
        canvas.line(x1, y1, x1 + dx, y1 + dy, i % 2 == 0 ? kBlack : kWhite);
    }
}

// Lines that miss the image, and lines from far away, up to the 32-bit twip range.
void farOutside(Canvas& canvas)
{
    const long w = canvas.widthUnits(), h = canvas.heightUnits();
    canvas.line(-50 * kPx, -50 * kPx, w + 50 * kPx, -2 * kPx, kBlack); // above, missing
    canvas.line(w + kPx, 0, w + 90 * kPx, h, kBlack);                  // right, missing
    canvas.line(-9 * kPx, h + 3 * kPx, w / 2, h + 50 * kPx, kBlack);   // below, missing
    std::mt19937 random(3);
    for (int i = 0; i < 400; ++i) {
        const long far = 2'000'000'000L;
        const auto wide = [&random](long range) { return static_cast<long>(random() % (2 * range + 1)) - range; };
        // Through a random point of the image, from far off to far off the other way.
        const long px = wide(w / 2) + w / 2, py = wide(h / 2) + h / 2;
        const long dx = wide(far / 4) + 1, dy = wide(far / 4);
        const long scale = i % 4 == 0 ? 1 : 1000; // one in four from far off, the rest nearer
        canvas.line(px - dx / scale, py - dy / scale, px + dx / scale * 3, py + dy / scale * 3, kBlack);
    }
}

QString examplesDir()
{
    return qEnvironmentVariable("ORLEX_TEST_DATA") + "/../../examples/";
}

} // namespace

class TestPreviewPixels : public QObject {
    Q_OBJECT
private slots:
    void plotsMatchThePainter_data();
    void plotsMatchThePainter();
    void lineSetsMatchThePainter_data();
    void lineSetsMatchThePainter();

private:
    // Both images are the same but near lines with an end outside the image, which there
    // are if `leaving`. Prints the differing and inked pixels.
    static void compare(const PreviewWidget& canvas, PainterCanvas& painted, bool leaving);
};

void TestPreviewPixels::compare(const PreviewWidget& canvas, PainterCanvas& painted, bool leaving)
{
    painted.finish();
    const QImage& ours = canvas.image();
    const QImage& theirs = painted.image;
    long differing = 0, inked = 0, awayFromLeaving = 0;
    for (int y = 0; y < ours.height(); ++y)
        for (int x = 0; x < ours.width(); ++x) {
            inked += theirs.pixel(x, y) != canvas.background().rgb();
            if (ours.pixel(x, y) == theirs.pixel(x, y))
                continue;
            ++differing;
            awayFromLeaving += !painted.nearLeavingLine(x, y);
        }
    qInfo("%s: %ld of %ld inked pixels differ; %ld lines leave the image", QTest::currentDataTag(), differing, inked,
          painted.leaving);
    QCOMPARE(painted.leaving > 0, leaving); // the row tests what it says it does
    QCOMPARE(awayFromLeaving, 0L);
}

void TestPreviewPixels::plotsMatchThePainter_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<bool>("showPenUp");
    QTest::addColumn<bool>("leaving"); // some lines have an end outside the image

    const QString data = qEnvironmentVariable("ORLEX_TEST_DATA");
    QTest::newRow("square") << examplesDir() + "square.plt" << 100 << true << false;
    QTest::newRow("spiral") << examplesDir() + "spiral.plt" << 100 << false << false;
    QTest::newRow("spiral 250 %") << examplesDir() + "spiral.plt" << 250 << true << true;
    QTest::newRow("star") << examplesDir() + "star.plt" << 100 << true << true;
    QTest::newRow("star 400 %") << examplesDir() + "star.plt" << 400 << false << true;
    QTest::newRow("letters") << data + "/plan/letters.plt" << 100 << true << false;
    QTest::newRow("pens") << data + "/plan/pens.hpgl" << 100 << true << true;
    QTest::newRow("relative 400 %") << data + "/plan/relative.plt" << 400 << true << false;
    QTest::newRow("edge 32767") << data + "/hostile/edge_32767.plt" << 400 << true << true;
    QTest::newRow("walk out") << data + "/hostile/pr_walk_out.plt" << 100 << true << true;
    QTest::newRow("generated 50 %") << data + "/preview/generated.plt" << 50 << true << false;
    QTest::newRow("generated pen up hidden") << data + "/preview/generated.plt" << 100 << false << true;
    QTest::newRow("generated") << data + "/preview/generated.plt" << 100 << true << true;
}

void TestPreviewPixels::plotsMatchThePainter()
{
    QFETCH(QString, file);
    QFETCH(int, zoom);
    QFETCH(bool, showPenUp);
    QFETCH(bool, leaving);
    QVERIFY2(QFile::exists(file), qPrintable(file));

    PreviewWidget canvas;
    PainterCanvas painted(canvas.image().size(), canvas.background());
    BothCanvases both(canvas, painted);
    MachineSettings settings; // origin 5, 5 mm as the window starts
    Preview preview(both, settings);
    preview.zoom = static_cast<std::int16_t>(zoom);
    preview.penUpColour = showPenUp ? kWhite : kHidden;
    orlex::PreviewSink sink(&preview);
    const orlex::ReadResult run = orlex::readClassicPlot(file.toStdString(), sink);
    QVERIFY(run.points > 0);
    compare(canvas, painted, leaving);
}

void TestPreviewPixels::lineSetsMatchThePainter_data()
{
    QTest::addColumn<LineSet>("lines");
    QTest::addColumn<bool>("leaving");
    QTest::newRow("every octant") << LineSet(everyOctant) << false;
    QTest::newRow("inside") << LineSet(insideLines) << false;
    QTest::newRow("zero length") << LineSet(zeroLength) << true;
    QTest::newRow("partly outside") << LineSet(partlyOutside) << true;
    QTest::newRow("far outside") << LineSet(farOutside) << true;
}

void TestPreviewPixels::lineSetsMatchThePainter()
{
    QFETCH(LineSet, lines);
    QFETCH(bool, leaving);
    PreviewWidget canvas;
    PainterCanvas painted(canvas.image().size(), canvas.background());
    BothCanvases both(canvas, painted);
    lines(both);
    compare(canvas, painted, leaving);
}

QTEST_MAIN(TestPreviewPixels)
#include "tst_preview_pixels.moc"
