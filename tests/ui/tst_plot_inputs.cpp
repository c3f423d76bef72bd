// Options > "Shorter pen-up travel" and SVG drawings in the window, on the virtual plotter
// in virtual time: the option remembered, the coil bytes of an unticked draw unchanged,
// the same lines drawn in the shorter order, and an SVG chosen any way drawn converted.
#include "window_rig.h"

#include "ui/main_window.h"

#include <QAction>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>

using orlex::PaperSegment;
using orlex::Register;
using orlex::test::WindowRig;
using orlex::ui::MainWindow;
using orlex::ui::RunState;

namespace {

// A path 50 mm right then 30 mm down on a 100 x 50 mm page: (10,40) (60,40) (60,10) mm, y up.
constexpr const char* kSmallSvg =
    R"(<svg xmlns="http://www.w3.org/2000/svg" width="100mm" height="50mm" viewBox="0 0 100 50">)"
    R"(<path d="M10 10 H60 V40" stroke="black" fill="none"/></svg>)";

std::filesystem::path testData()
{
    const QByteArray data = qgetenv("ORLEX_TEST_DATA");
    return std::filesystem::path(data.isEmpty() ? "tests/data" : data.toStdString());
}

std::string readBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The coil bytes recorded from the first release's draw of examples/star.plt.
std::vector<std::uint8_t> goldenStarCoils()
{
    std::vector<std::uint8_t> values;
    std::istringstream in(readBytes(testData() / "golden" / "star.coils"));
    for (int v; in >> v;)
        values.push_back(static_cast<std::uint8_t>(v));
    return values;
}

double distanceToSegment(double px, double py, const PaperSegment& s)
{
    const double dx = s.x2 - s.x1, dy = s.y2 - s.y1;
    const double length2 = dx * dx + dy * dy;
    const double t = length2 > 0 ? std::clamp(((px - s.x1) * dx + (py - s.y1) * dy) / length2, 0.0, 1.0) : 0.0;
    return std::hypot(px - (s.x1 + t * dx), py - (s.y1 + t * dy));
}

// Every point of `drawn` (ends and middles) lies within `tolerance` mm of `expected`.
bool covered(const std::vector<PaperSegment>& drawn, const std::vector<PaperSegment>& expected, double tolerance)
{
    for (const PaperSegment& s : drawn)
        for (double t : {0.0, 0.5, 1.0}) {
            const double x = s.x1 + t * (s.x2 - s.x1), y = s.y1 + t * (s.y2 - s.y1);
            double best = INFINITY;
            for (const PaperSegment& e : expected)
                best = std::min(best, distanceToSegment(x, y, e));
            if (best > tolerance)
                return false;
        }
    return true;
}

bool sameDrawing(const std::vector<PaperSegment>& a, const std::vector<PaperSegment>& b, double tolerance)
{
    return !a.empty() && covered(a, b, tolerance) && covered(b, a, tolerance);
}

bool dropFile(QWidget& target, const QString& path)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at(300, 200);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &drop);
    return enter.isAccepted() && drop.isAccepted();
}

// Test and Show, then Draw; the paper and the step count of the draw alone.
struct DrawnPlot {
    std::vector<PaperSegment> paper;
    long steps = 0;
    QString inputText;
};

DrawnPlot testAndDraw(WindowRig& rig, MainWindow& w)
{
    controls(w).testAndShowButton->click();
    rig.waitUntilIdle(); // an SVG or a new order is prepared on a thread of its own
    DrawnPlot drawn;
    drawn.inputText = controls(w).inputLabel->text();
    if (!controls(w).drawButton->isEnabled())
        return drawn;
    const auto counters = rig.plotter().counters();
    controls(w).drawButton->click();
    rig.waitUntilIdle();
    drawn.paper = rig.plotter().paper();
    drawn.steps = rig.plotter().counters().stepsX + rig.plotter().counters().stepsY - counters.stepsX - counters.stepsY;
    return drawn;
}

} // namespace

