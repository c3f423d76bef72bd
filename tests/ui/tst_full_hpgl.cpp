// Options > "Full HP-GL" in the window, on the virtual plotter in virtual time: the option
// remembered and forgetting the last test, a circle the classic reading passes over (and
// says so in the notes row) drawn by the full reading, with and without the shorter
// pen-up order, and a plot the full reading refuses never drawn.
#include "window_rig.h"

#include "ui/main_window.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <cmath>

using orlex::PaperSegment;
using orlex::Register;
using orlex::test::WindowRig;
using orlex::ui::MainWindow;

namespace {

// A circle of 5 mm radius about (10, 10) mm and a 5 mm line along the X axis.
constexpr const char* kCirclePlot = "PU400,400;CI200;PU0,0;PD200,0;";

// Paper segments whose middle lies 5 mm, give or take a half step, from the circle's
// centre: the carriage starts at (30, 30) mm from home, the plot's origin.
int segmentsOnTheCircle(const std::vector<PaperSegment>& paper)
{
    int count = 0;
    for (const PaperSegment& s : paper)
        count += std::fabs(std::hypot((s.x1 + s.x2) / 2 - 40, (s.y1 + s.y2) / 2 - 40) - 5) < 0.3;
    return count;
}

} // namespace

class TestFullHpgl : public QObject {
    Q_OBJECT
private slots:
    void optionIsOffByDefaultRememberedAndForgetsTheTest();
    void eachReadingDrawsWhatItReads_data();
    void eachReadingDrawsWhatItReads();
    void refusedPlotIsNeverDrawn();
};

void TestFullHpgl::optionIsOffByDefaultRememberedAndForgetsTheTest()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    QVERIFY(controls(w).optionsMenu->actions().contains(controls(w).fullHpglAction));
    QCOMPARE(controls(w).fullHpglAction->text(), QStringLiteral("Full HP-GL"));
    QVERIFY(controls(w).fullHpglAction->isCheckable() && !controls(w).fullHpglAction->isChecked());
    w.openPlotFile(rig.writeFile("plot.plt", kCirclePlot));
    controls(w).testAndShowButton->click();
    QVERIFY(controls(w).drawButton->isEnabled());
    controls(w).fullHpglAction->trigger(); // another reading is another plot: Draw waits for a test
    QVERIFY(!controls(w).drawButton->isEnabled());
    QVERIFY(controls(w).inputLabel->text().isEmpty());
    rig.closeWindow();
    const QString file = QString::fromStdString(rig.preferencesFile().string());
    QCOMPARE(QSettings(file, QSettings::IniFormat).value("fullHpgl").toBool(), true);
    QVERIFY(controls(rig.openWindow()).fullHpglAction->isChecked());
    controls(rig.window()).fullHpglAction->trigger();
    rig.closeWindow();
    QVERIFY(!controls(rig.openWindow()).fullHpglAction->isChecked());
}

void TestFullHpgl::eachReadingDrawsWhatItReads_data()
{
    QTest::addColumn<bool>("full");
    QTest::addColumn<bool>("shorterTravel");
    QTest::addColumn<QString>("maxX");
    QTest::addColumn<QString>("notes");
    const QString note =
        QStringLiteral("This plot uses 1 circle (CI) that the classic reading ignores: Options > Full HP-GL draws it");
    QTest::newRow("classic") << false << false << "10 mm" << note;
    // The planner's order keeps strokes only: the lone pen-up move to the centre goes.
    QTest::newRow("classic, shorter travel") << false << true << "5 mm" << note;
    QTest::newRow("full") << true << false << "15 mm" << QString();
    QTest::newRow("full, shorter travel") << true << true << "15 mm" << QString();
}

void TestFullHpgl::eachReadingDrawsWhatItReads()
{
    QFETCH(bool, full);
    QFETCH(bool, shorterTravel);
    QFETCH(QString, maxX);
    QFETCH(QString, notes);
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    controls(w).fullHpglAction->setChecked(full);
    controls(w).shorterTravelAction->setChecked(shorterTravel);
    w.openPlotFile(rig.writeFile("circle.plt", kCirclePlot));
    controls(w).testAndShowButton->click();
    QVERIFY(rig.waitUntilIdle()); // a new order is worked out beside the window
    QCOMPARE(controls(w).maxXLabel->text(), maxX);
    QCOMPARE(controls(w).inputLabel->text().contains(QStringLiteral("classic reading")), !notes.isEmpty());
    QVERIFY2(controls(w).inputLabel->text().endsWith(notes), qPrintable(controls(w).inputLabel->text()));
    controls(w).drawButton->click();
    QVERIFY(rig.waitUntilIdle());
    QVERIFY(controls(w).progressLabel->text().startsWith(QStringLiteral("Drawing finished")));
    QCOMPARE(segmentsOnTheCircle(rig.plotter().paper()) >= 20, full);
    QVERIFY(rig.feedback.messages.empty());
}

void TestFullHpgl::refusedPlotIsNeverDrawn()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    controls(w).fullHpglAction->setChecked(true);
    w.openPlotFile(rig.writeFile("pattern.plt", "PU0,0;FT11;RA400,400;"));
    controls(w).testAndShowButton->click();
    QCOMPARE(controls(w).inputLabel->text(), QStringLiteral("1 FT pattern fill is drawn as a solid fill"));
    QVERIFY(controls(w).drawButton->isEnabled());

    // A solid fill of 5 million lines at the thinnest pen: past the fill limit.
    w.openPlotFile(rig.writeFile("fill.plt", "PW0.025;PU0,0;PD400,0;RA5000000,5000000;"));
    const std::size_t dataWrites = rig.writesTo(Register::Data).size();
    controls(w).testAndShowButton->click();
    QCOMPARE(rig.feedback.messages.size(), std::size_t{1});
    QVERIFY(rig.feedback.messages.front().text.startsWith(
        QStringLiteral("The full HP-GL reading refuses this plot: a fill would need more than")));
    QVERIFY(!controls(w).drawButton->isEnabled());
    QCOMPARE(controls(w).maxXLabel->text(), QStringLiteral("000.000")); // nothing of the last test stays
    controls(w).drawButton->click();
    QCOMPARE(rig.writesTo(Register::Data).size(), dataWrites);
}

QTEST_MAIN(TestFullHpgl)
#include "tst_full_hpgl.moc"
