// What helps the operator find their way: the keys of the menus, the status bar's hints
// and sizes, recent files, the read-only file name, where the preview pen starts a run,
// and where the virtual plotter's view opens.
#include "window_rig.h"

#include "hpgl/classic_reader.h"
#include "run/preview_sink.h"

#include "ui/main_window.h"
#include "ui/preview_widget.h"
#include "ui/virtual_plotter_view.h"
#include "ui/widgets.h"

#include <QAction>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using orlex::test::WindowRig;
using orlex::ui::MainWindow;

namespace {

// The menu of the menu bar that holds `item`, or nullptr.
QMenu* menuHolding(MainWindow& w, QAction* item)
{
    for (QAction* entry : w.menuBar()->actions())
        if (entry->menu() && entry->menu()->actions().contains(item))
            return entry->menu();
    return nullptr;
}

void showActive(MainWindow& w)
{
    w.show();
    w.activateWindow();
}

constexpr long kPx = orlex::ui::PreviewWidget::kTwipsPerPixel;

// The preview's pixel at a plot point, at zoom 100 and the default origin (5 mm, 5 mm),
// moved by whole pixels.
QColor previewPixel(MainWindow& w, long x, long y, int dx = 0, int dy = 0)
{
    const long originTwips = 5 * 20;
    return controls(w).previewCanvas->pixelAtTwips(originTwips + x + dx * kPx, controls(w).previewCanvas->heightUnits()
                                                                                   - y - originTwips + dy * kPx);
}

QStringList menuTexts(const QMenu* menu)
{
    QStringList texts;
    for (const QAction* item : menu->actions())
        texts << item->text();
    return texts;
}

} // namespace

class TestOperatorAids : public QObject {
    Q_OBJECT
private slots:
    void fileNameBoxIsReadOnly();
    void previewPenStartsAtPlotOrigin_data();
    void previewPenStartsAtPlotOrigin();
    void shortcuts_data();
    void shortcuts();
    void statusTexts_data();
    void statusTexts();
    void recentFiles_data();
    void recentFiles();
    void limitTextReadableWhileDisabled_data();
    void limitTextReadableWhileDisabled();
    void viewPlaceFitsTheScreen_data();
    void viewPlaceFitsTheScreen();
    void penColours_data();
    void penColours();
    void wholePlotInPreview_data();
    void wholePlotInPreview();
    void virtualPlotterShownAgain();
    void carriagePosition_data();
    void carriagePosition();
};

void TestOperatorAids::fileNameBoxIsReadOnly()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    const QString path = rig.writeFile("plot.plt", "PU0,0;PD400,0;PU;");
    w.openPlotFile(path);
    QVERIFY(controls(w).fileNameBox->isReadOnly());
    QTest::keyClicks(controls(w).fileNameBox, QStringLiteral("typed"));
    QCOMPARE(controls(w).fileNameBox->text(), path);
    QCOMPARE(QString::fromStdString(w.plotFile()), path);
}

void TestOperatorAids::previewPenStartsAtPlotOrigin_data()
{
    QTest::addColumn<bool>("draw");
    QTest::addColumn<QPoint>("strayLineMiddle"); // plot units: where a line from the last pen would run
    // The first plot ends at (2000, 2000); the second begins PD2000,0 and ends with a pen-up
    // move to (1000, 1500), where its test leaves the preview pen.
    QTest::newRow("test after a test") << false << QPoint(2000, 1000);
    QTest::newRow("draw after a test") << true << QPoint(1500, 750);
}

