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
    Line3 = place(new QFrame(client), "Line3", 0, 0, 9480, 30);
    Line3->setAutoFillBackground(true);
    {
        QPalette p = Line3->palette();
        p.setColor(QPalette::Window, p.color(QPalette::ButtonText));
        Line3->setPalette(p);
    }

    // Plotter control column.
    Frame1 = frame(client, "Frame1", "Plotter control", 120, 120, 1875, 6255);
    cmdSteppYUp = iconButton(Frame1, "cmdSteppYUp", arrowIcon(Arrow::Up), 720, 240, "One step up");
    cmdSteppXL = iconButton(Frame1, "cmdSteppXL", arrowIcon(Arrow::Left), 300, 660, "One step left");
    cmdPen = iconButton(Frame1, "cmdPen", penIcon(), 720, 660, "Decend or upend pen");
    cmdSteppXR = iconButton(Frame1, "cmdSteppXR", arrowIcon(Arrow::Right), 1140, 660, "One step right");
    cmdSteppYDo = iconButton(Frame1, "cmdSteppYDo", arrowIcon(Arrow::Down), 720, 1080, "One step down");
    cmdHome = button(Frame1, "cmdHome", "Pen home", 360, 1560, 1130, 305, "Move pen to home");
    cmdZero = button(Frame1, "cmdZero", "Pen to 0", 360, 1980, 1130, 315, "Move pen to 0  coordinate x,y");
    cmdMotor = button(Frame1, "cmdMotor", "Motor off", 360, 2400, 1130, 305, "Cut out stepper motor or not");

    fraStep = frame(Frame1, "fraStep", "Step type", 180, 2760, 1515, 615, "Select tip of step - half or full ");
    optFul = place(new QRadioButton("Full", fraStep), "optFul", 60, 300, 555, 195);
    optHalf = place(new QRadioButton("Half", fraStep), "optHalf", 780, 300, 615, 195);
    optHalf->setChecked(true);

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
        {Frame2, "Frame2", "Minim Coordinate", 3420, 750, " Minim coordinate of picture beyond test ",
         Label2, Label8, Label4, Label7, "Label2", "Label8", "Label4", "Label7", true},
        {Frame3, "Frame3", "Max  Coordinate", 4200, 735, " Maxim coordinate of picture beyond test ",
         Label3, Label11, Label1, Label13, "Label3", "Label11", "Label1", "Label13", true},
        {Frame5, "Frame5", "Limit", 4980, 750, "Show hardware limit ",
         Label5, lblMaxx, Label6, lblMaxy, "Label5", "lblMaxx", "Label6", "lblMaxy", false},
    };
    for (const CoordinateFrame& c : coordinateFrames) {
        const QString tip = QString::fromLatin1(c.tooltip);
        const QString captionTip = c.tooltipOnCaptions ? tip : QString();
        c.frame = frame(Frame1, c.name, c.caption, 180, c.top, 1515, c.height, tip);
        c.xCaption = label(c.frame, c.xCaptionName, " X =", 120, 240, 375, 240, captionTip);
        c.xValue = label(c.frame, c.xValueName, kPlaceholder, 480, 240, 615, 240, tip);
        c.yCaption = label(c.frame, c.yCaptionName, " Y = ", 120, 480, 375, 240, captionTip);
        c.yValue = label(c.frame, c.yValueName, kPlaceholder, 480, 480, 615, 240, tip);
    }

    Label15 = label(Frame1, "Label15", "LPT address =", 180, 5880, 1065, 225, "Address of lpt port");
    lblLpt = label(Frame1, "lblLpt", "________", 1260, 5880, 450, 225, "Address of lpt port ");

    // Preview and file name.
    picBox = new PreviewWidget(client);
    place(picBox, "picBox", 2160, 240, 5715, 4755);
    txtFile = place(new QLineEdit(client), "txtFile", 2160, 5040, 5720, 285);

    // Draw control.
    Frame4 = frame(client, "Frame4", "Draw control", 2220, 5340, 4035, 1035);
    cmdDraw = button(Frame4, "cmdDraw", "Draw", 240, 240, 1215, 315, "Drawing with plotter");
    cmdDraw->setEnabled(false);
    cmdTest = button(Frame4, "cmdTest", "Test and Show", 1680, 240, 1215, 315,
                     "Test if plotter is ready and  size of picture is OK. ");
    cmdCls = button(Frame4, "cmdCls", "Cls", 3240, 240, 495, 315, "Cleaning screen");
    scrZoom = place(new QScrollBar(Qt::Horizontal, Frame4), "scrZoom", 240, 660, 1695, 195);
    scrZoom->setRange(0, 400);
    scrZoom->setSingleStep(1);
    scrZoom->setPageStep(10);
    scrZoom->setValue(100);
    scrZoom->setTracking(false); // a dragged thumb changes the value only when released
    txtZoom = place(new QLineEdit("100", Frame4), "txtZoom", 2160, 600, 390, 285, "Show zoom");
    Label9 = label(Frame4, "Label9", "%  Zoom", 2580, 660, 855, 255);

    // Origin display and the pen-up option.
    Frame8 = frame(client, "Frame8", "Center off picture", 6360, 5340, 1515, 750,
                   "Show where is origin of picture on X and Y axis");
    const QString xAxisTip = "Draw and show coordinate  0  on X axis";
    const QString yAxisTip = "Draw and show coordinate  0  on Y axis";
    Label18 = label(Frame8, "Label18", " X =", 120, 240, 375, 255, xAxisTip);
    lblOffsety = place(new ClickableLabel(kPlaceholder, Frame8), "lblOffsety", 480, 240, 615, 240, xAxisTip);
    Label17 = label(Frame8, "Label17", " Y = ", 120, 480, 375, 240, yAxisTip);
    lblOffsetx = place(new ClickableLabel(kPlaceholder, Frame8), "lblOffsetx", 480, 480, 615, 195, yAxisTip);
    Check1 = place(new QCheckBox("Show Pen Up", client), "Check1", 6420, 6180, 1395, 195,
                   "When is Checked show pen down on screen");

    // Velocity.
    Frame6 = frame(client, "Frame6", "     Velocity     ", 8040, 120, 1275, 1995);
    txtStare = place(new QLineEdit("Err", Frame6), "txtStare", 60, 240, 1155, 570);
    {
        QFont big(QStringLiteral("Small Fonts"));
        big.setStyleHint(QFont::SansSerif); // any sans face when this one is missing
        big.setPointSizeF(20.25);
        big.setBold(true);
        txtStare->setFont(big);
        txtStare->setAlignment(Qt::AlignCenter);
        QPalette p = txtStare->palette();
        p.setColor(QPalette::Text, QColor(255, 0, 0));
        txtStare->setPalette(p);
    }
    Label14 = label(Frame6, "Label14", "ms for 1 step", 180, 840, 975, 195);
    cmdCheck = button(Frame6, "cmdCheck", "Check", 120, 1140, 1035, 315,
                      "Check if plotter is conected and timer is activated");
    cmdSpeed = button(Frame6, "cmdSpeed", "Speed", 120, 1500, 1035, 315, "Show time among steps");

    // Motor status: lamp, "M", and the two lines that cross it out.
    fraMotor = frame(client, "fraMotor", " Motor status  ", 8040, 2220, 1275, 1575, "Status of motors");
    Shape9 = place(new MotorLamp(fraMotor), "Shape9", 360, 360, 555, 555);
    Shape9->setColour(kLightRed);
    Label12 = label(fraMotor, "Label12", "M", 397, 360, 495, 495);
    {
        QFont heavy(QStringLiteral("Arial Black"));
        heavy.setStyleHint(QFont::SansSerif);
        heavy.setPointSizeF(18);
        heavy.setBold(true);
        Label12->setFont(heavy);
        Label12->setAlignment(Qt::AlignCenter);
        QPalette p = Label12->palette();
        p.setColor(QPalette::WindowText, QColor(0, 192, 192));
        Label12->setPalette(p);
    }
    Line1 = new CrossLine(QPoint(px(960), px(300)), QPoint(px(300), px(960)), fraMotor);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line2 = new CrossLine(QPoint(px(300), px(300)), QPoint(px(960), px(960)), fraMotor);
    Line2->setObjectName(QStringLiteral("Line2"));
    Label10 = label(fraMotor, "Label10", "Motors is connected", 120, 1080, 1035, 435);
    Label10->setAlignment(Qt::AlignCenter);
    Label10->setWordWrap(true);

    // A plot file dropped anywhere on the window reaches the window itself, not a text box.
    for (QLineEdit* edit : {txtFile, txtZoom, txtStare})
        edit->setAcceptDrops(false);

    applyClassicFace(client);

    // Timers: the status poll runs for the life of the window, the speed count on demand.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(300);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(1000);
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
    mnuFile = menu("mnuFile", "&File");
    mnuOpen = item(mnuFile, "mnuOpen", "&Open");
    mnuOpen_privat = item(mnuFile, "mnuOpen_privat", "Open Privat ");
    mnuOpen_privat->setEnabled(false); // never offered to the operator
    mnuExit = item(mnuFile, "mnuExit", "E&xit");
    mnuOption = menu("mnuOption", "&Options");
    mnuSetings = item(mnuOption, "mnuSetings", "Settings");
    mnuHelp = menu("mnuHelp", "&Help");
    mnuAbout = item(mnuHelp, "mnuAbout", "&About");
}

