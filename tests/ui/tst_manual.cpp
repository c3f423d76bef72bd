// Manual controls of the main window on the virtual plotter: jogs, motor and pen
// buttons, the motor lamp, the presence test's display and the step-period measurement.
#include "window_rig.h"

#include "ui/main_window.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using orlex::Register;
using orlex::test::WindowRig;
using orlex::ui::MainWindow;

namespace {

// Energises the coils through the Motor button, so the next step turns a rotor that
// already holds a position.
void energise(MainWindow& w)
{
    if (w.virtualPlotter()->dataLatch() == 0)
        controls(w).motorButton->click();
}

} // namespace

class TestManual : public QObject {
    Q_OBJECT
private slots:
    void jogStepsOneStep_data();
    void jogStepsOneStep();
    void holdingAJogButtonRepeatsItsStep();
    void arrowKeysJog_data();
    void arrowKeysJog();
    void motorOffOnRestoresCoilByte();
    void penButtonTogglesPenAndColour();
    void lampBlinksWhileEnergised();
    void lampCrossedOutWithMotorsOff();
    void checkDisplay_data();
    void checkDisplay();
    void speedShowsStepPeriod();
    void speedBelowOneMillisecondKeepsClockPeriod();
};

void TestManual::jogStepsOneStep_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("dxHalfSteps");
    QTest::addColumn<int>("dyHalfSteps");
    QTest::newRow("up") << "stepUpButton" << 0 << 1;
    QTest::newRow("down") << "stepDownButton" << 0 << -1;
    QTest::newRow("right") << "stepRightButton" << 1 << 0;
    QTest::newRow("left") << "stepLeftButton" << -1 << 0;
}

void TestManual::jogStepsOneStep()
{
    QFETCH(QString, button);
    QFETCH(int, dxHalfSteps);
    QFETCH(int, dyHalfSteps);

    WindowRig rig;
    MainWindow& w = rig.openWindow();
    controls(w).statusTimer->stop();
    energise(w);
    auto* jog = w.findChild<QPushButton*>(button);
    QVERIFY(jog);

    for (int press = 1; press <= 3; ++press) {
        const long x0 = rig.plotter().xHalfSteps();
        const long y0 = rig.plotter().yHalfSteps();
        const std::size_t dataWrites = rig.writesTo(Register::Data).size();
        const std::size_t controlWrites = rig.writesTo(Register::Control).size();
        jog->click();
        QCOMPARE(rig.plotter().xHalfSteps() - x0, dxHalfSteps);
        QCOMPARE(rig.plotter().yHalfSteps() - y0, dyHalfSteps);
        QCOMPARE(rig.writesTo(Register::Data).size(), dataWrites + 1);   // one coil byte per press
        QCOMPARE(rig.writesTo(Register::Control).size(), controlWrites); // the pen is not touched
    }
    QCOMPARE(rig.plotter().counters().lostStepsX, 0L);
    QCOMPARE(rig.plotter().counters().lostStepsY, 0L);
    // The direction stays set after the step.
    if (dxHalfSteps != 0)
        QCOMPARE(w.drive().state.directionX, dxHalfSteps);
    else
        QCOMPARE(int{w.drive().state.directionY}, dyHalfSteps);
}

// A click through the mouse is one step and one coil byte; held, the button repeats its
// step until it is released.
void TestManual::holdingAJogButtonRepeatsItsStep()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    controls(w).statusTimer->stop();
    energise(w);
    QPushButton* right = controls(w).stepRightButton;
    const long x0 = rig.plotter().xHalfSteps();
    std::size_t writes = rig.writesTo(Register::Data).size();
    QTest::mouseClick(right, Qt::LeftButton);
    QCOMPARE(rig.plotter().xHalfSteps(), x0 + 1);
    QCOMPARE(rig.writesTo(Register::Data).size(), writes + 1);

    QTest::mousePress(right, Qt::LeftButton);
    QTRY_VERIFY(rig.plotter().xHalfSteps() >= x0 + 6);
    QTest::mouseRelease(right, Qt::LeftButton);
    QVERIFY(!right->isDown());
    const long held = rig.plotter().xHalfSteps() - x0 - 1;
    writes += 1 + static_cast<std::size_t>(held);
    QCOMPARE(rig.writesTo(Register::Data).size(), writes); // one coil byte per step
    QCOMPARE(rig.plotter().counters().lostStepsX, 0L);
}

