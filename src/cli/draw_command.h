// The draw sub-command: check, presence check, Pen to 0, and the drawing itself.
#pragma once

#include "cli/cli_options.h"
#include "drive/ports/open_port.h"

#include <cstdint>
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
    // After each look at the draw journal: the point it records and the draw's own.
    std::function<void(std::uint64_t kept, std::uint64_t done)> journalKept;
};

int runDrawCommand(const CliOptions& options, const DrawEnvironment& environment = {});

} // namespace orlex::cli
