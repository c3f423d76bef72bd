// The main window with its controls, menus, start-up and every handler.
// Handlers are thin: they call the drive, preview and interpreter of the core.
#pragma once

#include "drive/drive.h"
#include "drive/ports/open_port.h"
#include "hpgl/classic_reader.h"
#include "hpgl/plot_extents.h"
#include "preview/preview.h"
#include "run/draw_monitor.h"
#include "run/file_stamp.h"
#include "run/plot_draw.h"
#include "run/plot_test.h"
#include "run/prepared_plot.h"
#include "settings/machine_settings.h"
#include "settings/settings_file.h"
#include "ui/operator_feedback.h"
#include "ui/quick_label.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSettings;
class QShortcut;
class QTimer;

namespace orlex::ui {

class ClickableLabel;
class MotorLamp;
class CrossLine;
class PreviewWidget;

// How the window's messages say where the port address comes from.
inline constexpr const char* kWindowAddressAdvice = "Set the port address in Options > Settings to the plotter's port.";

struct MainWindowOptions {
    std::filesystem::path settingsFile = kSettingsFileName;
    // Opens the port backend once the settings are loaded (base address, step lengths).
    std::function<OpenedPort(const MachineSettings& settings)> openPort;
    OperatorFeedback* feedback = nullptr; // nullptr: QtOperatorFeedback
    // Ends the process at once (default: flush stdio and _Exit). Tests record the call.
    std::function<void(int status)> exitProcess;
    // The file-open dialog: returns the chosen path, or an empty text when cancelled.
    std::function<QString(QWidget* parent, const QString& title, const QString& filter)> openFileDialog;
    // Where the operator's choices of the Options menu are remembered (an INI file); empty:
    // the user's own settings store. Tests give a file of theirs.
    QString preferencesFile;
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(MainWindowOptions options, QWidget* parent = nullptr);
    ~MainWindow() override;

    // State owned by the window (plain data, read by tests).
    MachineSettings& settings() { return settings_; }
    // The path of the chosen plot file (File > Open, a drop, the command line); empty
    // before the first choice.
    const std::string& plotFile() const { return plotFile_; }
    Drive& drive() { return *drive_; }
    Preview& preview() { return *preview_; }
    Port& port() { return port_.port(); }
    VirtualPlotter* virtualPlotter() { return port_.virtualPlotter; }
    PlotExtents plotExtents;                         // minXmm.. of the last check
    std::optional<PlotTest> lastCheck;               // the last check that read the file
    std::optional<double> stepPeriodSeconds() const; // last Speed, or the virtual clock
    bool drawRunning() const { return drawRunning_; }
    const LoadReport& settingsReport() const { return settingsReport_; }

    // File > Open with a known path (command-line argument, dropped file).
    void openPlotFile(const QString& path);

    // Every way the program ends comes here: pen up, then every coil off, the trace
    // flushed and closed, then the process ends with `status`. Once only.
    void quitSafely(int status);

public slots:
    // Manual controls and plotter status.
    void onStepUpClicked();
    void onStepDownClicked();
    void onStepRightClicked();
    void onStepLeftClicked();
    void onMotorClicked();
    void onPenClicked();
    void onPresenceCheckClicked();
    void onStatusTimer();
    // Step timing.
    void onSpeedClicked();
    void onSpeedTimer();
    // Homing.
    void onPenHomeClicked();
    void onPenToZeroClicked();
    // Runs.
    void onTestAndShowClicked();
    void onDrawClicked();
    void onStopClicked();
    // Pause, Continue (both also Space) and Resume of a draw.
    void onPauseClicked();
    void onContinueClicked();
    void onResumeClicked();
    void onPauseAtPenChangeToggled(bool on);
    // Preview and zoom.
    void onShowPenUpClicked();
    void onZoomScrolled();
    void onZoomTextChanged();
    void onOriginXLabelClicked();
    void onOriginYLabelClicked();
    void onClearClicked();
    // Menus.
    void onOpen();
    void onExit();
    void onSettings();
    void onAbout();

