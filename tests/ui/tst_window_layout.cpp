// The main window's inventory: every control with its kind, caption, tooltip and place,
// the initial states and fonts, the menus, the status bar, and the small widgets.
#include "ui_test_support.h"

#include "ui/icons.h"
#include "ui/main_window.h"
#include "ui/preview_widget.h"
#include "ui/widgets.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QtTest>

#include <climits>

using orlex::test::WindowRig;
using orlex::ui::MainWindow;

namespace {

QString captionOf(QWidget* w)
{
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return g->title();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    return QString();
}

QString twipsRow(const char* name)
{
    return QString::fromLatin1(name);
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
    void controls_data();
    void controls();
    void placesFollowTheTwips_data();
    void placesFollowTheTwips();
    void clientAreaAndRule();
    void initialStatesAndRanges();
    void fontsAndColours();
    void iconButtons();
    void motorSymbol();
    void menus();
    void statusBar();
    void timersAndHandlersAreConnected();
    void limitFrameCanBePainted();
    void previewWidgetClipsFarLines_data();
    void previewWidgetClipsFarLines();
    void previewWidgetShowsItsImage();
    void paletteColours_data();
    void paletteColours();
    void clickableLabelClicks();
    void icons();
};

void TestWindowLayout::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tooltip");

    auto row = [](const char* name, const char* parent, const char* kind, const QString& caption,
                  const QString& tooltip) {
        QTest::newRow(name) << twipsRow(name) << QString(parent) << QString(kind) << caption << tooltip;
    };
    const QString minTip = " Minim coordinate of picture beyond test ";
    const QString maxTip = " Maxim coordinate of picture beyond test ";
    const QString limitTip = "Show hardware limit ";
    const QString xAxisTip = "Draw and show coordinate  0  on X axis";
    const QString yAxisTip = "Draw and show coordinate  0  on Y axis";

