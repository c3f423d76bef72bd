// The fixed layouts of the main window, the settings dialog and the about box: no control
// drawn over another, no caption clipped in the fonts here, the sizes and a few places the
// rest relies on; and the main window's menus, status bar, handlers and small widgets.
#include "window_rig.h"

#include "settings/settings_file.h"
#include "ui/about_box.h"
#include "ui/icons.h"
#include "ui/main_window.h"
#include "ui/preview_widget.h"
#include "ui/settings_dialog.h"
#include "ui/widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QStyleOptionGroupBox>
#include <QTest>

#include <climits>
#include <memory>

using orlex::test::WindowRig;
using orlex::ui::MainWindow;

namespace {

// A caption and where a control draws it: the box and the alignment in it. Empty for a
// control without a caption.
struct Caption {
    QString text;
    QRect box;
    Qt::Alignment alignment;
};

Caption captionOf(const QWidget* w)
{
    QStyle* style = w->style();
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        const int m = label->margin();
        return {label->text(), label->contentsRect().adjusted(m, m, -m, -m), label->alignment()};
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(w)) {
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
        constexpr int kTextMargin = 2; // QLineEdit keeps this much room either side of its text
        const QRect inside = style->subElementRect(QStyle::SE_LineEditContents, &option, edit);
        return {edit->text(), inside.adjusted(kTextMargin, 0, -kTextMargin, 0), edit->alignment()};
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        if (qobject_cast<const QRadioButton*>(w) || qobject_cast<const QCheckBox*>(w)) {
            const auto contents =
                qobject_cast<const QRadioButton*>(w) ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents;
            return {button->text(), style->subElementRect(contents, &option, button), Qt::AlignLeft | Qt::AlignVCenter};
        }
        return {button->text(), style->subElementRect(QStyle::SE_PushButtonContents, &option, button), Qt::AlignCenter};
    }
    return {};
}