class TestPlotInputs : public QObject {
    Q_OBJECT
private slots:
    void optionIsOffByDefaultAndRemembered();
    void lineWorkOptionIsOffByDefaultAndRemembered_data();
    void lineWorkOptionIsOffByDefaultAndRemembered();
    void lineWorkIsReportedAndDrawn_data();
    void lineWorkIsReportedAndDrawn();
    void untickedDrawSendsTheRecordedCoilBytes_data();
    void untickedDrawSendsTheRecordedCoilBytes();
    void tickedDrawsTheSameLinesWithLessTravel_data();
    void tickedDrawsTheSameLinesWithLessTravel();
    void longPreparationShowsProgressAndCancels_data();
    void longPreparationShowsProgressAndCancels();
    void svgIsConvertedHoweverItIsChosen_data();
    void svgIsConvertedHoweverItIsChosen();
    void badSvgSaysWhyAndNothingMoves();
    void svgTextIsDrawnUnlessTheOptionIsOff();
};

void TestPlotInputs::optionIsOffByDefaultAndRemembered()
{
    WindowRig rig;
    {
        MainWindow& w = rig.openWindow();
        QVERIFY(controls(w).shorterTravelAction != nullptr);
        QVERIFY(controls(w).optionsMenu->actions().contains(controls(w).shorterTravelAction));
        QCOMPARE(controls(w).shorterTravelAction->text(), QStringLiteral("Shorter pen-up travel"));
        QVERIFY(controls(w).shorterTravelAction->isCheckable());
        QVERIFY(!controls(w).shorterTravelAction->isChecked());

        // Another order is another plot: the last test no longer allows Draw.
        w.openPlotFile(rig.writeFile("plot.plt", "PU0,0;PD400,0;"));
        controls(w).testAndShowButton->click();
        QVERIFY(controls(w).drawButton->isEnabled());
        controls(w).shorterTravelAction->trigger();
        QVERIFY(controls(w).shorterTravelAction->isChecked());
        QVERIFY(!controls(w).drawButton->isEnabled());
    }
    rig.closeWindow();
    const QString file = QString::fromStdString(rig.preferencesFile().string());
    QCOMPARE(QSettings(file, QSettings::IniFormat).value("shorterPenUpTravel").toBool(), true);
    QVERIFY(controls(rig.openWindow()).shorterTravelAction->isChecked());
    controls(rig.window()).shorterTravelAction->trigger();
    rig.closeWindow();
    QVERIFY(!controls(rig.openWindow()).shorterTravelAction->isChecked());
    QVERIFY(rig.readSettingsFile().find("shorter") == std::string::npos); // not in seting.txt
}

void TestPlotInputs::lineWorkOptionIsOffByDefaultAndRemembered_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");
    QTest::newRow("hide") << "hideCoveredAction"
                          << "Hide lines under fills"
                          << "lineWork/hideCovered";
    QTest::newRow("dedupe") << "dedupeAction"
                            << "Drop retraced lines"
                            << "lineWork/dedupe";
    QTest::newRow("merge") << "mergeAction"
                           << "Join strokes that meet"
                           << "lineWork/merge";
    QTest::newRow("simplify") << "simplifyAction"
                              << "Simplify curves"
                              << "lineWork/simplify";
}

// Options > "Line work": each option off at first, a toggle is another plot (Draw waits
// for a test), and the choice is remembered.
void TestPlotInputs::lineWorkOptionIsOffByDefaultAndRemembered()
{
    QFETCH(QString, action);
    QFETCH(QString, text);
    QFETCH(QString, key);
    WindowRig rig;
    {
        MainWindow& w = rig.openWindow();
        auto* item = w.findChild<QAction*>(action);
        QVERIFY(item != nullptr);
        QVERIFY(controls(w).lineWorkMenu->actions().contains(item));
        QVERIFY(controls(w).optionsMenu->actions().contains(controls(w).lineWorkMenu->menuAction()));
        QCOMPARE(item->text(), text);
        QVERIFY(item->isCheckable() && !item->isChecked());
        w.openPlotFile(rig.writeFile("plot.plt", "PU0,0;PD400,0;"));
        controls(w).testAndShowButton->click();
        QVERIFY(controls(w).drawButton->isEnabled());
        item->trigger();
        QVERIFY(!controls(w).drawButton->isEnabled());
    }
    rig.closeWindow();
    QCOMPARE(
        QSettings(QString::fromStdString(rig.preferencesFile().string()), QSettings::IniFormat).value(key).toBool(),
        true);
    QVERIFY(rig.openWindow().findChild<QAction*>(action)->isChecked());
}