void TestOperatorAids::previewPenStartsAtPlotOrigin()
{
    QFETCH(bool, draw);
    QFETCH(QPoint, strayLineMiddle);
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    w.openPlotFile(rig.writeFile("first.plt", "PU0,0;PD2000,2000;PU;"));
    controls(w).testAndShowButton->click();
    if (draw) {
        controls(w).drawButton->click();
        QVERIFY(rig.waitUntilIdle());
    }
    w.openPlotFile(rig.writeFile("second.plt", "PD2000,0;PU1000,1500;"));
    controls(w).testAndShowButton->click();
    if (draw) {
        QVERIFY(controls(w).drawButton->isEnabled());
        controls(w).drawButton->click();
        QVERIFY(rig.waitUntilIdle());
    }

    const QColor ink = orlex::ui::paletteColour(orlex::kBlack);
    QCOMPARE(previewPixel(w, 1000, 0), ink); // the line from the origin, as on paper
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            QCOMPARE(previewPixel(w, strayLineMiddle.x(), strayLineMiddle.y(), dx, dy),
                     controls(w).previewCanvas->background());
    if (draw) { // the paper got the line from where the carriage stood, and no other
        QCOMPARE(rig.plotter().paper().size(), std::size_t{2});
        const orlex::PaperSegment last = rig.plotter().paper().back();
        QCOMPARE(last.y1, last.y2);
        QVERIFY(std::abs(last.x2 - last.x1 - 50) < 0.3); // 2000 units are 50 mm
    }
}

void TestOperatorAids::shortcuts_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<bool>("tested");    // a file was tested first
    QTest::addColumn<bool>("triggered"); // the keys carry it out
    QTest::newRow("Open") << "openAction" << QKeySequence(Qt::CTRL | Qt::Key_O) << false << true;
    QTest::newRow("Exit") << "exitAction" << QKeySequence(Qt::CTRL | Qt::Key_Q) << false << true;
    QTest::newRow("About") << "aboutAction" << QKeySequence(Qt::Key_F1) << false << true;
    QTest::newRow("Test and Show") << "testAndShowAction" << QKeySequence(Qt::Key_F5) << false << true;
    QTest::newRow("Draw before a test") << "drawAction" << QKeySequence(Qt::CTRL | Qt::Key_D) << false << false;
    QTest::newRow("Draw after a test") << "drawAction" << QKeySequence(Qt::CTRL | Qt::Key_D) << true << true;
}

