// The status bar's texts and the port address at QT_SCALE_FACTOR=1.5, as on a large
// screen: every text shows whole.
#include "window_rig.h"

#include "ui/main_window.h"

#include <QApplication>
#include <QLabel>
#include <QStatusBar>
#include <QtTest>

using orlex::test::WindowRig;
using orlex::ui::MainWindow;

class TestScaledStatus : public QObject {
    Q_OBJECT
private slots:
    void scaled();
    void statusTextShownWhole_data();
    void statusTextShownWhole();
    void portAddressShownWhole();
};

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

int main(int argc, char** argv)
{
    qputenv("QT_SCALE_FACTOR", "1.5"); // before the application reads it
    QApplication app(argc, argv);
    TestScaledStatus test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scaled_status.moc"
