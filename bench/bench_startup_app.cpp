// The window's start-up as the program does it (same command line, port, window and
// virtual plotter view), timed from process start to the main window's first paint.
// Started by bench_startup, which passes its clock reading in ORLEX_BENCH_T0_NS.
#include "app/command_line.h"
#include "ui/icons.h"
#include "ui/main_window.h"
#include "ui/virtual_plotter_view.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

long long monotonicNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// Prints the time since the launcher's fork once the watched window has painted.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(long long t0) : t0_(t0) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // Runs once the paint has been delivered.
            QTimer::singleShot(0, [this] {
                std::printf("%.3f\n", static_cast<double>(monotonicNs() - t0_) / 1e6);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    long long t0_;
    bool seen_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    const char* t0Text = std::getenv("ORLEX_BENCH_T0_NS");
    const long long t0 = t0Text ? std::atoll(t0Text) : monotonicNs();

    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const auto parsed = orlex::app::parseCommandLine(arguments);
    if (!parsed) {
        std::fprintf(stderr, "%s\n", parsed.message().c_str());
        return 2;
    }
    const orlex::app::CommandLine commandLine = *parsed;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orlex-plotter"));
    QApplication::setWindowIcon(orlex::ui::programIcon());

    orlex::ui::MainWindowOptions options;
    options.openPort = [commandLine](const orlex::MachineSettings& settings) {
        return orlex::openPort(orlex::app::portRequest(commandLine, settings));
    };
    orlex::ui::MainWindow window(std::move(options));
    FirstPaint firstPaint(t0);
    window.installEventFilter(&firstPaint);
    window.show();

    std::unique_ptr<orlex::ui::VirtualPlotterView> view;
    if (orlex::VirtualPlotter* plotter = window.virtualPlotter()) {
        view = std::make_unique<orlex::ui::VirtualPlotterView>(window.settings(), plotter->paper());
        plotter->setFeed(&view->feed());
        view->move(window.frameGeometry().topRight() + QPoint(8, 0));
        view->show();
    }
    return app.exec();
}
