// Opens the backend the command line asked for, with the trace around it when wanted.
#include "drive/ports/open_port.h"

#include "drive/ports/direct_port.h"
#include "drive/ports/null_port.h"
#include "drive/ports/ppdev_port.h"
#include "drive/ports/tracing_port.h"

namespace orlex {

namespace {

Result<std::unique_ptr<Port>> openHardware(const PortRequest& request)
{
    if (request.kind == PortKind::Direct) {
        auto direct = DirectPort::open(request.base, request.anyDirectAddress, request.systemRoot);
        if (!direct)
            return direct.error();
        return std::unique_ptr<Port>(std::move(*direct));
    }
    auto ppdev = PpdevPort::open(request.base, request.addressAdvice, request.ppdevPlaces);
    if (!ppdev)
        return ppdev.error();
    return std::unique_ptr<Port>(std::move(*ppdev));
}

// The real port, or a port with no plotter behind it and the reason.
std::unique_ptr<Port> openRealPort(const PortRequest& request, std::optional<Error>& error)
{
    auto port = openHardware(request);
    if (port)
        return std::move(*port);
    error = port.error();
    return std::make_unique<NullPort>();
}

} // namespace

OpenedPort openPort(const PortRequest& request)
{
    OpenedPort opened;
    opened.request = request;
    switch (request.kind) {
    case PortKind::Virtual: {
        auto plotter = std::make_unique<VirtualPlotter>(request.simulation);
        opened.virtualPlotter = plotter.get();
        opened.backend = std::move(plotter);
        break;
    }
    case PortKind::Ppdev:
    case PortKind::Direct: opened.backend = openRealPort(request, opened.portError); break;
    }

    if (!request.traceFile.empty()) {
        std::function<double()> clock;
        if (VirtualPlotter* plotter = opened.virtualPlotter)
            clock = [plotter] { return plotter->nowMicros(); };
        auto tracing = TracingPort::open(*opened.backend, request.traceFile, clock);
        if (tracing)
            opened.tracing = std::move(*tracing);
        else
            opened.traceError = tracing.error();
    }
    return opened;
}

Result<void> OpenedPort::moveTo(std::uint16_t base)
{
    if (base == request.base)
        return {};
    request.base = base;
    // The virtual plotter has no address: it stays wired to the program.
    if (!virtualPlotter) {
        std::unique_ptr<Port> old = std::move(backend);
        old.reset(); // release the old device before claiming another
        portError.reset();
        backend = openRealPort(request, portError);
    }
    if (auto* trace = dynamic_cast<TracingPort*>(tracing.get()))
        trace->reconnect(*backend);
    if (portError)
        return *portError;
    return {};
}

void OpenedPort::flush()
{
    if (auto* trace = dynamic_cast<TracingPort*>(tracing.get()))
        trace->flush();
}

Result<void> OpenedPort::closeTrace()
{
    if (auto* trace = dynamic_cast<TracingPort*>(tracing.get()))
        return trace->close();
    return {};
}

bool OpenedPort::traceFailed() const
{
    const auto* trace = dynamic_cast<const TracingPort*>(tracing.get());
    return trace != nullptr && trace->failed();
}

PortRequest withMachineSettings(PortRequest request, const MachineSettings& settings)
{
    request.base = settings.portAddress;
    request.simulation.stepLengthXmm = settings.stepLengthX / 200.0;
    request.simulation.stepLengthYmm = settings.stepLengthY / 200.0;
    request.simulation.travelXmm = settings.travelXmm;
    request.simulation.travelYmm = settings.travelYmm;
    return request;
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