void MainWindow::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    bar->setSizeGripEnabled(false);
    lblProgress = new QLabel(bar);
    lblProgress->setObjectName(QStringLiteral("lblProgress"));
    bar->addWidget(lblProgress, 1);
    cmdStop = new QPushButton(QStringLiteral("Stop"), bar);
    cmdStop->setObjectName(QStringLiteral("cmdStop"));
    bar->addPermanentWidget(cmdStop);
    cmdStop->hide();
}

void MainWindow::connectHandlers() {
    const std::pair<QPushButton*, void (MainWindow::*)()> buttons[] = {
        {cmdSteppYUp, &MainWindow::cmdSteppYUp_Click}, {cmdSteppYDo, &MainWindow::cmdSteppYDo_Click},
        {cmdSteppXR, &MainWindow::cmdSteppXR_Click},   {cmdSteppXL, &MainWindow::cmdSteppXL_Click},
        {cmdMotor, &MainWindow::cmdMotor_Click},       {cmdPen, &MainWindow::cmdPen_Click},
        {cmdCheck, &MainWindow::cmdCheck_Click},       {cmdSpeed, &MainWindow::cmdSpeed_Click},
        {cmdHome, &MainWindow::cmdHome_Click},         {cmdZero, &MainWindow::cmdZero_Click},
        {cmdTest, &MainWindow::cmdTest_Click},         {cmdDraw, &MainWindow::cmdDraw_Click},
        {cmdCls, &MainWindow::cmdCls_Click},           {cmdStop, &MainWindow::cmdStop_Click},
    };
    for (const auto& [b, slot] : buttons)
        connect(b, &QPushButton::clicked, this, slot);

    connect(Check1, &QCheckBox::clicked, this, &MainWindow::Check1_Click);
    // Steps of the other mode are twice or half as long: the last test no longer holds.
    connect(optHalf, &QRadioButton::toggled, this, &MainWindow::forgetTest);
    connect(scrZoom, &QScrollBar::valueChanged, this, &MainWindow::scrZoom_Change);
    connect(txtZoom, &QLineEdit::textChanged, this, &MainWindow::txtZoom_Change);
    connect(lblOffsetx, &ClickableLabel::clicked, this, &MainWindow::lblOffsetx_Click);
    connect(lblOffsety, &ClickableLabel::clicked, this, &MainWindow::lblOffsety_Click);
    connect(Timer1, &QTimer::timeout, this, &MainWindow::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &MainWindow::Timer2_Timer);

    connect(mnuOpen, &QAction::triggered, this, &MainWindow::mnuOpen_Click);
    connect(mnuExit, &QAction::triggered, this, &MainWindow::mnuExit_Click);
    connect(mnuSetings, &QAction::triggered, this, &MainWindow::mnuSetings_Click);
    connect(mnuAbout, &QAction::triggered, this, &MainWindow::mnuAbout_Click);
}

} // namespace orlex::ui