    // After a Save of the settings dialog: the port follows the address, and the labels
    // and the preview's half-axes follow the settings ("150 mm", "5 mm", "378H").
    void settingsSaved();

signals:
    void plotterMoved(); // after a jog, a homing step batch or a draw (for live views)

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Construction (main_window.cpp / main_window_layout.cpp).
    void buildLayout();
    void buildPreviewAndZoom(QWidget* client);
    void buildStatusDisplays();
    void buildMenus();
    void buildStatusBar();
    void connectHandlers();
    void startUp();        // load settings, drive state, pen up, then the start-up display
    void startUpDisplay(); // labels, check, Draw, half-axes
    // The settings labels: each line's text and its unit ("mm" at start-up, where the
    // text ends with a blank; " mm" after a Save), and the address as "378H".
    void showSettingsLabels(const QString& limitUnit);
    void jog(bool xAxis, int direction);         // one step of one motor
    void runPresenceCheck();                     // presence check with its display (statusBox, Speed, connected)
    void setMotionControlsEnabled(bool enabled); // jogs, Pen home, Pen to 0, Test and Show, Draw
    template <class Motion>
    auto runMotion(Motion motion);  // a homing motion with the controls held off
    void setRunActive(bool active); // Stop shown, dialogs and File > Open held off
    void showNotConnected();
    // Runs `action`, which talks to the port; a failed port call ends it there and is
    // handled by portFailed. False when it failed.
    bool withPort(const std::function<void()>& action);
    // A port call failed: pen up and coils off as far as the port lets, the message, and
    // the plotter marked disconnected until a presence check passes again.
    void portFailed(const std::string& fault, const std::string& safeFault);
    void endProcess(int status);
    void followPortAddress(); // reopen the port when the address setting changed
    void processEvents();     // hook of waitClockCycles

    MainWindowOptions options_;
    QtOperatorFeedback defaultFeedback_;
    OperatorFeedback* feedback_ = nullptr;

    MachineSettings settings_;
    std::string plotFile_;
    LoadReport settingsReport_;
    OpenedPort port_;
    std::unique_ptr<Drive> drive_;
    std::unique_ptr<Preview> preview_;

    // What a successful check measured; Draw is enabled only while all of it still holds.
    struct DrawableCheck {
        std::string path;
        std::int16_t zoom = 100;
        bool halfStep = true;
        bool shorterTravel = false;                                      // the strokes in the planner's order
        double stepLengthX = 0, stepLengthY = 0, limitX = 0, limitY = 0; // Lstepx, Lstepy, Maxx, Maxy
        std::optional<FileStamp> stamp;                                  // the file as it was checked
        bool operator==(const DrawableCheck&) const = default;
    };
    DrawableCheck currentCheckKey() const;
    void forgetCheck();                 // Draw off until the next successful check
    bool plotStillAsChecked();          // the file is as the check read it, or a message says why not
    void runDraw(const DrawPlan& plan); // Draw and Resume
    void setDrawRunning(bool running);
    void showDrawEnd(const DrawReport& report, const DrawMonitor& monitor);
    void updateDrawButton(); // Draw on when a check still holds and nothing runs
    void settingsMayHaveChangedTheScale();

    // A draw that ended early, for "Resume from point N". Resuming in place needs the
    // carriage where the draw left it; once something moved it, only a plot whose origin
    // is its "Pen to 0" point can be found again, by homing.
    struct StoppedDraw {
        DrawableCheck check;     // what was drawn, as checked
        std::uint64_t point = 0; // the point being drawn when it ended
        bool originIsPenToZero = false;
        QString positionLost; // why the carriage no longer stands where the draw left it
    };
    void recordStoppedDraw(const DrawReport& report);
    void resumePositionLost(const QString& why); // a jog, a homing, the motors off, a scale change
    QString resumeProblem() const;               // empty when Resume can go
    void updateResumeButton();
    void setPaused(bool paused, const QString& text = {});
    void holdForPen(char pen); // a pen change during a draw: pen up until Continue
    void loadPreferences();    // the Options menu's remembered choices

    std::unique_ptr<QSettings> preferences_;
    std::optional<StoppedDraw> stoppedDraw_;
    DrawMonitor* drawMonitor_ = nullptr; // while a draw runs
    bool drawPaused_ = false;

    // The chosen file as the runs read it (main_window_inputs.cpp): as it is, an SVG
    // converted, or its strokes in a shorter pen-up order.
    void buildInputOptions();           // Options > "Shorter pen-up travel" and the status bar text
    bool prepareRunFile();              // before a check; false when it cannot be (a message said why)
    const std::string& runFile() const; // what the last check read and Draw draws
    void onShorterTravelToggled(bool on);
    std::optional<PreparedPlot> preparedPlot_;

