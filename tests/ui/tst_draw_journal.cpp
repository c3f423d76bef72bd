// The draw journal in the window, on the virtual plotter in virtual time: a draw that did
// not end is offered at the next start, its rest is drawn after homing (or, when its
// origin is unknown, from where the operator put the pen), a changed draw is refused with
// what differs, Discard drops the journal, and a long draw from where the pen stands gets
// its note.
#include "../run/ink.h"
#include "window_rig.h"

#include "run/draw_journal.h"
#include "ui/main_window.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <fstream>
#include <set>

using orlex::test::InkStep;
using orlex::test::inkSteps;
using orlex::test::WindowRig;
using orlex::ui::MainWindow;

namespace {

// Reaches 10 mm below and left of its origin: drawn after "Pen to 0", so its origin is found again.
constexpr const char* kHomedPlot = "IN;SP1;PU-400,-400;PD4000,-400,4000,2000;PU400,2400;PD4000,2400,-400,800;PU;";
// Drawn from where the carriage stands.
constexpr const char* kPlainPlot = "IN;SP1;PU400,400;PD4000,400,4000,2000;PU400,2400;PD4000,2400,400,800;PU;";

std::filesystem::path journalOf(const WindowRig& rig)
{
    return orlex::journalFile("virtual", rig.journalFolder());
}

// Draws `plot` in a first window, stops it 300 writes in and closes the window, as a
// program that ended there. Returns the ink of that draw and the point it stopped at.
std::pair<std::set<InkStep>, QString> drawUntilStopped(WindowRig& rig, const char* plot)
{
    MainWindow& w = rig.openWindow();
    w.openPlotFile(rig.writeFile("plot.plt", plot));
    controls(w).testAndShowButton->click();
    rig.parkMotionAt(rig.writes->size() + 300);
    controls(w).drawButton->click();
    rig.waitUntilParked();
    controls(w).stopButton->click();
    rig.releaseMotion();
    rig.waitUntilIdle();
    const QString resume = controls(w).resumeButton->text(); // "Resume from point N"
    std::set<InkStep> ink = inkSteps(rig.plotter());
    rig.closeWindow();
    return {ink, resume.mid(resume.lastIndexOf(QLatin1Char(' ')) + 1)};
}

std::set<InkStep> wholeDrawInk(const char* plot)
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    w.openPlotFile(rig.writeFile("plot.plt", plot));
    controls(w).testAndShowButton->click();
    controls(w).drawButton->click();
    rig.waitUntilIdle();
    return inkSteps(rig.plotter());
}

std::set<InkStep> joined(std::set<InkStep> a, const std::set<InkStep>& b)
{
    a.insert(b.begin(), b.end());
    return a;
}

} // namespace

class TestDrawJournal : public QObject {
    Q_OBJECT
private slots:
    void offerAtStartResumesTheRest_data();
    void offerAtStartResumesTheRest();
    void discardDropsTheJournal();
    void changedDrawIsRefused_data();
    void changedDrawIsRefused();
    void unreadableJournalIsMovedAside();
    void longDrawFromWhereThePenStandsIsNoted_data();
    void longDrawFromWhereThePenStandsIsNoted();
};

// Resume homes and draws the rest; "Resume from here" draws it where the pen stands,
// here where the first draw began. Either way the two runs make one whole draw.
void TestDrawJournal::offerAtStartResumesTheRest_data()
{
    QTest::addColumn<QString>("plot");
    QTest::addColumn<QString>("button");
    QTest::newRow("origin from home") << QString(kHomedPlot) << "Resume";
    QTest::newRow("origin unknown") << QString(kPlainPlot) << "Resume from here";
}

void TestDrawJournal::offerAtStartResumesTheRest()
{
    QFETCH(QString, plot);
    QFETCH(QString, button);
    const QByteArray bytes = plot.toLatin1();
    WindowRig rig;
    const auto [firstInk, stoppedAt] = drawUntilStopped(rig, bytes.constData());
    QVERIFY(std::filesystem::exists(journalOf(rig)));

    MainWindow& w = rig.openWindow();
    QVERIFY(controls(w).journalBar->isVisibleTo(&w));
    const QString text = controls(w).journalLabel->text();
    const QString expected = QStringLiteral("The draw of %1 stopped at point %2 of 6, ")
                                 .arg(QString::fromStdString(rig.dir.file("plot.plt").string()), stoppedAt);
    QVERIFY2(text.startsWith(expected), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral(" % of the drawing done")), qPrintable(text));
    QCOMPARE(controls(w).journalResumeButton->text(), button);
    QVERIFY(rig.plotter().counters().stepsX == 0); // the offer moves nothing by itself

    controls(w).journalResumeButton->click();
    QVERIFY(rig.waitUntilIdle());
    // Only the rest was drawn: its points, and no estimate of the whole plot.
    const QString finished = controls(w).progressLabel->text();
    QVERIFY2(finished.startsWith(QStringLiteral("Drawing finished: points %1 to 6 in ").arg(stoppedAt)),
             qPrintable(finished));
    QVERIFY2(!finished.contains(QStringLiteral("estimated")), qPrintable(finished));
    QVERIFY(rig.feedback.messages.empty());
    QVERIFY(!controls(w).journalBar->isVisibleTo(&w));
    QVERIFY(joined(firstInk, inkSteps(rig.plotter())) == wholeDrawInk(bytes.constData()));
    QVERIFY(!std::filesystem::exists(journalOf(rig))); // it ended normally
}

