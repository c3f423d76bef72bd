// The window keeps the machine safe and the sheet clean: the pen is up after every draw,
// Draw is offered only for what a test checked, the dialogs wait while the machine runs,
// Stop ends a wait for a halted clock, and the trace is written out as the run ends.
#include "window_rig.h"

#include "settings/settings_file.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <fstream>
#include <iterator>

using orlex::test::WindowRig;
using orlex::ui::MainWindow;

namespace {

void useFile(WindowRig& rig, MainWindow& w, const std::string& hpgl)
{
    w.openPlotFile(rig.writeFile("plot.plt", hpgl));
}

std::string readText(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Clicks Save in the settings dialog after `change` has moved its controls.
void saveSettings(MainWindow& w, std::function<void(QWidget*)> change)
{
    orlex::test::onNextModal([change](QWidget* dialog) {
        change(dialog);
        QTest::mouseClick(dialog->findChild<QPushButton*>("saveButton"), Qt::LeftButton);
    });
    controls(w).settingsAction->trigger(); // returns when the dialog is closed
}

} // namespace

class TestSafeMachine : public QObject {
    Q_OBJECT
private slots:
    void drawEndsWithThePenUpAndTheTraceWritten();
    void drawNeedsACheckOfWhatItDraws_data();
    void drawNeedsACheckOfWhatItDraws();
    void dialogsWaitWhileTheMachineRuns();
    void travelBeyondTheStepRangeIsRefusedAtStartUp();
    void stopEndsAWaitForAHaltedClock_data();
    void stopEndsAWaitForAHaltedClock();
    void settingsDialogCaptionsReadWhole();
    void quittingDuringAJobEndsItSafely_data();
    void quittingDuringAJobEndsItSafely();
    void questionSaysWhenTheDrawHasEnded();
    void portFailureEndsTheRunAndAsksForACheck_data();
    void portFailureEndsTheRunAndAsksForACheck();
};

// A file that ends with a bare "PU;" left the pen down, and the next "Pen home" dragged it
// across the sheet. The trace holds the whole draw as soon as the run has ended.
void TestSafeMachine::drawEndsWithThePenUpAndTheTraceWritten()
{
    WindowRig rig;
    rig.traceFile = rig.dir.file("trace.csv");
    MainWindow& w = rig.openWindow();
    useFile(rig, w, "PU0,0;PD400,0;PD400,400;PU;");
    controls(w).testAndShowButton->click();
    controls(w).drawButton->click();
    QVERIFY(rig.waitUntilIdle());
    QVERIFY(!rig.plotter().penDown());
    QCOMPARE(rig.plotter().paper().size(), std::size_t{2});

    const std::string trace = readText(rig.traceFile);
    QVERIFY2(trace.size() > 40 && trace.substr(trace.size() - 10) == "control,1\n", trace.c_str());
    const auto lines = static_cast<std::size_t>(std::count(trace.begin(), trace.end(), '\n'));
    QCOMPARE(lines, rig.writes->size() + 1); // the header and every write so far

    controls(w).penHomeButton->click();
    QVERIFY(rig.waitUntilIdle());
    QCOMPARE(rig.plotter().paper().size(), std::size_t{2}); // no ink on the way home
}

void TestSafeMachine::drawNeedsACheckOfWhatItDraws_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("drawAfter");
    QTest::newRow("zoom changed during the draw") << "zoom during draw" << false;
    QTest::newRow("Save with another Lstepx") << "stepLengthXScrollBar" << false;
    QTest::newRow("Save with another Maxy") << "travelYScrollBar" << false;
    QTest::newRow("Save with another origin only") << "originXScrollBar" << true;
    QTest::newRow("step type") << "full step" << false;
    QTest::newRow("file changed on disk") << "file" << true;
}

