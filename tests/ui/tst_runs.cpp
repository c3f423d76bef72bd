// "Test and Show", "Draw" and "Stop" end to end in the window, on the virtual plotter
// in virtual time: what lands on the virtual paper, the fit rule, failures and Stop.
#include "window_rig.h"

#include "ui/main_window.h"
#include "ui/widgets.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cmath>

using orlex::PaperSegment;
using orlex::Register;
using orlex::test::RecordingFeedback;
using orlex::test::WindowRig;
using orlex::ui::MainWindow;
using orlex::ui::OperatorFeedback;
using orlex::ui::RunState;

Q_DECLARE_METATYPE(std::vector<PaperSegment>)

namespace {

constexpr double kStepMm = 0.25; // default Lstepx/Lstepy 50: half step of 0.25 mm

void useFile(WindowRig& rig, MainWindow& w, const std::string& hpgl, const std::string& name = "plot.plt")
{
    w.openPlotFile(rig.writeFile(name, hpgl));
}

QString describe(const std::vector<PaperSegment>& paper)
{
    QStringList parts;
    for (const PaperSegment& s : paper)
        parts << QStringLiteral("(%1,%2)-(%3,%4)").arg(s.x1).arg(s.y1).arg(s.x2).arg(s.y2);
    return parts.join(QLatin1Char(' '));
}

bool sameSegments(const std::vector<PaperSegment>& got, const std::vector<PaperSegment>& want, double tolerance)
{
    if (got.size() != want.size())
        return false;
    for (std::size_t i = 0; i < got.size(); ++i) {
        const PaperSegment& a = got[i];
        const PaperSegment& b = want[i];
        const auto near = [tolerance](double p, double q) { return std::fabs(p - q) <= tolerance + 1e-9; };
        if (!near(a.x1, b.x1) || !near(a.y1, b.y1) || !near(a.x2, b.x2) || !near(a.y2, b.y2))
            return false;
    }
    return true;
}

QColor frameColour(QGroupBox* frame)
{
    return frame->palette().color(QPalette::Window);
}

void expectControlsAfterRun(MainWindow& w)
{
    QVERIFY(!w.drawRunning());
    QVERIFY(controls(w).stopButton->isHidden());
    QVERIFY(controls(w).statusTimer->isActive());
    QVERIFY(controls(w).drawButton->isEnabled());
    QVERIFY(controls(w).testAndShowButton->isEnabled());
    QVERIFY(controls(w).plotterControlFrame->isEnabled());
    QVERIFY(controls(w).penHomeButton->isEnabled());
    QVERIFY(controls(w).stepLeftButton->isEnabled());
}

} // namespace

class TestRuns : public QObject {
    Q_OBJECT
private slots:
    void drawPutsFileOnPaper_data();
    void drawPutsFileOnPaper();
    void fitRule_data();
    void fitRule();
    void emptyPlotFileReportsZeros();
    void fileWithoutAPointIsNotAPlot_data();
    void fileWithoutAPointIsNotAPlot();
    void drawFitsFromWhereThePenStands();
    void positionFollowsTheCarriageDuringADraw();
    void lostStepsAreToldAtTheEndOfADraw();
    void anotherFileNeedsACheck();
    void unopenablePathClearsLastCheck_data();
    void unopenablePathClearsLastCheck();
    void zoomTypedDuringADrawDoesNotRescaleIt();
    void stopEndsDraw_data();
    void stopEndsDraw();
    void stopDuringPenToZeroDrawsNothing();
    void penToZeroWithoutPlotterDrawsNothing();
    void estimateAfterCheck();
    void estimateNeedsStepPeriod();
};

