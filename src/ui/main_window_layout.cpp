// The main window's controls, menus and status bar, placed as fixed twip positions
// (15 twips to a pixel), and the connections of every control to its handler.
#include "ui/main_window.h"

#include "ui/classic_face.h"
#include "ui/icons.h"
#include "ui/preview_widget.h"
#include "ui/widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>

#include <cmath>

namespace orlex::ui {

namespace {

int px(int twips) { return static_cast<int>(std::nearbyint(twips / 15.0)); }

// Names, places and (when given) tooltips a new control.
template <class Widget>
Widget* place(Widget* widget, const char* name, int left, int top, int width, int height,
              const QString& tooltip = {}) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(px(left), px(top), px(width), px(height));
    if (!tooltip.isEmpty())
        widget->setToolTip(tooltip);
    return widget;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption, int left, int top,
              int width, int height, const QString& tooltip = {}) {
    return place(new QLabel(caption, parent), name, left, top, width, height, tooltip);
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int left, int top,
                    int width, int height, const QString& tooltip) {
    return place(new QPushButton(caption, parent), name, left, top, width, height, tooltip);
}

QGroupBox* frame(QWidget* parent, const char* name, const QString& caption, int left, int top,
                 int width, int height, const QString& tooltip = {}) {
    return place(new QGroupBox(caption, parent), name, left, top, width, height, tooltip);
}

// A jog or pen button: an icon without text; while held down it shows the icon's second look.
QPushButton* iconButton(QWidget* parent, const char* name, const QIcon& icon, int left, int top,
                        const QString& tooltip) {
    QPushButton* b = button(parent, name, QString(), left, top, 435, 435, tooltip);
    b->setIcon(icon);
    b->setIconSize(QSize(kButtonIconSize, kButtonIconSize));
    QObject::connect(b, &QPushButton::pressed, b, [b, icon] {
        b->setIcon(QIcon(icon.pixmap(kButtonIconSize, QIcon::Selected)));
    });
    QObject::connect(b, &QPushButton::released, b, [b, icon] { b->setIcon(icon); });
    return b;
}

constexpr const char* kPlaceholder = "000.000";

} // namespace

