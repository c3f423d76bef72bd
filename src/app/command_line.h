// The window's command line: orlex-plotter [--simulate [--clock HZ]] [--port ppdev|direct [--any-io-address]]
// [--trace FILE] [PLOTFILE]
#pragma once

#include "common/result.h"
#include "drive/ports/open_port.h"
#include "settings/machine_settings.h"

#include <optional>
#include <string>
#include <vector>

namespace orlex::app {

struct CommandLine {
    bool help = false;
    bool simulate = false;
    double clockHz = 2000; // --clock: the virtual plotter's clock, on the wall clock
    bool clockGiven = false;
    std::optional<PortKind> port;  // --port; ppdev when not given
    bool anyDirectAddress = false; // --any-io-address
    std::string traceFile;         // --trace
    std::string plotFile;          // PLOTFILE, as given
};

// Parses the arguments after the program name; fails saying why, in plain words, when they
// are wrong. Qt's own options (-platform X, -style X, -display X, ...) are passed over:
// QApplication takes them.
Result<CommandLine> parseCommandLine(const std::vector<std::string>& arguments);

std::string usageText();

// The port the window opens for these arguments and the loaded settings.
PortRequest portRequest(const CommandLine& commandLine, const MachineSettings& settings);

} // namespace orlex::app