// The pixels a text inks, drawn in `font` with its origin at (0, 0) on the baseline.
QRect inkOf(const QString& text, const QFont& font)
{
    const QFontMetrics metrics(font);
    const QPoint origin(metrics.height(), 2 * metrics.height());
    QImage image(metrics.horizontalAdvance(text) + 2 * origin.x(), 3 * metrics.height(),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setFont(font);
    painter.drawText(origin, text);
    painter.end();
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                ink |= QRect(x, y, 1, 1);
    return ink.translated(-origin);
}

// Why a control's caption is clipped, or an empty text: some of its ink falls outside the
// box it is drawn in, at its alignment. A frame's title must lie inside the frame.
QString captionClipped(const QWidget* w)
{
    if (const auto* frame = qobject_cast<const QGroupBox*>(w)) {
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        const QRect title = w->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
        return frame->rect().contains(title) ? QString() : QStringLiteral("its title reaches out of it");
    }
    const Caption caption = captionOf(w);
    if (caption.text.isEmpty())
        return {};
    const QFontMetrics metrics = w->fontMetrics();
    const QString text = QString(caption.text).remove(QLatin1Char('&'));
    const QSize box = caption.box.size();
    QRect ink;
    if (const auto* label = qobject_cast<const QLabel*>(w); label && label->wordWrap()) {
        ink = metrics.boundingRect(QRect(QPoint(0, 0), box), Qt::TextWordWrap | caption.alignment, text);
    } else {
        const int advance = metrics.horizontalAdvance(text);
        const int left = caption.alignment & Qt::AlignHCenter ? (box.width() - advance) / 2 : 0;
        const int top = (box.height() - metrics.height()) / 2; // every caption here is centred up and down
        ink = inkOf(text, w->font()).translated(left, top + metrics.ascent());
    }
    return QRect(QPoint(0, 0), box).contains(ink) ? QString() : "\"" + caption.text + "\" is clipped";
}

// Faults an operator would see in a fixed layout: a control drawn over another, a caption
// its box clips, a control reaching out of its parent. The motor symbol's lamp, letter and
// cross lines are stacked on purpose.
QStringList layoutFaults(const QWidget* root)
{
    static const QStringList kStacked{"motorLamp", "motorLetter", "motorSlashLine", "motorBackslashLine"};
    QStringList faults;
    QList<const QWidget*> parents{root};
    for (const QWidget* w : root->findChildren<QWidget*>())
        if (w->isVisibleTo(root))
            parents << w;
    for (const QWidget* parent : parents) {
        QList<const QWidget*> shown;
        for (const QObject* child : parent->children())
            if (const auto* w = qobject_cast<const QWidget*>(child); w && !w->isWindow() && w->isVisibleTo(root))
                shown << w;
        for (qsizetype i = 0; i < shown.size(); ++i) {
            const QWidget* a = shown[i];
            if (!parent->rect().contains(a->geometry()))
                faults << a->objectName() + " reaches out of " + parent->objectName();
            if (const QString clipped = captionClipped(a); !clipped.isEmpty())
                faults << a->objectName() + ": " + clipped;
            for (qsizetype j = i + 1; j < shown.size(); ++j)
                if (a->geometry().intersects(shown[j]->geometry())
                    && !(kStacked.contains(a->objectName()) && kStacked.contains(shown[j]->objectName())))
                    faults << a->objectName() + " overlaps " + shown[j]->objectName();
        }
    }
    return faults;
}

// The fixed layouts as the operator meets them.
class Layouts {
public:
    QWidget* open(const QString& which);

private:
    WindowRig rig_;
    orlex::MachineSettings settings_;
    std::unique_ptr<QWidget> dialog_;
};

QWidget* Layouts::open(const QString& which)
{
    if (which.startsWith("main window")) {
        if (which.endsWith("address"))
            rig_.writeSettings(50, 50, 150, 150, 80, 80, 5, 5, "&HD010"); // "D010H"
        MainWindow& w = rig_.openWindow();
        if (which.endsWith("after a check, motors off")) {
            // The widest extents there are: 16-bit coordinates at zoom 400 ("-3277 mm").
            controls(w).zoomBox->setText(QStringLiteral("400"));
            w.openPlotFile(rig_.writeFile("far.plt", "PU-32768,-32768;PD32767,32767;"));
            controls(w).testAndShowButton->click();
            w.onStatusTimer(); // "Motor is disconnected", "Motor on"
        }
        return w.centralWidget();
    }
    if (which.startsWith("settings dialog")) {
        if (which.endsWith("widest values"))
            rig_.writeSettings(125, 125, 299, 299, 1234, 1234, 100, 100, "&HD010"); // "29.9 cm", "HD010"
        orlex::loadSettings(settings_, rig_.settingsFile());
        if (which.endsWith("widest values"))
            settings_.speedYms = 99999; // out of the scroll bar's range: the note shows
        dialog_ = std::make_unique<orlex::ui::SettingsDialog>(settings_, rig_.settingsFile(), rig_.feedback);
    } else {
        dialog_ = std::make_unique<orlex::ui::AboutBox>(
            QStringLiteral("Motion thread: normal priority (real-time not granted (no RLIMIT_RTPRIO or CAP_SYS_NICE; "
                           "see the README))"));
    }
    return dialog_.get();
}

} // namespace

// Counts the events of one type that reach the objects it filters.
class EventCounter : public QObject {
public:
    explicit EventCounter(QEvent::Type type) : type_(type) {}
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == type_;
        return false;
    }
    int count = 0;

private:
    QEvent::Type type_;
};

class TestWindowLayout : public QObject {
    Q_OBJECT
private slots:
    void noControlOverlapsOrIsClipped_data();
    void noControlOverlapsOrIsClipped();
    void sizesAndPlaces_data();
    void sizesAndPlaces();
    void clientAreaAndRule();
    void iconButtons();
    void motorSymbol();
    void menus();
    void statusBar();
    void timersAndHandlersAreConnected();
    void limitFrameCanBePainted();
    void previewWidgetClipsFarLines_data();
    void previewWidgetClipsFarLines();
    void previewWidgetShowsItsImage();
    void paletteColours();
    void clickableLabelClicks();
    void icons();
};

void TestWindowLayout::noControlOverlapsOrIsClipped_data()
{
    QTest::addColumn<QString>("window");
    for (const char* window :
         {"main window", "main window after a check, motors off", "main window with a four-digit address",
          "settings dialog", "settings dialog with its widest values", "about box"})
        QTest::newRow(window) << QString(window);
}