void TestRuns::drawPutsFileOnPaper_data()
{
    QTest::addColumn<QString>("hpgl");
    QTest::addColumn<QString>("zoom");
    QTest::addColumn<std::vector<PaperSegment>>("paper"); // mm from home
    // The carriage starts 30 mm from home on both axes; that is the origin of a plot
    // without negative coordinates.
    QTest::newRow("square") << "PU0,0;PD400,0;PD400,400;PD0,400;PD0,0;PU;"
                            << "100"
                            << std::vector<PaperSegment>{
                                   {30, 30, 40, 30}, {40, 30, 40, 40}, {40, 40, 30, 40}, {30, 40, 30, 30}};
    QTest::newRow("pen-up moves leave no trace")
        << "PU0,0;PD200,0;PU400,0;PD400,200;PU;"
        << "100" << std::vector<PaperSegment>{{30, 30, 35, 30}, {40, 30, 40, 35}};
    QTest::newRow("relative") << "PU0,0;PR;PD400,0,0,400;PU;"
                              << "100" << std::vector<PaperSegment>{{30, 30, 40, 30}, {40, 30, 40, 40}};
    QTest::newRow("diagonal at zoom 50") << "PU0,0;PD800,800;PU;"
                                         << "50" << std::vector<PaperSegment>{{30, 30, 40, 40}};
    // Pen to 0 first: home backs off to 1 mm, then 10 mm right for minXmm = -10.
    QTest::newRow("negative X") << "PU-400,0;PD0,0;PD0,400;PU;"
                                << "100" << std::vector<PaperSegment>{{1, 1, 11, 1}, {11, 1, 11, 11}};
    QTest::newRow("negative X and Y") << "PU-400,-400;PD0,0;PU;"
                                      << "100" << std::vector<PaperSegment>{{1, 1, 11, 11}};
}

void TestRuns::drawPutsFileOnPaper()
{
    QFETCH(QString, hpgl);
    QFETCH(QString, zoom);
    QFETCH(std::vector<PaperSegment>, paper);

    WindowRig rig;
    MainWindow& w = rig.openWindow();
    controls(w).zoomBox->setText(zoom);
    useFile(rig, w, hpgl.toStdString());

    controls(w).testAndShowButton->click();
    QVERIFY(controls(w).drawButton->isEnabled());
    QVERIFY(rig.plotter().paper().empty()); // a test moves nothing
    controls(w).drawButton->click();
    QVERIFY(rig.waitUntilIdle());

    QVERIFY2(sameSegments(rig.plotter().paper(), paper, kStepMm), qPrintable(describe(rig.plotter().paper())));
    QCOMPARE(rig.plotter().counters().lostStepsX + rig.plotter().counters().lostStepsY, 0L);
    QVERIFY(rig.feedback.messages.empty());
    QVERIFY(controls(w).progressLabel->text().startsWith(QStringLiteral("Drawing finished")));
    expectControlsAfterRun(w);

    // Draw stays enabled: the same plot can be drawn again.
    rig.plotter().clearPaper();
    controls(w).drawButton->click();
    QVERIFY(rig.waitUntilIdle());
    QVERIFY(!rig.plotter().paper().empty());
}

void TestRuns::fitRule_data()
{
    QTest::addColumn<QString>("hpgl");
    QTest::addColumn<bool>("plotterAnswers");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<QStringList>("labels"); // minXLabel, minYLabel, maxXLabel, maxYLabel
    // Maxx = Maxy = 150 mm (defaults); 40 plotter units are 1 mm.
    QTest::newRow("150 by 150 fits") << "PU-400,0;PD5600,6000;" << true << true
                                     << QStringList{"-10 mm", "0 mm", "140 mm", "150 mm"};
    QTest::newRow("151 wide") << "PU-400,0;PD5640,6000;" << true << false
                              << QStringList{"-10 mm", "0 mm", "141 mm", "150 mm"};
    QTest::newRow("151 high only") << "PU0,-40;PD120,6000;" << true << false
                                   << QStringList{"0 mm", "-1 mm", "3 mm", "150 mm"};
    QTest::newRow("fits, no plotter") << "PU-400,0;PD5600,6000;" << false << true
                                      << QStringList{"-10 mm", "0 mm", "140 mm", "150 mm"};
    QTest::newRow("beyond the coordinate range")
        << "PU0,0;PD40000,0;" << true << false << QStringList{"0 mm", "0 mm", "819 mm", "0 mm"};
}

