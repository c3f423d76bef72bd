// The live virtual plotter view: it follows jogs and pen-down moves written to the port,
// repaints only on change and only what changed, saves the paper as SVG and clears it.
#include "drive/ports/virtual_plotter.h"
#include "ui/virtual_plotter_view.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QXmlStreamReader>

#include <array>
#include <cmath>
#include <functional>
#include <memory>

using orlex::MachineSettings;
using orlex::VirtualPlotter;
using orlex::VirtualPlotterConfig;
using orlex::test::PaintWatch;
using orlex::ui::VirtualPlotterView;

namespace {

// Drives the coils of both motors through the half-step cycle, as the drive does.
class Coils {
public:
    explicit Coils(VirtualPlotter& plotter) : plotter_(plotter) {}
    void energise() { write(); }
    void off() { plotter_.write(orlex::Register::Data, 0); }
    void pen(bool down) { plotter_.write(orlex::Register::Control, down ? 0 : 1); }
    // Moves both axes together by `dx` and `dy` 45-degree turns (|dx| == |dy| or one of them 0).
    void move(int dx, int dy)
    {
        const int n = std::max(std::abs(dx), std::abs(dy));
        for (int i = 0; i < n; ++i) {
            if (dx != 0)
                x_ = (x_ + (dx > 0 ? 1 : 7)) % 8;
            if (dy != 0)
                y_ = (y_ + (dy > 0 ? 7 : 1)) % 8; // the Y motor runs its cycle backwards to go up
            write();
        }
    }

private:
    void write() { plotter_.write(orlex::Register::Data, static_cast<std::uint8_t>(kCycle[x_] | (kCycle[y_] << 4))); }
    static constexpr std::array<std::uint8_t, 8> kCycle{1, 3, 2, 6, 4, 12, 8, 9};
    VirtualPlotter& plotter_;
    int x_ = 0, y_ = 0;
};

using Predicate = std::function<bool(QColor)>;

// Whether any pixel within `radius` of `at` satisfies `test`.
bool anyNear(const QImage& image, QPointF at, int radius, const Predicate& test)
{
    const QPoint c = at.toPoint();
    for (int y = c.y() - radius; y <= c.y() + radius; ++y)
        for (int x = c.x() - radius; x <= c.x() + radius; ++x)
            if (image.valid(x, y) && test(image.pixelColor(x, y)))
                return true;
    return false;
}

const Predicate isInk = [](QColor c) { return c.blue() - c.red() > 60 && c.red() < 180; };
const Predicate isRed = [](QColor c) { return c.red() > 180 && c.green() < 90 && c.blue() < 90; };
const Predicate isLit = [](QColor c) { return c.green() > 180 && c.red() < 150; };
const Predicate notWhite = [](QColor c) { return c != QColor(Qt::white); };

// A virtual plotter whose carriage starts at (30, 30) mm and moves 0.25 mm a step, its
// coils, and a view of it over the default 150 x 150 mm travel.
struct ViewRig {
    static VirtualPlotterConfig config()
    {
        VirtualPlotterConfig c;
        c.startXmm = 30;
        c.startYmm = 30;
        c.stepLengthXmm = 0.25;
        c.stepLengthYmm = 0.25;
        return c;
    }
    MachineSettings settings;
    VirtualPlotter plotter{config()};
    Coils coils{plotter};
    VirtualPlotterView view{plotter, settings};
};

} // namespace

class TestVirtualPlotterView : public QObject {
    Q_OBJECT
    std::unique_ptr<ViewRig> rig_;
    VirtualPlotter& plotter() { return rig_->plotter; }
    VirtualPlotterView& view() { return rig_->view; }
    Coils& coils() { return rig_->coils; }

    // Lets the view notice changes and repaint on screen.
    static void settle(VirtualPlotterView& view)
    {
        view.refresh();
        QCoreApplication::processEvents();
    }

    // What the view shows now (grabbing paints one more frame).
    static QImage frame(VirtualPlotterView& view)
    {
        settle(view);
        return view.grab().toImage();
    }