    bool drawRunning_ = false;
    bool motionRunning_ = false;  // Pen home / Pen to 0 in progress
    bool speedRunning_ = false;   // "Speed" is measuring
    bool ending_ = false;         // quitSafely has run
    bool portFaultShown_ = false; // a port fault was reported and no check has passed since
    std::optional<DrawableCheck> drawableCheck_;
    std::optional<int> lastSpeedMs_; // last "Speed" result, ms per step

public:
    // Controls, named as their objectName (tests find them with findChild as well).
    QGroupBox* plotterControlFrame = nullptr;
    QPushButton* stepUpButton = nullptr;
    QPushButton* stepLeftButton = nullptr;
    QPushButton* penButton = nullptr;
    QPushButton* stepRightButton = nullptr;
    QPushButton* stepDownButton = nullptr;
    QPushButton* penHomeButton = nullptr;
    QPushButton* penToZeroButton = nullptr;
    QPushButton* motorButton = nullptr;
    QGroupBox* stepTypeFrame = nullptr;
    QRadioButton* fullStepOption = nullptr;
    QRadioButton* halfStepOption = nullptr;
    QGroupBox* minimumFrame = nullptr;
    QGroupBox* maximumFrame = nullptr;
    QGroupBox* limitFrame = nullptr;
    QLabel* minXCaption = nullptr;
    QLabel* minXLabel = nullptr;
    QLabel* minYCaption = nullptr;
    QLabel* minYLabel = nullptr;
    QLabel* maxXCaption = nullptr;
    QLabel* maxXLabel = nullptr;
    QLabel* maxYCaption = nullptr;
    QLabel* maxYLabel = nullptr;
    QLabel* limitXCaption = nullptr;
    QLabel* limitXLabel = nullptr;
    QLabel* limitYCaption = nullptr;
    QLabel* limitYLabel = nullptr;
    QLabel* portCaption = nullptr;
    QLabel* portLabel = nullptr;
    PreviewWidget* previewCanvas = nullptr;
    QLineEdit* fileNameBox = nullptr;
    QGroupBox* drawControlFrame = nullptr;
    QPushButton* drawButton = nullptr;
    QPushButton* testAndShowButton = nullptr;
    QPushButton* clearButton = nullptr;
    QScrollBar* zoomScrollBar = nullptr;
    QLineEdit* zoomBox = nullptr;
    QLabel* zoomCaption = nullptr;
    QGroupBox* originFrame = nullptr;
    QLabel* originRowXCaption = nullptr;
    ClickableLabel* originYLabel = nullptr;
    QLabel* originRowYCaption = nullptr;
    ClickableLabel* originXLabel = nullptr;
    QCheckBox* showPenUpCheck = nullptr;
    QGroupBox* velocityFrame = nullptr;
    QLineEdit* statusBox = nullptr;
    QLabel* stepTimeCaption = nullptr;
    QPushButton* presenceCheckButton = nullptr;
    QPushButton* speedButton = nullptr;
    QGroupBox* motorFrame = nullptr;
    MotorLamp* motorLamp = nullptr;
    QLabel* motorLetter = nullptr;
    // The two lines that cross out the motor symbol while the motors are off: bottom-left
    // to top-right, and top-left to bottom-right.
    CrossLine* motorSlashLine = nullptr;
    CrossLine* motorBackslashLine = nullptr;
    QLabel* motorStatusLabel = nullptr;
    QFrame* menuRule = nullptr;
    QTimer* statusTimer = nullptr;
    QTimer* speedTimer = nullptr;
    QMenu* fileMenu = nullptr;
    QAction* openAction = nullptr;
    QAction* openPrivateAction = nullptr;
    QAction* exitAction = nullptr;
    QMenu* optionsMenu = nullptr;
    QAction* settingsAction = nullptr;
    QAction* shorterTravelAction = nullptr; // "Shorter pen-up travel", checkable
    QMenu* helpMenu = nullptr;
    QAction* aboutAction = nullptr;
    // Status bar, under the client area.
    QuickLabel* progressLabel = nullptr;       // draw progress, or the estimate after a check
    QPushButton* stopButton = nullptr;         // "Stop", shown only during a draw
    QPushButton* pauseButton = nullptr;        // "Pause", during a draw that is not paused
    QPushButton* continueButton = nullptr;     // "Continue", while a draw is paused
    QPushButton* resumeButton = nullptr;       // "Resume from point N", after a draw ended early
    QShortcut* pauseShortcut = nullptr;        // Space: Pause or Continue during a draw
    QAction* pauseAtPenChangeAction = nullptr; // Options > "Pause at pen change"
    QLabel* inputLabel = nullptr;              // after a check: an SVG's conversion notes, the travel saved
};

} // namespace orlex::ui