    // Group 1: plotter control.
    row("plotterControlFrame", "clientArea", "QGroupBox", "Plotter control", "");
    row("stepUpButton", "plotterControlFrame", "QPushButton", "", "One step up");
    row("stepLeftButton", "plotterControlFrame", "QPushButton", "", "One step left");
    row("penButton", "plotterControlFrame", "QPushButton", "", "Decend or upend pen");
    row("stepRightButton", "plotterControlFrame", "QPushButton", "", "One step right");
    row("stepDownButton", "plotterControlFrame", "QPushButton", "", "One step down");
    row("penHomeButton", "plotterControlFrame", "QPushButton", "Pen home", "Move pen to home");
    row("penToZeroButton", "plotterControlFrame", "QPushButton", "Pen to 0", "Move pen to 0  coordinate x,y");
    row("motorButton", "plotterControlFrame", "QPushButton", "Motor off", "Cut out stepper motor or not");
    row("stepTypeFrame", "plotterControlFrame", "QGroupBox", "Step type", "Select tip of step - half or full ");
    row("fullStepOption", "stepTypeFrame", "QRadioButton", "Full", "");
    row("halfStepOption", "stepTypeFrame", "QRadioButton", "Half", "");
    row("minimumFrame", "plotterControlFrame", "QGroupBox", "Minim Coordinate", minTip);
    row("minXCaption", "minimumFrame", "QLabel", " X =", minTip);
    row("minXLabel", "minimumFrame", "QLabel", "000.000", minTip);
    row("minYCaption", "minimumFrame", "QLabel", " Y = ", minTip);
    row("minYLabel", "minimumFrame", "QLabel", "000.000", minTip);
    row("maximumFrame", "plotterControlFrame", "QGroupBox", "Max  Coordinate", maxTip);
    row("maxXCaption", "maximumFrame", "QLabel", " X =", maxTip);
    row("maxXLabel", "maximumFrame", "QLabel", "000.000", maxTip);
    row("maxYCaption", "maximumFrame", "QLabel", " Y = ", maxTip);
    row("maxYLabel", "maximumFrame", "QLabel", "000.000", maxTip);
    row("limitFrame", "plotterControlFrame", "QGroupBox", "Limit", limitTip);
    row("limitXCaption", "limitFrame", "QLabel", " X =", "");
    row("limitXLabel", "limitFrame", "QLabel", " 150 mm", limitTip);
    row("limitYCaption", "limitFrame", "QLabel", " Y = ", "");
    row("limitYLabel", "limitFrame", "QLabel", " 150 mm", limitTip);
    row("portCaption", "plotterControlFrame", "QLabel", "LPT address =", "Address of lpt port");
    row("portLabel", "plotterControlFrame", "QLabel", "378H", "Address of lpt port ");
    // Group 2: preview and file name.
    row("previewCanvas", "clientArea", "orlex::ui::PreviewWidget", "", "");
    row("fileNameBox", "clientArea", "QLineEdit", "", "");
    // Group 3: draw control.
    row("drawControlFrame", "clientArea", "QGroupBox", "Draw control", "");
    row("drawButton", "drawControlFrame", "QPushButton", "Draw", "Drawing with plotter");
    row("testAndShowButton", "drawControlFrame", "QPushButton", "Test and Show",
        "Test if plotter is ready and  size of picture is OK. ");
    row("clearButton", "drawControlFrame", "QPushButton", "Cls", "Cleaning screen");
    row("zoomScrollBar", "drawControlFrame", "QScrollBar", "", "");
    row("zoomBox", "drawControlFrame", "QLineEdit", "100", "Show zoom");
    row("zoomCaption", "drawControlFrame", "QLabel", "%  Zoom", "");
    // Group 4: origin display and pen-up option.
    row("originFrame", "clientArea", "QGroupBox", "Center off picture",
        "Show where is origin of picture on X and Y axis");
    row("originRowXCaption", "originFrame", "QLabel", " X =", xAxisTip);
    row("originYLabel", "originFrame", "orlex::ui::ClickableLabel", " 5  mm", xAxisTip);
    row("originRowYCaption", "originFrame", "QLabel", " Y = ", yAxisTip);
    row("originXLabel", "originFrame", "orlex::ui::ClickableLabel", " 5  mm", yAxisTip);
    row("showPenUpCheck", "clientArea", "QCheckBox", "Show Pen Up", "When is Checked show pen down on screen");
    // Group 5: velocity.
    row("velocityFrame", "clientArea", "QGroupBox", "     Velocity     ", "");
    row("statusBox", "velocityFrame", "QLineEdit", "OK", "");
    row("stepTimeCaption", "velocityFrame", "QLabel", "ms for 1 step", "");
    row("presenceCheckButton", "velocityFrame", "QPushButton", "Check",
        "Check if plotter is conected and timer is activated");
    row("speedButton", "velocityFrame", "QPushButton", "Speed", "Show time among steps");
    // Group 6: motor status.
    row("motorFrame", "clientArea", "QGroupBox", " Motor status  ", "Status of motors");
    row("motorLamp", "motorFrame", "orlex::ui::MotorLamp", "", "");
    row("motorLetter", "motorFrame", "QLabel", "M", "");
    row("motorStatusLabel", "motorFrame", "QLabel", "Motors is connected", "");
    // motorSlashLine (64,20)-(20,64) and motorBackslashLine (20,20)-(64,64), widened by the 2-pixel pen.
    row("motorSlashLine", "motorFrame", "orlex::ui::CrossLine", "", "");
    row("motorBackslashLine", "motorFrame", "orlex::ui::CrossLine", "", "");
}

void TestWindowLayout::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QString, kind);
    QFETCH(QString, caption);
    QFETCH(QString, tooltip);
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    auto* control = w.findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(QString(control->metaObject()->className()), kind);
    QVERIFY(control->parentWidget());
    QCOMPARE(control->parentWidget()->objectName(), parent);
    QCOMPARE(captionOf(control), caption);
    QCOMPARE(control->toolTip(), tooltip);
    // Every control lies inside its parent.
    QVERIFY2(QRect(QPoint(0, 0), control->parentWidget()->size()).contains(control->geometry()), qPrintable(name));
}

// A few places, one of each kind, at their twip positions / 15 (halves to even).
void TestWindowLayout::placesFollowTheTwips_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place");
    QTest::newRow("plotterControlFrame") << "plotterControlFrame" << QRect(8, 8, 125, 417); // 120, 120, 1875, 6255
    QTest::newRow("penToZeroButton") << "penToZeroButton" << QRect(24, 132, 75, 21);        // 360, 1980, 1130, 315
    QTest::newRow("previewCanvas") << "previewCanvas" << QRect(144, 16, 381, 317);          // 2160, 240, 5715, 4755
    QTest::newRow("originXLabel") << "originXLabel" << QRect(32, 32, 41, 13);               // 480, 480, 615, 195
    QTest::newRow("showPenUpCheck") << "showPenUpCheck" << QRect(428, 412, 93, 13);         // 6420, 6180, 1395, 195
    QTest::newRow("motorLamp") << "motorLamp" << QRect(24, 24, 37, 37);                     // 360, 360, 555, 555
}

