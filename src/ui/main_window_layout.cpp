// The main window's controls, menus and status bar, placed as fixed twip positions
// (15 twips to a pixel), and the connections of every control to its handler.
#include "ui/main_window.h"

#include "ui/classic_face.h"
#include "ui/icons.h"
#include "ui/preview_widget.h"
#include "ui/twips.h"
#include "ui/widgets.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>

namespace orlex::ui {

namespace {

using Frame = QGroupBox* MainWindowControls::*;

// A member of the window and its name as a text, for the tables below: every control's
// objectName is the name of the member that holds it.
#define MEMBER(name) &MainWindowControls::name, #name

// The frames, outer ones first; a null parent is the client area.
struct FrameRow {
    Frame frame;
    const char* name;
    Frame parent;
    const char* caption;
    QRect twips;
    const char* tooltip;
};
const FrameRow kFrames[] = {
    {MEMBER(plotterControlFrame), nullptr, "Plotter control", {120, 120, 1875, 6255}, nullptr},
    {MEMBER(stepTypeFrame),
     &MainWindowControls::plotterControlFrame,
     "Step type",
     {180, 2760, 1515, 615},
     "Select tip of step - half or full "},
    {MEMBER(minimumFrame),
     &MainWindowControls::plotterControlFrame,
     "Minim Coordinate",
     {180, 3420, 1515, 750},
     " Minim coordinate of picture beyond test "},
    {MEMBER(maximumFrame),
     &MainWindowControls::plotterControlFrame,
     "Max  Coordinate",
     {180, 4200, 1515, 735},
     " Maxim coordinate of picture beyond test "},
    {MEMBER(limitFrame),
     &MainWindowControls::plotterControlFrame,
     "Limit",
     {180, 4980, 1515, 750},
     "Show hardware limit "},
    {MEMBER(drawControlFrame), nullptr, "Draw control", {2220, 5340, 4035, 1035}, nullptr},
    {MEMBER(originFrame),
     nullptr,
     "Center off picture",
     {6360, 5340, 1515, 750},
     "Show where is origin of picture on X and Y axis"},
    {MEMBER(velocityFrame), nullptr, "     Velocity     ", {8040, 120, 1275, 1995}, nullptr},
    {MEMBER(motorFrame), nullptr, " Motor status  ", {8040, 2220, 1275, 1575}, "Status of motors"},
};

// The jog and pen buttons: an icon without text, 420 twips square, edge to edge.
enum class Look { Up, Left, Pen, Right, Down };
struct IconButtonRow {
    QPushButton* MainWindowControls::*button;
    const char* name;
    Look look;
    int left, top;
    const char* tooltip;
};
const IconButtonRow kIconButtons[] = {
    {MEMBER(stepUpButton), Look::Up, 720, 240, "One step up"},
    {MEMBER(stepLeftButton), Look::Left, 300, 660, "One step left"},
    {MEMBER(penButton), Look::Pen, 720, 660, "Decend or upend pen"},
    {MEMBER(stepRightButton), Look::Right, 1140, 660, "One step right"},
    {MEMBER(stepDownButton), Look::Down, 720, 1080, "One step down"},
};

struct ButtonRow {
    QPushButton* MainWindowControls::*button;
    const char* name;
    Frame parent;
    const char* caption;
    QRect twips;
    const char* tooltip;
};
const ButtonRow kButtons[] = {
    {MEMBER(penHomeButton),
     &MainWindowControls::plotterControlFrame,
     "Pen home",
     {360, 1560, 1130, 305},
     "Move pen to home"},
    {MEMBER(penToZeroButton),
     &MainWindowControls::plotterControlFrame,
     "Pen to 0",
     {360, 1980, 1130, 315},
     "Move pen to 0  coordinate x,y"},
    {MEMBER(motorButton),
     &MainWindowControls::plotterControlFrame,
     "Motor off",
     {360, 2400, 1130, 305},
     "Cut out stepper motor or not"},
    {MEMBER(drawButton), &MainWindowControls::drawControlFrame, "Draw", {240, 240, 1215, 315}, "Drawing with plotter"},
    {MEMBER(testAndShowButton),
     &MainWindowControls::drawControlFrame,
     "Test and Show",
     {1680, 240, 1215, 315},
     "Test if plotter is ready and  size of picture is OK. "},
    {MEMBER(clearButton), &MainWindowControls::drawControlFrame, "Cls", {3240, 240, 495, 315}, "Cleaning screen"},
    {MEMBER(presenceCheckButton),
     &MainWindowControls::velocityFrame,
     "Check",
     {120, 1140, 1035, 315},
     "Check if plotter is conected and timer is activated"},
    {MEMBER(speedButton), &MainWindowControls::velocityFrame, "Speed", {120, 1500, 1035, 315}, "Show time among steps"},
};

constexpr const char* kPlaceholder = "000.000";
constexpr const char* kMinimumTip = " Minim coordinate of picture beyond test ";
constexpr const char* kMaximumTip = " Maxim coordinate of picture beyond test ";
constexpr const char* kLimitTip = "Show hardware limit ";
constexpr const char* kXAxisTip = "Draw and show coordinate  0  on X axis";
constexpr const char* kYAxisTip = "Draw and show coordinate  0  on Y axis";

struct LabelRow {
    QLabel* MainWindowControls::*label;
    const char* name;
    Frame parent;
    const char* caption;
    QRect twips;
    const char* tooltip;
};
// The three coordinate frames share one inner layout: an X row and a Y row, each a caption
// and a value label beside it. The value labels reach to the frame's inner edge (960
// twips wide instead of the classic 615), so " 150 mm" is not clipped in faces wider than
// the classic one.
const LabelRow kLabels[] = {
    {MEMBER(minXCaption), &MainWindowControls::minimumFrame, " X =", {120, 240, 360, 240}, kMinimumTip},
    {MEMBER(minXLabel), &MainWindowControls::minimumFrame, kPlaceholder, {480, 240, 960, 240}, kMinimumTip},
    {MEMBER(minYCaption), &MainWindowControls::minimumFrame, " Y = ", {120, 480, 360, 240}, kMinimumTip},
    {MEMBER(minYLabel), &MainWindowControls::minimumFrame, kPlaceholder, {480, 480, 960, 240}, kMinimumTip},
    {MEMBER(maxXCaption), &MainWindowControls::maximumFrame, " X =", {120, 240, 360, 240}, kMaximumTip},
    {MEMBER(maxXLabel), &MainWindowControls::maximumFrame, kPlaceholder, {480, 240, 960, 240}, kMaximumTip},
    {MEMBER(maxYCaption), &MainWindowControls::maximumFrame, " Y = ", {120, 480, 360, 240}, kMaximumTip},
    {MEMBER(maxYLabel), &MainWindowControls::maximumFrame, kPlaceholder, {480, 480, 960, 240}, kMaximumTip},
    {MEMBER(limitXCaption), &MainWindowControls::limitFrame, " X =", {120, 240, 360, 240}, nullptr},
    {MEMBER(limitXLabel), &MainWindowControls::limitFrame, kPlaceholder, {480, 240, 960, 240}, kLimitTip},
    {MEMBER(limitYCaption), &MainWindowControls::limitFrame, " Y = ", {120, 480, 360, 240}, nullptr},
    {MEMBER(limitYLabel), &MainWindowControls::limitFrame, kPlaceholder, {480, 480, 960, 240}, kLimitTip},
    {MEMBER(portCaption),
     &MainWindowControls::plotterControlFrame,
     "LPT address =",
     {180, 5880, 1065, 225},
     "Address of lpt port"},
    {MEMBER(portLabel),
     &MainWindowControls::plotterControlFrame,
     "________",
     {1260, 5880, 450, 225},
     "Address of lpt port "},
    {MEMBER(zoomCaption), &MainWindowControls::drawControlFrame, "%  Zoom", {2580, 660, 855, 255}, nullptr},
    {MEMBER(originRowXCaption), &MainWindowControls::originFrame, " X =", {120, 240, 360, 240}, kXAxisTip},
    {MEMBER(originRowYCaption), &MainWindowControls::originFrame, " Y = ", {120, 480, 360, 240}, kYAxisTip},
    {MEMBER(stepTimeCaption), &MainWindowControls::velocityFrame, "ms for 1 step", {180, 840, 975, 195}, nullptr},
};

#undef MEMBER

QIcon iconOf(Look look)
{
    switch (look) {
    case Look::Up: return arrowIcon(Arrow::Up);
    case Look::Left: return arrowIcon(Arrow::Left);
    case Look::Right: return arrowIcon(Arrow::Right);
    case Look::Down: return arrowIcon(Arrow::Down);
    case Look::Pen: return penIcon();
    }
    return {};
}

// A jog or pen button: while held down it shows the icon's second look.
QPushButton* iconButton(QWidget* parent, const IconButtonRow& row)
{
    auto* b = place(new QPushButton(parent), row.name, QRect(row.left, row.top, 420, 420), row.tooltip);
    const QIcon icon = iconOf(row.look);
    b->setIcon(icon);
    b->setIconSize(QSize(kButtonIconSize, kButtonIconSize));
    QObject::connect(b, &QPushButton::pressed, b,
                     [b, icon] { b->setIcon(QIcon(icon.pixmap(kButtonIconSize, QIcon::Selected))); });
    QObject::connect(b, &QPushButton::released, b, [b, icon] { b->setIcon(icon); });
    return b;
}

void setTextColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette p = widget->palette();
    p.setColor(role, colour);
    widget->setPalette(p);
}

QFont boldFace(const char* family, double points)
{
    QFont font(QString::fromLatin1(family));
    font.setStyleHint(QFont::SansSerif); // any sans face when this one is missing
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

} // namespace

void MainWindow::buildLayout()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("clientArea"));
    setCentralWidget(client);

    // The rule under the menu bar.
    menuRule = place(new QFrame(client), "menuRule", QRect(0, 0, 9480, 30));
    menuRule->setAutoFillBackground(true);
    setTextColour(menuRule, QPalette::Window, menuRule->palette().color(QPalette::ButtonText));

    auto parentOf = [this, client](Frame frame) -> QWidget* { return frame ? this->*frame : client; };
    for (const FrameRow& row : kFrames)
        this->*row.frame = place(new QGroupBox(QString::fromLatin1(row.caption), parentOf(row.parent)), row.name,
                                 row.twips, row.tooltip);
    for (const IconButtonRow& row : kIconButtons)
        this->*row.button = iconButton(plotterControlFrame, row);
    for (const ButtonRow& row : kButtons)
        this->*row.button = place(new QPushButton(QString::fromLatin1(row.caption), parentOf(row.parent)), row.name,
                                  row.twips, row.tooltip);
    for (const LabelRow& row : kLabels)
        this->*row.label =
            place(new QLabel(QString::fromLatin1(row.caption), parentOf(row.parent)), row.name, row.twips, row.tooltip);
    drawButton->setEnabled(false);

    fullStepOption =
        place(new QRadioButton(QStringLiteral("Full"), stepTypeFrame), "fullStepOption", QRect(60, 300, 555, 195));
    halfStepOption =
        place(new QRadioButton(QStringLiteral("Half"), stepTypeFrame), "halfStepOption", QRect(780, 300, 615, 195));
    halfStepOption->setChecked(true);

    buildPreviewAndZoom(client);
    buildStatusDisplays();

    // A plot file dropped anywhere on the window reaches the window itself, not a text box.
    for (QLineEdit* edit : {fileNameBox, zoomBox, statusBox})
        edit->setAcceptDrops(false);
    applyClassicFace(client);
    // The Limit box stays readable while a run disables it: its texts keep the colour
    // they have when enabled, on the frame's light grey or light red.
    for (QLabel* label : {limitXCaption, limitXLabel, limitYCaption, limitYLabel}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::Disabled, QPalette::WindowText,
                         palette.color(QPalette::Active, QPalette::WindowText));
        label->setPalette(palette);
    }
    fitPortAddress(); // measured in the face just given

    // Timers: the status poll runs for the life of the window, the live view during draws.
    statusTimer = new QTimer(this);
    statusTimer->setObjectName(QStringLiteral("statusTimer"));
    statusTimer->setInterval(300);
    liveViewTimer = new QTimer(this);
    liveViewTimer->setObjectName(QStringLiteral("liveViewTimer"));
}

