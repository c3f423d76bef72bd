// The terminal a question of the draw is asked on: a pen change, or whether to go on after
// Ctrl-Z. It is /dev/tty, so the question reaches the operator even when standard input
// and output are redirected.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace orlex::cli {

class PenPrompt {
public:
    // The terminal, or nullptr when the tool has none (a service, a pipe from cron).
    static std::unique_ptr<PenPrompt> openOrNull();
    // Asks on `fd`, which it then owns (a test's pipe).
    explicit PenPrompt(int fd) : fd_(fd) {}
    static constexpr const char* kNoTerminalText =
        "--pause-at-pen-change needs a terminal to ask for the pens on, and there is none (/dev/tty cannot be "
        "opened). Nothing was moved.";
    ~PenPrompt();
    PenPrompt(const PenPrompt&) = delete;
    PenPrompt& operator=(const PenPrompt&) = delete;

    enum class Answer {
        Go,           // the operator pressed Enter
        Stop,         // `stopRequested` turned true (Ctrl-C)
        TerminalGone, // the terminal closed (its window, or the ssh connection)
    };
    // Writes `question`, then waits for a line.
    Answer ask(const std::string& question, const std::function<bool()>& stopRequested);

    // "Put in pen N, then press Enter to continue (Ctrl-C stops): ".
    static std::string penQuestion(char pen);

private:
    int fd_;
};

} // namespace orlex::cli
