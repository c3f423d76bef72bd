// Opens the backend the command line asked for, with the trace around it when wanted.
#include "drive/ports/open_port.h"

#include "drive/ports/direct_port.h"
#include "drive/ports/null_port.h"
#include "drive/ports/ppdev_port.h"
#include "drive/ports/tracing_port.h"

namespace orlex {

namespace {

const char* const kCarryOn = " The program carries on without a plotter: the presence test will report Err.";

std::unique_ptr<Port> openRealPort(const PortRequest& request, std::string& error)
{
    std::unique_ptr<Port> port = request.kind == PortKind::Direct
        ? std::unique_ptr<Port>(DirectPort::open(request.base, error))
        : std::unique_ptr<Port>(PpdevPort::open(request.base, error));
    if (port)
        return port;
    error += kCarryOn;
    return std::make_unique<NullPort>(request.base, std::uint8_t{0x7F});
}

} // namespace

OpenedPort openPort(const PortRequest& request)
{
    OpenedPort opened;
    opened.request = request;
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
    case PortKind::Direct:
        opened.backend = openRealPort(request, error);
        opened.error = error;
        break;
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

std::string OpenedPort::moveTo(std::uint16_t base)
{
    if (base == request.base)
        return {};
    request.base = base;
    std::string error;
    if (virtualPlotter) {
        virtualPlotter->setBase(base);
    } else {
        std::unique_ptr<Port> old = std::move(backend);
        old.reset(); // release the old device before claiming another
        backend = openRealPort(request, error);
    }
    if (auto* trace = dynamic_cast<TracingPort*>(tracing.get()))
        trace->reconnect(*backend, base);
    return error;
}

void OpenedPort::flush()
{
    if (auto* trace = dynamic_cast<TracingPort*>(tracing.get()))
        trace->flush();
}

void OpenedPort::closeTrace()
{
    if (auto* trace = dynamic_cast<TracingPort*>(tracing.get()))
        trace->close();
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