void TestRuns::fitRule()
{
    QFETCH(QString, hpgl);
    QFETCH(bool, plotterAnswers);
    QFETCH(bool, fits);
    QFETCH(QStringList, labels);

    WindowRig rig;
    MainWindow& w = rig.openWindow();
    rig.plotter().setClockRunning(plotterAnswers);
    useFile(rig, w, hpgl.toStdString());

    controls(w).testAndShowButton->click();

    QCOMPARE((QStringList{controls(w).minXLabel->text(), controls(w).minYLabel->text(), controls(w).maxXLabel->text(),
                          controls(w).maxYLabel->text()}),
             labels);
    QVERIFY(controls(w).limitFrame->autoFillBackground());
    QCOMPARE(frameColour(controls(w).limitFrame), orlex::ui::paletteColour(fits ? 7 : 12));
    QCOMPARE(controls(w).drawButton->isEnabled(), fits && plotterAnswers);
    QCOMPARE(controls(w).statusBox->text(), plotterAnswers ? QStringLiteral("OK") : QStringLiteral("Err"));
    QVERIFY(controls(w).testAndShowButton->isEnabled());
    const bool outOfRange = hpgl.contains(QStringLiteral("40000"));
    QCOMPARE(rig.feedback.messages.size(), std::size_t{outOfRange ? 1u : 0u});
    if (outOfRange)
        QVERIFY(rig.feedback.messages.front().text.contains(QStringLiteral("coordinate range")));
}

void TestRuns::emptyPlotFileReportsZeros()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    QVERIFY(w.plotFile().empty());
    controls(w).testAndShowButton->click();
    QCOMPARE(rig.feedback.beeps, 1);
    QVERIFY(rig.feedback.messages.empty());
    for (QLabel* label : {controls(w).minXLabel, controls(w).minYLabel, controls(w).maxXLabel, controls(w).maxYLabel})
        QCOMPARE(label->text(), QStringLiteral("0 mm"));
    QCOMPARE(frameColour(controls(w).limitFrame), orlex::ui::paletteColour(7));
    // Four zeros fit, but there is nothing to draw.
    QVERIFY(!controls(w).drawButton->isEnabled());
    QCOMPARE(controls(w).progressLabel->text(), QStringLiteral("Choose a plot file first: File > Open"));
}

void TestRuns::fileWithoutAPointIsNotAPlot_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("says");
    const QString noPoint = QStringLiteral("is not a plot file");
    QTest::newRow("empty") << QByteArray() << noPoint;
    QTest::newRow("a letter") << QByteArray("Dear Sir,\nplease find the drawing attached.\n") << noPoint;
    QTest::newRow("a PNG's signature") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << noPoint;
    // Binary data is no plot in either reading, whatever its bytes look like.
    QTest::newRow("a PNG") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0 \0\0\0 \x08\x06\0\0\0AT1,2,3,4;PE;", 42)
                           << QStringLiteral("is not a plot file: it holds binary data (byte 0x08 at offset 24)");
    QTest::newRow("a compressed SVG") << QByteArray("\x1f\x8b\x08\0\0\0\0\0\x02\x03PD1,2;CI5;", 20)
                                      << QStringLiteral("is not a plot file: it is compressed (gzip)");
    QTest::newRow("labels alone") << QByteArray("IN;LBHELLO\x03;")
                                  << QStringLiteral("has no lines to draw (labels are not drawn; see Full HP-GL)");
}

