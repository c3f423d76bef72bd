// The signals that would end the program (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, ...)
// and Ctrl-Z (SIGTSTP), turned into a Qt signal delivered on the event loop.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace orlex::app {

// The handler itself only writes the signal's number into a pipe. The handlers stay for
// the whole run: a second signal while the program is ending must not cut its safe end
// short, so the window acts on the first and ignores the rest.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received(int signal);

private:
    void readPipe();
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace orlex::app
