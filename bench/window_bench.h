// What the window benchmarks share: an operator that counts beeps, prints messages and
// answers every question yes, and a window on the virtual plotter in virtual time.
#pragma once

#include "drive/ports/open_port.h"
#include "ui/main_window.h"
#include "ui/operator_feedback.h"

#include <QTemporaryDir>

#include <cstdio>

namespace orlex::bench {

class SilentFeedback : public ui::OperatorFeedback {
public:
    void beep() override { ++beeps; }
    void message(QWidget*, Icon, const QString& title, const QString& text) override
    {
        std::fprintf(stderr, "message: %s: %s\n", qPrintable(title), qPrintable(text));
    }
    bool confirm(QWidget*, const QString&, const QString&, const QString&, const QString&) override { return true; }
    int beeps = 0;
};

// A window whose settings and options live in `dir`, on the virtual plotter in virtual
// time (its presence check is instant).
inline ui::MainWindowOptions virtualTimeWindow(const QTemporaryDir& dir, SilentFeedback& feedback)
{
    ui::MainWindowOptions options;
    options.settingsFile = (dir.path() + "/seting.txt").toStdString();
    options.preferencesFile = dir.path() + "/preferences.ini";
    options.feedback = &feedback;
    options.exitProcess = [](int) {};
    options.openPort = [](const MachineSettings&) {
        PortRequest request;
        request.kind = PortKind::Virtual;
        return openPort(request);
    };
    return options;
}

// The window's control named `name` (each control's object name is its member's name).
template <class Control>
Control& control(const QObject& window, const char* name)
{
    auto* found = window.findChild<Control*>(QLatin1StringView(name));
    if (!found)
        qFatal("The window has no control named %s", name);
    return *found;
}

} // namespace orlex::bench