void TestWindowLayout::placesFollowTheTwips()
{
    QFETCH(QString, name);
    QFETCH(QRect, place);
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    QCOMPARE(w.findChild<QWidget*>(name)->geometry(), place);
}

void TestWindowLayout::clientAreaAndRule()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QWidget* client = w.centralWidget();
    QCOMPARE(client->objectName(), QString("clientArea"));
    QCOMPARE(client->size(), QSize(632, 431));
    QCOMPARE(w.menuRule->geometry(), QRect(0, 0, 632, 2));
    QCOMPARE(w.menuRule->palette().color(QPalette::Window), w.palette().color(QPalette::ButtonText));
    // Menu bar above, status bar below, nothing overlapping the client area.
    QVERIFY(w.menuBar()->geometry().bottom() < client->geometry().top());
    QVERIFY(w.statusBar()->geometry().top() > client->geometry().bottom());
    // The layout is fixed: the window keeps its size.
    QCOMPARE(w.minimumSize(), w.maximumSize());
}

void TestWindowLayout::initialStatesAndRanges()
{
    WindowRig rig;
    rig.clockRunning = false; // nothing may enable anything
    MainWindow& w = rig.openWindow();
    QVERIFY(!w.drawButton->isEnabled());
    QVERIFY(w.testAndShowButton->isEnabled());
    QVERIFY(w.halfStepOption->isChecked());
    QVERIFY(!w.fullStepOption->isChecked());
    QVERIFY(!w.showPenUpCheck->isChecked());
    QCOMPARE(w.zoomScrollBar->orientation(), Qt::Horizontal);
    QCOMPARE(w.zoomScrollBar->minimum(), 0);
    QCOMPARE(w.zoomScrollBar->maximum(), 400);
    QCOMPARE(w.zoomScrollBar->singleStep(), 1);
    QCOMPARE(w.zoomScrollBar->pageStep(), 10);
    QCOMPARE(w.zoomScrollBar->value(), 100);
    QVERIFY(!w.zoomScrollBar->hasTracking()); // dragging alone raises nothing
    QCOMPARE(w.zoomBox->text(), QString("100"));
    QCOMPARE(w.statusBox->text(), QString("Err"));
    QVERIFY(!w.fileNameBox->isReadOnly());
    QVERIFY(!w.statusBox->isReadOnly());
    QVERIFY(!w.openPrivateAction->isEnabled());
    QCOMPARE(w.originXLabel->text(), QString(" 5  mm"));
}

void TestWindowLayout::fontsAndColours()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    const QFont stare = w.statusBox->font();
    QVERIFY(stare.bold());
    QCOMPARE(stare.pointSizeF(), 20.25);
    QCOMPARE(stare.family(), QString("Small Fonts"));
    QVERIFY(w.statusBox->alignment() & Qt::AlignHCenter);
    QCOMPARE(w.statusBox->palette().color(QPalette::Text), QColor(255, 0, 0));

    const QFont m = w.motorLetter->font();
    QVERIFY(m.bold());
    QCOMPARE(m.pointSizeF(), 18.0);
    QCOMPARE(m.family(), QString("Arial Black"));
    QVERIFY(w.motorLetter->alignment() & Qt::AlignHCenter);
    QCOMPARE(w.motorLetter->palette().color(QPalette::WindowText), QColor(0, 192, 192));
    QVERIFY(!w.motorLetter->autoFillBackground());

    // Every other control uses the small dialog face the captions are laid out for.
    for (QWidget* c : {static_cast<QWidget*>(w.limitXLabel), static_cast<QWidget*>(w.penHomeButton),
                       static_cast<QWidget*>(w.halfStepOption), static_cast<QWidget*>(w.motorStatusLabel)})
        QCOMPARE(c->font().pixelSize(), 11);
    QVERIFY(w.motorStatusLabel->alignment() & Qt::AlignHCenter);
}