void TestSafeMachine::drawNeedsACheckOfWhatItDraws()
{
    QFETCH(QString, change);
    QFETCH(bool, drawAfter);

    WindowRig rig;
    MainWindow& w = rig.openWindow();
    useFile(rig, w, "PU0,0;PD400,0;PU;");
    controls(w).testAndShowButton->click();
    QVERIFY(controls(w).drawButton->isEnabled());

    if (change == "zoom during draw") {
        QTimer::singleShot(0, &w, [&w] { controls(w).zoomBox->setText(QStringLiteral("50")); });
        controls(w).drawButton->click();
        QVERIFY(rig.waitUntilIdle());
        QVERIFY(!rig.plotter().paper().empty()); // the draw itself went on
    } else if (change.endsWith(QLatin1String("ScrollBar"))) {
        saveSettings(w, [change](QWidget* dialog) {
            QScrollBar* scroll = dialog->findChild<QScrollBar*>(change);
            scroll->setValue(scroll->value() + 1);
        });
    } else if (change == "full step") {
        controls(w).fullStepOption->click();
        controls(w).halfStepOption->click(); // and back: the steps were not measured in between
    } else if (change == "file") {
        rig.writeFile("plot.plt", "PU0,0;PD40000,0;PU;");
        controls(w).drawButton->click();
        QVERIFY(rig.waitUntilIdle());
        QVERIFY(rig.feedback.messages.empty());
        QCOMPARE(rig.plotter().paper().size(), std::size_t{1});
        QVERIFY(qAbs(rig.plotter().paper().front().x2 - rig.plotter().paper().front().x1 - 10) < 0.5);
    }

    QCOMPARE(controls(w).drawButton->isEnabled(), drawAfter);
    controls(w).penHomeButton->click(); // a motion gives Draw back only what the test allows
    QVERIFY(rig.waitUntilIdle());
    QCOMPARE(controls(w).drawButton->isEnabled(), drawAfter);
    controls(w).testAndShowButton->click();
    QCOMPARE(controls(w).drawButton->isEnabled(), change != "file"); // the changed file is too big now
}

// File > Open and Settings change what a run uses: they wait while the machine runs.
// About is a modal loop the machine does not notice: the draw goes on behind it and ends.
void TestSafeMachine::dialogsWaitWhileTheMachineRuns()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    useFile(rig, w, "PU-400,0;PD4000,0;PU;");
    controls(w).testAndShowButton->click();
    rig.parkMotionAt(rig.writes->size() + 200);
    controls(w).drawButton->click(); // homing for Pen to 0, then the drawing
    QVERIFY(rig.waitUntilParked());
    QVERIFY(!controls(w).openAction->isEnabled() && !controls(w).settingsAction->isEnabled());
    QVERIFY(controls(w).aboutAction->isEnabled() && controls(w).exitAction->isEnabled());
    w.onSettings(); // from code as well: must not open its modal loop

    bool endedBehindAbout = false;
    QTimer closer; // once About is open: the draw goes on, and About closes when it has ended
    closer.setInterval(5);
    connect(&closer, &QTimer::timeout, &w, [&] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        rig.releaseMotion();
        if (box != nullptr && !w.drawRunning()) {
            endedBehindAbout = !rig.plotter().paper().empty();
            box->reject();
        }
    });
    closer.start();
    w.onAbout();
    closer.stop();

    QVERIFY(endedBehindAbout);
    QVERIFY(controls(w).openAction->isEnabled() && controls(w).settingsAction->isEnabled()
            && controls(w).aboutAction->isEnabled());
    QVERIFY(rig.feedback.messages.empty());
}

