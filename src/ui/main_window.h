// The main window with its controls, menus, start-up and every handler.
// Handlers are thin: they call the drive, preview and interpreter of the core.
#pragma once

#include "drive/drive.h"
#include "drive/ports/open_port.h"
#include "hpgl/classic_reader.h"
#include "hpgl/plot_extents.h"
#include "preview/preview.h"
#include "run/background_preparation.h"
#include "run/draw_journal.h"
#include "run/draw_monitor.h"
#include "run/draw_policy.h"
#include "run/plot_draw.h"
#include "run/plot_test.h"
#include "run/prepared_plot.h"
#include "settings/machine_settings.h"
#include "settings/settings_file.h"
#include "ui/main_window_controls.h"
#include "ui/operator_feedback.h"
#include "ui/preview_widget.h"
#include "ui/run_controller.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class QSettings;
class QTimer;

namespace orlex::ui {

// How the window's messages say where the port address comes from.
inline constexpr const char* kWindowAddressAdvice = "Set the port address in Options > Settings to the plotter's port.";

// The program's exit status when the port trace could not be written whole (as the
// command-line tool's 7).
inline constexpr int kExitTraceFailed = 7;

struct MainWindowOptions {
    std::filesystem::path settingsFile = kSettingsFileName;
    // Opens the port backend once the settings are loaded (base address, step lengths).
    std::function<OpenedPort(const MachineSettings& settings)> openPort;
    OperatorFeedback* feedback = nullptr; // nullptr: QtOperatorFeedback
    // Ends the process at once (default: flush stdio and _Exit). Tests record the call.
    std::function<void(int status)> exitProcess;
    // Stops the process until it is continued, as Ctrl-Z asks (default: SIGSTOP).
    std::function<void()> stopProcess;
    // The file-open dialog: returns the chosen path, or an empty text when cancelled.
    std::function<QString(QWidget* parent, const QString& title, const QString& filter)> openFileDialog;
    // Where the operator's choices of the Options menu are remembered (an INI file); empty:
    // the user's own settings store. Tests give a file of theirs.
    QString preferencesFile;
    // Where draws keep their journals; empty: $XDG_STATE_HOME/orlex. Tests give a folder of theirs.
    std::filesystem::path journalFolder;
    bool keepJournal = true; // false: draws keep no journal (a benchmark's comparison)
};

class MainWindow : public QMainWindow, private MainWindowControls {
    Q_OBJECT
public:
    explicit MainWindow(MainWindowOptions options, QWidget* parent = nullptr);
    ~MainWindow() override;

    // State owned by the window (plain data, read by tests).
    MachineSettings& settings() { return settings_; }
    // The path of the chosen plot file (File > Open, a drop, the command line); empty
    // before the first choice.
    const std::string& plotFile() const { return plotFile_; }
    RunController& controller() { return *controller_; }
    RunState runState() const { return controller_->state(); }
    Drive& drive() { return controller_->drive(); }
    Preview& preview() { return *preview_; }
    Port& port() { return controller_->port().port(); }
    VirtualPlotter* virtualPlotter() { return controller_->virtualPlotter(); }
    PlotExtents plotExtents;                         // minXmm.. of the last test run
    std::optional<PlotTest> lastCheck;               // the last test run that read the file
    std::optional<double> stepPeriodSeconds() const; // last Speed, or the virtual clock
    bool drawRunning() const { return runState() == RunState::Drawing || runState() == RunState::Paused; }
    const LoadReport& settingsReport() const { return settingsReport_; }

    // File > Open with a known path (command-line argument, dropped file).
    void openPlotFile(const QString& path);
    // The virtual plotter's view, which View > "Virtual plotter" shows again once closed.
    // Only where there is a virtual plotter; the view outlives the window's use of it.
    void setVirtualPlotterView(QWidget* view);