void TestWindowLayout::iconButtons()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    for (QPushButton* b : {w.stepUpButton, w.stepDownButton, w.stepLeftButton, w.stepRightButton, w.penButton}) {
        QVERIFY(b->text().isEmpty());
        QVERIFY(!b->icon().isNull());
        QCOMPARE(b->iconSize(), QSize(32, 32));
        // The disabled look is the second image, not a greyed copy of the first.
        const QImage normal = b->icon().pixmap(32, QIcon::Normal).toImage();
        const QImage disabled = b->icon().pixmap(32, QIcon::Disabled).toImage();
        QVERIFY(normal != disabled);
    }
    // Held down, a button shows its second look; released, the first again.
    const QImage first = w.stepRightButton->icon().pixmap(32).toImage();
    w.stepRightButton->setDown(true);
    emit w.stepRightButton->pressed();
    QVERIFY(w.stepRightButton->icon().pixmap(32).toImage() != first);
    w.stepRightButton->setDown(false);
    emit w.stepRightButton->released();
    QCOMPARE(w.stepRightButton->icon().pixmap(32).toImage(), first);
}

void TestWindowLayout::motorSymbol()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    QCOMPARE(w.motorLamp->colour(), std::int16_t(12));
    QVERIFY(!w.motorSlashLine->isHidden());
    QVERIFY(!w.motorBackslashLine->isHidden());
    QCOMPARE(w.motorStatusLabel->text(), QString("Motors is connected"));
    // Stacking: lamp at the bottom, then the letter, then the two lines.
    const QObjectList& order = w.motorFrame->children();
    QVERIFY(order.indexOf(w.motorLamp) < order.indexOf(w.motorLetter));
    QVERIFY(order.indexOf(w.motorLetter) < order.indexOf(w.motorSlashLine));
    QVERIFY(order.indexOf(w.motorLetter) < order.indexOf(w.motorBackslashLine));

    // The drawn symbol: red lamp, black lines crossing at its middle.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QImage symbol = w.motorFrame->grab().toImage();
    QCOMPARE(symbol.pixelColor(42, 42), QColor(0, 0, 0));   // where the lines cross
    QCOMPARE(symbol.pixelColor(30, 42), QColor(255, 0, 0)); // inside the lamp, off the lines
    QVERIFY(symbol.pixelColor(20, 20).value() < 64);        // a line's end
}

void TestWindowLayout::menus()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    const QList<QAction*> top = w.menuBar()->actions();
    QCOMPARE(top.size(), 3);
    QCOMPARE(top[0]->menu(), w.fileMenu);
    QCOMPARE(top[1]->menu(), w.optionsMenu);
    QCOMPARE(top[2]->menu(), w.helpMenu);
    QCOMPARE(w.fileMenu->title(), QString("&File"));
    QCOMPARE(w.optionsMenu->title(), QString("&Options"));
    QCOMPARE(w.helpMenu->title(), QString("&Help"));
    QCOMPARE(w.fileMenu->objectName(), QString("fileMenu"));

    const QList<QAction*> file = w.fileMenu->actions();
    QCOMPARE(file.size(), 3);
    QCOMPARE(file[0], w.openAction);
    QCOMPARE(file[1], w.openPrivateAction);
    QCOMPARE(file[2], w.exitAction);
    QCOMPARE(w.openAction->text(), QString("&Open"));
    QCOMPARE(w.openPrivateAction->text(), QString("Open Privat "));
    QVERIFY(w.openPrivateAction->isVisible());
    QVERIFY(!w.openPrivateAction->isEnabled());
    QCOMPARE(w.exitAction->text(), QString("E&xit"));
    // Settings first; the choices added after it are off on a fresh installation.
    QCOMPARE(w.optionsMenu->actions().front(), w.settingsAction);
    for (QAction* choice : w.optionsMenu->actions().mid(1)) {
        QVERIFY(choice->isCheckable());
        QVERIFY(!choice->isChecked());
    }
    QCOMPARE(w.settingsAction->text(), QString("Settings"));
    QCOMPARE(w.helpMenu->actions(), QList<QAction*>{w.aboutAction});
    QCOMPARE(w.aboutAction->text(), QString("&About"));
    for (QAction* a :
         {w.openAction, w.openPrivateAction, w.exitAction, w.settingsAction, w.shorterTravelAction, w.aboutAction}) {
        QVERIFY(a->shortcut().isEmpty());
        QVERIFY(!a->objectName().isEmpty());
        QCOMPARE(w.findChild<QAction*>(a->objectName()), a);
    }
}

