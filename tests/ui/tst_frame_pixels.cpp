// The virtual plotter view's pixel loops: soft ink lines drawn in pieces match lines
// drawn whole and cover the area they should; fills and laid-over pictures stay inside
// their clip.
#include "ui/frame_pixels.h"

#include <QtTest>

#include <cmath>

using namespace orlex::ui;

namespace {
const QRgb kPaper = qRgb(255, 255, 255);
const QRgb kInk = qRgb(20, 40, 160);

QImage paper(int width = 120, int height = 90)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kPaper);
    return image;
}

// How much ink the image holds, in whole pixels' worth (from the red channel).
double inkArea(const QImage& image)
{
    double area = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            area += (255.0 - qRed(image.pixel(x, y))) / (255.0 - qRed(kInk));
    return area;
}
} // namespace

class TestFramePixels : public QObject {
    Q_OBJECT
private slots:
    void inkLinesInPiecesMatchWholeOnes_data()
    {
        QTest::addColumn<QPointF>("a");
        QTest::addColumn<QPointF>("b");
        QTest::addColumn<double>("width");
        QTest::newRow("flat") << QPointF(10.3, 40.5) << QPointF(100.7, 41.2) << 1.0;
        QTest::newRow("steep, upwards") << QPointF(60.2, 85.0) << QPointF(55.9, 3.4) << 1.0;
        QTest::newRow("diagonal, wide") << QPointF(5, 5) << QPointF(80, 80) << 3.5;
        QTest::newRow("a dot") << QPointF(30.5, 30.5) << QPointF(30.5, 30.5) << 2.0;
        QTest::newRow("ends far outside") << QPointF(-4940, -2955) << QPointF(5060, 3045) << 1.5;
    }
    void inkLinesInPiecesMatchWholeOnes()
    {
        QFETCH(QPointF, a);
        QFETCH(QPointF, b);
        QFETCH(double, width);
        QImage whole = paper();
        drawInkLine(whole, a, b, width, kInk, whole.rect());
        QImage pieces = paper();
        for (int y = 0; y < pieces.height(); y += 17)
            for (int x = 0; x < pieces.width(); x += 23)
                drawInkLine(pieces, a, b, width, kInk, QRect(x, y, 23, 17));
        QCOMPARE(pieces, whole);
        QVERIFY(inkArea(whole) > 0);
    }

    // The ink covers the line's length plus its square ends, times its width.
    void inkCoversItsArea_data()
    {
        QTest::addColumn<double>("angle");
        QTest::addColumn<double>("width");
        for (const double angle : {0.0, 10.0, 30.0, 45.0, 60.0, 89.0, 135.0})
            for (const double width : {1.0, 2.5})
                QTest::addRow("%g degrees, %g px", angle, width) << angle << width;
    }
    void inkCoversItsArea()
    {
        QFETCH(double, angle);
        QFETCH(double, width);
        const double length = 50, radians = angle * M_PI / 180;
        const QPointF centre(60.2, 45.3);
        const QPointF half(std::cos(radians) * length / 2, std::sin(radians) * length / 2);
        QImage image = paper();
        drawInkLine(image, centre - half, centre + half, width, kInk, image.rect());
        QVERIFY2(std::abs(inkArea(image) - (length + width) * width) < 0.06 * (length + width) * width,
                 qPrintable(QString::number(inkArea(image))));
    }

    void fillsAndPicturesStayInTheirClip()
    {
        QImage image = paper(40, 30);
        fillPixels(image, QRect(5, 5, 20, 20), qRgb(1, 2, 3), QRect(10, 0, 100, 12));
        QCOMPARE(image.pixel(10, 5), qRgb(1, 2, 3));
        QCOMPARE(image.pixel(24, 11), qRgb(1, 2, 3));
        QCOMPARE(image.pixel(9, 5), kPaper);
        QCOMPARE(image.pixel(10, 12), kPaper);

        // A picture: opaque red at left, half-transparent black at right, clear below.
        QImage picture(4, 2, QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::transparent);
        for (int y = 0; y < 1; ++y) {
            picture.setPixel(0, y, qRgba(255, 0, 0, 255));
            picture.setPixel(3, y, qRgba(0, 0, 0, 128));
        }
        QImage laid = paper(40, 30);
        blendPicture(laid, picture, QPoint(30, 20), QRect(0, 0, 33, 30));
        QCOMPARE(laid.pixel(30, 20), qRgb(255, 0, 0));
        QCOMPARE(laid.pixel(33, 20), kPaper); // outside the clip
        QCOMPARE(laid.pixel(30, 21), kPaper); // clear
        QImage unclipped = paper(40, 30);
        blendPicture(unclipped, picture, QPoint(30, 20), unclipped.rect());
        QCOMPARE(qRed(unclipped.pixel(33, 20)), 127);

        QImage copy = paper(40, 30);
        copyPixels(copy, image, QRect(0, 0, 12, 6));
        QCOMPARE(copy.pixel(10, 5), qRgb(1, 2, 3));
        QCOMPARE(copy.pixel(12, 5), kPaper);
    }
};

QTEST_MAIN(TestFramePixels)
#include "tst_frame_pixels.moc"
