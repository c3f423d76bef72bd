#include "cli/pen_prompt.h"

#include <cerrno>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace orlex::cli {

Result<std::unique_ptr<PenPrompt>> PenPrompt::open()
{
    const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return failure(std::string("--pause-at-pen-change needs a terminal to ask for the pens on, and there is "
                                   "none (/dev/tty: ")
                       + std::strerror(errno) + "). Nothing was moved.");
    return std::unique_ptr<PenPrompt>(new PenPrompt(fd));
}

PenPrompt::~PenPrompt()
{
    ::close(fd_);
}

bool PenPrompt::askFor(char pen, const std::function<bool()>& stopRequested)
{
    ::tcflush(fd_, TCIFLUSH); // an Enter typed earlier does not answer this question
    const std::string question = std::string("Put in pen ") + pen + ", then press Enter to continue (Ctrl-C stops): ";
    if (::write(fd_, question.data(), question.size()) < 0)
        return false;
    // Short polls, so a signal is noticed even when it does not interrupt the wait.
    while (!stopRequested()) {
        pollfd in{fd_, POLLIN, 0};
        const int ready = ::poll(&in, 1, 100);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready <= 0)
            continue;
        char c = 0;
        const ssize_t got = ::read(fd_, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false; // the terminal has gone
        if (c == '\n' || c == '\r')
            return true;
    }
    return false;
}

} // namespace orlex::cli
