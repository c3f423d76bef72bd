// The terminal a pen change is asked on. It is /dev/tty, so the question reaches the
// operator even when standard input and output are redirected.
#pragma once

#include "common/result.h"

#include <functional>
#include <memory>

namespace orlex::cli {

class PenPrompt {
public:
    // Fails when the tool has no terminal (a service, a pipe from cron).
    static Result<std::unique_ptr<PenPrompt>> open();
    ~PenPrompt();
    PenPrompt(const PenPrompt&) = delete;
    PenPrompt& operator=(const PenPrompt&) = delete;

    // "Put in pen N, then press Enter to continue (Ctrl-C stops): ", then waits for a line.
    // False when `stopRequested` turned true or the terminal closed.
    bool askFor(char pen, const std::function<bool()>& stopRequested);

private:
    explicit PenPrompt(int fd) : fd_(fd) {}
    int fd_;
};

} // namespace orlex::cli
