// QuickLabel: its text lies where a QLabel's would, a new text repaints, and text it
// does not build itself is painted as QLabel paints it.
#include "ui/quick_label.h"
#include "ui_test_support.h"

#include <QtTest>

using orlex::test::PaintWatch;
using orlex::ui::QuickLabel;

namespace {
// The box of the pixels that differ from the label's background.
QRect inkBox(QLabel& label)
{
    const QImage image = label.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb background = label.palette().color(QPalette::Window).rgb();
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background)
                box |= QRect(x, y, 1, 1);
    return box;
}

void setUp(QLabel& label, const QString& text)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    label.setFont(font);
    label.setAutoFillBackground(true); // the plain QLabel: paint on the same background
    label.resize(360, 20);
    label.setText(text);
}
} // namespace

class TestQuickLabel : public QObject {
    Q_OBJECT
private slots:
    void textLiesWhereAQLabelPutsIt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("position") << QStringLiteral("X 123.45 mm   Y 6.78 mm   pen down   motors energised");
        QTest::newRow("progress") << QStringLiteral("Drawing: point 1234 of 5678 (21 %), 0:42 left");
        QTest::newRow("punctuation") << QStringLiteral("AVA, To; \"quoted\" [x] {y} (z) 100% | \u00b5s \u00e9");
    }
    void textLiesWhereAQLabelPutsIt()
    {
        QFETCH(QString, text);
        QLabel plain;
        setUp(plain, text);
        QuickLabel quick;
        setUp(quick, text);
        QCOMPARE(quick.text(), text);
        const QRect expected = inkBox(plain), got = inkBox(quick);
        QVERIFY(!expected.isEmpty());
        // Same line and start; the width may differ by kerning, which QuickLabel leaves out.
        QVERIFY2(std::abs(got.top() - expected.top()) <= 1 && std::abs(got.bottom() - expected.bottom()) <= 1,
                 qPrintable(QStringLiteral("%1 vs %2").arg(got.top()).arg(expected.top())));
        QVERIFY(std::abs(got.left() - expected.left()) <= 1);
        QVERIFY2(std::abs(got.width() - expected.width()) <= 1 + expected.width() / 50,
                 qPrintable(QStringLiteral("%1 vs %2").arg(got.width()).arg(expected.width())));
    }

    void newTextRepaints()
    {
        QuickLabel label;
        setUp(label, QStringLiteral("Steps X 1"));
        const QRect shortText = inkBox(label);
        label.setText(QStringLiteral("Steps X 1000000"));
        QVERIFY(inkBox(label).width() > shortText.width() + 20);
        label.setText(QString());
        QVERIFY(inkBox(label).isEmpty());
    }

    // A new text on screen repaints only the columns that changed, and the screen then
    // shows what a label given the new text from the start shows.
    void newTextRepaintsOnlyWhatChanged_data()
    {
        QTest::addColumn<QStringList>("shown"); // in turn, each painted, before `after`
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("widestRepaint"); // pixels
        QTest::newRow("one digit") << QStringList{QStringLiteral("Steps X 1234, Y 5678   pen moves 9")}
                                   << QStringLiteral("Steps X 1235, Y 5678   pen moves 9") << 16;
        QTest::newRow("two places") << QStringList{QStringLiteral("Steps X 1234, Y 5678   pen moves 9")}
                                    << QStringLiteral("Steps X 1235, Y 5679   pen moves 9") << 90;
        QTest::newRow("shorter") << QStringList{QStringLiteral("Drawing: point 100 of 200")}
                                 << QStringLiteral("Drawing: point 99 of 200") << 360;
        QTest::newRow("to nothing") << QStringList{QStringLiteral("pen up")} << QString() << 360;
        QTest::newRow("to two lines") << QStringList{QStringLiteral("pen up")} << QStringLiteral("pen\nup") << 360;
        // Text that QLabel painted in between is not what the built image holds.
        QTest::newRow("back from two lines")
            << QStringList{QStringLiteral("pen up"), QStringLiteral("pen\nup")} << QStringLiteral("pen upper") << 360;
    }
    void newTextRepaintsOnlyWhatChanged()
    {
        QFETCH(QStringList, shown);
        QFETCH(QString, after);
        QFETCH(int, widestRepaint);
        QuickLabel label;
        setUp(label, shown.front());
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        for (const QString& text : shown.mid(1)) {
            label.setText(text);
            QCoreApplication::processEvents();
        }
        QRegion repainted;
        PaintWatch watch(repainted);
        label.installEventFilter(&watch);
        label.setText(after);
        QCOMPARE(label.text(), after);
        QTRY_VERIFY(!repainted.isEmpty());
        QVERIFY2(repainted.boundingRect().width() <= widestRepaint,
                 qPrintable(QString::number(repainted.boundingRect().width())));
        const QImage onScreen =
            label.screen()->grabWindow(label.winId()).toImage().convertToFormat(QImage::Format_RGB32);
        QuickLabel fresh;
        setUp(fresh, after);
        QCOMPARE(onScreen, fresh.grab().toImage().convertToFormat(QImage::Format_RGB32));
    }

    // Two lines are not built from glyphs: they are painted as by QLabel, both of them.
    void otherTextIsPaintedAsByQLabel()
    {
        QuickLabel label;
        setUp(label, QStringLiteral("first line\nsecond line"));
        label.resize(360, 40);
        const QRect box = inkBox(label);
        QVERIFY2(box.height() > label.fontMetrics().height() + 4, qPrintable(QString::number(box.height())));
        // Pixel for pixel, in the label's own font and colours.
        QLabel plain;
        setUp(plain, label.text());
        plain.resize(label.size());
        QCOMPARE(label.grab().toImage().convertToFormat(QImage::Format_RGB32),
                 plain.grab().toImage().convertToFormat(QImage::Format_RGB32));
    }
};

QTEST_MAIN(TestQuickLabel)
#include "tst_quick_label.moc"
