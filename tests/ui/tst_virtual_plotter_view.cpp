// The virtual plotter view reads the machine only through its feed: its copy of the
// paper follows the plotter's, Clear and Save work on that copy alone, the texts follow
// the snapshot, lost ink is reported, and a hidden view keeps draining.
#include "drive/ports/paper_svg.h"
#include "drive/ports/virtual_plotter.h"
#include "ui/virtual_plotter_view.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>

using orlex::PaperSegment;
using orlex::Register;

namespace {

// "x1,y1-x2,y2" per segment, in mm.
QString text(const std::vector<PaperSegment>& paper)
{
    QStringList segments;
    for (const PaperSegment& s : paper)
        segments << QStringLiteral("%1,%2-%3,%4").arg(s.x1).arg(s.y1).arg(s.x2).arg(s.y2);
    return segments.join(' ');
}

// Whether a pixel next to `at` has the ink's colour.
bool isInk(const QImage& image, QPointF at)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (const QColor c = image.pixelColor(at.toPoint() + QPoint(dx, dy)); c.blue() - c.red() > 60)
                return true;
    return false;
}

} // namespace

// A plotter in virtual time at (30, 30) mm, 0.25 mm a turn, publishing to a view made
// from its paper.
class TestVirtualPlotterView : public QObject {
    Q_OBJECT
    orlex::MachineSettings settings_;
    std::unique_ptr<orlex::VirtualPlotter> plotter_;
    std::unique_ptr<orlex::ui::VirtualPlotterView> view_;
    int x_ = 0, y_ = 0; // the motors' places in the half-step cycle

    void attachView()
    {
        detachView();
        view_ = std::make_unique<orlex::ui::VirtualPlotterView>(settings_, plotter_->paper());
        plotter_->setFeed(&view_->feed());
    }
    void detachView()
    {
        plotter_->setFeed(nullptr);
        view_.reset();
    }
    void writeCoils()
    {
        static constexpr std::array<std::uint8_t, 8> kCycle{1, 3, 2, 6, 4, 12, 8, 9};
        plotter_->write(Register::Data, static_cast<std::uint8_t>(kCycle[x_] | kCycle[y_] << 4));
    }
    // Moves by dx and dy 45-degree turns, diagonally or straight.
    void move(int dx, int dy)
    {
        for (int i = 0; i < std::max(std::abs(dx), std::abs(dy)); ++i) {
            x_ = (x_ + (dx > 0 ? 1 : dx < 0 ? 7 : 0)) % 8;
            y_ = (y_ + (dy > 0 ? 7 : dy < 0 ? 1 : 0)) % 8; // the Y motor runs its cycle backwards to go up
            writeCoils();
        }
    }
    // Writes to the port as the drive does, word by word: "e" motors on, "o" off, "d"/"u"
    // pen down/up, "l" a coil pattern of no cycle (a lost X step), "dx,dy" a move; "r" a
    // frame of the view, "c" a click on "Clear paper".
    void run(const QString& script)
    {
        for (const QString& word : script.split(' ', Qt::SkipEmptyParts)) {
            if (word.contains(','))
                move(word.section(',', 0, 0).toInt(), word.section(',', 1).toInt());
            else if (word == "e")
                writeCoils();
            else if (word == "o" || word == "l")
                plotter_->write(Register::Data, word == "o" ? 0 : 5);
            else if (word == "d" || word == "u")
                plotter_->write(Register::Control, word == "d" ? 0 : 1);
            else if (word == "r")
                view_->refresh();
            else
                view_->findChild<QPushButton*>("clearPaperButton")->click();
        }
    }
    QString label(const char* name) const { return view_->findChild<QLabel*>(name)->text(); }

private slots:
    void init()
    {
        settings_ = orlex::MachineSettings{};
        plotter_ = std::make_unique<orlex::VirtualPlotter>();
        x_ = y_ = 0;
        attachView();
    }
    void cleanup() { detachView(); }