void TestWindowLayout::statusBar()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    QCOMPARE(w.findChild<QLabel*>("progressLabel"), w.progressLabel);
    QCOMPARE(w.findChild<QPushButton*>("stopButton"), w.stopButton);
    QCOMPARE(w.stopButton->text(), QString("Stop"));
    QVERIFY(w.stopButton->isHidden());
    QVERIFY(w.statusBar()->isAncestorOf(w.progressLabel));
    QVERIFY(w.statusBar()->isAncestorOf(w.stopButton));

    // The progress text changes many times a second during a draw: it must not make the
    // status bar lay itself out again each time, only repaint the label.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(w.progressLabel->width() > w.statusBar()->width() / 2);
    EventCounter layouts(QEvent::LayoutRequest);
    for (QObject* o : std::initializer_list<QObject*>{w.statusBar(), &w, w.progressLabel->parent()})
        o->installEventFilter(&layouts);
    for (const QString& text : {QString("Drawing: 1 %"), QString("Drawing: 12 % of a much longer text, point 1234")}) {
        w.progressLabel->setText(text);
        QCoreApplication::processEvents();
    }
    QCOMPARE(layouts.count, 0);
}

void TestWindowLayout::timersAndHandlersAreConnected()
{
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    QCOMPARE(w.findChild<QTimer*>("statusTimer"), w.statusTimer);
    QCOMPARE(w.findChild<QTimer*>("speedTimer"), w.speedTimer);
    // A jog button reaches its handler: one coil byte on the data register.
    const std::size_t before = rig.writes->size();
    w.stepRightButton->click();
    QVERIFY(rig.writes->size() > before);
    QCOMPARE(rig.writes->back().reg, orlex::Register::Data);
    // The zoom text reaches its handler, which moves the scroll bar.
    w.zoomBox->setText(QStringLiteral("40"));
    QCOMPARE(w.zoomScrollBar->value(), 40);
    QCOMPARE(w.preview().zoom, std::int16_t(40));
    // The scroll bar reaches its handler, which writes the text.
    w.zoomScrollBar->setValue(250);
    QCOMPARE(w.zoomBox->text(), QString("250"));
    // Clicking the origin labels draws the half-axes again after Cls.
    w.clearButton->click();
    const long H = w.previewCanvas->heightUnits();
    QCOMPARE(w.previewCanvas->pixelAtTwips(100, H / 2), w.previewCanvas->background());
    QTest::mouseClick(w.originXLabel, Qt::LeftButton);
    QCOMPARE(w.previewCanvas->pixelAtTwips(100, H / 2), QColor(255, 0, 0));
    QTest::mouseClick(w.originYLabel, Qt::LeftButton);
    QCOMPARE(w.previewCanvas->pixelAtTwips(3000, H - 100), QColor(255, 0, 0));
    // The status timer reaches its handler: the lamp stops being the start-up red.
    QTRY_VERIFY_WITH_TIMEOUT(w.motorStatusLabel->text() != QString("Motors is connected"), 5000);
    // showPenUpCheck reaches its handler.
    w.showPenUpCheck->click();
    QCOMPARE(w.preview().penUpColour, std::int16_t{orlex::kWhite});
}

void TestWindowLayout::limitFrameCanBePainted()
{
    // The runs paint the "Limit" frame through its palette; the frames' style must let it show.
    WindowRig rig;
    MainWindow& w = rig.openWindow();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QPalette p = w.limitFrame->palette();
    p.setColor(QPalette::Window, orlex::ui::paletteColour(12));
    w.limitFrame->setPalette(p);
    w.limitFrame->setAutoFillBackground(true);
    const QImage frame = w.limitFrame->grab().toImage();
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

void TestWindowLayout::paletteColours_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QColor>("colour");
    const int rgb[16][3] = {{0, 0, 0},     {0, 0, 128},     {0, 128, 0},     {0, 128, 128},  {128, 0, 0}, {128, 0, 128},
                            {128, 128, 0}, {192, 192, 192}, {128, 128, 128}, {0, 0, 255},    {0, 255, 0}, {0, 255, 255},
                            {255, 0, 0},   {255, 0, 255},   {255, 255, 0},   {255, 255, 255}};
    for (int i = 0; i < 16; ++i)
        QTest::newRow(qPrintable(QString::number(i))) << i << QColor(rgb[i][0], rgb[i][1], rgb[i][2]);
}

void TestWindowLayout::paletteColours()
{
    QFETCH(int, number);
    QFETCH(QColor, colour);
    QCOMPARE(orlex::ui::paletteColour(std::int16_t(number)), colour);
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
