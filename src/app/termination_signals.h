// SIGINT, SIGTERM and SIGHUP turned into a Qt signal delivered on the event loop.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace orlex::app {

// The handler itself only writes the signal's number into a pipe and puts the default
// action back, so a second signal while the program is ending ends it at once.
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