void TestPlotInputs::lineWorkIsReportedAndDrawn_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("shorterTravel");
    QTest::addColumn<QString>("note");   // the start of the notes row
    QTest::addColumn<double>("inkedMm"); // on the virtual plotter's paper
    QTest::newRow("dedupe") << "dedupeAction" << false << "Dedupe 0.05 mm: 1 segments dropped" << 20.0;
    QTest::newRow("dedupe, shorter travel") << "dedupeAction" << true << "Dedupe 0.05 mm: 1 segments dropped" << 20.0;
    QTest::newRow("merge") << "mergeAction" << false << "Merge 0.05 mm: 2 joins" << 30.0;
    QTest::newRow("hide, a plot file") << "hideCoveredAction" << false << "lines under fills are hidden in SVG" << 30.0;
}

// A plot drawing one line twice and a stroke that meets it: the notes say what the step
// changed, and the draw inks what it left.
void TestPlotInputs::lineWorkIsReportedAndDrawn()
{
    QFETCH(QString, action);
    QFETCH(bool, shorterTravel);
    QFETCH(QString, note);
    QFETCH(double, inkedMm);
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    w.findChild<QAction*>(action)->trigger();
    if (shorterTravel)
        controls(w).shorterTravelAction->trigger();
    w.openPlotFile(rig.writeFile("plot.plt", "PU0,0;PD400,0;PU400,0;PD400,400;PU0,0;PD400,0;"));
    const DrawnPlot drawn = testAndDraw(rig, w);
    QVERIFY2(drawn.inputText.startsWith(note), qPrintable(drawn.inputText));
    QCOMPARE(drawn.inputText.contains(QStringLiteral("Shorter pen-up travel saves")), shorterTravel);
    QVERIFY(rig.feedback.messages.empty());
    double inked = 0;
    for (const PaperSegment& line : drawn.paper)
        inked += std::hypot(line.x2 - line.x1, line.y2 - line.y1);
    QVERIFY2(std::fabs(inked - inkedMm) <= 1, qPrintable(QString::number(inked)));
}

// Draw draws the plot Test and Show read: a file rewritten or removed in between is not
// read again, and the coil bytes stay those of the tested star.
void TestPlotInputs::untickedDrawSendsTheRecordedCoilBytes_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("as tested") << "";
    QTest::newRow("rewritten after the test") << "rewritten";
    QTest::newRow("removed after the test") << "removed";
}

void TestPlotInputs::untickedDrawSendsTheRecordedCoilBytes()
{
    QFETCH(QString, change);
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    const QString plot =
        rig.writeFile("star.plt", readBytes(testData().parent_path().parent_path() / "examples" / "star.plt"));
    w.openPlotFile(plot);
    controls(w).testAndShowButton->click();
    if (change == QLatin1String("rewritten"))
        rig.writeFile("star.plt", "PU0,0;PD40000,0;PU;");
    else if (change == QLatin1String("removed"))
        QVERIFY(QFile::remove(plot));
    controls(w).drawButton->click();
    QVERIFY(rig.waitUntilIdle());
    QVERIFY(rig.feedback.messages.empty());
    QCOMPARE(rig.writesTo(Register::Data), goldenStarCoils());
}

void TestPlotInputs::tickedDrawsTheSameLinesWithLessTravel_data()
{
    QTest::addColumn<QString>("file"); // under tests/data/plan
    QTest::newRow("letters") << "letters.plt";
    QTest::newRow("relative") << "relative.plt";
}

