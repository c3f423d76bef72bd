// The about box: its caption and texts, and OK closing it (its layout is checked with the
// other windows' in tst_window_layout).
#include "ui/about_box.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using orlex::ui::AboutBox;

class TestAboutBox : public QObject {
    Q_OBJECT
private slots:
    void showsNameVersionNoticeAndMotionThread()
    {
        AboutBox box("Motion thread: real-time priority 20 on CPU 1, memory locked");
        QCOMPARE(box.windowTitle(), QString("About Orlex_plotter"));
        QStringList texts;
        for (const QLabel* label : box.findChildren<QLabel*>())
            texts << label->text();
        texts.sort();
        QCOMPARE(texts, QStringList({"For personal use only",
                                     "Motion thread: real-time priority 20 on CPU 1, memory locked", "Version 1.0"}));
    }

    void okClosesTheBox()
    {
        AboutBox box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        auto* ok = box.findChild<QPushButton*>("okButton");
        QVERIFY(ok);
        QCOMPARE(ok->text(), QString("OK"));
        QSignalSpy accepted(&box, &QDialog::accepted);
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(accepted.count(), 1);
        QVERIFY(!box.isVisible());
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_about_box.moc"
