// The main window: construction, the start-up sequence and display, the File, Options and Help
// menus, drag and drop of plot files, and the ways the program ends.
#include "ui/main_window.h"

#include "common/termination_signals.h"
#include "run/port_check/port_check.h"

#include "settings/conversions.h"
#include "ui/about_box.h"
#include "ui/port_check_dialog.h"
#include "ui/preview_widget.h"
#include "ui/settings_dialog.h"
#include "ui/widgets.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace orlex::ui {

namespace {

constexpr const char* kCaption = "Orlex _ Plotter";
constexpr const char* kCarryOnWithoutPlotter =
    " The program carries on without a plotter: the presence test will report Err.";
constexpr const char* kCarryOnWithoutTrace = " The program carries on without a trace.";
constexpr int kClientWidthPx = 9480 / 15;  // 632
constexpr int kClientHeightPx = 6465 / 15; // 431

QString fromSetting(const std::string& text)
{
    return QString::fromStdString(text);
}

// "378H" for &H378, "D010H" for &HD010.
QString addressCaption(std::uint16_t address)
{
    return QString::number(address, 16).toUpper() + QLatin1Char('H');
}

// The single local file a drag carries, or an empty text.
QString droppedFile(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1)
        return {};
    const QUrl url = mime->urls().front();
    if (!url.isLocalFile())
        return {};
    const QString path = url.toLocalFile();
    if (QFileInfo(path).isDir())
        return {};
    return path;
}

} // namespace

MainWindow::MainWindow(MainWindowOptions options, QWidget* parent) : QMainWindow(parent), options_(std::move(options))
{
    feedback_ = options_.feedback ? options_.feedback : &defaultFeedback_;
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QString::fromLatin1(kCaption));
    buildLayout();
    buildMenus();
    buildStatusBar();
    loadPreferences();
    buildInputOptions();
    buildViewMenu();
    connectHandlers();
    setAcceptDrops(true);
    startUp();

    // Fixed layout: the client area keeps its size and the window cannot be resized.
    centralWidget()->setFixedSize(kClientWidthPx, kClientHeightPx);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

MainWindow::~MainWindow()
{
    statusTimer->stop();
    liveViewTimer->stop();
    // The preview refers to a widget, and a job still running to the preview's ring.
    controller_.reset();
    preview_.reset();
}

void MainWindow::startUp()
{
    settingsReport_ = loadSettings(settings_, options_.settingsFile);
    if (!settingsReport_.ok())
        feedback_->message(nullptr, OperatorFeedback::Icon::Warning, QString::fromLatin1(kCaption),
                           QString::fromStdString(settingsReport_.message(options_.settingsFile)));

    PortRequest request;
    request.addressAdvice = kWindowAddressAdvice;
    OpenedPort port =
        options_.openPort ? options_.openPort(settings_) : openPort(withMachineSettings(request, settings_));
    std::string portMessages;
    if (port.portError)
        portMessages = port.portError->message + kCarryOnWithoutPlotter;
    if (port.traceError)
        portMessages += (portMessages.empty() ? "" : "\n") + port.traceError->message + kCarryOnWithoutTrace;
    if (!portMessages.empty())
        feedback_->message(nullptr, OperatorFeedback::Icon::Warning, QString::fromLatin1(kCaption),
                           QString::fromStdString(portMessages));

    // Jobs fix the step mode they start with: the motion thread never reads a widget.
    controller_ =
        std::make_unique<RunController>(settings_, std::move(port), [this] { return halfStepOption->isChecked(); });
    connect(controller_.get(), &RunController::stateChanged, this, &MainWindow::applyRunState);
    connect(controller_.get(), &RunController::drawEnded, this, &MainWindow::onDrawEnded);
    connect(controller_.get(), &RunController::motionEnded, this, &MainWindow::onMotionEnded);
    connect(controller_.get(), &RunController::penChangeDue, this, [this](char pen) {
        progressLabel->setText(QStringLiteral("Put in pen %1, then Continue").arg(QLatin1Char(pen)));
    });
    preview_ = std::make_unique<Preview>(*previewCanvas, settings_);

    drive().state.phaseX = 1;
    drive().state.phaseY = 1;
    manualPen_ = Pen::Up;
    withPort([this] { drive().penUp(); });
    preview_->zoom = 100;
    preview_->penUpColour = kHidden;
    plotExtents = PlotExtents{};
    drive().state.coilsX = 1;
    drive().state.coilsY = 16; // the data register is left alone until the first step
    startUpDisplay();
    showCarriagePosition(); // known from the start on the virtual plotter
    offerKeptJournal();

    // The status poll starts now: nothing ticks into a half-built window, not even while
    // a start-up message box runs its own event loop. No tick can come before this
    // point anyway, because start-up does not yield.
    statusTimer->start();
}