    // Every way the program ends comes here: pen up, then every coil off, the trace
    // flushed and closed, then the process ends with `status`. Once only.
    void quitSafely(int status);
    // Ctrl-Z at the terminal: a draw pauses first (the pen off the paper) and waits for
    // Continue after fg; a homing or Speed is stopped. Then the program stops itself.
    void stopForTerminal();

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
    void onPortCheck();

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
    void fitPortAddress(); // the address label beside its caption, as wide as the row allows
    void buildMenus();
    void buildStatusBar();
    QWidget* buildRunButtons(QWidget* parent);
    void connectHandlers();
    void connectJogKeys();
    static constexpr int kJogRepeatDelayMs = 400;   // a held jog button starts repeating after this
    static constexpr int kJogRepeatIntervalMs = 25; // then steps 40 times a second
    void startUp();                                 // load settings, drive state, pen up, then the start-up display
    void startUpDisplay();                          // labels, check, Draw, half-axes
    // The settings labels: each line's text and its unit ("mm" at start-up, where the
    // text ends with a blank; " mm" after a Save), and the address as "378H".
    void showSettingsLabels(const QString& limitUnit);
    void jog(char axis, int direction); // one step of one motor
    void hintWithoutPlotter();          // the status bar's word when no plotter answers
    void runPresenceCheck();            // presence test with its display (statusBox, Speed, connected)
    void applyRunState(RunState state); // which controls the operator may use now
    void showNotConnected();
    // Runs `action`, which talks to the port; a failed port call ends it there and is
    // handled by portFailed. False when it failed.
    bool withPort(const std::function<void()>& action);
    // A port call failed: pen up and coils off as far as the port lets, the message, and
    // the plotter marked disconnected until a presence check passes again.
    void portFailed(const std::string& message); // portFaultMessage's text
    void endProcess(int status);
    bool mayQuit();           // asks before a running draw is stopped for good
    void followPortAddress(); // reopen the port when the address setting changed
    void showPen(Pen pen);    // the pen button's colour
    // The end of a job on the motion thread, on the window's thread.
    void onDrawEnded(const DrawOutcome& outcome);
    void onMotionEnded(const MotionEnd& end);
    void showSpeed(std::optional<long> stepWaits); // "Speed"'s result
    void onLiveViewTick();                         // during a draw: new preview ink, the progress text
    void drainInk();                               // the draw's new preview ink into the preview
    void startPreviewPen();                        // the preview pen at the plot's origin
    void showWholePlot(const PlotTest& test);      // View > "Whole plot in the preview"
    void buildViewMenu();                          // View: the options of the preview and the views
    void showCarriagePosition();                   // the status bar's readout, when the position is known
    void redrawTestedPlot();                       // the last tested plot in the preview again
    void forgetTestResults();                      // a test that measured nothing: the last file's results go

    MainWindowOptions options_;
    QtOperatorFeedback defaultFeedback_;
    OperatorFeedback* feedback_ = nullptr;

    MachineSettings settings_;
    std::string plotFile_;
    LoadReport settingsReport_;
    std::unique_ptr<RunController> controller_;
    std::unique_ptr<Preview> preview_;
    Pen manualPen_ = Pen::Up;  // the pen button's state
    bool lampLit_ = false;     // the motor lamp's blink
    std::vector<InkItem> ink_; // drained from the draw, drawn into the preview
    QElapsedTimer sinceProgressText_;

    // What Draw and Resume are allowed (run/draw_policy.h), from the last test and draw.
    DrawPolicy policy_;
    DrawableCheck currentCheckKey() const;
    void forgetCheck();                 // Draw off until the next successful test
    void runDraw(const DrawPlan& plan); // Draw and Resume
    void showDrawEnd(const DrawOutcome& outcome, const DrawMonitor& monitor);
    void updateDrawButton();  // Draw on when a test still holds and nothing runs
    void enableDraw(bool on); // the button and its menu item
    void settingsMayHaveChangedTheScale();

    void resumePositionLost(const QString& why); // a jog, a homing, the motors off, a scale change
    void updateResumeButton();
    void loadPreferences(); // the Options menu's remembered choices