void TestOperatorAids::shortcuts()
{
    QFETCH(QString, item);
    QFETCH(QKeySequence, keys);
    QFETCH(bool, tested);
    QFETCH(bool, triggered);
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    w.openPlotFile(rig.writeFile("plot.plt", "PU0,0;PD400,0;PU;"));
    if (tested)
        controls(w).testAndShowButton->click();
    auto* action = w.findChild<QAction*>(item);
    QVERIFY(action != nullptr);
    QCOMPARE(action->shortcut(), keys);
    QVERIFY(menuHolding(w, action) != nullptr); // shown in a menu, with its keys
    QCOMPARE(action->isEnabled(), triggered);

    showActive(w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QSignalSpy spy(action, &QAction::triggered);
    if (item == QStringLiteral("aboutAction"))
        orlex::test::onNextModal([](QWidget* box) { box->close(); });
    QTest::keySequence(&w, keys);
    QCOMPARE(spy.count(), triggered ? 1 : 0);
    if (item == QStringLiteral("openAction"))
        QCOMPARE(rig.dialogCalls, 1);
    if (item == QStringLiteral("exitAction"))
        QCOMPARE(rig.exitStatuses, std::vector<int>{0});
    if (item == QStringLiteral("testAndShowAction"))
        QCOMPARE(controls(w).maxXLabel->text(), QStringLiteral("10 mm"));
    if (item == QStringLiteral("drawAction")) {
        QVERIFY(rig.waitUntilIdle());
        QCOMPARE(rig.plotter().paper().size(), std::size_t{triggered ? 1u : 0u});
    }
}

void TestOperatorAids::statusTexts_data()
{
    QTest::addColumn<QString>("control");    // the button clicked
    QTest::addColumn<bool>("plotter");       // a plotter answers
    QTest::addColumn<bool>("virtualClock");  // the step period is known without "Speed"
    QTest::addColumn<QString>("hpgl");       // the plot file chosen first; empty: none
    QTest::addColumn<int>("maxy");           // Maxy; Maxx is 150
    QTest::addColumn<QString>("statusText"); // the progress row afterwards, its start
    const QString noPlotter = QStringLiteral("No plotter answers: press Check");
    const QString fits = QStringLiteral("PU0,0;PD400,0;PU;");
    for (const char* arrow : {"stepUpButton", "stepDownButton", "stepLeftButton", "stepRightButton"})
        QTest::newRow(arrow) << arrow << false << true << QString() << 150 << noPlotter;
    QTest::newRow("Motor on") << "motorButton" << false << true << QString() << 150 << noPlotter;
    QTest::newRow("arrow with a plotter") << "stepUpButton" << true << true << QString() << 150 << QString();
    QTest::newRow("Test and Show without a file") << "testAndShowButton" << true << true << QString() << 150
                                                  << QStringLiteral("Choose a plot file first: File > Open");
    QTest::newRow("estimate without a plotter")
        << "testAndShowButton" << false << false << fits << 150
        << QStringLiteral("Estimated drawing time: no plotter answers: connect it and press Check");
    QTest::newRow("estimate before Speed")
        << "testAndShowButton" << true << false << fits << 150
        << QStringLiteral("Estimated drawing time: unknown until \"Speed\" has measured the step period");
    QTest::newRow("fits") << "testAndShowButton" << true << true << fits << 150
                          << QStringLiteral("Estimated drawing time: ");
    QTest::newRow("too big") << "testAndShowButton" << true << true << QStringLiteral("PU0,0;PD8200,8120;PU;") << 150
                             << QStringLiteral("Too big: 205 \u00d7 203 mm on a 150 \u00d7 150 mm machine");
    QTest::newRow("too high only") << "testAndShowButton" << true << true << QStringLiteral("PU0,-40;PD400,4800;")
                                   << 120 << QStringLiteral("Too big: 10 \u00d7 121 mm on a 150 \u00d7 120 mm machine");
}

// Hints instead of silence, and the fit's verdict in numbers beside the Limit box.
void TestOperatorAids::statusTexts()
{
    QFETCH(QString, control);
    QFETCH(bool, plotter);
    QFETCH(bool, virtualClock);
    QFETCH(QString, hpgl);
    QFETCH(int, maxy);
    QFETCH(QString, statusText);
    WindowRig rig;
    rig.clockRunning = plotter;
    rig.writeSettings(50, 50, 150, maxy, 80, 80, 5, 5, "&H378");
    orlex::ui::MainWindowOptions options = rig.options();
    if (!virtualClock) // as on a real port: the period is known only once "Speed" measured it
        options.openPort = [open = options.openPort](const orlex::MachineSettings& s) {
            orlex::OpenedPort port = open(s);
            port.virtualPlotter = nullptr;
            return port;
        };
    MainWindow w(options);
    if (!hpgl.isEmpty())
        w.openPlotFile(rig.writeFile("plot.plt", hpgl.toStdString()));
    QCOMPARE(controls(w).speedButton->isVisibleTo(&w), plotter);
    w.findChild<QPushButton*>(control)->click();
    const QString shown = controls(w).progressLabel->text();
    QVERIFY2(shown.startsWith(statusText) && shown.isEmpty() == statusText.isEmpty(), qPrintable(shown));
    QVERIFY(rig.feedback.messages.empty()); // a hint, not a message box
    if (!hpgl.isEmpty()) {
        const bool tooBig = statusText.startsWith(QStringLiteral("Too big"));
        QCOMPARE(controls(w).limitFrame->palette().color(QPalette::Window), orlex::ui::paletteColour(tooBig ? 12 : 7));
    }
}

void TestOperatorAids::recentFiles_data()
{
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<QStringList>("listed"); // newest first
    QTest::newRow("none") << QStringList{} << QStringList{};
    QTest::newRow("one") << QStringList{"a.plt"} << QStringList{"a.plt"};
    QTest::newRow("newest first") << QStringList{"a.plt", "b.hpgl", "c.svg"} << QStringList{"c.svg", "b.hpgl", "a.plt"};
    QTest::newRow("chosen again moves up") << QStringList{"a.plt", "b.plt", "a.plt"} << QStringList{"a.plt", "b.plt"};
    QStringList nine, lastEight;
    for (int i = 1; i <= 9; ++i)
        nine << QStringLiteral("f%1.plt").arg(i);
    for (int i = 9; i >= 2; --i)
        lastEight << QStringLiteral("f%1.plt").arg(i);
    QTest::newRow("at most eight") << nine << lastEight;
}

void TestOperatorAids::recentFiles()
{
    QFETCH(QStringList, opened);
    QFETCH(QStringList, listed);
    WindowRig rig;
    MainWindow* w = &rig.openWindow();
    QVERIFY(controls(*w).fileMenu->actions().contains(controls(*w).recentFilesMenu->menuAction()));
    for (const QString& name : opened)
        w->openPlotFile(rig.writeFile(name.toStdString(), "PU0,0;PD400,0;PU;"));
    QStringList paths;
    for (const QString& name : listed)
        paths << QString::fromStdString(rig.dir.file(name.toStdString()).string());
    QCOMPARE(menuTexts(controls(*w).recentFilesMenu), paths);
    QCOMPARE(controls(*w).recentFilesMenu->menuAction()->isEnabled(), !listed.isEmpty());

    // Remembered: the next window lists them too, and choosing one opens it.
    w = &rig.openWindow();
    QCOMPARE(menuTexts(controls(*w).recentFilesMenu), paths);
    QVERIFY(w->plotFile().empty());
    if (paths.isEmpty())
        return;
    controls(*w).recentFilesMenu->actions().back()->trigger();
    QCOMPARE(QString::fromStdString(w->plotFile()), paths.back());
    QCOMPARE(controls(*w).fileNameBox->text(), paths.back());
    QCOMPARE(menuTexts(controls(*w).recentFilesMenu).front(), paths.back());
}

// During a run the plotter control frame is disabled: the Limit box's texts stay dark
// on the frame's own colour, light grey or light red.
void TestOperatorAids::limitTextReadableWhileDisabled_data()
{
    QTest::addColumn<QString>("hpgl");
    QTest::newRow("fits") << "PU0,0;PD400,0;PU;";
    QTest::newRow("too big") << "PU0,0;PD8000,0;PU;";
}

void TestOperatorAids::limitTextReadableWhileDisabled()
{
    QFETCH(QString, hpgl);
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.openPlotFile(rig.writeFile("plot.plt", hpgl.toStdString()));
    controls(w).testAndShowButton->click();
    controls(w).plotterControlFrame->setEnabled(false);
    for (QLabel* label :
         {controls(w).limitXCaption, controls(w).limitXLabel, controls(w).limitYCaption, controls(w).limitYLabel}) {
        QVERIFY(!label->isEnabled());
        const QImage shown = label->grab().toImage();
        int dark = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                dark += shown.pixelColor(x, y).value() < 80;
        QVERIFY2(dark >= 8, qPrintable(label->objectName() + ": " + QString::number(dark) + " dark pixels"));
    }
}

void TestOperatorAids::viewPlaceFitsTheScreen_data()
{
    QTest::addColumn<QRect>("window");    // the main window's frame
    QTest::addColumn<QRect>("available"); // the screen's free area
    QTest::addColumn<QRect>("place");     // the view's inside
    QTest::newRow("room on the right") << QRect(0, 0, 640, 520) << QRect(0, 0, 1920, 1050) << QRect(648, 32, 640, 640);
    QTest::newRow("narrower on the right")
        << QRect(0, 0, 640, 520) << QRect(0, 0, 1280, 1000) << QRect(648, 32, 632, 640);
    QTest::newRow("room on the left only")
        << QRect(700, 0, 640, 520) << QRect(0, 0, 1400, 1000) << QRect(52, 32, 640, 640);
    // 1280 x 1024 at QT_SCALE_FACTOR=1.5: 853 x 682 device-independent pixels.
    QTest::newRow("1280 x 1024 at 1.5") << QRect(0, 0, 640, 520) << QRect(0, 0, 853, 682) << QRect(533, 362, 320, 320);
    QTest::newRow("low screen") << QRect(100, 100, 640, 520) << QRect(0, 0, 1600, 500) << QRect(748, 32, 640, 468);
}

void TestOperatorAids::viewPlaceFitsTheScreen()
{
    QFETCH(QRect, window);
    QFETCH(QRect, available);
    QFETCH(QRect, place);
    const QRect got = orlex::ui::viewPlaceBeside(window, available, QSize(640, 640), QSize(320, 300));
    QCOMPARE(got, place);
    QVERIFY(available.contains(got.adjusted(0, -32, 0, 0)));
}

void TestOperatorAids::penColours_data()
{
    QTest::addColumn<bool>("draw");     // the draw's ink, also in the virtual plotter's view; else the test's
    QTest::addColumn<QString>("pen");   // SP's number, or "" for none
    QTest::addColumn<QColor>("colour"); // of the line in the preview, and in the view but for pen 1
    const auto colour = [](std::int16_t number) { return orlex::ui::paletteColour(number); };
    for (const bool draw : {false, true}) {
        const QString run = draw ? QStringLiteral("draw, ") : QStringLiteral("test, ");
        QTest::newRow(qPrintable(run + "no SP")) << draw << QString() << colour(0);
        QTest::newRow(qPrintable(run + "pen 1")) << draw << QStringLiteral("1") << colour(0);
        QTest::newRow(qPrintable(run + "pen 2")) << draw << QStringLiteral("2") << colour(4);
        QTest::newRow(qPrintable(run + "pen 3")) << draw << QStringLiteral("3") << colour(2);
        QTest::newRow(qPrintable(run + "pen 4")) << draw << QStringLiteral("4") << colour(1);
        QTest::newRow(qPrintable(run + "pen 9")) << draw << QStringLiteral("9") << colour(9);
    }
}

// A first stroke in pen 1, then a second in the pen of the row. Drawn twice: the second
// draw begins in pen 1 again however the first ended.
void TestOperatorAids::penColours()
{
    QFETCH(bool, draw);
    QFETCH(QString, pen);
    QFETCH(QColor, colour);
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    orlex::ui::VirtualPlotterView view(w.settings(), rig.plotter().paper());
    view.resize(640, 640);
    rig.plotter().setFeed(&view.feed());
    const std::string select = pen.isEmpty() ? std::string() : "SP" + pen.toStdString() + ";";
    w.openPlotFile(rig.writeFile("pens.plt", "PU0,0;PD2000,0;" + select + "PU0,1000;PD2000,1000;PU;"));
    controls(w).testAndShowButton->click();
    for (int run = 0; draw && run < 2; ++run) {
        controls(w).drawButton->click();
        QVERIFY(rig.waitUntilIdle());
    }
    view.refresh();
    rig.plotter().setFeed(nullptr);
    QCOMPARE(previewPixel(w, 1000, 0), orlex::ui::paletteColour(orlex::kBlack));
    QCOMPARE(previewPixel(w, 1000, 1000), colour);
    if (!draw)
        return;
    const std::vector<orlex::PaperSegment> paper = view.paper();
    QVERIFY(paper.size() >= 3); // a stroke that goes straight on in the same pen is one segment
    QCOMPARE(paper.back().pen, pen.isEmpty() ? '1' : pen.at(0).toLatin1());
    // Antialiased ink over white paper: the most saturated pixel near the line has the
    // pen's hue. The second draw begins where the first ended, 50 mm right and 25 mm up
    // of the start at 30 mm.
    const QImage shown = view.grab().toImage();
    const auto hueAt = [&shown, &view](double xMm, double yMm) {
        const QPoint centre = view.machineToView(xMm, yMm).toPoint();
        QColor best(Qt::white);
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                if (const QColor c = shown.pixelColor(centre + QPoint(dx, dy));
                    c.hsvSaturation() > best.hsvSaturation())
                    best = c;
        return best.hsvSaturation() > 40 ? best.hsvHue() : -1;
    };
    const auto sameHue = [](int a, int b) { return a >= 0 && std::min(std::abs(a - b), 360 - std::abs(a - b)) <= 12; };
    const QColor today(20, 40, 160); // the view's ink, pen 1's
    QVERIFY2(sameHue(hueAt(105, 55), today.hsvHue()), qPrintable(QString::number(hueAt(105, 55))));
    const QColor second = paper.back().pen == '1' ? today : colour;
    QVERIFY2(sameHue(hueAt(105, 80), second.hsvHue()), qPrintable(QString::number(hueAt(105, 80))));
}

void TestOperatorAids::wholePlotInPreview_data()
{
    QTest::addColumn<QString>("file"); // in the test data
    QTest::addColumn<QString>("zoom");
    QTest::newRow("star, below 0") << "star.plt"
                                   << "100";
    QTest::newRow("star at zoom 50") << "star.plt"
                                     << "50";
    QTest::newRow("square") << "square.plt"
                            << "100";
}

// Off, the preview is pixel for pixel what the usual mapping draws; on, the same plot
// lies whole inside it, and the check, the zoom and the draw are what they are off.
void TestOperatorAids::wholePlotInPreview()
{
    QFETCH(QString, file);
    QFETCH(QString, zoom);
    const QString path = qEnvironmentVariable("ORLEX_TEST_DATA") + QStringLiteral("/../../examples/") + file;
    QVERIFY2(QFileInfo::exists(path), qPrintable(path));

    // The usual mapping, drawn on a canvas of the preview's size without the window.
    orlex::ui::PreviewWidget reference;
    orlex::MachineSettings settings;
    orlex::Preview usual(reference, settings);
    usual.zoom = static_cast<std::int16_t>(zoom.toInt());
    usual.clear();
    orlex::PreviewSink sink(&usual);
    orlex::readClassicPlot(path.toStdString(), sink);

    QImage off, on;
    QStringList extentsOff, extentsOn;
    std::vector<orlex::PaperSegment> paperOff, paperOn;
    for (const bool whole : {false, true}) {
        WindowRig rig;
        MainWindow& w = rig.openWindow();
        controls(w).zoomBox->setText(zoom);
        QCOMPARE(controls(w).wholePlotAction->isChecked(), false); // off by default
        controls(w).wholePlotAction->setChecked(whole);
        w.openPlotFile(path);
        controls(w).testAndShowButton->click();
        (whole ? on : off) = controls(w).previewCanvas->image();
        (whole ? extentsOn : extentsOff) = QStringList{controls(w).minXLabel->text(), controls(w).minYLabel->text(),
                                                       controls(w).maxXLabel->text(), controls(w).maxYLabel->text()};
        QCOMPARE(w.preview().zoom, usual.zoom);
        QVERIFY(controls(w).drawButton->isEnabled());
        controls(w).drawButton->click();
        QVERIFY(rig.waitUntilIdle());
        (whole ? paperOn : paperOff) = rig.plotter().paper();
        QCOMPARE(controls(w).previewCanvas->image(), whole ? on : off); // the draw's preview as the test's
        rig.openWindow();
        QCOMPARE(controls(rig.window()).wholePlotAction->isChecked(), whole); // remembered
    }
    QCOMPARE(off, reference.image());
    QCOMPARE(extentsOn, extentsOff);
    {
        // Switched after a test, it takes effect at once.
        WindowRig rig;
        MainWindow& w = rig.openWindow();
        controls(w).zoomBox->setText(zoom);
        w.openPlotFile(path);
        controls(w).testAndShowButton->click();
        controls(w).wholePlotAction->setChecked(true);
        QCOMPARE(controls(w).previewCanvas->image(), on);
        controls(w).wholePlotAction->setChecked(false);
        QCOMPARE(controls(w).previewCanvas->image(), off);
    }
    QCOMPARE(paperOn.size(), paperOff.size());
    for (std::size_t i = 0; i < paperOn.size(); ++i)
        QVERIFY(paperOn[i].x1 == paperOff[i].x1 && paperOn[i].y2 == paperOff[i].y2);

    // On: ink near every edge of the inside, none on the outermost pixels.
    const auto inkIn = [&on](QRect area) {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (on.pixelColor(x, y) == orlex::ui::paletteColour(orlex::kBlack))
                    return true;
        return false;
    };
    const QRect all = on.rect();
    const int band = all.width() / 10;
    QVERIFY(!inkIn(QRect(0, 0, all.width(), 1)) && !inkIn(QRect(0, all.height() - 1, all.width(), 1)));
    QVERIFY(!inkIn(QRect(0, 0, 1, all.height())) && !inkIn(QRect(all.width() - 1, 0, 1, all.height())));
    const bool reachesSides =
        inkIn(QRect(0, 0, band, all.height())) && inkIn(QRect(all.width() - band, 0, band, all.height()));
    const bool reachesEnds =
        inkIn(QRect(0, 0, all.width(), band)) && inkIn(QRect(0, all.height() - band, all.width(), band));
    QVERIFY(reachesSides || reachesEnds);
    QVERIFY(on != off);
}

void TestOperatorAids::virtualPlotterShownAgain()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    QCOMPARE(controls(w).virtualPlotterAction, nullptr); // no view given: no item
    orlex::ui::VirtualPlotterView view(w.settings());
    view.show();
    w.setVirtualPlotterView(&view);
    QVERIFY(controls(w).virtualPlotterAction != nullptr);
    QCOMPARE(controls(w).viewMenu->actions().front(), controls(w).virtualPlotterAction);
    QCOMPARE(controls(w).virtualPlotterAction->text(), QStringLiteral("Virtual plotter"));
    view.close();
    QVERIFY(!view.isVisible());
    controls(w).virtualPlotterAction->trigger();
    QVERIFY(view.isVisible());
}

