// "test FILE": the test run, reported as text or JSON; exit 0 fits, 3 too big, 2 unreadable
// or not a plot file.
#include "cli/test_command.h"

#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/test_run.h"
#include "run/carriage_reach.h"

#include <iostream>

#include <unistd.h>

namespace orlex::cli {

int runTestCommand(const CliOptions& options)
{
    const PreparedCheck prepared = loadAndCheck(options, true);
    if (prepared.failure != 0)
        return prepared.failure;
    const PlotTest& outcome = prepared.check;
    const ClassicIgnoredCommands& ignored = prepared.check.run.ignoredByClassic;
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
    // A draw of this plot starts where the pen stands, which no test can know.
    if (outcome.fits() && !outcome.needsPenToZero())
        std::cerr << kPositionUnknownText << "\n";
    return outcome.fits() ? kExitOk : kExitTooBig;
}

} // namespace orlex::cli
