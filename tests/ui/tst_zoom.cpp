// Preview controls of the main window: the zoom chain between scroll bar and text box,
// Draw disabled by every zoom change, "Cls", "Show Pen Up" and the origin half-axes.
#include "window_rig.h"

#include "ui/main_window.h"
#include "ui/preview_widget.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using orlex::test::WindowRig;
using orlex::ui::MainWindow;
using orlex::ui::paletteColour;
using orlex::ui::PreviewWidget;

namespace {

// Offsetx = Offsety = 5 (defaults): the plot origin is 100 twips from the left and
// from the bottom of the canvas.
constexpr long kOriginTwips = 100;

// Canvas point of a plot point at zoom 100.
long canvasX(long x)
{
    return kOriginTwips + x;
}
long canvasY(const PreviewWidget* previewCanvas, long y)
{
    return previewCanvas->heightUnits() - y - kOriginTwips;
}

// True when a pixel of that colour lies within one pixel of the point (lines are one
// pixel wide, and twips round to pixels).
bool colourNear(const PreviewWidget* previewCanvas, long xTwips, long yTwips, const QColor& colour)
{
    const long px = PreviewWidget::kTwipsPerPixel;
    for (long dy = -px; dy <= px; dy += px)
        for (long dx = -px; dx <= px; dx += px)
            if (previewCanvas->pixelAtTwips(xTwips + dx, yTwips + dy) == colour)
                return true;
    return false;
}

bool inkAt(const PreviewWidget* previewCanvas, long plotX, long plotY, int colourNumber)
{
    return colourNear(previewCanvas, canvasX(plotX), canvasY(previewCanvas, plotY), paletteColour(colourNumber));
}

void testFile(WindowRig& rig, MainWindow& w, const std::string& hpgl)
{
    w.openPlotFile(rig.writeFile("plot.plt", hpgl));
    controls(w).testAndShowButton->click();
}

} // namespace

class TestZoom : public QObject {
    Q_OBJECT
private slots:
    void zoomChain_data();
    void zoomChain();
    void typingFollowsEveryKey();
    void scrollBarStepsAndDrags();
    void everyZoomChangeDisablesDraw_data();
    void everyZoomChangeDisablesDraw();
    void clsKeepsPreviewPen();
    void penUpShownOrHidden_data();
    void penUpShownOrHidden();
    void halfAxesOnLabelClicks();
};

void TestZoom::zoomChain_data()
{
    QTest::addColumn<bool>("viaScrollBar");
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QString>("text");
    QTest::newRow("text 0") << false << "0" << 100 << "100";
    QTest::newRow("text empty") << false << "" << 100 << "100";
    QTest::newRow("text 401") << false << "401" << 100 << "100";
    QTest::newRow("text 4a") << false << "4a" << 100 << "100";
    QTest::newRow("text -5") << false << "-5" << 100 << "100";
    QTest::newRow("text 12.5") << false << "12.5" << 12 << "12";
    QTest::newRow("text 12.6") << false << "12.6" << 13 << "13";
    QTest::newRow("text 1") << false << "1" << 1 << "1";
    QTest::newRow("text 400") << false << "400" << 400 << "400";
    QTest::newRow("text 250") << false << "250" << 250 << "250";
    QTest::newRow("scroll 0") << true << "0" << 100 << "100";
    QTest::newRow("scroll 1") << true << "1" << 1 << "1";
    QTest::newRow("scroll 400") << true << "400" << 400 << "400";
    QTest::newRow("scroll 73") << true << "73" << 73 << "73";
}

void TestZoom::zoomChain()
{
    QFETCH(bool, viaScrollBar);
    QFETCH(QString, input);
    QFETCH(int, zoom);
    QFETCH(QString, text);

    WindowRig rig;
    MainWindow& w = rig.openWindow();
    controls(w).zoomBox->setText(QStringLiteral("50")); // away from 100, so a reset shows
    QCOMPARE(int{w.preview().zoom}, 50);
    QCOMPARE(controls(w).zoomScrollBar->value(), 50);

    int textChanges = 0;
    connect(controls(w).zoomBox, &QLineEdit::textChanged, &w, [&textChanges] { ++textChanges; });
    if (viaScrollBar)
        controls(w).zoomScrollBar->setValue(input.toInt());
    else
        controls(w).zoomBox->setText(input);

    QCOMPARE(int{w.preview().zoom}, zoom);
    QCOMPARE(controls(w).zoomScrollBar->value(), zoom);
    QCOMPARE(controls(w).zoomBox->text(), text);
    QVERIFY(textChanges <= 4); // the exchange settles, no ping-pong
}

void TestZoom::typingFollowsEveryKey()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    controls(w).zoomBox->setFocus();
    controls(w).zoomBox->selectAll();

    struct Seen {
        QString text;
        int zoom, scroll;
        bool operator==(const Seen&) const = default;
    };
    QList<Seen> seen;
    connect(controls(w).zoomBox, &QLineEdit::textChanged, &w, [&] {
        seen.push_back({controls(w).zoomBox->text(), w.preview().zoom, controls(w).zoomScrollBar->value()});
    });
    QTest::keyClicks(controls(w).zoomBox, QStringLiteral("40"));

    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen[0].text, QStringLiteral("4"));
    QCOMPARE(seen[0].zoom, 4);
    QCOMPARE(seen[0].scroll, 4);
    QCOMPARE(seen[1].text, QStringLiteral("40"));
    QCOMPARE(seen[1].zoom, 40);
    QCOMPARE(seen[1].scroll, 40);
    QCOMPARE(controls(w).zoomBox->text(), QStringLiteral("40"));
}

