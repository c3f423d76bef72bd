// Shared helpers of the window tests: recorded feedback, a temporary working folder,
// a recording port over a virtual plotter in virtual time, and a window built on them.
#pragma once

#include <condition_variable>
#include <mutex>

#include "drive/port.h"
#include "drive/ports/virtual_plotter.h"
#include "ui/main_window.h"
#include "ui/operator_feedback.h"
#include "window_controls.h"
#include "write_gate.h"

#include <QDialog>
#include <QPaintEvent>
#include <QRegion>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orlex::test {

// Counts beeps and records message boxes instead of showing them; never blocks.
class RecordingFeedback : public ui::OperatorFeedback {
public:
    struct Message {
        Icon icon;
        QString title;
        QString text;
    };
    void beep() override { ++beeps; }
    void message(QWidget*, Icon icon, const QString& title, const QString& text) override
    {
        messages.push_back({icon, title, text});
    }
    bool confirm(QWidget*, const QString&, const QString& text, const QString&, const QString&) override
    {
        questions.push_back(text);
        if (whileAsked)
            whileAsked(); // as the events that run while a real question is open
        return confirmAnswer;
    }
    void updateQuestion(const QString& text, const QString& yes) override
    {
        questionUpdates.push_back(text + QStringLiteral(" / ") + yes);
    }
    int beeps = 0;
    std::vector<Message> messages;
    std::vector<QString> questions;       // asked with confirm()
    bool confirmAnswer = true;            // what the operator answers
    std::function<void()> whileAsked;     // runs inside confirm()
    std::vector<QString> questionUpdates; // "text / first button" of each updateQuestion()
};

// A fresh temporary folder that is the working directory while this object lives.
class ScopedWorkDir {
public:
    ScopedWorkDir();
    ~ScopedWorkDir();
    ScopedWorkDir(const ScopedWorkDir&) = delete;
    ScopedWorkDir& operator=(const ScopedWorkDir&) = delete;
    bool isValid() const { return dir_.isValid(); }
    std::filesystem::path path() const;
    std::filesystem::path file(const std::string& name) const { return path() / name; }

private:
    QTemporaryDir dir_;
    QString previous_;
};

// One write that reached the port.
struct PortWrite {
    Register reg;
    std::uint8_t value;
    bool operator==(const PortWrite&) const = default;
};

// Passes everything to an inner port, records every write in a shared log and tells the
// gate, which can park the thread that makes a chosen write inside it.
class RecordingPort : public Port {
public:
    RecordingPort(std::unique_ptr<Port> inner, std::shared_ptr<std::vector<PortWrite>> log,
                  std::shared_ptr<WriteGate> gate)
        : inner_(std::move(inner)), log_(std::move(log)), gate_(std::move(gate))
    {}
    void write(Register reg, std::uint8_t value) override
    {
        log_->push_back({reg, value});
        inner_->write(reg, value);
        gate_->passed(reg, value);
    }
    std::uint8_t read(Register reg) override { return inner_->read(reg); }
    Port& inner() { return *inner_; }

private:
    std::unique_ptr<Port> inner_;
    std::shared_ptr<std::vector<PortWrite>> log_;
    std::shared_ptr<WriteGate> gate_;
};

// Everything a window test needs around a MainWindow: a temporary working folder with
// the settings file, a virtual plotter in virtual time behind a recording port,
// recorded feedback, a recorded exit and a scripted file-open dialog.
// Destroy order: the window first (it is the last member).
class WindowRig {
public:
    WindowRig();
    WindowRig(const WindowRig&) = delete;
    WindowRig& operator=(const WindowRig&) = delete;
    ~WindowRig();

    // Plotter set-up, used by the next openWindow().
    double startXmm = 30, startYmm = 30; // carriage start, mm from home
    bool clockRunning = true;            // false: no plotter answers
    double clockHz = 2000;
    // Adjusts the virtual plotter's configuration further before it is built.
    std::function<void(VirtualPlotterConfig&)> configurePlotter;
    // The window is not told that a virtual plotter is behind the port, so it treats it as
    // a real machine (whose carriage's place is known only after a homing).
    bool likeARealMachine = false;
    // When set, the port is traced to this file as --trace does.
    std::filesystem::path traceFile;

    // Scripted file-open dialog: the path it returns ("" = cancelled) and what it was asked.
    QString dialogResult;
    int dialogCalls = 0;
    QString dialogTitle, dialogFilter;

    ScopedWorkDir dir;
    RecordingFeedback feedback;
    std::shared_ptr<std::vector<PortWrite>> writes = std::make_shared<std::vector<PortWrite>>();
    std::shared_ptr<WriteGate> gate = std::make_shared<WriteGate>();
    std::vector<int> exitStatuses;         // each call of exitProcess
    std::vector<bool> penDownWhenStopped;  // each call of stopProcess (Ctrl-Z): was the pen down?
    std::vector<PortRequest> portRequests; // what the window asked to open (base address...)

    std::filesystem::path settingsFile() const { return dir.file("seting.txt"); }
    // The window's QSettings, so that no test reads or writes the user's.
    std::filesystem::path preferencesFile() const { return dir.file("preferences.ini"); }
    // The draws' journals, so that no test reads or writes another's.
    std::filesystem::path journalFolder() const { return dir.file("state"); }
    // Writes the settings file with these bytes exactly (use "\r\n" line ends).
    void writeSettingsFile(const std::string& bytes) const;
    std::string readSettingsFile() const; // empty when absent
    // Writes a nine-line settings file from values and an address literal ("&H278").
    void writeSettings(int lstepx, int lstepy, int maxx, int maxy, int speedx, int speedy, int offsetx, int offsety,
                       const std::string& address) const;
    // A file inside the temporary folder with these contents; returns its absolute path.
    QString writeFile(const std::string& name, const std::string& contents) const;

    ui::MainWindowOptions options();
    ui::MainWindow& openWindow(); // builds the window (start-up runs), not shown
    ui::MainWindow& window() { return *window_; }
    // Lets events run until no job of the window's runs on the motion thread any more (or
    // the program is ending); false when that did not happen within `timeoutMs`.
    bool waitUntilIdle(int timeoutMs = 10000);
    // The motion thread stops inside its `write`th port write (all writes since start-up
    // counted) until releaseMotion(); waitUntilParked() lets events run until it is there.
    void parkMotionAt(std::uint64_t write) { gate->parkAt(write); }
    bool waitUntilParked(int timeoutMs = 10000);
    void releaseMotion() { gate->release(); }
    void closeWindow()
    {
        gate->release();
        window_.reset();
    }
    VirtualPlotter& plotter() { return *plotter_; }

    // Writes to one register since the window was built.
    std::vector<std::uint8_t> writesTo(Register reg) const;

private:
    VirtualPlotter* plotter_ = nullptr; // behind the last window's port
    std::unique_ptr<ui::MainWindow> window_;
};

// Runs `action` on the next modal dialog once it is shown (polls from the event loop,
// gives up after `timeoutMs`). Call it right before the code that opens the dialog.
void onNextModal(std::function<void(QWidget* dialog)> action, int timeoutMs = 5000);

// Collects the region of every paint event a widget receives (as an event filter).
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QRegion& painted) : painted_(painted) {}
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted_ += static_cast<QPaintEvent*>(event)->region();
        return false;
    }

private:
    QRegion& painted_;
};

} // namespace orlex::test