// Lstepx 1 is 0.005 mm per half step: 32767 steps reach 163.8 mm, so Maxx 300 cannot be
// the machine's travel. Start-up says so and runs on the default 150; a 200 mm plot is
// then too big at the test, before the drive could run out of steps half-way.
void TestSafeMachine::travelBeyondTheStepRangeIsRefusedAtStartUp()
{
    WindowRig rig;
    rig.writeSettings(1, 50, 300, 150, 80, 80, 5, 5, "&H378");
    MainWindow& w = rig.openWindow();
    QCOMPARE(rig.feedback.messages.size(), std::size_t{1});
    const QString text = rig.feedback.messages.front().text;
    QVERIFY2(text.contains(QStringLiteral("line 3 (Maxx)")) && text.contains(QStringLiteral("163 mm")),
             qPrintable(text));
    QCOMPARE(controls(w).limitXLabel->text(), QStringLiteral(" 150 mm"));

    useFile(rig, w, "PU0,0;PD8000,0;PU;");
    controls(w).testAndShowButton->click();
    QVERIFY(!controls(w).drawButton->isEnabled());
    QCOMPARE(controls(w).limitFrame->palette().color(QPalette::Window), QColor(255, 0, 0));
}

void TestSafeMachine::stopEndsAWaitForAHaltedClock_data()
{
    QTest::addColumn<QString>("run");
    QTest::addColumn<bool>("escape");
    QTest::newRow("draw, Stop") << "draw" << false;
    QTest::newRow("draw, Esc") << "draw" << true;
    QTest::newRow("Pen home, Stop") << "home" << false;
    QTest::newRow("Speed, Esc") << "speed" << true;
}

// The plotter's STOP switch halts its clock in the middle of a run: the run must still
// end on Stop or Esc, with the pen up and the controls back.
void TestSafeMachine::stopEndsAWaitForAHaltedClock()
{
    QFETCH(QString, run);
    QFETCH(bool, escape);

    WindowRig rig;
    MainWindow& w = rig.openWindow();
    useFile(rig, w, "PU0,0;PD4000,0;PU;");
    controls(w).testAndShowButton->click();
    const QString stareBefore = controls(w).statusBox->text();
    // Parked at a port write; the plotter goes on STOP (its clock halts); then Stop.
    rig.parkMotionAt(rig.writes->size() + 3);
    if (run == "draw")
        controls(w).drawButton->click();
    else if (run == "home")
        controls(w).penHomeButton->click();
    else
        rig.parkMotionAt(0); // "Speed" writes nothing: the clock halts while it counts
    if (run == "speed")
        controls(w).speedButton->click();
    else
        QVERIFY(rig.waitUntilParked());
    rig.plotter().setClockRunning(false);
    const bool stopVisible = !controls(w).stopButton->isHidden();
    rig.releaseMotion();
    if (escape)
        QTest::keyClick(&w, Qt::Key_Escape);
    else
        controls(w).stopButton->click();
    QVERIFY(rig.waitUntilIdle());

    QVERIFY(stopVisible);
    QVERIFY(controls(w).stopButton->isHidden());
    QVERIFY(!rig.plotter().penDown());
    QVERIFY(controls(w).plotterControlFrame->isEnabled());
    QVERIFY(controls(w).testAndShowButton->isEnabled());
    QVERIFY(controls(w).speedButton->isEnabled());
    QVERIFY(!w.drive().stopRequested());
    if (run == "speed") {
        QCOMPARE(controls(w).statusBox->text(), stareBefore); // nothing was measured
        QVERIFY(controls(w).progressLabel->text().contains(QStringLiteral("stopped")));
    }
}