void MainWindow::showSettingsLabels(const QString& limitUnit)
{
    const auto text = [this](SettingLine line) { return fromSetting(settings_.line(line)); };
    limitXLabel->setText(text(SettingLine::TravelX) + limitUnit);
    limitYLabel->setText(text(SettingLine::TravelY) + limitUnit);
    originXLabel->setText(text(SettingLine::OriginX) + QStringLiteral(" mm"));
    originYLabel->setText(text(SettingLine::OriginY) + QStringLiteral(" mm"));
    portLabel->setText(addressCaption(settings_.portAddress));
}

void MainWindow::startUpDisplay()
{
    showSettingsLabels(QStringLiteral("mm"));
    runPresenceCheck();
    if (!drive().state.connected)
        enableDraw(false);
    preview_->drawYHalfAxis();
    preview_->drawXHalfAxis();
}

void MainWindow::settingsSaved()
{
    followPortAddress();
    controller_->followMachineSettings();
    settingsMayHaveChangedTheScale();
    resumePositionLost(QStringLiteral("the settings were saved"));
    showSettingsLabels(QStringLiteral(" mm"));
    preview_->clear();
    preview_->drawYHalfAxis();
    preview_->drawXHalfAxis();
    if (const std::optional<CarriageMm> at = controller_->carriagePlace())
        if (const std::optional<std::string> beyond = carriageBeyondTravel(*at, settings_))
            feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Settings"),
                               QString::fromStdString(*beyond));
}

// A changed address takes effect at once: the port is reopened (or the virtual plotter
// rewired) at the new base, and the drive goes on through it.
void MainWindow::followPortAddress()
{
    const Result<void> moved = controller_->followPortAddress(settings_.portAddress);
    if (!moved)
        feedback_->message(this, OperatorFeedback::Icon::Warning, QString::fromLatin1(kCaption),
                           QString::fromStdString(moved.message() + kCarryOnWithoutPlotter));
}

void MainWindow::endProcess(int status)
{
    controller_->port().flush();
    if (options_.exitProcess) {
        options_.exitProcess(status);
        return;
    }
    std::fflush(nullptr);
    std::_Exit(status); // at once: no handler runs and no motion goes on
}

// A Save that changes a step length or a travel limit changes what the last check
// measured: Draw waits for a new check.
void MainWindow::settingsMayHaveChangedTheScale()
{
    if (policy_.forgetIfScaleChanged(currentCheckKey()))
        forgetCheck();
}

// The motion thread lifts the pen, switches the coils off and closes the trace, once a
// running job has stopped; if it does not answer within two seconds the window does so.
void MainWindow::quitSafely(int status)
{
    if (ending_)
        return;
    ending_ = true;
    statusTimer->stop();
    liveViewTimer->stop();
    const EndProblems problems = controller_->endSafely(std::chrono::seconds(2));
    if (!problems.machine)
        std::fprintf(stderr, "orlex-plotter: lifting the pen and switching the motors off failed: %s\n",
                     problems.machine.message().c_str());
    if (!problems.trace) {
        std::fprintf(stderr, "orlex-plotter: %s\n", problems.trace.message().c_str());
        if (status == 0)
            status = kExitTraceFailed;
    }
    endProcess(status);
}

void MainWindow::stopForTerminal()
{
    if (ending_)
        return;
    if (runState() == RunState::Drawing)
        onPauseClicked();
    else if (!controller_->idle() && runState() != RunState::Paused)
        onStopClicked();
    if (!controller_->waitUntilStill(std::chrono::seconds(2))) {
        std::fprintf(stderr, "orlex-plotter: Ctrl-Z: the machine cannot hold now (the plotter's clock does not "
                             "run); press Stop first.\n");
        return;
    }
    if (options_.stopProcess)
        options_.stopProcess();
    else
        stopProcess();
}

