// "test FILE": the test run, reported as text or JSON; exit 0 fits, 3 too big, 2 unreadable.
#include "cli/test_command.h"

#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/test_run.h"

#include <iostream>

#include <unistd.h>

namespace orlex::cli {

int runTestCommand(const CliOptions& options)
{
    const PreparedCheck prepared = loadAndCheck(options, true);
    if (prepared.failure != 0)
        return prepared.failure;
    const PlotTest& outcome = prepared.check;
    const ClassicIgnoredCommands& ignored = prepared.plot.ignoredByClassic();
    if (const std::string sentence = ignored.sentence("--hpgl full"); !sentence.empty())
        std::cerr << options.plotFile << ": " << sentence << "\n";

    if (options.json) {
        std::cout << testJson(outcome, options.clockHz, ignored) << "\n";
    } else {
        printCheckReport(outcome, std::cout);
        printRunWarnings(outcome, std::cerr);
        if (::isatty(STDERR_FILENO))
            for (int i = 0; i < outcome.run.beeps; ++i)
                std::cerr << '\a';
    }
    return outcome.fits() ? kExitOk : kExitTooBig;
}

} // namespace orlex::cli