// Every caption of the settings dialog fits its control in the compact face.
void TestSafeMachine::settingsDialogCaptionsReadWhole()
{
    orlex::test::ScopedWorkDir dir;
    orlex::MachineSettings settings = orlex::defaultMachineSettings();
    settings.portAddress = 0xD010; // shows the third address button too
    orlex::test::RecordingFeedback feedback;
    orlex::ui::SettingsDialog dialog(settings, dir.file("seting.txt"), feedback);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    int checked = 0;
    for (QWidget* widget : dialog.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&dialog))
            continue;
        const QFontMetrics metrics = widget->fontMetrics();
        int need = 0;
        QString text;
        if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
            text = frame->title();
            need = metrics.horizontalAdvance(text) + 8; // drawn 6 px in, with padding
        } else if (auto* option = qobject_cast<QRadioButton*>(widget)) {
            // The text starts where the style puts it, after the round indicator.
            QStyleOptionButton style;
            style.initFrom(option);
            const QRect contents = option->style()->subElementRect(QStyle::SE_RadioButtonContents, &style, option);
            text = option->text();
            need = contents.left() + metrics.horizontalAdvance(text);
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            text = label->text();
            need = metrics.horizontalAdvance(text);
        } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
            text = button->text().remove(QLatin1Char('&'));
            need = metrics.horizontalAdvance(text) + 4;
        } else {
            continue;
        }
        ++checked;
        QVERIFY2(need <= widget->width(),
                 qPrintable(QStringLiteral("\"%1\" needs %2 px, has %3").arg(text).arg(need).arg(widget->width())));
    }
    QVERIFY(checked >= 15);
}

// The draw ends while the operator is still asked whether to stop it: the question says
// so, and quitting then stops nothing.
void TestSafeMachine::questionSaysWhenTheDrawHasEnded()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    useFile(rig, w, "PU0,0;PD400,0;PU;");
    controls(w).testAndShowButton->click();
    rig.parkMotionAt(rig.writes->size() + 10);
    controls(w).drawButton->click();
    QVERIFY(rig.waitUntilParked());
    bool endedWhileAsked = false;
    rig.feedback.whileAsked = [&] {
        rig.releaseMotion();
        endedWhileAsked = rig.waitUntilIdle();
    };
    controls(w).exitAction->trigger();
    QVERIFY(endedWhileAsked);
    QCOMPARE(rig.feedback.questionUpdates, std::vector<QString>{QStringLiteral("The drawing has ended. Quit? / Quit")});
    QVERIFY2(controls(w).progressLabel->text().startsWith(QStringLiteral("Drawing finished")),
             qPrintable(controls(w).progressLabel->text()));
    QCOMPARE(rig.exitStatuses, std::vector<int>{0});
}

QTEST_MAIN(TestSafeMachine)
#include "tst_safe_machine.moc"

void TestSafeMachine::portFailureEndsTheRunAndAsksForACheck_data()
{
    QTest::addColumn<QString>("run");
    QTest::newRow("draw") << "draw";
    QTest::newRow("Pen home") << "home";
    QTest::newRow("jogs") << "jog";
}

// The port fails for good at its 60th write: whatever runs ends there with one message
// naming the call, the controls come back, and Draw waits for a test whose check passes.
void TestSafeMachine::portFailureEndsTheRunAndAsksForACheck()
{
    QFETCH(QString, run);
    WindowRig rig;
    rig.configurePlotter = [](orlex::VirtualPlotterConfig& config) { config.failFromWrite = 60; };
    MainWindow& w = rig.openWindow();
    useFile(rig, w, "PU0,0;PD4000,0;PD4000,4000;PU;");
    controls(w).testAndShowButton->click();
    QVERIFY(controls(w).drawButton->isEnabled());
    if (run == "draw")
        controls(w).drawButton->click();
    else if (run == "home")
        controls(w).penHomeButton->click();
    else
        while (rig.feedback.messages.empty() && rig.writes->size() < 100)
            controls(w).stepRightButton->click();
    QVERIFY(rig.waitUntilIdle());

    QCOMPARE(rig.feedback.messages.size(), std::size_t{1});
    const QString text = rig.feedback.messages[0].text;
    QVERIFY2(text.contains("Writing the data register on the virtual plotter failed")
                 && text.contains("The run has ended, and lifting the pen"),
             qPrintable(text));
    // The failed write, then the tries to lift the pen and switch the coils off: no step more.
    QCOMPARE(rig.writes->size(), std::size_t{62});
    QCOMPARE(rig.writes->back(), (orlex::test::PortWrite{orlex::Register::Data, 0}));
    QCOMPARE(rig.writes->at(60), (orlex::test::PortWrite{orlex::Register::Control, 1}));
    QCOMPARE(controls(w).statusBox->text(), QString("Err"));
    QVERIFY(!controls(w).drawButton->isEnabled());
    QVERIFY(controls(w).testAndShowButton->isEnabled() && controls(w).penHomeButton->isEnabled()
            && !controls(w).stopButton->isVisible());
}

