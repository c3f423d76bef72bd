// "Pen home" and "Pen to 0" in the window, on the virtual plotter in virtual time.
#include "window_rig.h"

#include "ui/main_window.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using orlex::Register;
using orlex::test::RecordingFeedback;
using orlex::test::WindowRig;
using orlex::ui::MainWindow;
using orlex::ui::OperatorFeedback;

namespace {

void useFile(WindowRig& rig, MainWindow& w, const std::string& hpgl)
{
    w.openPlotFile(rig.writeFile("plot.plt", hpgl));
}

// Enabled state of every control that matters while a homing runs.
struct ControlStates {
    bool jogs, home, zero, test, draw, pen, motor;
};

ControlStates statesOf(MainWindow& w)
{
    return {controls(w).stepUpButton->isEnabled() || controls(w).stepDownButton->isEnabled()
                || controls(w).stepRightButton->isEnabled() || controls(w).stepLeftButton->isEnabled(),
            controls(w).penHomeButton->isEnabled(),
            controls(w).penToZeroButton->isEnabled(),
            controls(w).testAndShowButton->isEnabled(),
            controls(w).drawButton->isEnabled(),
            controls(w).penButton->isEnabled(),
            controls(w).motorButton->isEnabled()};
}

} // namespace

class TestHoming : public QObject {
    Q_OBJECT
private slots:
    void homeEndsFourStepsOffSwitches_data();
    void homeEndsFourStepsOffSwitches();
    void penToZeroStandsAtPlotMinimum_data();
    void penToZeroStandsAtPlotMinimum();
    void notConnectedLeavesPortUntouched_data();
    void notConnectedLeavesPortUntouched();
    void motionControlsHeldOffDuringHoming_data();
    void motionControlsHeldOffDuringHoming();
    void zoomCannotChangeWhileAJobRuns();
    void switchThatNeverClosesIsReported();
    void penToZeroStopsWhenHomingFails();
};

void TestHoming::homeEndsFourStepsOffSwitches_data()
{
    QTest::addColumn<double>("startXmm");
    QTest::addColumn<double>("startYmm");
    QTest::newRow("both open") << 30.0 << 30.0;
    QTest::newRow("both open, X nearer") << 5.0 << 40.0;
    QTest::newRow("X closed") << 0.0 << 30.0;
    QTest::newRow("Y closed") << 30.0 << 0.0;
    QTest::newRow("both closed") << 0.0 << 0.0;
}

void TestHoming::homeEndsFourStepsOffSwitches()
{
    QFETCH(double, startXmm);
    QFETCH(double, startYmm);

    WindowRig rig;
    rig.startXmm = startXmm;
    rig.startYmm = startYmm;
    MainWindow& w = rig.openWindow();
    QVERIFY(w.drive().state.connected);
    // Coils on first, as an operator would with "Motor on"; the rotors already stand at
    // the start-up phases, so this moves nothing.
    controls(w).motorButton->click();
    QVERIFY(rig.plotter().motorsEnergised());
    const std::size_t writesBefore = rig.writes->size();

    controls(w).penHomeButton->click();
    QVERIFY(rig.waitUntilIdle());

    // The pen is lifted before the carriage moves: the first write of the homing.
    QVERIFY(rig.writes->size() > writesBefore);
    QCOMPARE((*rig.writes)[writesBefore], (orlex::test::PortWrite{Register::Control, 1}));
    QCOMPARE(rig.writesTo(Register::Control).back(), std::uint8_t{1});

    // Half stepping at 0.25 mm per step: four steps off each switch is 1 mm.
    QCOMPARE(rig.plotter().xHalfSteps(), 4L);
    QCOMPARE(rig.plotter().yHalfSteps(), 4L);
    QCOMPARE(rig.plotter().xMillimetres(), 1.0);
    QCOMPARE(rig.plotter().yMillimetres(), 1.0);
    QVERIFY(!rig.plotter().xSwitchClosed());
    QVERIFY(!rig.plotter().ySwitchClosed());
    QVERIFY(rig.feedback.messages.empty());
    QVERIFY(controls(w).penHomeButton->isEnabled());
}