// The scroll bar's arrows change the zoom by 1 and its trough by 10, up to 400; a dragged
// thumb zooms only once it is let go.
void TestZoom::scrollBarStepsAndDrags()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    QScrollBar* bar = controls(w).zoomScrollBar;
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(int{w.preview().zoom}, 101);
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(int{w.preview().zoom}, 91);
    bar->setSliderDown(true);
    bar->setSliderPosition(250);
    QCOMPARE(int{w.preview().zoom}, 91);
    bar->setSliderDown(false);
    QCOMPARE(int{w.preview().zoom}, 250);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(int{w.preview().zoom}, 400);
    QCOMPARE(controls(w).zoomBox->text(), QString("400"));
}

void TestZoom::everyZoomChangeDisablesDraw_data()
{
    QTest::addColumn<QStringList>("texts"); // typed into zoomBox, in order
    QTest::addColumn<int>("scrollTo");      // -1: scroll bar not moved
    QTest::newRow("text 50") << QStringList{"50"} << -1;
    QTest::newRow("text not a number") << QStringList{"abc"} << -1;
    QTest::newRow("there and back") << QStringList{"50", "100"} << -1;
    QTest::newRow("scroll bar") << QStringList{} << 60;
    QTest::newRow("scroll bar to 0") << QStringList{} << 0;
}

void TestZoom::everyZoomChangeDisablesDraw()
{
    QFETCH(QStringList, texts);
    QFETCH(int, scrollTo);

    WindowRig rig;
    MainWindow& w = rig.openWindow();
    testFile(rig, w, "PU0,0;PD400,400;");
    QVERIFY(controls(w).drawButton->isEnabled());

    for (const QString& t : texts)
        controls(w).zoomBox->setText(t);
    if (scrollTo >= 0)
        controls(w).zoomScrollBar->setValue(scrollTo);
    QVERIFY(!controls(w).drawButton->isEnabled());

    // A new test at the new scale enables it again.
    controls(w).testAndShowButton->click();
    QVERIFY(controls(w).drawButton->isEnabled());
}

// "Cls" erases the preview but not its pen; the next run starts its pen at the plot's
// origin, where the carriage starts it, not at the last run's last point.
void TestZoom::clsKeepsPreviewPen()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    PreviewWidget* previewCanvas = controls(w).previewCanvas;
    testFile(rig, w, "PU0,0;PD600,0;");
    QVERIFY(inkAt(previewCanvas, 300, 0, 0));

    controls(w).clearButton->click();
    QVERIFY(!inkAt(previewCanvas, 300, 0, 0));
    QCOMPARE(w.preview().lastX, 600);
    QCOMPARE(w.preview().lastY, 0);
    QCOMPARE(int{w.preview().zoom}, 100);
    for (int y = 0; y < previewCanvas->image().height(); y += 7)
        for (int x = 0; x < previewCanvas->image().width(); x += 7)
            QCOMPARE(QColor(previewCanvas->image().pixel(x, y)), previewCanvas->background());

    // From the origin, as on paper; straight up from (600, 0) would cross (600, 450).
    testFile(rig, w, "PD600,900;");
    QVERIFY(inkAt(previewCanvas, 300, 450, 0));
    QVERIFY(!inkAt(previewCanvas, 600, 450, 0));
}

void TestZoom::penUpShownOrHidden_data()
{
    QTest::addColumn<bool>("shown");
    QTest::newRow("hidden") << false;
    QTest::newRow("shown") << true;
}

void TestZoom::penUpShownOrHidden()
{
    QFETCH(bool, shown);

    WindowRig rig;
    MainWindow& w = rig.openWindow();
    if (shown)
        controls(w).showPenUpCheck->click();
    QCOMPARE(controls(w).showPenUpCheck->isChecked(), shown);
    QCOMPARE(w.preview().penUpColour, std::int16_t{shown ? orlex::kWhite : orlex::kHidden});

    testFile(rig, w, "PU0,0;PU600,0;PD600,600;");
    QCOMPARE(inkAt(controls(w).previewCanvas, 300, 0, 15), shown);
    QVERIFY(inkAt(controls(w).previewCanvas, 600, 300, 0)); // the pen-down segment either way

    // Unticking applies to what is drawn next.
    if (shown) {
        controls(w).showPenUpCheck->click();
        QCOMPARE(w.preview().penUpColour, std::int16_t{orlex::kHidden});
    }
}

void TestZoom::halfAxesOnLabelClicks()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    PreviewWidget* previewCanvas = controls(w).previewCanvas;
    controls(w).clearButton->click();
    const long midX = previewCanvas->widthUnits() / 2;
    const long midY = previewCanvas->heightUnits() / 2;
    const QColor red = paletteColour(12);
    QVERIFY(!colourNear(previewCanvas, kOriginTwips, midY, red));
    QVERIFY(!colourNear(previewCanvas, midX, canvasY(previewCanvas, 0), red));

    emit controls(w).originXLabel->clicked(); // the positive Y half-axis, straight up
    QVERIFY(colourNear(previewCanvas, kOriginTwips, midY, red));
    QVERIFY(!colourNear(previewCanvas, midX, canvasY(previewCanvas, 0), red));

    emit controls(w).originYLabel->clicked(); // the positive X half-axis, to the right edge
    QVERIFY(colourNear(previewCanvas, midX, canvasY(previewCanvas, 0), red));
    // Neither goes below or left of the origin.
    QVERIFY(!colourNear(previewCanvas, kOriginTwips, canvasY(previewCanvas, -60), red));
    QVERIFY(!colourNear(previewCanvas, kOriginTwips - 60, canvasY(previewCanvas, 0), red));
}

QTEST_MAIN(TestZoom)
#include "tst_zoom.moc"