    std::unique_ptr<QSettings> preferences_;

    // The draw journal (main_window_journal.cpp): kept by every draw, polled by the live-view
    // timer on this thread, and offered at start when a draw did not end.
    QWidget* buildJournalBar(QWidget* parent);
    std::string journalPort() const;               // "virtual", "ppdev-0x378"
    std::filesystem::path journalFilePath() const; // this port's journal
    void offerKeptJournal();                       // at start: a journal present is offered
    void hideJournalOffer();
    void onJournalResumeClicked();
    void onJournalDiscardClicked();
    void continueJournalResume(); // once "Test and Show" of the journal's file has run
    bool drawsFromHome(const DrawPlan& plan) const;
    Result<DrawJournal> journalForWindowDraw(const DrawPlan& plan, bool fromHome) const;
    void startJournal(const DrawPlan& plan, bool fromHome); // a draw has started
    void pollDrawJournal();                                 // from the live-view timer
    void endDrawJournal(const DrawReport& report);
    std::optional<JournalKeeper> drawJournal_; // the running or last draw's
    std::optional<DrawJournal> keptJournal_;   // the one offered at start
    bool journalResumeDue_ = false;            // the offer's Resume waits for its test
    bool lastDrawFromHome_ = false;            // the last draw began with "Pen to 0"

    // The chosen file as the runs read it (main_window_inputs.cpp): as it is, an SVG
    // converted, or its strokes in a shorter pen-up order.
    void buildInputOptions(); // Options > "Shorter pen-up travel", "Full HP-GL", "Text in a single-stroke font"
    // Before a test: a file that takes work is prepared on a thread of its own while the
    // status bar shows how far it got and Stop cancels it; the test then goes on in
    // finishTestAndShow. False when the preparation has not finished here.
    bool prepareRunFile();
    bool acceptPrepared(Result<PreparedPlot> prepared); // false when it failed (a message said why)
    void pollPreparation();
    // A check made on the preparation's thread, with the preview it drew.
    struct BackgroundCheck {
        PreviewImage canvas;
        MachineSettings settings;
        CheckSetup setup;
        std::int16_t penUpColour;
        std::optional<PlotTest> test; // set on the preparation's thread, read after its result
        std::int32_t lastX = 0, lastY = 0;
    };
    std::shared_ptr<BackgroundCheck> backgroundCheck_;
    void finishTestAndShow(const std::shared_ptr<BackgroundCheck>& checked = nullptr);
    std::optional<std::string> positionRefusal(const DrawPlan& plan) const; // a plain Draw's fit from where it starts
    void onShorterTravelToggled(bool on);
    void onFullHpglToggled(bool on);
    void buildLineWorkOptions();   // Options > "Line work"
    unsigned lineWorkBits() const; // which of them are ticked
    void applyLineWork(PlotPreparation& preparation) const;
    void onStrokeTextToggled(bool on);
    PlotReading plotReading() const; // the reading every run of the chosen file uses
    // The check's setup at the window's zoom, step type and reading, keeping the plot it
    // reads; the classic reading's census is taken in the check's own pass over the file,
    // unless the preparation reorders the plot (then it counts the file itself).
    CheckSetup checkSetup();
    void showInputNotes(const QString& notes);
    void addInputNotes(const std::vector<std::string>& notes);
    std::optional<PreparedPlot> preparedPlot_;
    QTimer* preparationTimer_ = nullptr;
    BackgroundPreparation preparation_; // after what its result goes to
    // File > "Recent files": remembered with the Options menu's choices.
    static constexpr int kMaxRecentFiles = 8;
    QStringList recentFiles() const;
    void rememberRecentFile(const QString& path);
    void showRecentFiles();

    bool ending_ = false;            // quitSafely has run
    bool askingToQuit_ = false;      // the question whether to stop a drawing and quit is open
    bool portFaultShown_ = false;    // a port fault was reported and no check has passed since
    std::optional<int> lastSpeedMs_; // last "Speed" result, ms per step
};

} // namespace orlex::ui