void MainWindow::buildLayout() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("clientArea"));
    setCentralWidget(client);

    // The rule under the menu bar.
    menuRule = place(new QFrame(client), "Line3", 0, 0, 9480, 30);
    menuRule->setAutoFillBackground(true);
    {
        QPalette p = menuRule->palette();
        p.setColor(QPalette::Window, p.color(QPalette::ButtonText));
        menuRule->setPalette(p);
    }

    // Plotter control column.
    plotterControlFrame = frame(client, "Frame1", "Plotter control", 120, 120, 1875, 6255);
    stepUpButton = iconButton(plotterControlFrame, "cmdSteppYUp", arrowIcon(Arrow::Up), 720, 240, "One step up");
    stepLeftButton = iconButton(plotterControlFrame, "cmdSteppXL", arrowIcon(Arrow::Left), 300, 660, "One step left");
    penButton = iconButton(plotterControlFrame, "cmdPen", penIcon(), 720, 660, "Decend or upend pen");
    stepRightButton = iconButton(plotterControlFrame, "cmdSteppXR", arrowIcon(Arrow::Right), 1140, 660, "One step right");
    stepDownButton = iconButton(plotterControlFrame, "cmdSteppYDo", arrowIcon(Arrow::Down), 720, 1080, "One step down");
    penHomeButton = button(plotterControlFrame, "cmdHome", "Pen home", 360, 1560, 1130, 305, "Move pen to home");
    penToZeroButton = button(plotterControlFrame, "cmdZero", "Pen to 0", 360, 1980, 1130, 315, "Move pen to 0  coordinate x,y");
    motorButton = button(plotterControlFrame, "cmdMotor", "Motor off", 360, 2400, 1130, 305, "Cut out stepper motor or not");

    stepTypeFrame = frame(plotterControlFrame, "fraStep", "Step type", 180, 2760, 1515, 615, "Select tip of step - half or full ");
    fullStepOption = place(new QRadioButton("Full", stepTypeFrame), "optFul", 60, 300, 555, 195);
    halfStepOption = place(new QRadioButton("Half", stepTypeFrame), "optHalf", 780, 300, 615, 195);
    halfStepOption->setChecked(true);

    // The three coordinate frames share one inner layout: an X row and a Y row.
    struct CoordinateFrame {
        QGroupBox*& frame;
        const char *name, *caption;
        int top, height;
        const char* tooltip;
        QLabel *&xCaption, *&xValue, *&yCaption, *&yValue;
        const char *xCaptionName, *xValueName, *yCaptionName, *yValueName;
        bool tooltipOnCaptions;
    };
    const CoordinateFrame coordinateFrames[] = {
        {minimumFrame, "Frame2", "Minim Coordinate", 3420, 750, " Minim coordinate of picture beyond test ",
         minXCaption, minXLabel, minYCaption, minYLabel, "Label2", "Label8", "Label4", "Label7", true},
        {maximumFrame, "Frame3", "Max  Coordinate", 4200, 735, " Maxim coordinate of picture beyond test ",
         maxXCaption, maxXLabel, maxYCaption, maxYLabel, "Label3", "Label11", "Label1", "Label13", true},
        {limitFrame, "Frame5", "Limit", 4980, 750, "Show hardware limit ",
         limitXCaption, limitXLabel, limitYCaption, limitYLabel, "Label5", "lblMaxx", "Label6", "lblMaxy", false},
    };
    for (const CoordinateFrame& c : coordinateFrames) {
        const QString tip = QString::fromLatin1(c.tooltip);
        const QString captionTip = c.tooltipOnCaptions ? tip : QString();
        c.frame = frame(plotterControlFrame, c.name, c.caption, 180, c.top, 1515, c.height, tip);
        c.xCaption = label(c.frame, c.xCaptionName, " X =", 120, 240, 375, 240, captionTip);
        c.xValue = label(c.frame, c.xValueName, kPlaceholder, 480, 240, 615, 240, tip);
        c.yCaption = label(c.frame, c.yCaptionName, " Y = ", 120, 480, 375, 240, captionTip);
        c.yValue = label(c.frame, c.yValueName, kPlaceholder, 480, 480, 615, 240, tip);
    }

    portCaption = label(plotterControlFrame, "Label15", "LPT address =", 180, 5880, 1065, 225, "Address of lpt port");
    portLabel = label(plotterControlFrame, "lblLpt", "________", 1260, 5880, 450, 225, "Address of lpt port ");

    // Preview and file name.
    previewCanvas = new PreviewWidget(client);
    place(previewCanvas, "picBox", 2160, 240, 5715, 4755);
    fileNameBox = place(new QLineEdit(client), "txtFile", 2160, 5040, 5720, 285);

    // Draw control.
    drawControlFrame = frame(client, "Frame4", "Draw control", 2220, 5340, 4035, 1035);
    drawButton = button(drawControlFrame, "cmdDraw", "Draw", 240, 240, 1215, 315, "Drawing with plotter");
    drawButton->setEnabled(false);
    testButton = button(drawControlFrame, "cmdTest", "Test and Show", 1680, 240, 1215, 315,
                     "Test if plotter is ready and  size of picture is OK. ");
    clearButton = button(drawControlFrame, "cmdCls", "Cls", 3240, 240, 495, 315, "Cleaning screen");
    zoomScrollBar = place(new QScrollBar(Qt::Horizontal, drawControlFrame), "scrZoom", 240, 660, 1695, 195);
    zoomScrollBar->setRange(0, 400);
    zoomScrollBar->setSingleStep(1);
    zoomScrollBar->setPageStep(10);
    zoomScrollBar->setValue(100);
    zoomScrollBar->setTracking(false); // a dragged thumb changes the value only when released
    zoomBox = place(new QLineEdit("100", drawControlFrame), "txtZoom", 2160, 600, 390, 285, "Show zoom");
    zoomCaption = label(drawControlFrame, "Label9", "%  Zoom", 2580, 660, 855, 255);

    // Origin display and the pen-up option.
    originFrame = frame(client, "Frame8", "Center off picture", 6360, 5340, 1515, 750,
                   "Show where is origin of picture on X and Y axis");
    const QString xAxisTip = "Draw and show coordinate  0  on X axis";
    const QString yAxisTip = "Draw and show coordinate  0  on Y axis";
    originRowXCaption = label(originFrame, "Label18", " X =", 120, 240, 375, 255, xAxisTip);
    originYLabel = place(new ClickableLabel(kPlaceholder, originFrame), "lblOffsety", 480, 240, 615, 240, xAxisTip);
    originRowYCaption = label(originFrame, "Label17", " Y = ", 120, 480, 375, 240, yAxisTip);
    originXLabel = place(new ClickableLabel(kPlaceholder, originFrame), "lblOffsetx", 480, 480, 615, 195, yAxisTip);
    showPenUpCheck = place(new QCheckBox("Show Pen Up", client), "Check1", 6420, 6180, 1395, 195,
                   "When is Checked show pen down on screen");

    // Velocity.
    velocityFrame = frame(client, "Frame6", "     Velocity     ", 8040, 120, 1275, 1995);
    statusBox = place(new QLineEdit("Err", velocityFrame), "txtStare", 60, 240, 1155, 570);
    {
        QFont big(QStringLiteral("Small Fonts"));
        big.setStyleHint(QFont::SansSerif); // any sans face when this one is missing
        big.setPointSizeF(20.25);
        big.setBold(true);
        statusBox->setFont(big);
        statusBox->setAlignment(Qt::AlignCenter);
        QPalette p = statusBox->palette();
        p.setColor(QPalette::Text, QColor(255, 0, 0));
        statusBox->setPalette(p);
    }
    stepTimeCaption = label(velocityFrame, "Label14", "ms for 1 step", 180, 840, 975, 195);
    checkButton = button(velocityFrame, "cmdCheck", "Check", 120, 1140, 1035, 315,
                      "Check if plotter is conected and timer is activated");
    speedButton = button(velocityFrame, "cmdSpeed", "Speed", 120, 1500, 1035, 315, "Show time among steps");

    // Motor status: lamp, "M", and the two lines that cross it out.
    motorFrame = frame(client, "fraMotor", " Motor status  ", 8040, 2220, 1275, 1575, "Status of motors");
    motorLamp = place(new MotorLamp(motorFrame), "Shape9", 360, 360, 555, 555);
    motorLamp->setColour(kLightRed);
    motorLetter = label(motorFrame, "Label12", "M", 397, 360, 495, 495);
    {
        QFont heavy(QStringLiteral("Arial Black"));
        heavy.setStyleHint(QFont::SansSerif);
        heavy.setPointSizeF(18);
        heavy.setBold(true);
        motorLetter->setFont(heavy);
        motorLetter->setAlignment(Qt::AlignCenter);
        QPalette p = motorLetter->palette();
        p.setColor(QPalette::WindowText, QColor(0, 192, 192));
        motorLetter->setPalette(p);
    }
    motorCrossLine1 = new CrossLine(QPoint(px(960), px(300)), QPoint(px(300), px(960)), motorFrame);
    motorCrossLine1->setObjectName(QStringLiteral("Line1"));
    motorCrossLine2 = new CrossLine(QPoint(px(300), px(300)), QPoint(px(960), px(960)), motorFrame);
    motorCrossLine2->setObjectName(QStringLiteral("Line2"));
    motorStatusLabel = label(motorFrame, "Label10", "Motors is connected", 120, 1080, 1035, 435);
    motorStatusLabel->setAlignment(Qt::AlignCenter);
    motorStatusLabel->setWordWrap(true);

    // A plot file dropped anywhere on the window reaches the window itself, not a text box.
    for (QLineEdit* edit : {fileNameBox, zoomBox, statusBox})
        edit->setAcceptDrops(false);

    applyClassicFace(client);

    // Timers: the status poll runs for the life of the window, the speed count on demand.
    statusTimer = new QTimer(this);
    statusTimer->setObjectName(QStringLiteral("Timer1"));
    statusTimer->setInterval(300);
    speedTimer = new QTimer(this);
    speedTimer->setObjectName(QStringLiteral("Timer2"));
    speedTimer->setInterval(1000);
}

