// Shared helpers of the window tests (see window_rig.h).
#include "window_rig.h"

#include "drive/ports/tracing_port.h"
#include "settings/conversions.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>

#include <fstream>
#include <iterator>
#include <sstream>

namespace orlex::test {

ScopedWorkDir::ScopedWorkDir() : previous_(QDir::currentPath())
{
    if (dir_.isValid())
        QDir::setCurrent(dir_.path());
}

ScopedWorkDir::~ScopedWorkDir()
{
    QDir::setCurrent(previous_);
}

std::filesystem::path ScopedWorkDir::path() const
{
    return std::filesystem::path(dir_.path().toStdString());
}

WindowRig::WindowRig() = default;

WindowRig::~WindowRig()
{
    gate->release(); // a parked job ends with the window
    window_.reset();
}

void WindowRig::writeSettingsFile(const std::string& bytes) const
{
    std::ofstream out(settingsFile(), std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string WindowRig::readSettingsFile() const
{
    std::ifstream in(settingsFile(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WindowRig::writeSettings(int lstepx, int lstepy, int maxx, int maxy, int speedx, int speedy, int offsetx,
                              int offsety, const std::string& address) const
{
    std::ostringstream text;
    for (int value : {lstepx, lstepy, maxx, maxy, speedx, speedy, offsetx, offsety})
        text << (value < 0 ? "" : " ") << value << " \r\n";
    text << address << "\r\n";
    writeSettingsFile(text.str());
}

QString WindowRig::writeFile(const std::string& name, const std::string& contents) const
{
    const auto path = dir.file(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
    return QString::fromStdString(path.string());
}

ui::MainWindowOptions WindowRig::options()
{
    ui::MainWindowOptions options;
    options.settingsFile = settingsFile();
    options.preferencesFile = QString::fromStdString(preferencesFile().string());
    options.journalFolder = journalFolder();
    options.feedback = &feedback;
    options.exitProcess = [this](int status) { exitStatuses.push_back(status); };
    options.stopProcess = [this] { penDownWhenStopped.push_back(window_->virtualPlotter()->penDown()); };
    options.openFileDialog = [this](QWidget*, const QString& title, const QString& filter) {
        ++dialogCalls;
        dialogTitle = title;
        dialogFilter = filter;
        return dialogResult;
    };
    options.openPort = [this](const MachineSettings& settings) {
        PortRequest request;
        request.kind = PortKind::Virtual;
        request = withMachineSettings(request, settings);
        VirtualPlotterConfig& sim = request.simulation;
        sim.realTime = false;
        sim.clockHz = clockHz;
        sim.clockRunning = clockRunning;
        sim.startXmm = startXmm;
        sim.startYmm = startYmm;
        sim.floatingBits = 0; // unused status inputs read 0: exact status values
        if (configurePlotter)
            configurePlotter(sim);
        portRequests.push_back(request);

        auto plotter = std::make_unique<VirtualPlotter>(sim);
        VirtualPlotter* simulated = plotter_ = plotter.get();
        OpenedPort opened;
        opened.virtualPlotter = likeARealMachine ? nullptr : simulated;
        opened.backend = std::make_unique<RecordingPort>(std::move(plotter), writes, gate);
        if (!traceFile.empty()) {
            auto tracing =
                TracingPort::open(*opened.backend, traceFile, [simulated] { return simulated->nowMicros(); });
            if (tracing)
                opened.tracing = std::move(*tracing);
        }
        return opened;
    };
    return options;
}

ui::MainWindow& WindowRig::openWindow()
{
    window_.reset();
    window_ = std::make_unique<ui::MainWindow>(options());
    return *window_;
}

bool WindowRig::waitUntilParked(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!gate->parked()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

bool WindowRig::waitUntilIdle(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const ui::RunState state = window_->runState();
        if (state == ui::RunState::Idle || state == ui::RunState::Ending)
            return true;
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

std::vector<std::uint8_t> WindowRig::writesTo(Register reg) const
{
    std::vector<std::uint8_t> values;
    for (const PortWrite& w : *writes)
        if (w.reg == reg)
            values.push_back(w.value);
    return values;
}

void onNextModal(std::function<void(QWidget* dialog)> action, int timeoutMs)
{
    auto* timer = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, clock, action, timeoutMs] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        } else if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

} // namespace orlex::test