void TestSafeMachine::quittingDuringAJobEndsItSafely_data()
{
    QTest::addColumn<QString>("way");    // close, Exit, SIGTERM
    QTest::addColumn<QString>("during"); // draw, pause, homing, halted homing, parked homing
    QTest::addColumn<bool>("answer");    // to "Stop it and quit?"
    QTest::addColumn<int>("questions");
    QTest::newRow("close during a draw") << "close"
                                         << "draw" << true << 1;
    QTest::newRow("close during a draw, Cancel") << "close"
                                                 << "draw" << false << 1;
    QTest::newRow("Exit during a pause") << "exit"
                                         << "pause" << true << 1;
    QTest::newRow("Exit during a pause, Cancel") << "exit"
                                                 << "pause" << false << 1;
    QTest::newRow("Exit during homing") << "exit"
                                        << "homing" << true << 0;
    QTest::newRow("SIGTERM during homing") << "SIGTERM"
                                           << "homing" << true << 0;
    QTest::newRow("SIGTERM, halted clock") << "SIGTERM"
                                           << "halted homing" << true << 0;
    QTest::newRow("SIGTERM, motion thread stuck") << "SIGTERM"
                                                  << "parked homing" << true << 0;
}

// A draw is stopped for good only when the operator says so; a signal does not ask. Every
// way out ends with the pen up, then the coils off, written by the motion thread, or by
// the window itself when the thread does not answer (held here in a port write).
void TestSafeMachine::quittingDuringAJobEndsItSafely()
{
    QFETCH(QString, way);
    QFETCH(QString, during);
    QFETCH(bool, answer);
    QFETCH(int, questions);
    WindowRig rig;
    rig.feedback.confirmAnswer = answer;
    MainWindow& w = rig.openWindow();
    useFile(rig, w, "PU0,0;PD4000,0;PD4000,4000;PU;");
    controls(w).testAndShowButton->click();
    rig.parkMotionAt(rig.writes->size() + 30);
    (during.endsWith(QStringLiteral("homing")) ? controls(w).penHomeButton : controls(w).drawButton)->click();
    QVERIFY(rig.waitUntilParked());
    if (during == QStringLiteral("pause"))
        controls(w).pauseButton->click();
    if (during == QStringLiteral("halted homing"))
        rig.plotter().setClockRunning(false);
    if (during != QStringLiteral("parked homing"))
        rig.releaseMotion();

    if (way == QStringLiteral("close"))
        w.close();
    else if (way == QStringLiteral("exit"))
        controls(w).exitAction->trigger();
    else
        w.quitSafely(128 + SIGTERM);

    QCOMPARE(static_cast<int>(rig.feedback.questions.size()), questions);
    if (!answer) { // the draw goes on to its end, as if nothing had been asked
        if (during == QStringLiteral("pause")) {
            QTRY_VERIFY(controls(w).continueButton->isEnabled());
            controls(w).continueButton->click();
        }
        QVERIFY(rig.waitUntilIdle());
        QVERIFY(rig.exitStatuses.empty());
        QVERIFY2(controls(w).progressLabel->text().startsWith(QStringLiteral("Drawing finished")),
                 qPrintable(controls(w).progressLabel->text()));
        return;
    }
    QCOMPARE(rig.exitStatuses, std::vector<int>{way == QStringLiteral("SIGTERM") ? 128 + SIGTERM : 0});
    QCOMPARE(rig.writes->back(), (orlex::test::PortWrite{orlex::Register::Data, 0}));
    QCOMPARE(rig.writes->at(rig.writes->size() - 2), (orlex::test::PortWrite{orlex::Register::Control, 1}));
}
