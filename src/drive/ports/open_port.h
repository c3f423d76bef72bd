// Chooses and opens the port backend named on the command line. The only place that
// knows whether the plotter is real or simulated.
#pragma once

#include "drive/port.h"
#include "drive/ports/ppdev_port.h"
#include "drive/ports/virtual_plotter.h"
#include "settings/machine_settings.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace orlex {

enum class PortKind { Ppdev, Direct, Virtual };

struct PortRequest {
    PortKind kind = PortKind::Ppdev;
    std::uint16_t base = 0x378;
    VirtualPlotterConfig simulation;        // used when kind == Virtual
    std::string traceFile;                  // empty: no trace
    bool anyDirectAddress = false;          // direct I/O also where no parallel port is known
    std::filesystem::path systemRoot = "/"; // where /proc and /sys are read (tests hand in their own)
    // Ends the message when no port has the address: where this front end takes the
    // address from ("... in Options > Settings", "... with --settings FILE").
    std::string addressAdvice = "Set the port address to the plotter's port.";
    PpdevPlaces ppdevPlaces; // where the ppdev backend looks, and who answers its calls
};

struct OpenedPort {
    std::unique_ptr<Port> backend;            // always set: a NullPort when the real port failed
    std::unique_ptr<Port> tracing;            // set when a trace was asked for
    VirtualPlotter* virtualPlotter = nullptr; // the backend, when simulated
    std::optional<Error> portError;           // why the real port did not open, if it did not
    std::optional<Error> traceError;          // why the trace file could not be written, if it could not
    PortRequest request;                      // what was opened
    Port& port() { return tracing ? *tracing : *backend; }
    void flush(); // writes out a pending trace
    // Writes out and closes the trace file; the port itself stays usable. Fails, saying
    // what is missing, when the trace could not be written whole.
    Result<void> closeTrace();
    bool traceFailed() const; // the trace lost a write or its file failed, so far

    // The base address setting changed: the virtual plotter is rewired to the new
    // address, a real port is reopened there (a NullPort when that fails, and portError
    // says why), and the trace goes on in the same file. Fails as portError does.
    // port() may refer to another object afterwards.
    Result<void> moveTo(std::uint16_t base);
};

OpenedPort openPort(const PortRequest& request);

// Completes a request from the settings: the port address, and the virtual plotter's
// travel per 45-degree turn (Lstep / 200 mm) and its ends of travel (Maxx, Maxy), so its
// carriage moves as the machine does.
PortRequest withMachineSettings(PortRequest request, const MachineSettings& settings);

std::optional<PortKind> portKindFromName(const std::string& name); // "ppdev", "direct"

} // namespace orlex
