// frmMain: the main window with its controls, menus, start-up and every handler.
// Handlers are thin: they call the drive, preview and interpreter of the core.
#pragma once

#include "drive/drive.h"
#include "drive/ports/open_port.h"
#include "hpgl/drawfile.h"
#include "hpgl/plot_extents.h"
#include "preview/preview.h"
#include "run/file_stamp.h"
#include "settings/settings_file.h"
#include "settings/machine_settings.h"
#include "ui/operator_feedback.h"

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
class QTimer;

namespace orlex::ui {

class ClickableLabel;
class MotorLamp;
class CrossLine;
class PreviewWidget;

struct MainWindowOptions {
    std::filesystem::path settingsFile = kSettingsFileName;
    // Opens the port backend once the settings are loaded (base address, step lengths).
    std::function<OpenedPort(const MachineSettings& settings)> openPort;
    OperatorFeedback* feedback = nullptr; // nullptr: QtOperatorFeedback
    // Ends the process at once (default: flush stdio and _Exit). Tests record the call.
    std::function<void(int status)> exitProcess;
    // The file-open dialog: returns the chosen path, or an empty text when cancelled.
    std::function<QString(QWidget* parent, const QString& title, const QString& filter)> openFileDialog;
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
    PlotExtents plotExtents;                 // PlotMinX.. of the last test run
    std::optional<RunResult> lastTest;        // counts of the last test run (estimate)
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
    void cmdSteppYUp_Click();
    void cmdSteppYDo_Click();
    void cmdSteppXR_Click();
    void cmdSteppXL_Click();
    void cmdMotor_Click();
    void cmdPen_Click();
    void cmdCheck_Click();
    void Timer1_Timer();
    // Step timing.
    void cmdSpeed_Click();
    void Timer2_Timer();
    // Homing.
    void cmdHome_Click();
    void cmdZero_Click();
    // Runs.
    void cmdTest_Click();
    void cmdDraw_Click();
    void cmdStop_Click();
    // Preview and zoom.
    void Check1_Click();
    void scrZoom_Change();
    void txtZoom_Change();
    void lblOffsetx_Click();
    void lblOffsety_Click();
    void cmdCls_Click();
    // Menus.
    void mnuOpen_Click();
    void mnuExit_Click();
    void mnuSetings_Click();
    void mnuAbout_Click();

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
    void buildMenus();
    void buildStatusBar();
    void connectHandlers();
    void startUp();        // load settings, drive state, pen up, then the start-up display
    void startUpDisplay(); // labels, check, Draw, half-axes
    // The settings labels: each line's text and its unit ("mm" at start-up, where the
    // text ends with a blank; " mm" after a Save), and the address as "378H".
    void showSettingsLabels(const QString& limitUnit);
    void check();          // presence test with its display (txtStare, Speed, Connected)
    void setMotionControlsEnabled(bool enabled); // jogs, Pen home, Pen to 0, Test, Draw
    template <class Motion>
    auto runMotion(Motion motion); // a homing motion with the controls held off
    void setRunActive(bool active); // Stop shown, dialogs and File > Open held off
    void showNotConnected();
    void endProcess(int status);
    void followPortAddress(); // reopen the port when the address setting changed
    void processEvents();  // hook of delayh

    MainWindowOptions options_;
    QtOperatorFeedback defaultFeedback_;
    OperatorFeedback* feedback_ = nullptr;

    MachineSettings settings_;
    std::string plotFile_;
    LoadReport settingsReport_;
    OpenedPort port_;
    std::unique_ptr<Drive> drive_;
    std::unique_ptr<Preview> preview_;

    // What a successful test checked; Draw is enabled only while all of it still holds.
    struct DrawableTest {
        std::string path;
        std::int16_t zoom = 100;
        bool halfStep = true;
        double stepLengthX = 0, stepLengthY = 0, limitX = 0, limitY = 0; // Lstepx, Lstepy, Maxx, Maxy
        std::optional<FileStamp> stamp; // the file as it was tested
    };
    DrawableTest currentTestKey() const;
    void forgetTest();        // Draw off until the next successful test
    void updateDrawButton();  // Draw on when a test still holds and nothing runs
    void settingsMayHaveChangedTheScale();

    bool drawRunning_ = false;
    bool motionRunning_ = false;       // Pen home / Pen to 0 in progress
    bool speedRunning_ = false;        // "Speed" is measuring
    bool ending_ = false;              // quitSafely has run
    std::optional<DrawableTest> drawableTest_;
    std::optional<int> lastSpeedMs_;   // last "Speed" result, ms per step
    QElapsedTimer drawClock_;

public:
    // Controls, named as their objectName (tests find them with findChild as well).
    QGroupBox* Frame1 = nullptr;
    QPushButton* cmdSteppYUp = nullptr;
    QPushButton* cmdSteppXL = nullptr;
    QPushButton* cmdPen = nullptr;
    QPushButton* cmdSteppXR = nullptr;
    QPushButton* cmdSteppYDo = nullptr;
    QPushButton* cmdHome = nullptr;
    QPushButton* cmdZero = nullptr;
    QPushButton* cmdMotor = nullptr;
    QGroupBox* fraStep = nullptr;
    QRadioButton* optFul = nullptr;
    QRadioButton* optHalf = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QGroupBox* Frame5 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* lblMaxx = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* lblMaxy = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* lblLpt = nullptr;
    PreviewWidget* picBox = nullptr;
    QLineEdit* txtFile = nullptr;
    QGroupBox* Frame4 = nullptr;
    QPushButton* cmdDraw = nullptr;
    QPushButton* cmdTest = nullptr;
    QPushButton* cmdCls = nullptr;
    QScrollBar* scrZoom = nullptr;
    QLineEdit* txtZoom = nullptr;
    QLabel* Label9 = nullptr;
    QGroupBox* Frame8 = nullptr;
    QLabel* Label18 = nullptr;
    ClickableLabel* lblOffsety = nullptr;
    QLabel* Label17 = nullptr;
    ClickableLabel* lblOffsetx = nullptr;
    QCheckBox* Check1 = nullptr;
    QGroupBox* Frame6 = nullptr;
    QLineEdit* txtStare = nullptr;
    QLabel* Label14 = nullptr;
    QPushButton* cmdCheck = nullptr;
    QPushButton* cmdSpeed = nullptr;
    QGroupBox* fraMotor = nullptr;
    MotorLamp* Shape9 = nullptr;
    QLabel* Label12 = nullptr;
    CrossLine* Line1 = nullptr;
    CrossLine* Line2 = nullptr;
    QLabel* Label10 = nullptr;
    QFrame* Line3 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QMenu* mnuFile = nullptr;
    QAction* mnuOpen = nullptr;
    QAction* mnuOpen_privat = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuOption = nullptr;
    QAction* mnuSetings = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuAbout = nullptr;
    // Status bar, under the client area.
    QLabel* lblProgress = nullptr;  // draw progress, or the estimate after a test
    QPushButton* cmdStop = nullptr; // "Stop", shown only during a draw
};

} // namespace orlex::ui