void TestDrawJournal::discardDropsTheJournal()
{
    WindowRig rig;
    drawUntilStopped(rig, kHomedPlot);
    MainWindow& w = rig.openWindow();
    QVERIFY(controls(w).journalBar->isVisibleTo(&w));
    controls(w).journalDiscardButton->click();
    QVERIFY(!controls(w).journalBar->isVisibleTo(&w));
    QVERIFY(!std::filesystem::exists(journalOf(rig)));
    rig.closeWindow();
    MainWindow& again = rig.openWindow();
    QVERIFY(!controls(again).journalBar->isVisibleTo(&again));
}

// Between the cut and the resume, one thing changed: the refusal names it, and nothing moves.
void TestDrawJournal::changedDrawIsRefused_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("said");
    QTest::newRow("a changed byte") << "byte"
                                    << "the plot file's bytes have changed since the draw began";
    QTest::newRow("another setting") << "setting"
                                     << "the setting Speedx was 80, now 90";
    QTest::newRow("shorter travel") << "travel"
                                    << "the shorter-travel order was off, now on";
    QTest::newRow("another plot") << "points"
                                  << "the plot's points was 7, now 6";
}

void TestDrawJournal::changedDrawIsRefused()
{
    QFETCH(QString, change);
    QFETCH(QString, said);
    WindowRig rig;
    drawUntilStopped(rig, kHomedPlot);
    if (change == QStringLiteral("byte")) {
        std::string changed = kHomedPlot;
        changed[changed.find("4000")] = '3';
        rig.writeFile("plot.plt", changed);
    } else if (change == QStringLiteral("setting")) {
        rig.writeSettings(50, 50, 150, 150, 90, 80, 5, 5, "&H378");
    } else if (change == QStringLiteral("points")) {
        orlex::DrawJournal edited = orlex::readJournal(journalOf(rig)).journal;
        edited.points = 7;
        QVERIFY(orlex::writeJournal(journalOf(rig), edited));
    }
    MainWindow& w = rig.openWindow();
    if (change == QStringLiteral("travel"))
        controls(w).shorterTravelAction->setChecked(true);
    const std::size_t writesBefore = rig.writesTo(orlex::Register::Data).size();
    controls(w).journalResumeButton->click();
    QVERIFY(rig.waitUntilIdle());
    QCOMPARE(rig.writesTo(orlex::Register::Data).size(), writesBefore);
    QCOMPARE(rig.feedback.messages.size(), std::size_t{1});
    const QString text = rig.feedback.messages.front().text;
    QVERIFY2(text.contains(QStringLiteral("cannot be resumed: it is not the same draw any more")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("\n  ") + said + QStringLiteral("\n")), qPrintable(text));
    QCOMPARE(text.count(QStringLiteral("\n  ")), 1);
    QVERIFY(controls(w).journalBar->isVisibleTo(&w)); // still offered: put it back, or discard
    QVERIFY(std::filesystem::exists(journalOf(rig)));
}

void TestDrawJournal::unreadableJournalIsMovedAside()
{
    WindowRig rig;
    std::filesystem::create_directories(rig.journalFolder());
    std::ofstream(journalOf(rig)) << "orlex draw journal 1\nfile=/x.plt\n";
    MainWindow& w = rig.openWindow();
    QVERIFY(!controls(w).journalBar->isVisibleTo(&w));
    QCOMPARE(rig.feedback.messages.size(), std::size_t{1});
    QVERIFY2(rig.feedback.messages.front().text.contains(QStringLiteral("It was moved aside to")),
             qPrintable(rig.feedback.messages.front().text));
    QVERIFY(!std::filesystem::exists(journalOf(rig)));
}

// At a 4 Hz clock these plots take more than ten minutes: only the one drawn from where
// the pen stands is told, once, that a cut would leave it unresumable.
void TestDrawJournal::longDrawFromWhereThePenStandsIsNoted_data()
{
    QTest::addColumn<QString>("plot");
    QTest::addColumn<bool>("noted");
    QTest::newRow("from where the pen stands") << QString(kPlainPlot) << true;
    QTest::newRow("from home") << QString(kHomedPlot) << false;
}

void TestDrawJournal::longDrawFromWhereThePenStandsIsNoted()
{
    QFETCH(QString, plot);
    QFETCH(bool, noted);
    WindowRig rig;
    rig.clockHz = 4;
    MainWindow& w = rig.openWindow();
    w.openPlotFile(rig.writeFile("plot.plt", plot.toStdString()));
    controls(w).testAndShowButton->click();
    const QString note = QStringLiteral("starts where the pen stands, not from home: if it is cut off, it cannot be "
                                        "resumed in its place.");
    for (int draw = 0; draw < 2; ++draw) {
        rig.parkMotionAt(rig.writes->size() + 3);
        controls(w).drawButton->click();
        QVERIFY(rig.waitUntilParked());
        controls(w).stopButton->click();
        rig.releaseMotion();
        QVERIFY(rig.waitUntilIdle());
    }
    const QString notes = controls(w).inputLabel->text();
    QCOMPARE(notes.count(note), noted ? 1 : 0);
    if (noted)
        QVERIFY2(notes.contains(QStringLiteral("Note: this draw of about ")), qPrintable(notes));
    QVERIFY(rig.feedback.questions.empty()); // a note, not a question
}

QTEST_MAIN(TestDrawJournal)
#include "tst_draw_journal.moc"
