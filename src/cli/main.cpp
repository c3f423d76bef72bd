// Entry point of orlex-plotter-cli: parses the arguments and runs the sub-command.
#include "cli/cli_options.h"
#include "cli/convert_command.h"
#include "cli/doctor_command.h"
#include "cli/draw_command.h"
#include "cli/exit_codes.h"
#include "cli/journal_command.h"
#include "cli/optimize_command.h"
#include "cli/stat_command.h"
#include "cli/test_command.h"

#include <csignal>
#include <iostream>
#include <new>
#include <string>
#include <vector>

namespace {

int runCommand(int argc, char** argv)
{
    using namespace orlex::cli;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const ParsedOptions parsed = parseCliOptions(arguments);
    if (!parsed.options) {
        std::cerr << usageErrorText(parsed);
        return kExitUsage;
    }
    switch (parsed.options->command) {
    case Command::Help: std::cout << helpText(parsed.options->helpCommand); return kExitOk;
    case Command::Version: std::cout << versionText(); return kExitOk;
    case Command::Test: return runTestCommand(*parsed.options);
    case Command::Stat: return runStatCommand(*parsed.options);
    case Command::Draw: return runDrawCommand(*parsed.options);
    case Command::Optimize: return runOptimizeCommand(*parsed.options);
    case Command::Convert: return runConvertCommand(*parsed.options);
    case Command::Doctor: return runDoctorCommand(*parsed.options);
    case Command::Journal: return runJournalCommand(*parsed.options);
    }
    return kExitUsage;
}

} // namespace

// Running out of memory anywhere ends the tool with a message and exit 3, never with an
// abort; output files are written whole or not at all, so nothing is left half written.
int main(int argc, char** argv)
{
    // A write past the file size limit or to a closed pipe fails with an error that the
    // writer reports, instead of ending the tool with a file half written.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    try {
        return runCommand(argc, argv);
    } catch (const std::bad_alloc&) {
        std::cerr << "orlex-plotter-cli: not enough memory for this file; nothing was written\n";
        return orlex::cli::kExitTooBig;
    }
}