void TestOperatorAids::carriagePosition_data()
{
    QTest::addColumn<bool>("real");         // the window is not told of the virtual plotter
    QTest::addColumn<QStringList>("steps"); // buttons clicked, or "draw"
    QTest::addColumn<bool>("known");
    // A real machine's place is known once a homing found it, until something loses it.
    QTest::newRow("at start") << true << QStringList{} << false;
    QTest::newRow("jogged, not homed") << true << QStringList{"stepRightButton"} << false;
    QTest::newRow("homed") << true << QStringList{"penHomeButton"} << true;
    QTest::newRow("homed, jogged") << true
                                   << QStringList{"penHomeButton", "stepRightButton", "stepUpButton", "stepUpButton"}
                                   << true;
    QTest::newRow("homed, drawn") << true << QStringList{"penHomeButton", "draw"} << true;
    QTest::newRow("full steps, homed, jogged")
        << true << QStringList{"fullStepOption", "penHomeButton", "stepLeftButton"} << true;
    // The motors' phases do not carry over to the other step type one for one.
    QTest::newRow("homed, step type changed") << true << QStringList{"penHomeButton", "fullStepOption"} << false;
    // The coils are off at start: the first press of Motor switches them on, the second off.
    QTest::newRow("homed, motors off") << true << QStringList{"penHomeButton", "motorButton", "motorButton"} << false;
    // The virtual plotter tells its carriage's place, as the command line's --start does.
    QTest::newRow("virtual, at start") << false << QStringList{} << true;
    QTest::newRow("virtual, jogged") << false << QStringList{"stepRightButton"} << true;
    QTest::newRow("virtual, step type changed") << false << QStringList{"fullStepOption"} << true;
    QTest::newRow("virtual, motors off") << false << QStringList{"motorButton", "motorButton"} << true;
    QTest::newRow("virtual, drawn") << false << QStringList{"draw"} << true;
}