    // What is on screen now, without painting anything.
    static QImage screenShot(VirtualPlotterView& view)
    {
        return view.screen()->grabWindow(view.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    }

private slots:
    void init()
    {
        rig_ = std::make_unique<ViewRig>();
        rig_->view.resize(800, 800);
        rig_->view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig_->view));
    }
    void cleanup() { rig_.reset(); }

    void followsAJog()
    {
        QCOMPARE(view().windowTitle(), QString("Virtual plotter"));
        QVERIFY(view().isWindow());
        coils().energise();
        frame(view());
        const std::uint64_t framesBefore = view().framesPainted();

        coils().move(40, 0); // 10 mm to the right
        QCOMPARE(plotter().xMillimetres(), 40.0);
        QTRY_VERIFY(view().framesPainted() > framesBefore); // the frame timer picks the jog up
        QImage image = frame(view());
        const QPointF now = view().machineToView(40, 30);
        const QPointF before = view().machineToView(30, 30);
        QVERIFY(now.x() > before.x() + 20);
        QVERIFY(anyNear(image, now + QPointF(0, -12), 1, isRed));     // energised cross-hair
        QVERIFY(!anyNear(image, before + QPointF(0, -12), 2, isRed)); // nothing left behind
        QVERIFY(view().findChild<QLabel*>("positionLabel")->text().contains("X 40.00 mm"));
        QVERIFY(view().findChild<QLabel*>("countersLabel")->text().contains("Steps X 40, Y 0"));

        coils().off(); // motors de-energised: the cross-hair turns grey
        image = frame(view());
        QVERIFY(!anyNear(image, now + QPointF(0, -12), 2, isRed));

        // Up onto the Y switch: its lamp lights.
        const QPointF home = view().machineToView(0, 0);
        const QPointF ySwitch = home + QPointF(8, 7);
        QVERIFY(!anyNear(image, ySwitch, 1, isLit));
        coils().energise();
        coils().move(0, -120);
        QVERIFY(plotter().ySwitchClosed());
        image = frame(view());
        QVERIFY(anyNear(image, ySwitch, 1, isLit));
    }

    void repaintsOnlyWhenSomethingChanged()
    {
        settle(view());
        const std::uint64_t frames = view().framesPainted();
        settle(view());
        QCOMPARE(view().framesPainted(), frames);

        // A new travel limit is a change too, and rescales the drawing.
        const QPointF corner = view().machineToView(150, 150);
        rig_->settings.travelXmm = 300;
        settle(view());
        QVERIFY(view().framesPainted() > frames);
        QVERIFY(view().machineToView(150, 150) != corner);
    }

    void showsPenDownMoves()
    {
        coils().energise();
        coils().pen(true);
        coils().move(40, 40); // (30,30) to (40,40)
        QImage image = frame(view());
        QVERIFY(anyNear(image, view().machineToView(35, 35), 1, isInk));
        coils().move(40, -40); // on to (50,30)
        image = frame(view());
        QCOMPARE(plotter().paper().size(), std::size_t(2));
        QVERIFY(anyNear(image, view().machineToView(35, 35), 1, isInk));
        QVERIFY(anyNear(image, view().machineToView(45, 35), 1, isInk));
        coils().pen(false);
        coils().move(-40, 40); // pen up, back to (40,40): nothing drawn
        image = frame(view());
        QCOMPARE(plotter().paper().size(), std::size_t(2));
        QVERIFY(!anyNear(image, view().machineToView(45, 45), 2, notWhite));

        // Another size redraws the whole paper at the new scale.
        view().resize(500, 600);
        image = frame(view());
        QVERIFY(anyNear(image, view().machineToView(35, 35), 1, isInk));
        QVERIFY(anyNear(image, view().machineToView(45, 35), 1, isInk));
        QVERIFY(view().findChild<QLabel*>("countersLabel")->text().contains("pen moves 2"));
    }

    // Each frame repaints only what changed; what is on screen afterwards must be what a
    // repaint of the whole view shows, through moves, growing ink, switches and motors:
    // both for a refresh and for frames of the frame timer, built in two events.
    void partialFramesMatchAWholeRepaint_data()
    {
        QTest::addColumn<bool>("byFrameTimer");
        QTest::newRow("refresh") << false;
        QTest::newRow("frame timer") << true;
    }
    void partialFramesMatchAWholeRepaint()
    {
        QFETCH(bool, byFrameTimer);
        settle(view());
        const std::uint64_t framesBefore = view().framesPainted();
        const std::vector<std::pair<const char*, std::function<void()>>> steps{
            {"motors on", [&] { coils().energise(); }},
            {"pen down", [&] { coils().pen(true); }},
            {"diagonal", [&] { coils().move(40, 40); }},
            {"line grows", [&] { coils().move(40, 40); }},
            {"turn", [&] { coils().move(60, 0); }},
            {"many short segments",
             [&] {
                 for (int i = 0; i < 100; ++i)
                     coils().move(i % 3 == 0 ? 1 : 0, 1);
             }},
            {"pen up", [&] { coils().pen(false); }},
            {"travel", [&] { coils().move(-50, -50); }},
            {"onto the X switch", [&] { coils().move(-200, 0); }},
            {"onto the Y switch", [&] { coils().move(0, -200); }},
            {"motors off", [&] { coils().off(); }},
            {"off the switches, drawing",
             [&] {
                 coils().energise();
                 coils().pen(true);
                 coils().move(120, 120);
             }},
        };
        // The drawing, above the panel whose texts change on ticks of their own.
        const int drawingHeight = view().findChild<QLabel*>("positionLabel")->parentWidget()->parentWidget()->y();
        for (const auto& [name, step] : steps) {
            const std::uint64_t framesBeforeStep = view().framesPainted();
            step();
            if (byFrameTimer) {
                QTRY_VERIFY(view().framesPainted() > framesBeforeStep);
                QCoreApplication::processEvents();
            } else {
                settle(view()); // a partial frame on screen
            }
            const QImage onScreen = screenShot(view()).copy(0, 0, view().width(), drawingHeight);
            const QImage whole =
                view().grab().toImage().convertToFormat(QImage::Format_RGB32).copy(0, 0, view().width(), drawingHeight);
            QVERIFY2(onScreen == whole, name);
        }
        QVERIFY(view().framesPainted() > framesBefore + steps.size());
        QVERIFY(anyNear(view().grab().toImage(), view().machineToView(40, 40), 1, isInk));
    }

    // New ink repaints around the line, not its whole box; a line that grows repaints
    // around its new part, not its whole length again.
    void inkRepaintsOnlyAroundItsNewPart()
    {
        coils().energise();
        coils().pen(true);
        settle(view());
        QRegion repainted;
        PaintWatch watch(repainted);
        view().installEventFilter(&watch);
        coils().move(200, 200); // (30,30) to (80,80): one segment
        settle(view());
        QVERIFY(repainted.contains(view().machineToView(55, 55).toPoint()));
        QVERIFY(!repainted.contains(view().machineToView(70, 40).toPoint())); // in its box, off the line

        repainted = QRegion();
        coils().move(8, 8); // on to (82,82): the same segment grows
        settle(view());
        QCOMPARE(plotter().paper().size(), std::size_t(1));
        QVERIFY(repainted.contains(view().machineToView(81, 81).toPoint()));
        QVERIFY(!repainted.contains(view().machineToView(55, 55).toPoint()));
        QVERIFY(anyNear(screenShot(view()), view().machineToView(81, 81), 1, isInk));
    }

    // A closed view builds no frames during a draw; shown again, it shows the machine as
    // it is at once, texts included.
    void hiddenViewCatchesUpWhenShown()
    {
        coils().energise();
        frame(view());
        const auto* timer = view().findChild<QTimer*>("frameTimer");
        QVERIFY(timer->isActive());
        view().hide();
        QVERIFY(!timer->isActive());

        coils().move(40, 0);
        view().show();
        QVERIFY(QTest::qWaitForWindowExposed(&view()));
        QVERIFY(timer->isActive());
        QVERIFY(view().findChild<QLabel*>("positionLabel")->text().contains("X 40.00 mm"));
        QCoreApplication::processEvents();
        const QImage onScreen = screenShot(view());
        QVERIFY(anyNear(onScreen, view().machineToView(40, 30) + QPointF(0, -12), 1, isRed));
        QVERIFY(!anyNear(onScreen, view().machineToView(30, 30) + QPointF(0, -12), 2, isRed));
    }

    void savesPaperAsSvg()
    {
        QTemporaryDir dir;
        coils().energise();
        coils().pen(true);
        coils().move(40, 40);
        coils().move(40, -40);
        const QString path = dir.filePath("paper.svg");
        QVERIFY(view().savePaperAs(path));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QStringList lines;
        QString width;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const QXmlStreamAttributes a = xml.attributes();
            if (xml.name() == QLatin1String("svg"))
                width = a.value("width").toString();
            if (xml.name() == QLatin1String("line"))
                lines << QStringLiteral("%1,%2-%3,%4").arg(a.value("x1"), a.value("y1"), a.value("x2"), a.value("y2"));
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(width, QString("150mm"));
        // y grows downwards in SVG: 150 - y.
        QCOMPARE(lines, QStringList({"30,120-40,110", "40,110-50,120"}));

        QVERIFY(!view().savePaperAs(dir.filePath("missing/paper.svg")));
        QVERIFY(!view().lastError().isEmpty());
    }

    void clearPaperEmptiesIt()
    {
        coils().energise();
        coils().pen(true);
        coils().move(40, 40);
        coils().move(40, -40);
        QVERIFY(anyNear(frame(view()), view().machineToView(35, 35), 1, isInk));

        auto* clear = view().findChild<QPushButton*>("clearPaperButton");
        QVERIFY(clear);
        QCOMPARE(clear->text(), QString("Clear paper"));
        QTest::mouseClick(clear, Qt::LeftButton);
        QVERIFY(plotter().paper().empty());
        QImage image = frame(view());
        QVERIFY(!anyNear(image, view().machineToView(35, 35), 2, notWhite));
        QVERIFY(!anyNear(image, view().machineToView(45, 35), 2, notWhite));

        // Drawing goes on on the clean paper.
        coils().move(-40, 40); // (50,30) to (40,40)
        image = frame(view());
        QVERIFY(anyNear(image, view().machineToView(45, 35), 1, isInk));
    }

    void noticesPaperClearedElsewhere()
    {
        coils().energise();
        coils().pen(true);
        coils().move(40, 40);
        coils().move(40, -40);
        frame(view());
        coils().pen(false);
        coils().move(0, 80); // to (50,50)
        plotter().clearPaper();
        coils().pen(true);
        coils().move(-40, 40); // two new segments, as many as before
        coils().move(-40, -40);
        QCOMPARE(plotter().paper().size(), std::size_t(2));
        const QImage image = frame(view());
        QVERIFY(!anyNear(image, view().machineToView(35, 35), 2, isInk));
        QVERIFY(anyNear(image, view().machineToView(45, 55), 1, isInk));
        QVERIFY(anyNear(image, view().machineToView(35, 55), 1, isInk));
    }
};

QTEST_MAIN(TestVirtualPlotterView)
#include "tst_virtual_plotter_view.moc"