// The preview, the file name, the zoom controls, the origin labels and "Show Pen Up".
void MainWindow::buildPreviewAndZoom(QWidget* client)
{
    previewCanvas = place(new PreviewWidget(client), "previewCanvas", QRect(2160, 240, 5715, 4755));
    fileNameBox = place(new QLineEdit(client), "fileNameBox", QRect(2160, 5040, 5720, 285));
    fileNameBox->setReadOnly(true); // the file comes from Open, a drop or the command line

    zoomScrollBar =
        place(new QScrollBar(Qt::Horizontal, drawControlFrame), "zoomScrollBar", QRect(240, 660, 1695, 195));
    zoomScrollBar->setRange(0, 400);
    zoomScrollBar->setSingleStep(1);
    zoomScrollBar->setPageStep(10);
    zoomScrollBar->setValue(100);
    zoomScrollBar->setTracking(false); // a dragged thumb changes the value only when released
    zoomBox = place(new QLineEdit(QStringLiteral("100"), drawControlFrame), "zoomBox", QRect(2160, 600, 390, 285),
                    "Show zoom");

    originYLabel = place(new ClickableLabel(QString::fromLatin1(kPlaceholder), originFrame), "originYLabel",
                         QRect(480, 240, 615, 240), kXAxisTip);
    originXLabel = place(new ClickableLabel(QString::fromLatin1(kPlaceholder), originFrame), "originXLabel",
                         QRect(480, 480, 615, 195), kYAxisTip);
    showPenUpCheck = place(new QCheckBox(QStringLiteral("Show Pen Up"), client), "showPenUpCheck",
                           QRect(6420, 6180, 1395, 195), "When is Checked show pen down on screen");
}