void TestWindowLayout::noControlOverlapsOrIsClipped()
{
    QFETCH(QString, window);
    Layouts layouts;
    const QStringList faults = layoutFaults(layouts.open(window));
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

// The sizes, and a few places the rest relies on (the preview's inside sets its scale).
void TestWindowLayout::sizesAndPlaces_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("name"); // empty: the window's client area
    QTest::addColumn<QRect>("place");
    const auto row = [](const char* name, const char* window, const char* widget, QRect place) {
        QTest::newRow(name) << QString(window) << QString(widget) << place;
    };
    row("main window", "main window", "", QRect(0, 0, 632, 431));
    row("preview", "main window", "previewCanvas", QRect(144, 16, 381, 317));
    row("Pen to 0", "main window", "penToZeroButton", QRect(24, 132, 75, 21));
    row("motor lamp", "main window", "motorLamp", QRect(24, 24, 37, 37));
    row("settings dialog", "settings dialog", "", QRect(0, 0, 271, 233));
    row("Save", "settings dialog", "saveButton", QRect(176, 156, 73, 25));
    row("about box", "about box", "", QRect(0, 0, 312, 205));
    row("OK", "about box", "okButton", QRect(208, 160, 97, 21));
}

void TestWindowLayout::sizesAndPlaces()
{
    QFETCH(QString, window);
    QFETCH(QString, name);
    QFETCH(QRect, place);
    Layouts layouts;
    QWidget* root = layouts.open(window);
    QWidget* widget = name.isEmpty() ? root : root->findChild<QWidget*>(name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(name.isEmpty() ? widget->rect() : widget->geometry(), place);
}

void TestWindowLayout::clientAreaAndRule()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QWidget* client = w.centralWidget();
    QCOMPARE(client->objectName(), QString("clientArea"));
    QCOMPARE(controls(w).menuRule->geometry(), QRect(0, 0, 632, 2));
    QCOMPARE(controls(w).menuRule->palette().color(QPalette::Window), w.palette().color(QPalette::ButtonText));
    // Menu bar above, status bar below, nothing overlapping the client area.
    QVERIFY(w.menuBar()->geometry().bottom() < client->geometry().top());
    QVERIFY(w.statusBar()->geometry().top() > client->geometry().bottom());
    // The layout is fixed: the window keeps its size.
    QCOMPARE(w.minimumSize(), w.maximumSize());
}

void TestWindowLayout::iconButtons()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    for (QPushButton* b : {controls(w).stepUpButton, controls(w).stepDownButton, controls(w).stepLeftButton,
                           controls(w).stepRightButton, controls(w).penButton}) {
        QVERIFY(b->text().isEmpty());
        QVERIFY(!b->icon().isNull());
        QCOMPARE(b->iconSize(), QSize(32, 32));
        // The disabled look is the second image, not a greyed copy of the first.
        const QImage normal = b->icon().pixmap(32, QIcon::Normal).toImage();
        const QImage disabled = b->icon().pixmap(32, QIcon::Disabled).toImage();
        QVERIFY(normal != disabled);
    }
    // Held down, a button shows its second look; released, the first again.
    const QImage first = controls(w).stepRightButton->icon().pixmap(32).toImage();
    controls(w).stepRightButton->setDown(true);
    emit controls(w).stepRightButton->pressed();
    QVERIFY(controls(w).stepRightButton->icon().pixmap(32).toImage() != first);
    controls(w).stepRightButton->setDown(false);
    emit controls(w).stepRightButton->released();
    QCOMPARE(controls(w).stepRightButton->icon().pixmap(32).toImage(), first);
}

void TestWindowLayout::motorSymbol()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    QCOMPARE(controls(w).motorLamp->colour(), std::int16_t(12));
    QVERIFY(!controls(w).motorSlashLine->isHidden());
    QVERIFY(!controls(w).motorBackslashLine->isHidden());
    QCOMPARE(controls(w).motorStatusLabel->text(), QString("Motors is connected"));
    // Stacking: lamp at the bottom, then the letter, then the two lines.
    const QObjectList& order = controls(w).motorFrame->children();
    QVERIFY(order.indexOf(controls(w).motorLamp) < order.indexOf(controls(w).motorLetter));
    QVERIFY(order.indexOf(controls(w).motorLetter) < order.indexOf(controls(w).motorSlashLine));
    QVERIFY(order.indexOf(controls(w).motorLetter) < order.indexOf(controls(w).motorBackslashLine));

    // The drawn symbol: red lamp, black lines crossing at its middle.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QImage symbol = controls(w).motorFrame->grab().toImage();
    QCOMPARE(symbol.pixelColor(42, 42), QColor(0, 0, 0));   // where the lines cross
    QCOMPARE(symbol.pixelColor(30, 42), QColor(255, 0, 0)); // inside the lamp, off the lines
    QVERIFY(symbol.pixelColor(20, 20).value() < 64);        // a line's end
}

