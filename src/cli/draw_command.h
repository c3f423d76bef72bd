// The draw sub-command: check, presence check, Pen to 0, and the drawing itself.
#pragma once

#include "cli/cli_options.h"
#include "drive/ports/open_port.h"

#include <functional>
#include <memory>

namespace orlex::cli {

class PenPrompt;

// What a draw reaches outside the tool: the port, the terminal it asks on and the process
// itself. Empty members take the real ones; tests hand in their own.
struct DrawEnvironment {
    std::function<OpenedPort(const PortRequest&)> openPort;
    std::function<std::unique_ptr<PenPrompt>()> openTerminal; // nullptr: there is none
    std::function<void()> stopProcess;                        // Ctrl-Z, once the pen is up
};

int runDrawCommand(const CliOptions& options, const DrawEnvironment& environment = {});

} // namespace orlex::cli
