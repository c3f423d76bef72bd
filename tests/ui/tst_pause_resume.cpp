// Pause, Continue, the pen-change pause and "Resume from point N" in the window, on the
// virtual plotter in virtual time: however a draw is held or ended and carried on, the
// paper ends up with the ink of one whole draw and nothing else.
#include "../run/ink.h"
#include "window_rig.h"

#include "ui/main_window.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <set>
#include <thread>

using orlex::test::InkStep;
using orlex::test::inkSteps;
using orlex::test::WindowRig;
using orlex::ui::MainWindow;

namespace {

// Two long strokes with a pen change between them.
constexpr const char* kPlot = "IN;SP1;PU400,400;PD4000,400,4000,2000;SP2;PU400,2400;PD4000,2400,400,800;PU;";
// The same shape reaching 10 mm below and left of its origin: drawn after "Pen to 0".
constexpr const char* kNegativePlot = "IN;SP1;PU-400,-400;PD4000,-400,4000,2000;PU400,2400;PD4000,2400,-400,800;PU;";

MainWindow& windowWithCheckedFile(WindowRig& rig, const char* plot)
{
    MainWindow& w = rig.openWindow();
    w.openPlotFile(rig.writeFile("plot.plt", plot));
    controls(w).testAndShowButton->click();
    return w;
}

std::set<InkStep> wholeDrawInk(const char* plot)
{
    WindowRig rig;
    MainWindow& w = windowWithCheckedFile(rig, plot);
    controls(w).drawButton->click();
    rig.waitUntilIdle();
    return inkSteps(rig.plotter());
}

// Runs `step` at every event-loop turn of the next draw until it returns true.
void duringNextDraw(WindowRig& rig, QPushButton* start, const std::function<bool()>& step)
{
    QTimer probe;
    probe.setInterval(0);
    bool done = false;
    QObject::connect(&probe, &QTimer::timeout, &rig.window(), [&] { done = done || step(); });
    probe.start();
    start->click();
    rig.waitUntilIdle();
    probe.stop();
}

// Starts a draw and parks it inside a pen-down line, 300 writes in.
void drawUntilParked(WindowRig& rig)
{
    rig.parkMotionAt(rig.writes->size() + 300);
    controls(rig.window()).drawButton->click();
    QVERIFY(rig.waitUntilParked());
    QVERIFY(rig.plotter().penDown());
}

// Lets events run until the draw holds, the pen up.
bool waitUntilHeld(MainWindow& w)
{
    QElapsedTimer clock;
    clock.start();
    while (!w.drive().holding() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return w.drive().holding();
}

} // namespace

class TestPauseResume : public QObject {
    Q_OBJECT
private slots:
    void pauseHoldsAndContinueGoesOn_data();
    void pauseHoldsAndContinueGoesOn();
    void stopWhilePausedEndsTheDraw_data();
    void stopWhilePausedEndsTheDraw();
    void resumeAfterStop_data();
    void resumeAfterStop();
    void resumeRefusedWhenThePlotChanged();
    void penChangePausesWhenChosen();
    void terminalStopPausesTheDrawFirst();
    void estimateAndEndTexts();
};

void TestPauseResume::pauseHoldsAndContinueGoesOn_data()
{
    QTest::addColumn<bool>("spaceKey");
    QTest::newRow("buttons") << false;
    QTest::newRow("Space") << true;
}

void TestPauseResume::pauseHoldsAndContinueGoesOn()
{
    QFETCH(bool, spaceKey);
    WindowRig rig;
    MainWindow& w = windowWithCheckedFile(rig, kPlot);
    if (spaceKey) { // a shortcut needs the window shown and active
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }
    QVERIFY(controls(w).drawButton->isEnabled());
    QVERIFY(controls(w).pauseButton->isHidden());

    drawUntilParked(rig);
    const bool pauseOffered = !controls(w).pauseButton->isHidden() && controls(w).continueButton->isHidden();
    if (spaceKey)
        QTest::keyClick(&w, Qt::Key_Space);
    else
        controls(w).pauseButton->click();
    rig.releaseMotion();
    QVERIFY(waitUntilHeld(w));
    // Held: the window lives, nothing moves, the pen is up and the coils hold the carriage.
    const double xAtPause = rig.plotter().xMillimetres();
    QTest::qWait(0);
    QCOMPARE(rig.plotter().xMillimetres(), xAtPause);
    QVERIFY(!rig.plotter().penDown());
    QVERIFY(rig.plotter().motorsEnergised());
    const QString pausedText = controls(w).progressLabel->text();
    QVERIFY(!controls(w).continueButton->isHidden());
    if (spaceKey) {
        QTest::keyClick(&w, Qt::Key_Space);
    } else {
        // It replaced Pause under the pointer: it waits a double click's time first.
        QTRY_VERIFY(controls(w).continueButton->isEnabled());
        controls(w).continueButton->click();
    }
    QVERIFY(rig.waitUntilIdle());

    QVERIFY(pauseOffered);
    QVERIFY2(pausedText.startsWith(QStringLiteral("Paused at point 2 of 6")), qPrintable(pausedText));
    QVERIFY2(controls(w).progressLabel->text().startsWith(QStringLiteral("Drawing finished")),
             qPrintable(controls(w).progressLabel->text()));
    QVERIFY(controls(w).pauseButton->isHidden());
    QVERIFY(controls(w).continueButton->isHidden());
    QVERIFY(controls(w).resumeButton->isHidden());
    QVERIFY(inkSteps(rig.plotter()) == wholeDrawInk(kPlot));
}

// Stop during a pause, and Continue and Stop in the same turn of the event loop, either
// way round: the draw ends with the pen up and nothing held over.
void TestPauseResume::stopWhilePausedEndsTheDraw_data()
{
    QTest::addColumn<QString>("order");
    QTest::newRow("Stop while held") << "stop";
    QTest::newRow("Continue then Stop") << "continue, stop";
    QTest::newRow("Stop then Continue") << "stop, continue";
}

void TestPauseResume::stopWhilePausedEndsTheDraw()
{
    QFETCH(QString, order);
    WindowRig rig;
    MainWindow& w = windowWithCheckedFile(rig, kPlot);
    drawUntilParked(rig);
    controls(w).pauseButton->click();
    rig.releaseMotion();
    QVERIFY(waitUntilHeld(w));
    rig.parkMotionAt(rig.writes->size() + 3); // a Continue must not let the draw run away first
    for (const QString& press : order.split(QStringLiteral(", ")))
        (press == QStringLiteral("stop") ? controls(w).stopButton : controls(w).continueButton)->click();
    rig.releaseMotion();
    QVERIFY(rig.waitUntilIdle());
    QVERIFY(!rig.plotter().penDown());
    QVERIFY2(controls(w).progressLabel->text().contains(QStringLiteral("stopped")),
             qPrintable(controls(w).progressLabel->text()));
    QVERIFY(controls(w).continueButton->isHidden());
    QVERIFY(!w.drive().pauseRequested() && !w.drive().stopRequested());
    QVERIFY(!controls(w).resumeButton->isHidden());
}

void TestPauseResume::resumeAfterStop_data()
{
    QTest::addColumn<QString>("plot");
    QTest::addColumn<bool>("jogInBetween");
    QTest::addColumn<bool>("resumable");
    QTest::newRow("in place") << QString(kPlot) << false << true;
    QTest::newRow("jogged, origin where the carriage stood") << QString(kPlot) << true << false;
    QTest::newRow("jogged, origin found by homing") << QString(kNegativePlot) << true << true;
}

void TestPauseResume::resumeAfterStop()
{
    QFETCH(QString, plot);
    QFETCH(bool, jogInBetween);
    QFETCH(bool, resumable);
    const QByteArray plotBytes = plot.toLatin1();
    WindowRig rig;
    MainWindow& w = windowWithCheckedFile(rig, plotBytes.constData());
    drawUntilParked(rig);
    controls(w).stopButton->click();
    rig.releaseMotion();
    QVERIFY(rig.waitUntilIdle());
    QVERIFY(!controls(w).resumeButton->isHidden());
    QVERIFY(controls(w).resumeButton->isEnabled());
    QVERIFY2(controls(w).resumeButton->text().startsWith(QStringLiteral("Resume from point ")),
             qPrintable(controls(w).resumeButton->text()));

    if (jogInBetween)
        controls(w).stepRightButton->click();
    QCOMPARE(controls(w).resumeButton->isEnabled(), resumable);
    if (!resumable) {
        QVERIFY2(controls(w).resumeButton->toolTip().contains(QStringLiteral("the carriage was jogged")),
                 qPrintable(controls(w).resumeButton->toolTip()));
        return;
    }
    controls(w).resumeButton->click();
    QVERIFY(rig.waitUntilIdle());
    QVERIFY2(controls(w).progressLabel->text().startsWith(QStringLiteral("Drawing finished")),
             qPrintable(controls(w).progressLabel->text()));
    QVERIFY(controls(w).resumeButton->isHidden());
    QVERIFY(inkSteps(rig.plotter()) == wholeDrawInk(plotBytes.constData()));
}

void TestPauseResume::resumeRefusedWhenThePlotChanged()
{
    WindowRig rig;
    MainWindow& w = windowWithCheckedFile(rig, kNegativePlot);
    drawUntilParked(rig);
    controls(w).stopButton->click();
    rig.releaseMotion();
    QVERIFY(rig.waitUntilIdle());
    QVERIFY(controls(w).resumeButton->isEnabled());
    controls(w).zoomBox->setText(QStringLiteral("150"));
    QVERIFY(!controls(w).resumeButton->isEnabled());
    QVERIFY(controls(w).resumeButton->toolTip().contains(QStringLiteral("Test and Show")));
    // Back at the old scale and tested again: the origin is found by homing.
    controls(w).zoomBox->setText(QStringLiteral("100"));
    controls(w).testAndShowButton->click();
    QVERIFY2(controls(w).resumeButton->isEnabled(), qPrintable(controls(w).resumeButton->toolTip()));
    QVERIFY(controls(w).resumeButton->toolTip().startsWith(QStringLiteral("Homes")));
}

void TestPauseResume::penChangePausesWhenChosen()
{
    WindowRig rig;
    {
        MainWindow& w = windowWithCheckedFile(rig, kPlot);
        controls(w).pauseAtPenChangeAction->trigger();
        QVERIFY(controls(w).pauseAtPenChangeAction->isChecked());
        QString question;
        bool penUp = false;
        duringNextDraw(rig, controls(w).drawButton, [&] {
            if (controls(w).continueButton->isHidden() || !controls(w).continueButton->isEnabled()
                || !w.drive().holding())
                return false;
            question = controls(w).progressLabel->text();
            penUp = !rig.plotter().penDown();
            controls(w).continueButton->click();
            return true;
        });
        QCOMPARE(question, QStringLiteral("Put in pen 2, then Continue"));
        QVERIFY(penUp);
        QVERIFY(inkSteps(rig.plotter()) == wholeDrawInk(kPlot));
        rig.closeWindow();
    }
    // Remembered for the next start.
    MainWindow& again = rig.openWindow();
    QVERIFY(controls(again).pauseAtPenChangeAction->isChecked());
}

// 20 Hz clock: one step period is 0.1 s. "Pen to 0" moves 40 steps right (a pen command
// and 40 steps: 4.2 s); the drawing goes 40 steps left and back (8.4 s).
void TestPauseResume::estimateAndEndTexts()
{
    WindowRig rig;
    rig.clockHz = 20;
    MainWindow& w = windowWithCheckedFile(rig, "PU-400,0;PD0,0;");
    QCOMPARE(controls(w).progressLabel->text(), QStringLiteral("Estimated drawing time: 13 s plus homing"));
    controls(w).drawButton->click();
    QVERIFY(rig.waitUntilIdle());
    QVERIFY2(controls(w).progressLabel->text().startsWith(QStringLiteral("Drawing finished: 2 points in ")),
             qPrintable(controls(w).progressLabel->text()));
    QVERIFY2(controls(w).progressLabel->text().endsWith(QStringLiteral(" (estimated 8 s)")),
             qPrintable(controls(w).progressLabel->text()));
}

// Ctrl-Z at the terminal: the draw holds with the pen up before the program stops, and
// after fg it waits for Continue; the paper gets one whole draw.
void TestPauseResume::terminalStopPausesTheDrawFirst()
{
    WindowRig rig;
    MainWindow& w = windowWithCheckedFile(rig, kPlot);
    drawUntilParked(rig);
    // The motion thread goes on once the pause is asked for, so it holds in the same line.
    std::thread release([&] {
        while (!w.drive().pauseRequested())
            std::this_thread::yield();
        rig.releaseMotion();
    });
    w.stopForTerminal();
    release.join();
    QCOMPARE(rig.penDownWhenStopped, std::vector<bool>{false});
    QCOMPARE(w.runState(), orlex::ui::RunState::Paused);
    QVERIFY(w.drive().holding());
    w.onContinueClicked(); // as Continue does once it takes clicks
    QVERIFY(rig.waitUntilIdle());
    QVERIFY(inkSteps(rig.plotter()) == wholeDrawInk(kPlot));
}

QTEST_MAIN(TestPauseResume)
#include "tst_pause_resume.moc"