void MainWindow::buildMenus() {
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
    fileMenu = menu("mnuFile", "&File");
    openAction = item(fileMenu, "mnuOpen", "&Open");
    openPrivateAction = item(fileMenu, "mnuOpen_privat", "Open Privat ");
    openPrivateAction->setEnabled(false); // never offered to the operator
    exitAction = item(fileMenu, "mnuExit", "E&xit");
    optionsMenu = menu("mnuOption", "&Options");
    settingsAction = item(optionsMenu, "mnuSetings", "Settings");
    helpMenu = menu("mnuHelp", "&Help");
    aboutAction = item(helpMenu, "mnuAbout", "&About");
}

void MainWindow::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    bar->setSizeGripEnabled(false);
    progressLabel = new QLabel(bar);
    progressLabel->setObjectName(QStringLiteral("lblProgress"));
    bar->addWidget(progressLabel, 1);
    stopButton = new QPushButton(QStringLiteral("Stop"), bar);
    stopButton->setObjectName(QStringLiteral("cmdStop"));
    bar->addPermanentWidget(stopButton);
    stopButton->hide();
}

void MainWindow::connectHandlers() {
    const std::pair<QPushButton*, void (MainWindow::*)()> buttons[] = {
        {stepUpButton, &MainWindow::onStepUpClicked}, {stepDownButton, &MainWindow::onStepDownClicked},
        {stepRightButton, &MainWindow::onStepRightClicked},   {stepLeftButton, &MainWindow::onStepLeftClicked},
        {motorButton, &MainWindow::onMotorClicked},       {penButton, &MainWindow::onPenClicked},
        {checkButton, &MainWindow::onCheckClicked},       {speedButton, &MainWindow::onSpeedClicked},
        {penHomeButton, &MainWindow::onPenHomeClicked},         {penToZeroButton, &MainWindow::onPenToZeroClicked},
        {testButton, &MainWindow::onTestClicked},         {drawButton, &MainWindow::onDrawClicked},
        {clearButton, &MainWindow::onClearClicked},           {stopButton, &MainWindow::onStopClicked},
    };
    for (const auto& [b, slot] : buttons)
        connect(b, &QPushButton::clicked, this, slot);

    connect(showPenUpCheck, &QCheckBox::clicked, this, &MainWindow::onShowPenUpClicked);
    // Steps of the other mode are twice or half as long: the last test no longer holds.
    connect(halfStepOption, &QRadioButton::toggled, this, &MainWindow::forgetTest);
    connect(zoomScrollBar, &QScrollBar::valueChanged, this, &MainWindow::onZoomScrolled);
    connect(zoomBox, &QLineEdit::textChanged, this, &MainWindow::onZoomTextChanged);
    connect(originXLabel, &ClickableLabel::clicked, this, &MainWindow::onOriginXLabelClicked);
    connect(originYLabel, &ClickableLabel::clicked, this, &MainWindow::onOriginYLabelClicked);
    connect(statusTimer, &QTimer::timeout, this, &MainWindow::onStatusTimer);
    connect(speedTimer, &QTimer::timeout, this, &MainWindow::onSpeedTimer);

    connect(openAction, &QAction::triggered, this, &MainWindow::onOpen);
    connect(exitAction, &QAction::triggered, this, &MainWindow::onExit);
    connect(settingsAction, &QAction::triggered, this, &MainWindow::onSettings);
    connect(aboutAction, &QAction::triggered, this, &MainWindow::onAbout);
}

} // namespace orlex::ui