// The menus as the operator reads them, in order; Open Privat is shown but never offered,
// and the choices are off on a fresh installation, but for the text of SVG drawings.
void TestWindowLayout::menus()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    QStringList seen;
    for (QAction* menu : w.menuBar()->actions()) {
        seen << menu->text();
        for (QAction* item : menu->menu()->actions()) {
            seen << QStringLiteral("  %1%2%3")
                        .arg(item->text(), item->isEnabled() ? "" : " (off)",
                             !item->isCheckable() ? ""
                             : item->isChecked()  ? " [x]"
                                                  : " [ ]");
            if (item->menu() != nullptr && item->menu()->objectName() == QStringLiteral("lineWorkMenu"))
                for (QAction* sub : item->menu()->actions())
                    seen << QStringLiteral("    %1%2").arg(sub->text(), sub->isChecked() ? " [x]" : " [ ]");
        }
    }
    QCOMPARE(seen, QStringList({"&File",
                                "  &Open",
                                "  Recent files (off)",
                                "  Open Privat  (off)",
                                "  E&xit",
                                "&Run",
                                "  Test and Show",
                                "  Draw (off)",
                                "&View",
                                "  Whole plot in the preview [ ]",
                                "&Options",
                                "  Settings",
                                "  Pause at pen change [ ]",
                                "  Shorter pen-up travel [ ]",
                                "  Full HP-GL [ ]",
                                "  Text in a single-stroke font [x]",
                                "  Line work",
                                "    Hide lines under fills [ ]",
                                "    Drop retraced lines [ ]",
                                "    Join strokes that meet [ ]",
                                "    Simplify curves [ ]",
                                "&Help",
                                "  Port check…",
                                "  &About"}));
}

void TestWindowLayout::statusBar()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    QCOMPARE(w.findChild<QLabel*>("progressLabel"), controls(w).progressLabel);
    QCOMPARE(w.findChild<QPushButton*>("stopButton"), controls(w).stopButton);
    QCOMPARE(controls(w).stopButton->text(), QString("Stop"));
    QVERIFY(controls(w).stopButton->isHidden());
    QVERIFY(w.statusBar()->isAncestorOf(controls(w).progressLabel));
    QVERIFY(w.statusBar()->isAncestorOf(controls(w).stopButton));

    // Every status text is shown whole: long ones wrap, and the notes about the file have
    // a row of their own under the progress.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    controls(w).progressLabel->setText(
        QStringLiteral("Estimated drawing time: 1 h 02 min plus homing. Position unknown: the "
                       "plot fits only if the pen stands at its origin"));
    controls(w).inputLabel->setText(
        QStringLiteral("Shorter pen-up travel saves 1324 mm (58 %): 953 mm instead of 2277 mm; "
                       "3 text elements were left out; 2 images were left out"));
    controls(w).inputLabel->show();
    const auto whole = [](QLabel* label) {
        const QRect room = label->contentsRect();
        const QRect needed =
            label->fontMetrics().boundingRect(QRect(0, 0, room.width(), 10000), Qt::TextWordWrap, label->text());
        return needed.width() <= room.width() && needed.height() <= room.height();
    };
    QTRY_VERIFY(whole(controls(w).inputLabel));
    QVERIFY(whole(controls(w).progressLabel));
    QVERIFY(controls(w).progressLabel->geometry().bottom() < controls(w).inputLabel->geometry().top());
    QVERIFY(w.statusBar()->geometry().bottom() <= w.height());
}