void TestHoming::penToZeroStandsAtPlotMinimum_data()
{
    QTest::addColumn<QString>("hpgl");
    QTest::addColumn<QString>("zoom");
    QTest::addColumn<double>("xmm");
    QTest::addColumn<double>("ymm");
    // From the backed-off home position (1 mm, 1 mm): |minXmm| right, |minYmm| up.
    QTest::newRow("negative X") << "PU-480,0;PD0,0;"
                                << "100" << 13.0 << 1.0;
    QTest::newRow("negative Y") << "PU0,-200;PD100,100;"
                                << "100" << 1.0 << 6.0;
    QTest::newRow("both") << "PU-400,-800;PD0,0;"
                          << "100" << 11.0 << 21.0;
    QTest::newRow("zoom 200") << "PU-480,0;PD0,0;"
                              << "200" << 25.0 << 1.0;
    QTest::newRow("none negative") << "PU0,0;PD400,400;"
                                   << "100" << 1.0 << 1.0;
}

void TestHoming::penToZeroStandsAtPlotMinimum()
{
    QFETCH(QString, hpgl);
    QFETCH(QString, zoom);
    QFETCH(double, xmm);
    QFETCH(double, ymm);

    WindowRig rig;
    MainWindow& w = rig.openWindow();
    controls(w).zoomBox->setText(zoom);
    useFile(rig, w, hpgl.toStdString());
    controls(w).testAndShowButton->click();
    QVERIFY(rig.feedback.messages.empty());

    controls(w).penToZeroButton->click();
    QVERIFY(rig.waitUntilIdle());
    QCOMPARE(rig.plotter().xMillimetres(), xmm);
    QCOMPARE(rig.plotter().yMillimetres(), ymm);
    QVERIFY(!rig.plotter().penDown());
    QCOMPARE(rig.writesTo(Register::Control).back(), std::uint8_t{1});
    QCOMPARE(rig.plotter().counters().lostStepsX + rig.plotter().counters().lostStepsY, 0L);
    QVERIFY(rig.feedback.messages.empty());
    QVERIFY(controls(w).penToZeroButton->isEnabled());
    QVERIFY(controls(w).penHomeButton->isEnabled());
}

void TestHoming::notConnectedLeavesPortUntouched_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("Pen home") << "penHomeButton";
    QTest::newRow("Pen to 0") << "penToZeroButton";
}

void TestHoming::notConnectedLeavesPortUntouched()
{
    QFETCH(QString, button);

    WindowRig rig;
    rig.clockRunning = false;
    MainWindow& w = rig.openWindow();
    QVERIFY(!w.drive().state.connected);
    const std::size_t writes = rig.writes->size();
    const orlex::DriveState before = w.drive().state;

    w.findChild<QPushButton*>(button)->click();

    QCOMPARE(rig.feedback.messages.size(), std::size_t{1});
    const RecordingFeedback::Message& m = rig.feedback.messages.front();
    QCOMPARE(m.icon, OperatorFeedback::Icon::Critical);
    QCOMPARE(m.title, QStringLiteral("Plotter is not connected !"));
    QCOMPARE(m.text, QStringLiteral(" Plotterul nu este conectat sau este pe pozitia -STOP- "));
    QCOMPARE(rig.writes->size(), writes);
    QCOMPARE(rig.plotter().xMillimetres(), 30.0);
    QCOMPARE(rig.plotter().yMillimetres(), 30.0);
    QCOMPARE(w.drive().state.positionX, before.positionX);
    QCOMPARE(w.drive().state.positionY, before.positionY);
    QCOMPARE(w.drive().state.directionX, before.directionX);
    QVERIFY(controls(w).penHomeButton->isEnabled());
    QVERIFY(controls(w).penToZeroButton->isEnabled());
}

void TestHoming::motionControlsHeldOffDuringHoming_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("drawBefore");
    QTest::newRow("Pen home, Draw on") << "penHomeButton" << true;
    QTest::newRow("Pen home, Draw off") << "penHomeButton" << false;
    QTest::newRow("Pen to 0, Draw on") << "penToZeroButton" << true;
    QTest::newRow("Pen to 0, Draw off") << "penToZeroButton" << false;
}