// Quitting during a draw stops it: the operator is asked first.
bool MainWindow::mayQuit()
{
    if (!drawRunning())
        return true;
    askingToQuit_ = true; // a draw that ends meanwhile changes the question
    const bool quit = feedback_->confirm(this, QString::fromLatin1(kCaption),
                                         QStringLiteral("A drawing is running. Stop it and quit?"),
                                         QStringLiteral("Stop and quit"), QStringLiteral("Cancel"));
    askingToQuit_ = false;
    return quit;
}

void MainWindow::onExit()
{
    if (mayQuit())
        quitSafely(0);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!ending_ && !mayQuit()) {
        event->ignore();
        return;
    }
    quitSafely(0);
    event->accept();
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    const RunState state = runState();
    if (event->key() == Qt::Key_Escape && state != RunState::Idle && state != RunState::Ending) {
        onStopClicked();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    openPlotFile(path);
}

void MainWindow::onOpen()
{
    if (!controller_->idle())
        return;
    // The file-open dialog's filter: every kind of drawing the runs read first, then the
    // classic "Plotter file (*.plt)|*.plt| All Fifes(*.*)|*.*" in Qt's form.
    const QString title = QStringLiteral("Open plott file.");
    const QString filter =
        QStringLiteral("Drawings (*.plt *.hpgl *.hpg *.svg *.svgz);;Plotter file (*.plt);; All Fifes(*.*) (*)");
    QString chosen;
    if (options_.openFileDialog) {
        chosen = options_.openFileDialog(this, title, filter);
    } else {
        const QString start = QFile::decodeName(QByteArray::fromStdString(plotFile_));
        chosen = QFileDialog::getOpenFileName(this, title, start, filter);
    }
    // Cancelled: the dialog keeps the name it had, so the previous file stays chosen.
    if (!chosen.isEmpty())
        openPlotFile(chosen);
    else
        fileNameBox->setText(QFile::decodeName(QByteArray::fromStdString(plotFile_)));
}

void MainWindow::openPlotFile(const QString& path)
{
    const std::string chosen = QFile::encodeName(path).toStdString();
    // A check speaks only for the file it read.
    if (chosen != plotFile_)
        forgetCheck();
    plotFile_ = chosen;
    fileNameBox->setText(path);
    rememberRecentFile(path);
}

void MainWindow::onSettings()
{
    if (!controller_->idle())
        return; // the item is disabled then: the settings are what a run uses
    SettingsDialog dialog(settings_, options_.settingsFile, *feedback_, nullptr);
    connect(&dialog, &SettingsDialog::saved, this, &MainWindow::settingsSaved);
    dialog.exec();
}

void MainWindow::onAbout()
{
    AboutBox box(QStringLiteral("Motion thread: ") + QString::fromStdString(controller_->priority().text()), nullptr);
    box.exec();
}

// The same report as orlex-plotter-cli doctor, without its measurement: this window holds
// the port. It only reads files, so it may be shown while a job runs, like About.
void MainWindow::onPortCheck()
{
    const OpenedPort& opened = controller_->port();
    PortCheckSetup setup;
    setup.systemRoot = opened.request.systemRoot;
    setup.kind = opened.virtualPlotter != nullptr ? PortKind::Virtual : opened.request.kind;
    setup.base = opened.request.base;
    setup.addressText = settings_.line(SettingLine::PortAddress);
    if (setup.addressText.empty())
        setup.addressText = settingsAddressText(setup.base);
    setup.portError = opened.portError;
    if (controller_->idle()) // the last presence check's answer; a job may be making another
        setup.plotterAnswers = drive().state.connected;
    setup.motion = controller_->priority();
    const std::string report = checkThisPc(setup).text()
                               + "\nTo time the status reads too, close this window (it holds the port) and run: "
                                 "orlex-plotter-cli doctor --measure 10\n";
    PortCheckDialog dialog(QString::fromStdString(report), nullptr);
    dialog.exec();
}

} // namespace orlex::ui