// A file in which the reading finds no point is refused at Test and Show, in either
// reading; Draw stays off, and nothing of the plot drawn before it stays on show.
void TestRuns::fileWithoutAPointIsNotAPlot()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, says);
    for (const bool full : {false, true}) {
        if (full && says.contains(QStringLiteral("labels")))
            continue; // the full reading draws labels
        WindowRig rig;
        MainWindow& w = rig.openWindow();
        controls(w).fullHpglAction->setChecked(full);
        useFile(rig, w, "PU0,0;PD400,0;");
        controls(w).testAndShowButton->click();
        controls(w).drawButton->click();
        QVERIFY(rig.waitUntilIdle());
        QVERIFY(controls(w).progressLabel->text().startsWith(QStringLiteral("Drawing finished")));

        w.openPlotFile(rig.writeFile("other.plt", bytes.toStdString()));
        controls(w).testAndShowButton->click();
        QCOMPARE(rig.feedback.messages.size(), std::size_t{1});
        QCOMPARE(rig.feedback.messages.front().title, QStringLiteral("Test and Show"));
        QVERIFY2(rig.feedback.messages.front().text.contains(says), qPrintable(rig.feedback.messages.front().text));
        QVERIFY(!controls(w).drawButton->isEnabled());
        QCOMPARE(controls(w).maxXLabel->text(), QStringLiteral("000.000"));
        QVERIFY2(controls(w).progressLabel->text().startsWith(QStringLiteral("Test and Show failed")),
                 qPrintable(controls(w).progressLabel->text()));
        if (says.contains(QStringLiteral("binary")) || says.contains(QStringLiteral("compressed")))
            QVERIFY(controls(w).inputLabel->isHidden()); // no census of commands found in noise
    }
}

// The virtual plotter's carriage is known from its start (30 mm, 30 mm): a draw that
// would run past a limit from there is refused with a remedy that works there, and
// nothing moves; after Pen home the plot fits from where homing leaves the pen.
void TestRuns::drawFitsFromWhereThePenStands()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    useFile(rig, w, "PU0,0;PD4000,0;"); // 100 mm to the right
    controls(w).testAndShowButton->click();
    QCOMPARE(controls(w).positionLabel->text(), QStringLiteral("Pen at X 30.00 mm, Y 30.00 mm"));
    controls(w).drawButton->click(); // from 30 mm: to 130 mm
    QVERIFY(rig.waitUntilIdle());
    QVERIFY(rig.feedback.messages.empty());

    const std::size_t writes = rig.writesTo(Register::Data).size();
    controls(w).drawButton->click(); // from 130 mm: to 230 mm
    QCOMPARE(rig.feedback.messages.size(), std::size_t{1});
    QCOMPARE(rig.feedback.messages.front().text,
             QStringLiteral("The plot would reach X 230 mm of 150 mm from where the pen stands: move the pen at "
                            "least 80 mm left or press Pen home"));
    QCOMPARE(w.runState(), RunState::Idle);
    QCOMPARE(rig.writesTo(Register::Data).size(), writes);

    controls(w).penHomeButton->click();
    QVERIFY(rig.waitUntilIdle());
    controls(w).drawButton->click(); // from where homing leaves the pen, 1 mm from the switch
    QVERIFY(rig.waitUntilIdle());
    QCOMPARE(rig.feedback.messages.size(), std::size_t{1});
    QCOMPARE(rig.plotter().xMillimetres(), 101.0);
}

// During a draw the readout says where the carriage stood after the last point it drew.
void TestRuns::positionFollowsTheCarriageDuringADraw()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    w.show();
    useFile(rig, w, "PU0,0;PD400,0;PD800,0;PD1200,0;PD1600,0;PU;"); // 10 mm lines from 30 mm
    controls(w).testAndShowButton->click();
    // A line is a pen write and 40 steps: parked in the fourth line.
    rig.parkMotionAt(rig.writes->size() + 150);
    controls(w).drawButton->click();
    QVERIFY(rig.waitUntilParked());
    QTRY_COMPARE(controls(w).positionLabel->text(), QStringLiteral("Pen at X 60.00 mm, Y 30.00 mm"));
    rig.releaseMotion();
    QVERIFY(rig.waitUntilIdle());
    QCOMPARE(controls(w).positionLabel->text(), QStringLiteral("Pen at X 70.00 mm, Y 30.00 mm"));
}