// The status box of "Velocity" and the motor symbol: lamp, "M" and the two lines that
// cross it out, stacked in that order.
void MainWindow::buildStatusDisplays()
{
    statusBox = place(new QLineEdit(QStringLiteral("Err"), velocityFrame), "statusBox", QRect(60, 240, 1155, 570));
    statusBox->setFont(boldFace("Small Fonts", 20.25));
    statusBox->setAlignment(Qt::AlignCenter);
    setTextColour(statusBox, QPalette::Text, QColor(255, 0, 0));

    motorLamp = place(new MotorLamp(motorFrame), "motorLamp", QRect(360, 360, 555, 555));
    motorLamp->setColour(kLightRed);
    motorLetter = place(new QLabel(QStringLiteral("M"), motorFrame), "motorLetter", QRect(397, 360, 495, 495));
    motorLetter->setFont(boldFace("Arial Black", 18));
    motorLetter->setAlignment(Qt::AlignCenter);
    setTextColour(motorLetter, QPalette::WindowText, QColor(0, 192, 192));
    motorSlashLine = new CrossLine(QPoint(pixels(960), pixels(300)), QPoint(pixels(300), pixels(960)), motorFrame);
    motorSlashLine->setObjectName(QStringLiteral("motorSlashLine"));
    motorBackslashLine = new CrossLine(QPoint(pixels(300), pixels(300)), QPoint(pixels(960), pixels(960)), motorFrame);
    motorBackslashLine->setObjectName(QStringLiteral("motorBackslashLine"));
    motorStatusLabel = place(new QLabel(QStringLiteral("Motors is connected"), motorFrame), "motorStatusLabel",
                             QRect(120, 1080, 1035, 435));
    motorStatusLabel->setAlignment(Qt::AlignCenter);
    motorStatusLabel->setWordWrap(true);
}