void TestManual::arrowKeysJog_data()
{
    QTest::addColumn<QString>("focus"); // the widget that has the keyboard focus
    QTest::addColumn<bool>("drawing");
    QTest::addColumn<int>("steps"); // of the four arrow keys that move the carriage
    QTest::newRow("a button has the focus") << "presenceCheckButton" << false << 4;
    QTest::newRow("the step type has the focus") << "halfStepOption" << false << 4;
    QTest::newRow("the zoom text takes them") << "zoomBox" << false << 0;
    QTest::newRow("during a draw") << "presenceCheckButton" << true << 0;
}

// Up, down, right, left: one step each, back where the carriage started.
void TestManual::arrowKeysJog()
{
    QFETCH(QString, focus);
    QFETCH(bool, drawing);
    QFETCH(int, steps);
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.activateWindow();
    controls(w).statusTimer->stop();
    energise(w);
    if (drawing) {
        w.openPlotFile(rig.writeFile("plot.plt", "PU0,0;PD400,0;"));
        controls(w).testAndShowButton->click();
        rig.parkMotionAt(rig.writes->size() + 10);
        controls(w).drawButton->click();
        QVERIFY(rig.waitUntilParked());
    }
    auto* target = w.findChild<QWidget*>(focus);
    QVERIFY(target);
    target->setFocus();
    const long x0 = rig.plotter().xHalfSteps(), y0 = rig.plotter().yHalfSteps();
    const QString zoom = controls(w).zoomBox->text();
    const std::size_t writes = rig.writesTo(Register::Data).size();
    int moved = 0;
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Right, Qt::Key_Down, Qt::Key_Left}) {
        const long x = rig.plotter().xHalfSteps(), y = rig.plotter().yHalfSteps();
        QTest::keyClick(QApplication::focusWidget(), key);
        moved += (rig.plotter().xHalfSteps() != x || rig.plotter().yHalfSteps() != y) ? 1 : 0;
    }
    QCOMPARE(moved, steps);
    QCOMPARE(rig.plotter().xHalfSteps(), x0);
    QCOMPARE(rig.plotter().yHalfSteps(), y0);
    if (!drawing)
        QCOMPARE(rig.writesTo(Register::Data).size(), writes + static_cast<std::size_t>(steps));
    QCOMPARE(controls(w).halfStepOption->isChecked(), true); // the keys did not switch the step type
    QCOMPARE(controls(w).zoomBox->text(), zoom);
    if (drawing) {
        rig.releaseMotion();
        QVERIFY(rig.waitUntilIdle());
    }
}

void TestManual::motorOffOnRestoresCoilByte()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    controls(w).statusTimer->stop();
    energise(w);
    QCOMPARE(controls(w).motorButton->text(), QStringLiteral("Motor off"));
    controls(w).stepRightButton->click();
    controls(w).stepUpButton->click();
    controls(w).stepUpButton->click();
    const std::uint8_t before = rig.plotter().dataLatch();
    const long x = rig.plotter().xHalfSteps();
    const long y = rig.plotter().yHalfSteps();
    QVERIFY(before != 0);

    controls(w).motorButton->click();
    QCOMPARE(controls(w).motorButton->text(), QStringLiteral("Motor on"));
    QCOMPARE(rig.plotter().dataLatch(), std::uint8_t{0});
    QVERIFY(!rig.plotter().motorsEnergised());

    controls(w).motorButton->click();
    QCOMPARE(controls(w).motorButton->text(), QStringLiteral("Motor off"));
    QCOMPARE(rig.plotter().dataLatch(), before);
    QCOMPARE(rig.writesTo(Register::Data).back(), before);
    QCOMPARE(rig.plotter().xHalfSteps(), x);
    QCOMPARE(rig.plotter().yHalfSteps(), y);
    QCOMPARE(rig.plotter().counters().lostStepsX + rig.plotter().counters().lostStepsY, 0L);
}

void TestManual::penButtonTogglesPenAndColour()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    const QColor buttonFace = controls(w).motorButton->palette().color(QPalette::Button);
    controls(w).penButton->click();
    QVERIFY(rig.plotter().penDown());
    QCOMPARE(rig.writesTo(Register::Control).back(), std::uint8_t{0});
    QCOMPARE(controls(w).penButton->palette().color(QPalette::Button), orlex::ui::paletteColour(12));

    controls(w).penButton->click();
    QVERIFY(!rig.plotter().penDown());
    QCOMPARE(rig.writesTo(Register::Control).back(), std::uint8_t{1});
    QCOMPARE(controls(w).penButton->palette().color(QPalette::Button), buttonFace);
}

