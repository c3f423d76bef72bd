// The window over the hostile plot files: "Test and Show" ends with the defined labels,
// Limit frame, beeps, caption, messages and Draw state, or a clear message; memory
// stays flat and the window goes on working.
#include "window_rig.h"

#include "../hostile/hostile_cases.h"

#include "ui/main_window.h"
#include "ui/widgets.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

using orlex::hostile::HostileCase;
using orlex::test::WindowRig;
using orlex::ui::MainWindow;

Q_DECLARE_METATYPE(HostileCase)

namespace {

std::filesystem::path hostileData()
{
    const QByteArray data = qgetenv("ORLEX_TEST_DATA");
    return std::filesystem::path(data.isEmpty() ? "tests/data" : data.toStdString()) / "hostile";
}

QStringList extentLabels(MainWindow& w)
{
    return {controls(w).minXLabel->text(), controls(w).minYLabel->text(), controls(w).maxXLabel->text(),
            controls(w).maxYLabel->text()};
}

QColor frameColour(QGroupBox* frame)
{
    return frame->palette().color(QPalette::Window);
}

int messagesContaining(const orlex::test::RecordingFeedback& feedback, const QString& text)
{
    int n = 0;
    for (const auto& m : feedback.messages)
        n += m.text.contains(text) ? 1 : 0;
    return n;
}

// The event loop still runs after the handler returned.
bool eventLoopAlive()
{
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    QTest::qWait(1);
    for (int i = 0; i < 100 && !ran; ++i)
        QTest::qWait(5);
    return ran;
}

} // namespace

class TestBadInputs : public QObject {
    Q_OBJECT
private slots:
    void testAndShow_data();
    void testAndShow();
};

void TestBadInputs::testAndShow_data()
{
    QTest::addColumn<HostileCase>("hostile");
    for (const HostileCase& c : orlex::hostile::hostileCases())
        QTest::newRow(orlex::hostile::caseName(c).c_str()) << c;
}

void TestBadInputs::testAndShow()
{
    QFETCH(HostileCase, hostile);
    const HostileCase& c = hostile;

    WindowRig rig;
    MainWindow& w = rig.openWindow();
    w.show();
    const std::filesystem::path folder = rig.dir.file("hostile");
    std::filesystem::create_directories(folder);
    const std::filesystem::path plot = orlex::hostile::materialise(c, hostileData(), folder);
    w.openPlotFile(QString::fromStdString(plot.string()));
    const QStringList labelsBefore = extentLabels(w);
    const QString titleBefore = w.windowTitle();
    const long peakBefore = orlex::hostile::peakRssKib();

    controls(w).testAndShowButton->click();

    const long growth = orlex::hostile::peakRssKib() - peakBefore;
    QVERIFY2(growth < orlex::hostile::kMaxPeakGrowthKib,
             qPrintable(QStringLiteral("peak memory grew by %1 KiB").arg(growth)));
    QVERIFY(controls(w).testAndShowButton->isEnabled());
    QVERIFY(eventLoopAlive());

    if (c.refusal) {
        QCOMPARE(rig.feedback.messages.size(), std::size_t{1});
        const QString text = rig.feedback.messages.front().text;
        QVERIFY2(text.contains(QStringLiteral("Cannot open")) && text.contains(QString::fromUtf8(c.refusal)),
                 qPrintable(text));
        QVERIFY(!controls(w).drawButton->isEnabled());
        QCOMPARE(extentLabels(w), labelsBefore);
        QCOMPARE(rig.feedback.beeps, 0);
        return;
    }

    // A file in which the reading finds no point is not a plot file: refused, Draw off.
    if (messagesContaining(rig.feedback, QStringLiteral("is not a plot file")) == 1 || (c.points && *c.points == 0)) {
        QCOMPARE(rig.feedback.messages.size(), std::size_t{1});
        QVERIFY(rig.feedback.messages.front().text.contains(QStringLiteral("is not a plot file")));
        QVERIFY2(!c.points || *c.points == 0, "a file with points is a plot");
        QVERIFY(!controls(w).drawButton->isEnabled());
        return;
    }
    const QRegularExpression millimetres(QStringLiteral("^-?[0-9]+ mm$"));
    for (const QString& label : extentLabels(w))
        QVERIFY2(millimetres.match(label).hasMatch(), qPrintable(label));
    // Draw follows the fit rule (the virtual plotter answers), and the frame says the same.
    const bool drawEnabled = controls(w).drawButton->isEnabled();
    QCOMPARE(frameColour(controls(w).limitFrame), orlex::ui::paletteColour(drawEnabled ? 7 : 12));

    if (c.extentsMm) {
        const auto& e = *c.extentsMm;
        QCOMPARE(extentLabels(w), (QStringList{QStringLiteral("%1 mm").arg(e[0]), QStringLiteral("%1 mm").arg(e[1]),
                                               QStringLiteral("%1 mm").arg(e[2]), QStringLiteral("%1 mm").arg(e[3])}));
    }
    if (c.fits)
        QCOMPARE(drawEnabled, *c.fits);
    if (c.beeps)
        QCOMPARE(rig.feedback.beeps, *c.beeps);
    if (c.endOfFileCaption)
        QCOMPARE(w.windowTitle(), *c.endOfFileCaption ? QStringLiteral("end of file!!!") : titleBefore);
    if (c.skipped)
        QCOMPARE(messagesContaining(rig.feedback, QStringLiteral("skipped")), *c.skipped ? 1 : 0);
    if (c.outOfRange)
        QCOMPARE(messagesContaining(rig.feedback, QStringLiteral("coordinate range")), *c.outOfRange ? 1 : 0);
    if (c.skipped && c.outOfRange) // nothing else is said
        QCOMPARE(rig.feedback.messages.size(), std::size_t{(*c.skipped ? 1u : 0u) + (*c.outOfRange ? 1u : 0u)});
    if (c.points)
        QCOMPARE(w.lastCheck ? w.lastCheck->run.points : ~0ull, *c.points);

    // A plot that fits also draws to its end on the virtual plotter without losing a step.
    if (drawEnabled && c.points) {
        controls(w).drawButton->click();
        QVERIFY(rig.waitUntilIdle());
        QVERIFY(!w.drawRunning());
        QVERIFY(controls(w).testAndShowButton->isEnabled());
        QCOMPARE(rig.plotter().counters().lostStepsX + rig.plotter().counters().lostStepsY, 0L);
    }
}

QTEST_MAIN(TestBadInputs)
#include "tst_bad_inputs.moc"
