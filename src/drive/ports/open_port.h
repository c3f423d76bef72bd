// Chooses and opens the port backend named on the command line. The only place that
// knows whether the plotter is real or simulated.
#pragma once

#include "drive/port.h"
#include "drive/ports/virtual_plotter.h"

#include <memory>
#include <optional>
#include <string>

namespace orlex {

enum class PortKind { Ppdev, Direct, Virtual };

struct PortRequest {
    PortKind kind = PortKind::Ppdev;
    std::uint16_t base = 0x378;
    VirtualPlotterConfig simulation;  // used when kind == Virtual
    std::string traceFile;            // empty: no trace
};

struct OpenedPort {
    std::unique_ptr<Port> backend;        // always set: a NullPort when the real port failed
    std::unique_ptr<Port> tracing;        // set when a trace was asked for
    VirtualPlotter* virtualPlotter = nullptr; // the backend, when simulated
    std::string error;                    // empty on success; otherwise one clear message
    Port& port() { return tracing ? *tracing : *backend; }
    void flush(); // writes out a pending trace (before the process ends at once)
};

OpenedPort openPort(const PortRequest& request);

std::optional<PortKind> portKindFromName(const std::string& name); // "ppdev", "direct"

} // namespace orlex