void TestPlotInputs::tickedDrawsTheSameLinesWithLessTravel()
{
    QFETCH(QString, file);
    const std::filesystem::path source = testData() / "plan" / file.toStdString();
    WindowRig rig;
    const QString path = rig.writeFile(file.toStdString(), readBytes(source));

    MainWindow& plain = rig.openWindow();
    plain.openPlotFile(path);
    const DrawnPlot asFiled = testAndDraw(rig, plain);
    const QStringList extents{controls(plain).minXLabel->text(), controls(plain).minYLabel->text(),
                              controls(plain).maxXLabel->text(), controls(plain).maxYLabel->text()};
    rig.closeWindow();

    MainWindow& w = rig.openWindow();
    controls(w).shorterTravelAction->trigger();
    w.openPlotFile(path);
    const DrawnPlot shorter = testAndDraw(rig, w);
    QVERIFY2(shorter.inputText.startsWith(QStringLiteral("Shorter pen-up travel saves ")),
             qPrintable(shorter.inputText));
    QCOMPARE((QStringList{controls(w).minXLabel->text(), controls(w).minYLabel->text(), controls(w).maxXLabel->text(),
                          controls(w).maxYLabel->text()}),
             extents);
    // The same lines, within a half step's staircase of a line drawn the other way round.
    QVERIFY(sameDrawing(shorter.paper, asFiled.paper, 0.26));
    QVERIFY2(shorter.steps < asFiled.steps,
             qPrintable(QStringLiteral("%1 vs %2").arg(shorter.steps).arg(asFiled.steps)));
    QCOMPARE(readBytes(path.toStdString()), readBytes(source)); // the file itself is never changed
    QVERIFY(rig.feedback.messages.empty());
}

void TestPlotInputs::longPreparationShowsProgressAndCancels_data()
{
    QTest::addColumn<QString>("how"); // how the operator gives up, if at all
    QTest::newRow("left to finish") << "";
    QTest::newRow("Stop") << "Stop";
    QTest::newRow("Esc") << "Esc";
}

// A new order is worked out on a thread of its own: the window shows how far it got,
// Stop and Esc give it up, and only a finished one allows Draw.
void TestPlotInputs::longPreparationShowsProgressAndCancels()
{
    QFETCH(QString, how);
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    controls(w).shorterTravelAction->trigger();
    w.openPlotFile(rig.writeFile("letters.plt", readBytes(testData() / "plan" / "letters.plt")));
    controls(w).testAndShowButton->click();
    QCOMPARE(w.runState(), RunState::Testing);
    QVERIFY(!controls(w).testAndShowButton->isEnabled());
    QVERIFY(controls(w).stopButton->isVisibleTo(&w));
    QVERIFY2(QRegularExpression(QStringLiteral("…( \\d+ %)?$")).match(controls(w).progressLabel->text()).hasMatch(),
             qPrintable(controls(w).progressLabel->text()));
    if (how == QStringLiteral("Stop"))
        controls(w).stopButton->click();
    else if (how == QStringLiteral("Esc"))
        QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(rig.waitUntilIdle());
    QVERIFY(!controls(w).stopButton->isVisibleTo(&w));
    QCOMPARE(controls(w).drawButton->isEnabled(), how.isEmpty());
    QCOMPARE(controls(w).progressLabel->text() == QStringLiteral("Test and Show cancelled"), !how.isEmpty());
    // The check beside the window drew the preview; the preview took its image over.
    const QImage& preview = controls(w).previewCanvas->image();
    bool inked = false;
    for (int y = 0; y < preview.height() && !inked; ++y)
        for (int x = 0; x < preview.width() && !inked; ++x)
            inked = preview.pixel(x, y) == qRgb(0, 0, 0);
    QCOMPARE(inked, how.isEmpty());
    QVERIFY(rig.feedback.messages.empty());
}

void TestPlotInputs::svgIsConvertedHoweverItIsChosen_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("File > Open") << "open";
    QTest::newRow("drop") << "drop";
    QTest::newRow("command line") << "command line";
}