void TestManual::lampBlinksWhileEnergised()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    controls(w).statusTimer->stop();
    energise(w);
    controls(w).motorButton->setText(QStringLiteral("Motor on")); // the tick must set it back

    QList<int> colours;
    for (int tick = 0; tick < 4; ++tick) {
        w.onStatusTimer();
        colours.push_back(controls(w).motorLamp->colour());
        QVERIFY(controls(w).motorSlashLine->isHidden());
        QVERIFY(controls(w).motorBackslashLine->isHidden());
        QCOMPARE(controls(w).motorStatusLabel->text(), QStringLiteral("Motor is connected"));
        QCOMPARE(controls(w).motorButton->text(), QStringLiteral("Motor off"));
    }
    QCOMPARE(colours, (QList<int>{12, 15, 12, 15}));
}

void TestManual::lampCrossedOutWithMotorsOff()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    controls(w).statusTimer->stop();
    energise(w);
    w.onStatusTimer(); // lamp red, lines hidden
    QVERIFY(controls(w).motorSlashLine->isHidden());

    controls(w).motorButton->click();                              // coils off
    controls(w).motorButton->setText(QStringLiteral("Motor off")); // the tick must correct it
    w.onStatusTimer();
    QCOMPARE(int{controls(w).motorLamp->colour()}, 15);
    QVERIFY(!controls(w).motorSlashLine->isHidden());
    QVERIFY(!controls(w).motorBackslashLine->isHidden());
    QCOMPARE(controls(w).motorStatusLabel->text(), QStringLiteral("Motor is disconnected"));
    QCOMPARE(controls(w).motorButton->text(), QStringLiteral("Motor on"));
    w.onStatusTimer(); // stays white: no blinking while off
    QCOMPARE(int{controls(w).motorLamp->colour()}, 15);
}

void TestManual::checkDisplay_data()
{
    QTest::addColumn<bool>("clockAtStart");
    QTest::addColumn<bool>("clockAtCheck");
    QTest::addColumn<QString>("text");
    QTest::newRow("running") << true << true << "OK";
    QTest::newRow("stops") << true << false << "Err";
    QTest::newRow("starts") << false << true << "OK";
    QTest::newRow("stopped") << false << false << "Err";
}

void TestManual::checkDisplay()
{
    QFETCH(bool, clockAtStart);
    QFETCH(bool, clockAtCheck);
    QFETCH(QString, text);

    WindowRig rig;
    rig.clockRunning = clockAtStart;
    MainWindow& w = rig.openWindow();
    controls(w).statusBox->setText(QStringLiteral("?"));
    rig.plotter().setClockRunning(clockAtCheck);

    controls(w).presenceCheckButton->click();
    QCOMPARE(controls(w).statusBox->text(), text);
    QCOMPARE(w.drive().state.connected, clockAtCheck);
    QCOMPARE(controls(w).speedButton->isHidden(), !clockAtCheck);
    QVERIFY(controls(w).presenceCheckButton->isEnabled());
}

// Real time at 1 kHz: one two-cycle delay lasts about 2 ms. Only the form of the result
// is checked, not its value.
void TestManual::speedShowsStepPeriod()
{
    WindowRig rig;
    rig.configurePlotter = [](orlex::VirtualPlotterConfig& c) {
        c.realTime = true;
        c.clockHz = 1000;
    };
    MainWindow& w = rig.openWindow();
    w.onSpeedClicked();
    QVERIFY(rig.waitUntilIdle());

    bool isNumber = false;
    const int ms = controls(w).statusBox->text().toInt(&isNumber);
    QVERIFY2(isNumber, qPrintable(controls(w).statusBox->text()));
    QVERIFY(ms > 0);
    QVERIFY(controls(w).speedButton->isEnabled());
    QVERIFY(w.stepPeriodSeconds().has_value());
    QCOMPARE(*w.stepPeriodSeconds(), ms / 1000.0);
}

// In virtual time a step takes almost no wall time, so the measurement shows 0 ms; that
// must not become a zero step period for the drawing-time estimate.
void TestManual::speedBelowOneMillisecondKeepsClockPeriod()
{
    WindowRig rig;
    rig.clockHz = 2000;
    MainWindow& w = rig.openWindow();
    w.onSpeedClicked();
    QVERIFY(rig.waitUntilIdle());
    bool isNumber = false;
    const int ms = controls(w).statusBox->text().toInt(&isNumber);
    QVERIFY2(isNumber && ms >= 0, qPrintable(controls(w).statusBox->text()));
    QVERIFY(w.stepPeriodSeconds().has_value());
    QCOMPARE(*w.stepPeriodSeconds(), ms == 0 ? 2.0 / 2000 : ms / 1000.0);
}

QTEST_MAIN(TestManual)
#include "tst_manual.moc"
