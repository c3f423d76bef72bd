// The status bar's texts and the port address at QT_SCALE_FACTOR=1.5, as on a large
// screen: every text shows whole.
#include "window_rig.h"

#include "ui/main_window.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

using orlex::test::WindowRig;
using orlex::ui::MainWindow;

class TestScaledStatus : public QObject {
    Q_OBJECT
private slots:
    void scaled();
    void statusTextShownWhole_data();
    void statusTextShownWhole();
    void portAddressShownWhole();
    void runControlsKeepTheirPlaces_data();
    void runControlsKeepTheirPlaces();
    void pauseDoesNotTurnIntoContinueUnderAClick();
};

namespace {

// The status bar's texts and run buttons that are shown, by name.
QList<QWidget*> statusWidgets(MainWindow& w)
{
    QList<QWidget*> shown;
    for (QWidget* widget :
         {static_cast<QWidget*>(controls(w).progressLabel), static_cast<QWidget*>(controls(w).positionLabel),
          static_cast<QWidget*>(controls(w).inputLabel), static_cast<QWidget*>(controls(w).pauseButton),
          static_cast<QWidget*>(controls(w).continueButton), static_cast<QWidget*>(controls(w).stopButton),
          static_cast<QWidget*>(controls(w).resumeButton)})
        if (widget->isVisible())
            shown << widget;
    return shown;
}

QRect inWindow(MainWindow& w, QWidget* widget)
{
    return QRect(widget->mapTo(&w, QPoint(0, 0)), widget->size());
}

// Where each run button lies in the status bar.
QList<QRect> buttonPlaces(MainWindow& w)
{
    QList<QRect> places;
    for (QPushButton* b :
         {controls(w).pauseButton, controls(w).continueButton, controls(w).stopButton, controls(w).resumeButton})
        places << QRect(b->mapTo(w.statusBar(), QPoint(0, 0)), b->size());
    return places;
}

} // namespace

void TestScaledStatus::scaled()
{
    QCOMPARE(qgetenv("QT_SCALE_FACTOR"), QByteArray("1.5"));
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.devicePixelRatioF(), 1.5);
}

void TestScaledStatus::statusTextShownWhole_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::newRow("too big") << "progressLabel"
                             << QStringLiteral("Too big: 32767 \u00d7 32767 mm on a 150 \u00d7 150 mm machine");
    QTest::newRow("estimate without a plotter")
        << "progressLabel" << QStringLiteral("Estimated drawing time: no plotter answers: connect it and press Check");
    QTest::newRow("estimate before Speed")
        << "progressLabel"
        << QStringLiteral("Estimated drawing time: unknown until \"Speed\" has measured the step period");
    QTest::newRow("no plotter") << "progressLabel" << QStringLiteral("No plotter answers: press Check");
    QTest::newRow("no file") << "progressLabel" << QStringLiteral("Choose a plot file first: File > Open");
    QTest::newRow("position") << "positionLabel" << QStringLiteral("Pen at X -1234.25 mm, Y -1234.25 mm");
}

void TestScaledStatus::statusTextShownWhole()
{
    QFETCH(QString, label);
    QFETCH(QString, text);
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    auto* shown = w.findChild<QLabel*>(label);
    QVERIFY(shown != nullptr);
    shown->setText(text);
    shown->show();
    controls(w).progressLabel->setText(text); // the longest row beside the readout
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCoreApplication::processEvents();
    // Inside the window, and high enough for the lines its width wraps the text into.
    const QRect inWindow(shown->mapTo(&w, QPoint(0, 0)), shown->size());
    QVERIFY2(w.rect().contains(inWindow),
             qPrintable(QStringLiteral("%1 in %2 x %3")
                            .arg(QString::number(inWindow.bottom()), QString::number(w.width()),
                                 QString::number(w.height()))));
    const int needed = shown->wordWrap() ? shown->heightForWidth(shown->width()) : shown->sizeHint().height();
    QVERIFY2(needed <= shown->height(), qPrintable(QStringLiteral("%1 > %2").arg(needed).arg(shown->height())));
    if (!shown->wordWrap())
        QVERIFY(shown->fontMetrics().horizontalAdvance(text) <= shown->contentsRect().width());
}

void TestScaledStatus::portAddressShownWhole()
{
    WindowRig rig;
    rig.writeSettings(50, 50, 150, 150, 80, 80, 5, 5, "&HD010");
    MainWindow& w = rig.openWindow();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(controls(w).portLabel->text(), QStringLiteral("D010H"));
    QVERIFY(controls(w).portLabel->fontMetrics().horizontalAdvance(controls(w).portLabel->text())
            <= controls(w).portLabel->contentsRect().width());
    QVERIFY(controls(w).portCaption->fontMetrics().horizontalAdvance(controls(w).portCaption->text())
            <= controls(w).portCaption->contentsRect().width());
    QVERIFY(!controls(w).portCaption->geometry().intersects(controls(w).portLabel->geometry()));
}

