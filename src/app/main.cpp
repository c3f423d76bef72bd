// Entry point of the window: reads the command line, opens the chosen port backend and
// shows the main window (and the virtual plotter beside it when simulating).
#include "app/command_line.h"
#include "app/termination_signals.h"
#include "common/termination_signals.h"
#include "ui/icons.h"
#include "ui/main_window.h"
#include "ui/virtual_plotter_view.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QScreen>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    // Parsed before Qt starts, so --help and mistakes need no display.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const auto parsed = orlex::app::parseCommandLine(arguments);
    if (!parsed) {
        std::cerr << "orlex-plotter: " << parsed.message() << "\n\n" << orlex::app::usageText();
        return 2;
    }
    const orlex::app::CommandLine commandLine = *parsed;
    if (commandLine.help) {
        std::cout << orlex::app::usageText();
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orlex-plotter"));
    QApplication::setOrganizationName(QStringLiteral("orlex")); // Options menu choices: ~/.config/orlex/
    QApplication::setWindowIcon(orlex::ui::programIcon());

    orlex::ui::MainWindowOptions options;
    options.openPort = [commandLine](const orlex::MachineSettings& settings) {
        return orlex::openPort(orlex::app::portRequest(commandLine, settings));
    };
    orlex::ui::MainWindow window(std::move(options));
    if (!commandLine.plotFile.empty()) {
        const QString path = QFile::decodeName(QByteArray::fromStdString(commandLine.plotFile));
        window.openPlotFile(QFileInfo(path).absoluteFilePath());
    }
    window.show();

    // A signal that would end the program ends it as File > Exit does: pen up, coils off,
    // trace written out, whatever runs at the moment. Ctrl-Z pauses a draw (pen up) before
    // the program stops; after fg the draw waits for Continue.
    orlex::app::TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &orlex::app::TerminationSignals::received, &window, [&window](int signal) {
        if (signal == orlex::kTerminalStopSignal)
            window.stopForTerminal();
        else
            window.quitSafely(128 + signal);
    });

    // The view reads the plotter only through its feed, which must outlive the publishing.
    std::unique_ptr<orlex::ui::VirtualPlotterView> view;
    orlex::VirtualPlotter* plotter = window.virtualPlotter();
    if (plotter) {
        view = std::make_unique<orlex::ui::VirtualPlotterView>(window.settings(), plotter->paper());
        plotter->setFeed(&view->feed());
        // Beside the window where the screen has room, else as large as it allows.
        const QRect available = window.screen()->availableGeometry();
        view->setGeometry(
            orlex::ui::viewPlaceBeside(window.frameGeometry(), available, view->size(), view->minimumSize()));
        view->show();
        window.setVirtualPlotterView(view.get()); // View > "Virtual plotter" shows it again
    }
    const int status = app.exec();
    if (plotter)
        plotter->setFeed(nullptr);
    return status;
}