void TestWindowLayout::timersAndHandlersAreConnected()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    QCOMPARE(w.findChild<QTimer*>("statusTimer"), controls(w).statusTimer);
    QCOMPARE(w.findChild<QTimer*>("liveViewTimer"), controls(w).liveViewTimer);
    // A jog button reaches its handler: one coil byte on the data register.
    const std::size_t before = rig.writes->size();
    controls(w).stepRightButton->click();
    QVERIFY(rig.writes->size() > before);
    QCOMPARE(rig.writes->back().reg, orlex::Register::Data);
    // The zoom text reaches its handler, which moves the scroll bar.
    controls(w).zoomBox->setText(QStringLiteral("40"));
    QCOMPARE(controls(w).zoomScrollBar->value(), 40);
    QCOMPARE(w.preview().zoom, std::int16_t(40));
    // The scroll bar reaches its handler, which writes the text.
    controls(w).zoomScrollBar->setValue(250);
    QCOMPARE(controls(w).zoomBox->text(), QString("250"));
    // Clicking the origin labels draws the half-axes again after Cls.
    controls(w).clearButton->click();
    const long H = controls(w).previewCanvas->heightUnits();
    QCOMPARE(controls(w).previewCanvas->pixelAtTwips(100, H / 2), controls(w).previewCanvas->background());
    QTest::mouseClick(controls(w).originXLabel, Qt::LeftButton);
    QCOMPARE(controls(w).previewCanvas->pixelAtTwips(100, H / 2), QColor(255, 0, 0));
    QTest::mouseClick(controls(w).originYLabel, Qt::LeftButton);
    QCOMPARE(controls(w).previewCanvas->pixelAtTwips(3000, H - 100), QColor(255, 0, 0));
    // The status timer reaches its handler: the lamp stops being the start-up red.
    QTRY_VERIFY_WITH_TIMEOUT(controls(w).motorStatusLabel->text() != QString("Motors is connected"), 5000);
    // showPenUpCheck reaches its handler.
    controls(w).showPenUpCheck->click();
    QCOMPARE(w.preview().penUpColour, std::int16_t{orlex::kWhite});
}

void TestWindowLayout::limitFrameCanBePainted()
{
    // The runs paint the "Limit" frame through its palette; the frames' style must let it show.
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QPalette p = controls(w).limitFrame->palette();
    p.setColor(QPalette::Window, orlex::ui::paletteColour(12));
    controls(w).limitFrame->setPalette(p);
    controls(w).limitFrame->setAutoFillBackground(true);
    const QImage frame = controls(w).limitFrame->grab().toImage();
    QCOMPARE(frame.pixelColor(frame.width() - 8, frame.height() / 2), QColor(255, 0, 0));
}

void TestWindowLayout::previewWidgetClipsFarLines_data()
{
    QTest::addColumn<qlonglong>("x1");
    QTest::addColumn<qlonglong>("y1");
    QTest::addColumn<qlonglong>("x2");
    QTest::addColumn<qlonglong>("y2");
    QTest::addColumn<QPoint>("inside"); // a pixel the line must cover; (-1,-1): nothing drawn
    QTest::newRow("inside") << 150LL << 150LL << 1500LL << 150LL << QPoint(50, 10);
    QTest::newRow("huge horizontal") << qlonglong(LONG_MIN) << 1500LL << qlonglong(LONG_MAX) << 1500LL
                                     << QPoint(200, 100);
    QTest::newRow("huge vertical") << 3000LL << -4000000000LL << 3000LL << 4000000000LL << QPoint(200, 150);
    QTest::newRow("huge diagonal through the middle")
        << -2000000000LL << -2000000000LL << 2000000000LL << 2000000000LL << QPoint(150, 150);
    QTest::newRow("far away, misses") << 100000000LL << 100000000LL << 200000000LL << 100000000LL << QPoint(-1, -1);
    QTest::newRow("single point") << 1500LL << 1500LL << 1500LL << 1500LL << QPoint(100, 100);
}

void TestWindowLayout::previewWidgetClipsFarLines()
{
    QFETCH(qlonglong, x1);
    QFETCH(qlonglong, y1);
    QFETCH(qlonglong, x2);
    QFETCH(qlonglong, y2);
    QFETCH(QPoint, inside);
    orlex::ui::PreviewWidget pic;
    QCOMPARE(pic.image().size(), QSize(377, 313));
    QCOMPARE(pic.widthUnits(), 5655);
    QCOMPARE(pic.heightUnits(), 4695);
    pic.line(long(x1), long(y1), long(x2), long(y2), 0);
    if (inside.x() < 0) {
        QImage blank(pic.image().size(), pic.image().format());
        blank.fill(pic.background());
        QCOMPARE(pic.image(), blank);
    } else {
        QCOMPARE(pic.image().pixelColor(inside), QColor(0, 0, 0));
    }
    pic.clear();
    QCOMPARE(pic.image().pixelColor(150, 150), pic.background());
    QVERIFY(!pic.pixelAtTwips(-15, 0).isValid());
    QVERIFY(!pic.pixelAtTwips(0, 4695).isValid());
}