void TestScaledStatus::runControlsKeepTheirPlaces_data()
{
    QTest::addColumn<QString>("progress");
    QTest::addColumn<QString>("notes");
    QTest::addColumn<QString>("position");
    const QString longNote = QStringLiteral(
        "This plot uses 1 arc through three points (AT) and 1 encoded polyline (PE) that the classic reading "
        "ignores: Options > Full HP-GL draws them; Shorter pen-up travel saves 1324 mm (58 %): 953 mm instead of "
        "2277 mm");
    const QString unknown = QStringLiteral("Position unknown: the plot fits only if the pen stands at its origin");
    QTest::newRow("short") << QStringLiteral("Paused") << QString() << QStringLiteral("Pen at X 1.00 mm, Y 1.00 mm");
    QTest::newRow("progress with notes") << QStringLiteral(
        "Drawing: 18 %, point 9 of 2048, 1 min 05 s elapsed, about 2 min 10 s left")
                                         << longNote << unknown;
    QTest::newRow("long everything") << QStringLiteral(
        "Drawing stopped by the operator after 123456 points, 1 h 02 min; steps were lost. "
        "Resume needs the file, zoom, step type and settings of the stopped draw.")
                                     << longNote + QStringLiteral("; ") + longNote
                                     << QStringLiteral("Pen at X -1234.25 mm, Y -1234.25 mm");
}

// The run buttons keep their places in the status bar whatever its texts say, and nothing
// in it overlaps, or reaches over the window above it, at 1.5 times the size.
void TestScaledStatus::runControlsKeepTheirPlaces()
{
    QFETCH(QString, progress);
    QFETCH(QString, notes);
    QFETCH(QString, position);
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // All of them at once, as no run shows them, to see that none needs another's room.
    for (QPushButton* b : {controls(w).pauseButton, controls(w).stopButton, controls(w).resumeButton})
        b->show();
    QCoreApplication::processEvents();
    const QList<QRect> places = buttonPlaces(w);

    controls(w).progressLabel->setText(progress);
    controls(w).positionLabel->setText(position);
    controls(w).positionLabel->show();
    controls(w).inputLabel->setText(notes);
    controls(w).inputLabel->setVisible(!notes.isEmpty());
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();

    QCOMPARE(buttonPlaces(w), places);
    const QRect bar = inWindow(w, w.statusBar());
    QVERIFY(!bar.intersects(inWindow(w, w.centralWidget())));
    QVERIFY2(w.rect().contains(bar), qPrintable(QStringLiteral("%1 below %2").arg(bar.bottom()).arg(w.height())));
    const QList<QWidget*> shown = statusWidgets(w);
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const QRect a = inWindow(w, shown[i]);
        QVERIFY2(bar.contains(a), qPrintable(shown[i]->objectName()));
        if (auto* label = qobject_cast<QLabel*>(shown[i]))
            QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(label->objectName()));
        for (qsizetype j = i + 1; j < shown.size(); ++j)
            QVERIFY2(!a.intersects(inWindow(w, shown[j])),
                     qPrintable(shown[i]->objectName() + QStringLiteral(" / ") + shown[j]->objectName()));
    }
    // Stop and Resume never share a place: a second click on Stop cannot start a draw.
    QVERIFY(!places[2].intersects(places[3]));
}

// Pause and Continue share a place: the Continue that replaces a clicked Pause takes no
// click until a double click's time has passed, so a double click pauses and stays paused.
void TestScaledStatus::pauseDoesNotTurnIntoContinueUnderAClick()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    w.openPlotFile(rig.writeFile("plot.plt", "PU0,0;PD4000,0;PU0,0;"));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    controls(w).testAndShowButton->click();
    QVERIFY(controls(w).drawButton->isEnabled());
    rig.parkMotionAt(rig.writes->size() + 100);
    controls(w).drawButton->click();
    QVERIFY(rig.waitUntilParked());

    QPushButton* pause = controls(w).pauseButton;
    QPushButton* resume = controls(w).continueButton;
    QTest::mouseClick(pause, Qt::LeftButton);
    QVERIFY(resume->isVisible());
    QVERIFY(!resume->isEnabled());
    QTest::mouseClick(resume, Qt::LeftButton); // the second click of a double click
    QCOMPARE(w.runState(), orlex::ui::RunState::Paused);
    QTRY_VERIFY(resume->isEnabled());
    rig.releaseMotion();
    controls(w).stopButton->click();
    QVERIFY(rig.waitUntilIdle());
}

int main(int argc, char** argv)
{
    qputenv("QT_SCALE_FACTOR", "1.5"); // before the application reads it
    QApplication app(argc, argv);
    TestScaledStatus test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scaled_status.moc"
