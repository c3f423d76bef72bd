// The about box: caption, both texts in their places, and OK closing it.
#include "ui/about_box.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using orlex::ui::AboutBox;

namespace {

QLabel* labelWithText(QWidget& box, const QString& text)
{
    for (QLabel* label : box.findChildren<QLabel*>())
        if (label->text() == text)
            return label;
    return nullptr;
}

} // namespace

class TestAboutBox : public QObject {
    Q_OBJECT
private slots:
    void showsNameVersionAndNotice()
    {
        AboutBox box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QCOMPARE(box.windowTitle(), QString("About Orlex_plotter"));
        QCOMPARE(box.size(), QSize(4680 / 15, 3075 / 15));

        QLabel* version = box.findChild<QLabel*>("versionLabel");
        QVERIFY(version);
        QCOMPARE(version->text(), QString("Version 1.0"));
        QCOMPARE(version->geometry(), QRect(1020 / 15, 720 / 15, 2775 / 15, 255 / 15));
        QVERIFY(version->alignment() & Qt::AlignHCenter);
        QVERIFY(version->font().bold());
        QCOMPARE(version->font().pointSizeF(), 9.75);

        QLabel* notice = labelWithText(box, "For personal use only");
        QVERIFY(notice);
        QVERIFY(notice->isVisible());
        QVERIFY(box.rect().contains(notice->geometry()));
        QVERIFY(!notice->geometry().intersects(version->geometry()));
    }

    void okClosesTheBox()
    {
        AboutBox box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        auto* ok = box.findChild<QPushButton*>("okButton");
        QVERIFY(ok);
        QCOMPARE(ok->text(), QString("OK"));
        QCOMPARE(ok->geometry(), QRect(3120 / 15, 2400 / 15, 1455 / 15, 315 / 15));
        QSignalSpy accepted(&box, &QDialog::accepted);
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(accepted.count(), 1);
        QVERIFY(!box.isVisible());
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_about_box.moc"