void TestWindowLayout::previewWidgetShowsItsImage()
{
    orlex::ui::PreviewWidget pic;
    pic.line(0, 1500, 5655, 1500, 9); // drawn while hidden
    pic.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pic));
    const QImage shown = pic.grab().toImage();
    const QPoint inner = pic.contentsRect().topLeft();
    QCOMPARE(pic.contentsRect().size(), QSize(377, 313));
    QCOMPARE(shown.pixelColor(inner + QPoint(200, 100)), QColor(0, 0, 255));
    QCOMPARE(shown.pixelColor(inner + QPoint(200, 200)), pic.background());
}

// The 16 console colours differ from each other, and numbers beyond them wrap around.
void TestWindowLayout::paletteColours()
{
    QSet<QRgb> colours;
    for (std::int16_t number = 0; number < 16; ++number) {
        colours.insert(orlex::ui::paletteColour(number).rgb());
        QCOMPARE(orlex::ui::paletteColour(std::int16_t(number + 16)), orlex::ui::paletteColour(number));
    }
    QCOMPARE(colours.size(), 16);
}

void TestWindowLayout::clickableLabelClicks()
{
    orlex::ui::ClickableLabel label(QStringLiteral("000.000"));
    label.resize(41, 16);
    QSignalSpy clicks(&label, &orlex::ui::ClickableLabel::clicked);
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(10, 8));
    QCOMPARE(clicks.count(), 1);
    QTest::mouseClick(&label, Qt::RightButton, {}, QPoint(10, 8));
    QCOMPARE(clicks.count(), 1);
}

void TestWindowLayout::icons()
{
    using orlex::ui::Arrow;
    // Up and down arrows point different ways: the wide head is at their own end.
    const QImage up = orlex::ui::arrowImage(Arrow::Up, false);
    const QImage down = orlex::ui::arrowImage(Arrow::Down, false);
    QCOMPARE(up.size(), QSize(32, 32));
    QCOMPARE(up.pixelColor(10, 14), QColor(0, 0, 0));
    QCOMPARE(up.pixelColor(10, 18).alpha(), 0);
    QCOMPARE(down.pixelColor(10, 14).alpha(), 0);
    QCOMPARE(down.pixelColor(10, 18), QColor(0, 0, 0));
    const QImage left = orlex::ui::arrowImage(Arrow::Left, false);
    QCOMPARE(left.pixelColor(14, 10), QColor(0, 0, 0));
    QCOMPARE(left.pixelColor(18, 10).alpha(), 0);
    // The second look is blue and outlined: the middle of the shaft stays clear.
    const QImage upBlue = orlex::ui::arrowImage(Arrow::Up, true);
    QCOMPARE(upBlue.pixelColor(16, 22).alpha(), 0);
    QCOMPARE(upBlue.pixelColor(12, 22), QColor(0, 0, 255));
    // The pen: black, then red.
    auto hasColour = [](const QImage& image, const QColor& colour) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == colour)
                    return true;
        return false;
    };
    QVERIFY(hasColour(orlex::ui::penImage(false), QColor(0, 0, 0)));
    QVERIFY(hasColour(orlex::ui::penImage(true), QColor(255, 0, 0)));
    QVERIFY(!hasColour(orlex::ui::penImage(true), QColor(0, 0, 0)));
    // The program icon at any size, opaque in the middle.
    for (int size : {16, 48, 256}) {
        const QImage icon = orlex::ui::programIconImage(size);
        QCOMPARE(icon.size(), QSize(size, size));
        QCOMPARE(icon.pixelColor(size / 2, size * 3 / 4).alpha(), 255);
    }
    QVERIFY(!orlex::ui::programIcon().isNull());
}

QTEST_MAIN(TestWindowLayout)
#include "tst_window_layout.moc"