// A machine shorter than its settings say (the virtual one ends 10 mm beyond 50 mm, Maxx
// says 150 mm): the carriage stops at the end and the draw's end tells the steps it lost.
void TestRuns::lostStepsAreToldAtTheEndOfADraw()
{
    WindowRig rig;
    rig.configurePlotter = [](orlex::VirtualPlotterConfig& config) { config.travelXmm = 50; };
    MainWindow& w = rig.openWindow();
    useFile(rig, w, "PU0,0;PD4000,0;PU;"); // from 30 mm to 130 mm
    controls(w).testAndShowButton->click();
    controls(w).drawButton->click();
    QVERIFY(rig.waitUntilIdle());
    QCOMPARE(rig.plotter().xMillimetres(), 60.0);
    QCOMPARE(rig.feedback.messages.size(), std::size_t{1});
    QCOMPARE(rig.feedback.messages.front().text,
             QStringLiteral("The virtual plotter lost 280 steps (X 280, Y 0), all of them against an end of travel: "
                            "the carriage is not where the program counts it."));
    QVERIFY2(controls(w).progressLabel->text().endsWith(QStringLiteral("; steps were lost")),
             qPrintable(controls(w).progressLabel->text()));
    QCOMPARE(controls(w).positionLabel->text(), QStringLiteral("Pen at X 60.00 mm, Y 30.00 mm")); // as it stands
}

// Draw is for the file the test read: choosing another one turns it off; choosing the
// same one again does not.
void TestRuns::anotherFileNeedsACheck()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    const QString first = rig.writeFile("first.plt", "PU-400,0;PD0,0;");
    w.openPlotFile(first);
    controls(w).testAndShowButton->click();
    QVERIFY(controls(w).drawButton->isEnabled());
    w.openPlotFile(first);
    QVERIFY(controls(w).drawButton->isEnabled());

    w.openPlotFile(rig.writeFile("other.plt", "PU0,0;PD400,0;PU;"));
    QVERIFY(!controls(w).drawButton->isEnabled());
    w.onDrawClicked(); // from code too: nothing moves
    QVERIFY(rig.waitUntilIdle());
    QVERIFY(rig.plotter().paper().empty());
    w.openPlotFile(first); // back to the tested file: still needs a test
    QVERIFY(!controls(w).drawButton->isEnabled());
    controls(w).testAndShowButton->click();
    QVERIFY(controls(w).drawButton->isEnabled());
}

void TestRuns::unopenablePathClearsLastCheck_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing file") << "missing";
    QTest::newRow("folder") << "folder";
}

void TestRuns::unopenablePathClearsLastCheck()
{
    QFETCH(QString, kind);

    WindowRig rig;
    MainWindow& w = rig.openWindow();
    useFile(rig, w, "PU-400,0;PD5640,200;"); // too big: red frame
    controls(w).testAndShowButton->click();
    const QStringList labels{controls(w).minXLabel->text(), controls(w).minYLabel->text(),
                             controls(w).maxXLabel->text(), controls(w).maxYLabel->text()};
    QCOMPARE(labels.first(), QStringLiteral("-10 mm"));
    const QColor frame = frameColour(controls(w).limitFrame);
    QCOMPARE(w.plotExtents.minXmm, std::int16_t{-10});

    const std::string path = kind == "missing" ? rig.dir.file("no-such.plt").string() : rig.dir.path().string();
    w.openPlotFile(QString::fromStdString(path));
    controls(w).testAndShowButton->click();

    QCOMPARE(rig.feedback.messages.size(), std::size_t{1});
    QVERIFY2(rig.feedback.messages.front().text.contains(QString::fromStdString(path)),
             qPrintable(rig.feedback.messages.front().text));
    QVERIFY(!controls(w).drawButton->isEnabled());
    QVERIFY(controls(w).testAndShowButton->isEnabled());
    // What the window showed of the other file is gone.
    QCOMPARE((QStringList{controls(w).minXLabel->text(), controls(w).minYLabel->text(), controls(w).maxXLabel->text(),
                          controls(w).maxYLabel->text()}),
             QStringList(4, QStringLiteral("000.000")));
    QVERIFY(frameColour(controls(w).limitFrame) != frame);
    QCOMPARE(w.plotExtents.minXmm, std::int16_t{0});
    QCOMPARE(w.plotExtents.maxXmm, std::int16_t{0});
    QVERIFY(!w.lastCheck);
    QVERIFY(controls(w).progressLabel->text().startsWith(QStringLiteral("Test and Show failed")));
}