    // Whatever the window does, and whichever thread draws: a frame of a view that does
    // not show takes the ink in without painting, for the frame timer runs all the same.
    void copyFollowsThePlotter_data()
    {
        QTest::addColumn<QString>("before"); // drawn before the view is attached
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("window"); // "shown", "hidden" after shown, or never shown
        QTest::addColumn<bool>("onThread");  // `after` drawn on another thread while frames run
        const auto row = [](const char* name, QString before, QString after, QString window, bool onThread = false) {
            QTest::newRow(name) << before << after << window << onThread;
        };
        row("one line, seen growing", "", "e d 40,40 r 40,40 r 40,40", "shown");
        row("corner in one frame", "", "e d 40,40 40,-40", "");
        row("pen lifted between lines", "", "e d 40,40 r u 10,0 r d 0,20 r -8,0", "hidden");
        row("many short segments", "", "e d" + QString(" 1,1 1,0 r").repeated(300), "");
        row("paper before the view", "e d 40,40 40,-40", "r 0,8 r -4,0", "shown");
        row("paper before, no frame yet", "e d 40,40 40,-40", "", "");
        row("drawn by another thread", "", "e d" + QString(" 1,1 2,0 0,-1").repeated(500), "shown", true);
    }
    void copyFollowsThePlotter()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QString, window);
        QFETCH(bool, onThread);
        detachView();
        run(before);
        attachView();
        if (!window.isEmpty()) {
            view_->show();
            QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
            view_->setVisible(window == "shown");
        }
        QVERIFY(view_->findChild<QTimer*>("frameTimer")->isActive());
        const std::uint64_t frames = view_->framesPainted();
        if (onThread) {
            std::atomic<bool> done = false;
            std::thread producer([&] {
                run(after);
                done = true;
            });
            while (!done) {
                view_->refresh();
                QCoreApplication::processEvents();
            }
            producer.join();
        } else {
            run(after);
        }
        view_->refresh();
        QCoreApplication::processEvents();
        QCOMPARE(view_->framesPainted() > frames, view_->isVisible());
        QVERIFY(!plotter_->paper().empty());
        QCOMPARE(text(view_->paper()), text(plotter_->paper()));
    }

    // The snapshot may still name the segment just taken from the ring as growing: it
    // shows once. Segments the full ring refused count all the same, and are reported.
    void growingSegmentShowsOnce_data()
    {
        QTest::addColumn<int>("dropped");
        QTest::addColumn<QString>("note");
        QTest::newRow("no ring full") << 0 << "";
        QTest::newRow("one dropped") << 1 << "   1 ink segment not shown";
        QTest::newRow("twelve dropped") << 12 << "   12 ink segments not shown";
    }
    void growingSegmentShowsOnce()
    {
        QFETCH(int, dropped);
        detachView();
        view_ = std::make_unique<orlex::ui::VirtualPlotterView>(settings_);
        orlex::VirtualPlotterFeed& feed = view_->feed();
        const std::uint64_t before = dropped > 0 ? feed.finishedInk.capacity() + dropped : 0;
        for (std::uint64_t i = 0; i < before; ++i)
            feed.finishedInk.push({0, 0, 1, 1});
        view_->refresh();
        QCOMPARE(view_->paper().size(), std::min<std::uint64_t>(before, feed.finishedInk.capacity()));
        QFETCH(QString, note);
        QCOMPARE(label("countersLabel"), "Steps X 0, Y 0   lost steps X 0, Y 0   pen moves 0" + note);
        view_->clearPaper();
        const PaperSegment a{0, 0, 1, 0}, b{1, 0, 1, 1}, c{1, 1, 2, 2};
        const auto publish = [&](std::uint64_t drawn, PaperSegment growing) {
            orlex::VirtualPlotterState state;
            state.segmentsDrawn = before + drawn;
            state.growing = growing;
            feed.state.store(state);
            view_->refresh();
            return text(view_->paper());
        };
        QCOMPARE(publish(1, a), text({a}));
        feed.finishedInk.push(a);
        QCOMPARE(publish(1, a), text({a})); // the snapshot before b began
        QCOMPARE(publish(2, b), text({a, b}));
        feed.finishedInk.push(b);
        QCOMPARE(publish(3, c), text({a, b, c}));
    }

    void clearEmptiesOnlyTheViewsCopy_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("viewPaper");
        QTest::addColumn<QString>("plotterPaper");
        QTest::newRow("idle") << "e d 40,40 40,-40 r c"
                              << ""
                              << "30,30-40,40 40,40-50,30";
        QTest::newRow("then a new line") << "e d 40,40 r c 0,40"
                                         << "40,40-40,50"
                                         << "30,30-40,40 40,40-40,50";
        QTest::newRow("while a line grows") << "e d 40,40 c 40,40"
                                            << "40,40-50,50"
                                            << "30,30-50,50";
        QTest::newRow("before its frame") << "e d 40,40 40,-40 c 0,40"
                                          << "50,30-50,40"
                                          << "30,30-40,40 40,40-50,30 50,30-50,40";
    }
    void clearEmptiesOnlyTheViewsCopy()
    {
        QFETCH(QString, script);
        run(script + " r");
        QTEST(text(view_->paper()), "viewPaper");
        QTEST(text(plotter_->paper()), "plotterPaper");
    }

    // The paint shows the view's copy: ink, also at another size, and none after a Clear.
    void paintsTheCopy()
    {
        view_->show();
        QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
        run("e d 40,40 40,-40 r");
        QVERIFY(isInk(view_->grab().toImage(), view_->machineToView(35, 35))); // finished
        view_->resize(400, 500);
        QCoreApplication::processEvents();
        QVERIFY(isInk(view_->grab().toImage(), view_->machineToView(45, 35))); // growing
        run("c");
        const QImage image = view_->grab().toImage();
        QVERIFY(!isInk(image, view_->machineToView(35, 35)));
        QVERIFY(!isInk(image, view_->machineToView(45, 35)));
    }

    void savesTheViewsCopyAsSvg()
    {
        QTemporaryDir dir;
        settings_.travelXmm = 200;
        run("e d 40,40 40,-40 r c 0,40");
        QVERIFY2(view_->savePaperAs(dir.filePath("paper.svg")), qPrintable(view_->lastError()));
        QFile file(dir.filePath("paper.svg"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().toStdString(), orlex::paperSvg({{50, 30, 50, 40}}, 200, 150));
        QVERIFY(!view_->savePaperAs(dir.filePath("missing/paper.svg")));
        QVERIFY(view_->lastError().contains("missing"));
    }

    void textsFollowTheSnapshot_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("position");
        QTest::addColumn<QString>("counters");
        QTest::newRow("at rest") << ""
                                 << "X 30.00 mm   Y 30.00 mm   pen up   motors off"
                                 << "Steps X 0, Y 0   lost steps X 0, Y 0   pen moves 0";
        QTest::newRow("jog") << "e 40,0 0,-6"
                             << "X 40.00 mm   Y 28.50 mm   pen up   motors energised"
                             << "Steps X 40, Y 6   lost steps X 0, Y 0   pen moves 0";
        QTest::newRow("pen down, motors off") << "e d -4,-4 o"
                                              << "X 29.00 mm   Y 29.00 mm   pen down   motors off"
                                              << "Steps X 4, Y 4   lost steps X 0, Y 0   pen moves 1";
        QTest::newRow("lost step") << "e d u l"
                                   << "X 30.00 mm   Y 30.00 mm   pen up   motors energised"
                                   << "Steps X 0, Y 0   lost steps X 1, Y 0   pen moves 2";
        // 50 mm to the left from 30 mm: the carriage stops at the end of travel, 10 mm behind home.
        QTest::newRow("against the end") << "e -200,0"
                                         << "X -10.00 mm   Y 30.00 mm   pen up   motors energised"
                                         << "Steps X 160, Y 0   lost steps X 40, Y 0   pen moves 0   against an end "
                                            "of travel X 40, Y 0";
    }
    void textsFollowTheSnapshot()
    {
        QFETCH(QString, script);
        run("r " + script + " r");
        QTEST(label("positionLabel"), "position");
        QTEST(label("countersLabel"), "counters");
    }
};

QTEST_MAIN(TestVirtualPlotterView)
#include "tst_virtual_plotter_view.moc"
