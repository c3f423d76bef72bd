// Questions on the controlling terminal, answered with Enter.
#include "cli/pen_prompt.h"

#include <cerrno>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace orlex::cli {

std::unique_ptr<PenPrompt> PenPrompt::openOrNull()
{
    const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    return fd < 0 ? nullptr : std::make_unique<PenPrompt>(fd);
}

PenPrompt::~PenPrompt()
{
    ::close(fd_);
}

std::string PenPrompt::penQuestion(char pen)
{
    return std::string("Put in pen ") + pen + ", then press Enter to continue (Ctrl-C stops): ";
}

PenPrompt::Answer PenPrompt::ask(const std::string& question, const std::function<bool()>& stopRequested)
{
    ::tcflush(fd_, TCIFLUSH); // an Enter typed earlier does not answer this question
    if (::write(fd_, question.data(), question.size()) < 0)
        return errno == EIO ? Answer::TerminalGone : Answer::Stop;
    // Short polls, so a signal is noticed even when it does not interrupt the wait.
    while (!stopRequested()) {
        pollfd in{fd_, POLLIN, 0};
        const int ready = ::poll(&in, 1, 100);
        if (ready < 0 && errno != EINTR)
            return Answer::TerminalGone;
        if (ready <= 0)
            continue;
        char c = 0;
        const ssize_t got = ::read(fd_, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return Answer::TerminalGone;
        if (c == '\n' || c == '\r')
            return Answer::Go;
    }
    return Answer::Stop;
}

} // namespace orlex::cli
