// Opens the backend the command line asked for, with the trace around it when wanted.
#include "drive/ports/open_port.h"

#include "drive/ports/direct_port.h"
#include "drive/ports/null_port.h"
#include "drive/ports/ppdev_port.h"
#include "drive/ports/tracing_port.h"

namespace orlex {

namespace {
const char* const kCarryOn = " The program carries on without a plotter: the presence test will report Err.";
}

OpenedPort openPort(const PortRequest& request)
{
    OpenedPort opened;
    std::string error;
    switch (request.kind) {
    case PortKind::Virtual: {
        VirtualPlotterConfig config = request.simulation;
        config.base = request.base;
        auto plotter = std::make_unique<VirtualPlotter>(config);
        opened.virtualPlotter = plotter.get();
        opened.backend = std::move(plotter);
        break;
    }
    case PortKind::Ppdev:
        opened.backend = PpdevPort::open(request.base, error);
        break;
    case PortKind::Direct:
        opened.backend = DirectPort::open(request.base, error);
        break;
    }
    if (!opened.backend) {
        opened.backend = std::make_unique<NullPort>(request.base, std::uint8_t{0x7F});
        opened.error = error + kCarryOn;
    }

    if (!request.traceFile.empty()) {
        std::function<double()> clock;
        if (VirtualPlotter* plotter = opened.virtualPlotter)
            clock = [plotter] { return plotter->nowMicros(); };
        std::string traceError;
        opened.tracing = TracingPort::open(*opened.backend, request.base, request.traceFile, traceError, clock);
        if (!opened.tracing)
            opened.error += (opened.error.empty() ? "" : "\n") + traceError + " The program carries on without a trace.";
    }
    return opened;
}

void OpenedPort::flush()
{
    if (auto* trace = dynamic_cast<TracingPort*>(tracing.get()))
        trace->flush();
}

std::optional<PortKind> portKindFromName(const std::string& name)
{
    if (name == "ppdev")
        return PortKind::Ppdev;
    if (name == "direct")
        return PortKind::Direct;
    return std::nullopt;
}

} // namespace orlex