// Parked inside a homing step, the window holds off every control that would start a
// second motion or touch the port, and the handlers themselves refuse from code too.
void TestHoming::motionControlsHeldOffDuringHoming()
{
    QFETCH(QString, button);
    QFETCH(bool, drawBefore);

    WindowRig rig;
    MainWindow& w = rig.openWindow();
    useFile(rig, w, "PU-400,0;PD0,0;");
    controls(w).testAndShowButton->click();
    QVERIFY(controls(w).drawButton->isEnabled());
    if (!drawBefore) { // any zoom change turns Draw off until the next check
        controls(w).zoomScrollBar->setValue(101);
        controls(w).zoomScrollBar->setValue(100);
    }

    rig.parkMotionAt(rig.writes->size() + 20);
    w.findChild<QPushButton*>(button)->click();
    QVERIFY(rig.waitUntilParked());
    const ControlStates during = statesOf(w);
    const std::size_t writesWhenParked = rig.writes->size();
    w.onStepRightClicked(); // none of these may touch the port the motion thread owns
    w.onPenHomeClicked();
    w.onPenToZeroClicked();
    w.onPenClicked();
    w.onMotorClicked();
    QCOMPARE(rig.writes->size(), writesWhenParked);
    rig.releaseMotion();
    QVERIFY(rig.waitUntilIdle());

    QVERIFY(!during.jogs && !during.home && !during.zero && !during.test && !during.draw && !during.pen
            && !during.motor);
    const ControlStates after = statesOf(w);
    QVERIFY(after.jogs && after.home && after.zero && after.test && after.pen && after.motor);
    QCOMPARE(after.draw, drawBefore);
    // The homing went through undisturbed.
    const double expectedX = button == "penToZeroButton" ? 11.0 : 1.0;
    QCOMPARE(rig.plotter().xMillimetres(), expectedX);
    QCOMPARE(rig.plotter().yMillimetres(), 1.0);
    QVERIFY(rig.feedback.messages.empty());
}

// The zoom cannot be typed while a job runs: the draw that follows uses what was checked.
void TestHoming::zoomCannotChangeWhileAJobRuns()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    useFile(rig, w, "PU0,0;PD400,400;");
    controls(w).testAndShowButton->click();
    QVERIFY(controls(w).drawButton->isEnabled());

    rig.parkMotionAt(rig.writes->size() + 10);
    controls(w).penHomeButton->click();
    QVERIFY(rig.waitUntilParked());
    QVERIFY(!controls(w).zoomBox->isEnabled() && !controls(w).zoomScrollBar->isEnabled());
    QTest::keyClicks(controls(w).zoomBox, QStringLiteral("5"));
    rig.releaseMotion();
    QVERIFY(rig.waitUntilIdle());

    QCOMPARE(int{w.preview().zoom}, 100);
    QVERIFY(controls(w).drawButton->isEnabled());
}

// Maxx 150 mm at 0.25 mm per half step: homing gives up after 660 steps towards X.
void TestHoming::switchThatNeverClosesIsReported()
{
    WindowRig rig;
    rig.startXmm = 200;
    MainWindow& w = rig.openWindow();

    controls(w).penHomeButton->click();
    QVERIFY(rig.waitUntilIdle());

    QCOMPARE(rig.feedback.messages.size(), std::size_t{1});
    const RecordingFeedback::Message& m = rig.feedback.messages.front();
    QCOMPARE(m.icon, OperatorFeedback::Icon::Warning);
    QVERIFY2(m.text.contains(QStringLiteral("X home switch")), qPrintable(m.text));
    QVERIFY2(m.text.contains(QStringLiteral("660")), qPrintable(m.text));
    QVERIFY(!rig.plotter().xSwitchClosed());
    QCOMPARE(rig.plotter().yHalfSteps(), 0L); // Y reached its switch; no back-off followed
    QVERIFY(controls(w).penHomeButton->isEnabled());
    QVERIFY(controls(w).stepRightButton->isEnabled());
}

void TestHoming::penToZeroStopsWhenHomingFails()
{
    WindowRig rig;
    rig.startXmm = 200;
    MainWindow& w = rig.openWindow();
    useFile(rig, w, "PU-480,0;PD0,0;");
    controls(w).testAndShowButton->click();
    QVERIFY(rig.feedback.messages.empty());
    const std::size_t controlWrites = rig.writesTo(Register::Control).size();

    controls(w).penToZeroButton->click();
    QVERIFY(rig.waitUntilIdle());

    QCOMPARE(rig.feedback.messages.size(), std::size_t{1});
    QVERIFY(rig.feedback.messages.front().text.contains(QStringLiteral("X home switch")));
    // No move to the origin: it would have written the pen again and stepped away from Y
    // home. The one control write is the homing's own pen lift.
    QCOMPARE(rig.writesTo(Register::Control).size(), controlWrites + 1);
    QCOMPARE(rig.plotter().yHalfSteps(), 0L);
    QVERIFY(controls(w).penToZeroButton->isEnabled());
}

QTEST_MAIN(TestHoming)
#include "tst_homing.moc"