// Lstepx 1 (0.005 mm per half step): 150 mm are 30000 steps and pass the test. A zoom of
// 200 % typed during the draw would need 60000 steps from the next point on: the draw
// keeps the zoom it was tested at, to its end, and Draw then needs a new test.
void TestRuns::zoomTypedDuringADrawDoesNotRescaleIt()
{
    WindowRig rig;
    rig.startXmm = 0; // the whole 150 mm of X travel ahead
    rig.writeSettings(1, 50, 150, 150, 80, 80, 5, 5, "&H378");
    MainWindow& w = rig.openWindow();
    useFile(rig, w, "PU0,0;PD40,0;PD6000,0;PD6000,40;PU;");
    controls(w).testAndShowButton->click();
    QVERIFY(controls(w).drawButton->isEnabled());

    QTimer::singleShot(0, &w, [&w] { controls(w).zoomBox->setText(QStringLiteral("200")); });
    controls(w).drawButton->click();
    QVERIFY(rig.waitUntilIdle());

    QCOMPARE(rig.feedback.messages.size(), std::size_t{0});
    QVERIFY(!rig.plotter().penDown());
    QVERIFY2(sameSegments(rig.plotter().paper(), {{0, 30, 150, 30}, {150, 30, 150, 31}}, 0.005),
             qPrintable(describe(rig.plotter().paper())));
    QVERIFY(!w.drawRunning());
    QVERIFY(controls(w).plotterControlFrame->isEnabled());
    QVERIFY(controls(w).testAndShowButton->isEnabled());
    QVERIFY(!controls(w).drawButton->isEnabled()); // the zoom changed since the test
}

void TestRuns::stopEndsDraw_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("Stop button") << false;
    QTest::newRow("Esc key") << true;
}

void TestRuns::stopEndsDraw()
{
    QFETCH(bool, escape);

    WindowRig rig;
    rig.startXmm = 0; // room for the draw again from where the stopped one left the carriage
    MainWindow& w = rig.openWindow();
    useFile(rig, w, "PU0,0;PD4000,0;PD4000,4000;PU0,0;");
    controls(w).testAndShowButton->click();
    QVERIFY(controls(w).drawButton->isEnabled());

    // Parked 200 writes in: the first line, 40 mm along.
    rig.parkMotionAt(rig.writes->size() + 200);
    controls(w).drawButton->click();
    QVERIFY(rig.waitUntilParked());
    const double xAtStop = rig.plotter().xMillimetres();
    const bool stopShown = !controls(w).stopButton->isHidden() && controls(w).stopButton->isEnabled();
    const QString progress = controls(w).progressLabel->text();
    if (escape)
        QTest::keyClick(&w, Qt::Key_Escape);
    else
        controls(w).stopButton->click();
    rig.releaseMotion();
    QVERIFY(rig.waitUntilIdle());

    QVERIFY(stopShown);
    QVERIFY2(progress.startsWith(QStringLiteral("Drawing: ")), qPrintable(progress));
    // Ended after the current step: the carriage holds its place, pen up, coils on.
    QVERIFY(std::fabs(rig.plotter().xMillimetres() - xAtStop) <= kStepMm + 1e-9);
    QCOMPARE(rig.plotter().yMillimetres(), 30.0);
    QVERIFY(!rig.plotter().penDown());
    QVERIFY(rig.plotter().motorsEnergised());
    QVERIFY(rig.feedback.messages.empty());
    QVERIFY2(controls(w).progressLabel->text().contains(QStringLiteral("stopped")),
             qPrintable(controls(w).progressLabel->text()));
    expectControlsAfterRun(w);
    QVERIFY(!w.drive().stopRequested());

    // The next draw is not ended by the old request.
    rig.plotter().clearPaper();
    controls(w).drawButton->click();
    QVERIFY(rig.waitUntilIdle());
    QVERIFY(controls(w).progressLabel->text().startsWith(QStringLiteral("Drawing finished")));
}