// "LPT address =" takes the width of its text, and the address beside it the rest of the
// row up to the frame's inside edge, so an address of four digits ("D010H") shows whole.
void MainWindow::fitPortAddress()
{
    const int captionWidth = portCaption->fontMetrics().horizontalAdvance(portCaption->text()) + 2;
    const int right = plotterControlFrame->width() - pixels(60);
    QRect caption = portCaption->geometry();
    caption.setWidth(captionWidth);
    portCaption->setGeometry(caption);
    QRect address = portLabel->geometry();
    address.setLeft(caption.right() + 1);
    address.setRight(right);
    portLabel->setGeometry(address);
}

void MainWindow::buildMenus()
{
    auto menu = [this](const char* name, const QString& caption) {
        QMenu* m = menuBar()->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };
    auto item = [](QMenu* parent, const char* name, const QString& caption) {
        QAction* a = parent->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    fileMenu = menu("fileMenu", "&File");
    openAction = item(fileMenu, "openAction", "&Open");
    openAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    openPrivateAction = item(fileMenu, "openPrivateAction", "Open Privat ");
    openPrivateAction->setEnabled(false); // never offered to the operator
    exitAction = item(fileMenu, "exitAction", "E&xit");
    exitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    // The two buttons of a run as menu items, so that their keys work and are shown.
    runMenu = menu("runMenu", "&Run");
    testAndShowAction = item(runMenu, "testAndShowAction", "Test and Show");
    testAndShowAction->setShortcut(QKeySequence(Qt::Key_F5));
    drawAction = item(runMenu, "drawAction", "Draw");
    drawAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    drawAction->setEnabled(false);
    viewMenu = menu("viewMenu", "&View");
    wholePlotAction = item(viewMenu, "wholePlotAction", "Whole plot in the preview");
    wholePlotAction->setCheckable(true);
    optionsMenu = menu("optionsMenu", "&Options");
    settingsAction = item(optionsMenu, "settingsAction", "Settings");
    pauseAtPenChangeAction = item(optionsMenu, "pauseAtPenChangeAction", "Pause at pen change");
    pauseAtPenChangeAction->setCheckable(true);
    helpMenu = menu("helpMenu", "&Help");
    portCheckAction = item(helpMenu, "portCheckAction", "Port check…");
    aboutAction = item(helpMenu, "aboutAction", "&About");
    aboutAction->setShortcut(QKeySequence(Qt::Key_F1));
}

void MainWindow::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    bar->setSizeGripEnabled(false);
    // Rows under the client area: the progress or the estimate, with the buttons of a run
    // beside it; the carriage's position; then the notes about the chosen file (what an
    // SVG's conversion left out, the travel a shorter order saves). The texts wrap, so
    // every one is shown whole, and none of them moves the buttons.
    auto* panel = new QWidget(bar);
    panel->setObjectName(QStringLiteral("statusPanel"));
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(2);
    progressLabel = new QLabel(panel);
    progressLabel->setObjectName(QStringLiteral("progressLabel"));
    progressLabel->setWordWrap(true);
    grid->addWidget(progressLabel, 0, 0, Qt::AlignTop);
    grid->addWidget(buildRunButtons(panel), 0, 1, Qt::AlignTop | Qt::AlignRight);
    positionLabel = new QLabel(panel);
    positionLabel->setObjectName(QStringLiteral("positionLabel"));
    positionLabel->setWordWrap(true);
    positionLabel->hide();
    grid->addWidget(positionLabel, 1, 0, 1, 2);
    inputLabel = new QLabel(panel);
    inputLabel->setObjectName(QStringLiteral("inputLabel"));
    inputLabel->setWordWrap(true);
    inputLabel->hide();
    grid->addWidget(inputLabel, 2, 0, 1, 2);
    grid->addWidget(buildJournalBar(panel), 3, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    bar->addWidget(panel, 1);
    pauseShortcut = new QShortcut(QKeySequence(Qt::Key_Space), this);
    pauseShortcut->setObjectName(QStringLiteral("pauseShortcut"));
    pauseShortcut->setEnabled(false); // Space keeps its usual meaning outside a draw
}

// The buttons of a run, each in a place of its own that it keeps while hidden: Resume,
// then Pause and Continue in one place (one shows while the other cannot apply), then
// Stop at the right edge. Resume is never where Stop was.
QWidget* MainWindow::buildRunButtons(QWidget* parent)
{
    auto* box = new QWidget(parent);
    box->setObjectName(QStringLiteral("runButtons"));
    auto* row = new QGridLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    auto button = [box](const QString& caption, const char* name) {
        auto* b = new QPushButton(caption, box);
        b->setObjectName(QString::fromLatin1(name));
        QSizePolicy policy = b->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        b->setSizePolicy(policy);
        b->hide();
        return b;
    };
    resumeButton = button(QStringLiteral("Resume"), "resumeButton");
    pauseButton = button(QStringLiteral("Pause"), "pauseButton");
    continueButton = button(QStringLiteral("Continue"), "continueButton");
    stopButton = button(QStringLiteral("Stop"), "stopButton");
    // Room for the longer caption of a place, so that neither widens it.
    const int pauseWidth = std::max(pauseButton->sizeHint().width(), continueButton->sizeHint().width());
    pauseButton->setMinimumWidth(pauseWidth);
    continueButton->setMinimumWidth(pauseWidth);
    resumeButton->setMinimumWidth(
        resumeButton->fontMetrics().horizontalAdvance(QStringLiteral("Resume from point 9999999")) + 16);
    row->addWidget(resumeButton, 0, 0, Qt::AlignRight);
    row->addWidget(pauseButton, 0, 1);
    row->addWidget(continueButton, 0, 1);
    row->addWidget(stopButton, 0, 2);
    return box;
}

// Holding a jog button repeats its step, a click being one step; the arrow keys press
// the jog buttons, except while a text box has the focus. A run disables the buttons, so
// then neither does anything.
void MainWindow::connectJogKeys()
{
    const std::pair<Qt::Key, QPushButton*> jogs[] = {
        {Qt::Key_Up, stepUpButton},
        {Qt::Key_Down, stepDownButton},
        {Qt::Key_Right, stepRightButton},
        {Qt::Key_Left, stepLeftButton},
    };
    for (const auto& [key, button] : jogs) {
        button->setAutoRepeat(true);
        button->setAutoRepeatDelay(kJogRepeatDelayMs);
        button->setAutoRepeatInterval(kJogRepeatIntervalMs);
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setObjectName(button->objectName() + QStringLiteral("Key"));
        // Captured by name: clang before 16 cannot capture a structured binding.
        connect(shortcut, &QShortcut::activated, button, [jogButton = button] {
            // Up and Down, which a text box has no use for, reach here too.
            if (!qobject_cast<QLineEdit*>(QApplication::focusWidget()))
                jogButton->click();
        });
    }
}

void MainWindow::connectHandlers()
{
    const std::pair<QPushButton*, void (MainWindow::*)()> buttons[] = {
        {stepUpButton, &MainWindow::onStepUpClicked},
        {stepDownButton, &MainWindow::onStepDownClicked},
        {stepRightButton, &MainWindow::onStepRightClicked},
        {stepLeftButton, &MainWindow::onStepLeftClicked},
        {motorButton, &MainWindow::onMotorClicked},
        {penButton, &MainWindow::onPenClicked},
        {presenceCheckButton, &MainWindow::onPresenceCheckClicked},
        {speedButton, &MainWindow::onSpeedClicked},
        {penHomeButton, &MainWindow::onPenHomeClicked},
        {penToZeroButton, &MainWindow::onPenToZeroClicked},
        {testAndShowButton, &MainWindow::onTestAndShowClicked},
        {drawButton, &MainWindow::onDrawClicked},
        {clearButton, &MainWindow::onClearClicked},
        {stopButton, &MainWindow::onStopClicked},
        {pauseButton, &MainWindow::onPauseClicked},
        {continueButton, &MainWindow::onContinueClicked},
        {resumeButton, &MainWindow::onResumeClicked},
    };
    for (const auto& [b, slot] : buttons)
        connect(b, &QPushButton::clicked, this, slot);

    connectJogKeys();
    connect(showPenUpCheck, &QCheckBox::clicked, this, &MainWindow::onShowPenUpClicked);
    // Steps of the other mode are twice or half as long: the last check no longer holds.
    connect(halfStepOption, &QRadioButton::toggled, this, [this] {
        forgetCheck();
        resumePositionLost(QStringLiteral("the step type was changed"));
        controller_->carriagePlaceLost(); // the phases do not carry over one for one
        showCarriagePosition();
    });
    connect(zoomScrollBar, &QScrollBar::valueChanged, this, &MainWindow::onZoomScrolled);
    connect(zoomBox, &QLineEdit::textChanged, this, &MainWindow::onZoomTextChanged);
    connect(originXLabel, &ClickableLabel::clicked, this, &MainWindow::onOriginXLabelClicked);
    connect(originYLabel, &ClickableLabel::clicked, this, &MainWindow::onOriginYLabelClicked);
    connect(statusTimer, &QTimer::timeout, this, &MainWindow::onStatusTimer);
    connect(liveViewTimer, &QTimer::timeout, this, &MainWindow::onLiveViewTick);

    connect(openAction, &QAction::triggered, this, &MainWindow::onOpen);
    connect(exitAction, &QAction::triggered, this, &MainWindow::onExit);
    connect(settingsAction, &QAction::triggered, this, &MainWindow::onSettings);
    connect(aboutAction, &QAction::triggered, this, &MainWindow::onAbout);
    connect(portCheckAction, &QAction::triggered, this, &MainWindow::onPortCheck);
    // The menu items go through the buttons: a disabled button does nothing.
    connect(testAndShowAction, &QAction::triggered, testAndShowButton, &QPushButton::click);
    connect(drawAction, &QAction::triggered, drawButton, &QPushButton::click);
    connect(pauseAtPenChangeAction, &QAction::toggled, this, &MainWindow::onPauseAtPenChangeToggled);
    connect(pauseShortcut, &QShortcut::activated, this, [this] {
        if (runState() == RunState::Paused)
            onContinueClicked();
        else
            onPauseClicked();
    });
}

} // namespace orlex::ui