void TestPlotInputs::svgIsConvertedHoweverItIsChosen()
{
    QFETCH(QString, how);
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    const QString svg = rig.writeFile("drawing.svg", kSmallSvg);
    if (how == QStringLiteral("open")) {
        rig.dialogResult = svg;
        controls(w).openAction->trigger();
        QCOMPARE(
            rig.dialogFilter,
            QStringLiteral("Drawings (*.plt *.hpgl *.hpg *.svg *.svgz);;Plotter file (*.plt);; All Fifes(*.*) (*)"));
    } else if (how == QStringLiteral("drop")) {
        QVERIFY(dropFile(w, svg));
    } else {
        w.openPlotFile(svg);
    }
    QCOMPARE(controls(w).fileNameBox->text(), svg);

    const DrawnPlot drawn = testAndDraw(rig, w);
    QCOMPARE((QStringList{controls(w).minXLabel->text(), controls(w).minYLabel->text(), controls(w).maxXLabel->text(),
                          controls(w).maxYLabel->text()}),
             (QStringList{"0 mm", "0 mm", "60 mm", "40 mm"}));
    // The carriage starts 30 mm from home on both axes, the plot's origin.
    const std::vector<PaperSegment> expected{{40, 70, 90, 70}, {90, 70, 90, 40}};
    QVERIFY(sameDrawing(drawn.paper, expected, 0.26));
    QVERIFY(controls(w).progressLabel->text().startsWith(QStringLiteral("Drawing finished")));
    QVERIFY(rig.feedback.messages.empty());
}

void TestPlotInputs::badSvgSaysWhyAndNothingMoves()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    w.openPlotFile(rig.writeFile("plot.plt", "PU0,0;PD400,0;"));
    controls(w).testAndShowButton->click();
    QVERIFY(controls(w).drawButton->isEnabled());

    w.openPlotFile(QString::fromStdString((testData() / "svg" / "bad" / "malformed.svg").string()));
    const std::size_t dataWrites = rig.writesTo(Register::Data).size();
    controls(w).testAndShowButton->click();
    QVERIFY(rig.waitUntilIdle());
    QCOMPARE(rig.feedback.messages.size(), std::size_t{1});
    QCOMPARE(rig.feedback.messages.front().title, QStringLiteral("Test and Show"));
    QVERIFY(rig.feedback.messages.front().text.contains(QStringLiteral("not well-formed XML")));
    QVERIFY(!controls(w).drawButton->isEnabled());
    QVERIFY(controls(w).testAndShowButton->isEnabled());
    QCOMPARE(controls(w).maxXLabel->text(), QStringLiteral("000.000")); // nothing of the last test stays
    QVERIFY2(controls(w).progressLabel->text().startsWith(QStringLiteral("Test and Show failed")),
             qPrintable(controls(w).progressLabel->text()));
    QCOMPARE(rig.writesTo(Register::Data).size(), dataWrites);
}

// Options > "Text in a single-stroke font", on by default and remembered: the text's
// letters widen the plot; off, the text is left out with the note, as before.
void TestPlotInputs::svgTextIsDrawnUnlessTheOptionIsOff()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    QVERIFY(controls(w).optionsMenu->actions().contains(controls(w).strokeTextAction));
    QCOMPARE(controls(w).strokeTextAction->text(), QStringLiteral("Text in a single-stroke font"));
    QVERIFY(controls(w).strokeTextAction->isCheckable() && controls(w).strokeTextAction->isChecked());
    w.openPlotFile(rig.writeFile("text.svg", R"(<svg xmlns="http://www.w3.org/2000/svg" width="100mm" height="50mm" )"
                                             R"(viewBox="0 0 100 50"><path d="M10 10 H60" stroke="black"/>)"
                                             R"(<text x="10" y="40" font-size="20">Plotter</text></svg>)"));
    controls(w).testAndShowButton->click();
    QVERIFY(rig.waitUntilIdle());
    QCOMPARE(controls(w).maxXLabel->text(), QStringLiteral("68 mm"));
    QVERIFY(controls(w).inputLabel->text().contains(QStringLiteral("1 text element(s) drawn in a single-stroke font")));
    QVERIFY(controls(w).drawButton->isEnabled());

    controls(w).strokeTextAction->trigger(); // another plot: Draw waits for a test
    QVERIFY(!controls(w).drawButton->isEnabled());
    controls(w).testAndShowButton->click();
    QVERIFY(rig.waitUntilIdle());
    QCOMPARE(controls(w).maxXLabel->text(), QStringLiteral("60 mm"));
    QVERIFY(controls(w).inputLabel->text().contains(QStringLiteral("1 text element(s) left out")));
    rig.closeWindow();
    QVERIFY(!controls(rig.openWindow()).strokeTextAction->isChecked());
}

QTEST_MAIN(TestPlotInputs)
#include "tst_plot_inputs.moc"