void TestRuns::stopDuringPenToZeroDrawsNothing()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    useFile(rig, w, "PU-400,0;PD0,0;PD0,400;PU;");
    controls(w).testAndShowButton->click();
    QVERIFY(controls(w).drawButton->isEnabled());

    rig.parkMotionAt(rig.writes->size() + 40); // homing, 10 mm from home
    controls(w).drawButton->click();
    QVERIFY(rig.waitUntilParked());
    controls(w).stopButton->click();
    rig.releaseMotion();
    QVERIFY(rig.waitUntilIdle());

    QVERIFY(rig.plotter().paper().empty());
    QVERIFY(!rig.plotter().penDown());
    QVERIFY(rig.plotter().xMillimetres() > 15); // it did not go on homing
    expectControlsAfterRun(w);
}

// The plotter went away after the test: Pen to 0 refuses with its message and the
// draw ends there instead of drawing from wherever the carriage stands.
void TestRuns::penToZeroWithoutPlotterDrawsNothing()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    useFile(rig, w, "PU-400,0;PD0,0;PD0,400;PU;");
    controls(w).testAndShowButton->click();
    QVERIFY(controls(w).drawButton->isEnabled());
    rig.plotter().setClockRunning(false);
    controls(w).presenceCheckButton->click();
    QVERIFY(!w.drive().state.connected);
    const std::size_t writes = rig.writes->size();

    controls(w).drawButton->click();
    QVERIFY(rig.waitUntilIdle());

    QCOMPARE(rig.feedback.messages.size(), std::size_t{1});
    QCOMPARE(rig.feedback.messages.front().title, QStringLiteral("Plotter is not connected !"));
    QCOMPARE(rig.writes->size(), writes);
    QVERIFY(rig.plotter().paper().empty());
    QCOMPARE(rig.plotter().xMillimetres(), 30.0);
    expectControlsAfterRun(w);
}

// 20 Hz clock: one two-cycle step delay is 0.1 s. "PD400,0;" from the origin is one pen
// command (two periods) and 40 steps: 4.2 s.
void TestRuns::estimateAfterCheck()
{
    WindowRig rig;
    rig.clockHz = 20;
    MainWindow& w = rig.openWindow();
    useFile(rig, w, "PD400,0;");
    controls(w).testAndShowButton->click();
    QVERIFY(controls(w).drawButton->isEnabled());
    QCOMPARE(controls(w).progressLabel->text(), QStringLiteral("Estimated drawing time: 4 s"));
    QVERIFY(w.lastCheck.has_value());
}

// A plotter that is not the virtual one and has not been measured with Speed.
void TestRuns::estimateNeedsStepPeriod()
{
    WindowRig rig;
    orlex::ui::MainWindowOptions options = rig.options();
    options.openPort = [open = options.openPort](const orlex::MachineSettings& s) {
        orlex::OpenedPort port = open(s);
        port.virtualPlotter = nullptr;
        return port;
    };
    MainWindow w(options);
    w.openPlotFile(rig.writeFile("plot.plt", "PD400,0;"));
    controls(w).testAndShowButton->click();
    QVERIFY(!w.stepPeriodSeconds().has_value());
    QVERIFY2(controls(w).progressLabel->text().startsWith(QStringLiteral("Estimated drawing time: unknown")),
             qPrintable(controls(w).progressLabel->text()));
    QVERIFY(controls(w).progressLabel->text().contains(QStringLiteral("Speed")));
}

QTEST_MAIN(TestRuns)
#include "tst_runs.moc"