// The readout says what the virtual plotter's carriage knows, to the hundredth.
void TestOperatorAids::carriagePosition()
{
    QFETCH(bool, real);
    QFETCH(QStringList, steps);
    QFETCH(bool, known);
    WindowRig rig;
    rig.likeARealMachine = real;
    MainWindow& w = rig.openWindow();
    w.openPlotFile(rig.writeFile("plot.plt", "PU0,0;PD400,200;PU;"));
    for (const QString& step : steps) {
        if (step == QStringLiteral("draw")) {
            controls(w).testAndShowButton->click();
            controls(w).drawButton->click();
        } else if (step == QStringLiteral("fullStepOption")) {
            controls(w).fullStepOption->setChecked(true);
        } else {
            w.findChild<QPushButton*>(step)->click();
        }
        QVERIFY(rig.waitUntilIdle());
    }
    QCOMPARE(controls(w).positionLabel->isVisibleTo(&w), known);
    if (known)
        QCOMPARE(controls(w).positionLabel->text(), QStringLiteral("Pen at X %1 mm, Y %2 mm")
                                                        .arg(rig.plotter().xMillimetres(), 0, 'f', 2)
                                                        .arg(rig.plotter().yMillimetres(), 0, 'f', 2));
}

QTEST_MAIN(TestOperatorAids)
#include "tst_operator_aids.moc"
