// Parsing of the window's command line and the port request it leads to.
#include "app/command_line.h"

#include "common/argument_reader.h"
#include "common/output_file.h"
#include "settings/settings_file.h"
#include "ui/main_window.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

namespace orlex::app {

namespace {

// Qt's own options that take a value, and those that do not.
constexpr std::array<std::string_view, 13> kQtOptionsWithValue{
    "-platform", "-platformpluginpath", "-platformtheme",   "-plugin",      "-style",        "-stylesheet", "-session",
    "-display",  "-geometry",           "-qwindowgeometry", "-qwindowicon", "-qwindowtitle", "-title"};
constexpr std::array<std::string_view, 5> kQtFlags{"-reverse", "-widgetcount", "-nograb", "-dograb", "-sync"};

bool isQtOptionWithValue(std::string_view arg)
{
    return std::find(kQtOptionsWithValue.begin(), kQtOptionsWithValue.end(), arg) != kQtOptionsWithValue.end();
}

bool isQtFlagOrJoinedOption(std::string_view arg)
{
    if (std::find(kQtFlags.begin(), kQtFlags.end(), arg) != kQtFlags.end())
        return true;
    const auto equals = arg.find('=');
    return equals != std::string_view::npos && isQtOptionWithValue(arg.substr(0, equals));
}

} // namespace

Result<CommandLine> parseCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine cl;
    bool positionalOnly = false;
    bool havePlotFile = false;
    auto fail = [](std::string why) { return Result<CommandLine>(failure(std::move(why))); };

    ArgumentReader reader(arguments);
    while (!reader.atEnd()) {
        const std::string& arg = reader.peek();
        if (positionalOnly || arg.size() <= 1 || arg[0] != '-') {
            if (havePlotFile)
                return fail("only one plot file can be given ('" + cl.plotFile + "' and '" + arg + "')");
            cl.plotFile = reader.take();
            havePlotFile = true;
        } else if (arg == "--") {
            positionalOnly = true;
            reader.take();
        } else if (arg == "--help" || arg == "-h") {
            cl.help = true;
            reader.take();
        } else if (arg == "--simulate") {
            cl.simulate = true;
            reader.take();
        } else if (reader.is("--clock")) {
            const auto value = reader.takeValue("--clock");
            double hz = 0;
            const auto [end, error] =
                value ? std::from_chars(value->data(), value->data() + value->size(), hz) : std::from_chars_result{};
            if (!value || error != std::errc{} || end != value->data() + value->size() || !(hz > 0) || hz > 1e6)
                return fail("--clock needs a frequency in Hz above 0 and up to 1000000, e.g. 20000");
            cl.clockHz = hz;
            cl.clockGiven = true;
        } else if (reader.is("--port")) {
            const auto name = reader.takeValue("--port");
            if (!name)
                return fail("--port needs a value: ppdev or direct");
            const auto kind = portKindFromName(*name);
            if (!kind || *kind == PortKind::Virtual)
                return fail("unknown port kind '" + *name + "': use ppdev or direct");
            if (cl.port)
                return fail("--port can be given only once");
            cl.port = kind;
        } else if (arg == "--any-io-address") {
            cl.anyDirectAddress = true;
            reader.take();
        } else if (reader.is("--trace")) {
            const auto file = reader.takeValue("--trace");
            if (!file || file->empty())
                return fail("--trace needs a file name");
            cl.traceFile = *file;
        } else if (isQtOptionWithValue(arg)) {
            reader.take(); // QApplication reads it and its value
            if (!reader.atEnd())
                reader.take();
        } else if (isQtFlagOrJoinedOption(arg)) {
            reader.take(); // QApplication reads it
        } else {
            return fail("unknown option '" + arg + "'");
        }
    }
    if (cl.simulate && cl.port)
        return fail("--simulate and --port cannot be used together");
    if (cl.clockGiven && !cl.simulate)
        return fail("--clock needs --simulate: a real plotter's clock is its own");
    if (cl.clockHz < kRealTimeClockMinHz)
        return fail("--clock must be at least " + std::to_string(static_cast<int>(kRealTimeClockMinHz))
                    + " Hz: slower clocks are not seen by the presence check, as on a real port");
    if (cl.anyDirectAddress && cl.port != PortKind::Direct)
        return fail("--any-io-address needs --port direct");
    if (!cl.traceFile.empty())
        if (const auto problem = outputConflict(
                cl.traceFile, {{cl.plotFile, "the plot file"}, {kSettingsFileName, "the settings file"}}))
            return fail(*problem);
    return cl;
}

std::string usageText()
{
    return "Usage: orlex-plotter [--simulate [--clock HZ]] [--port ppdev|direct] [--trace FILE] [PLOTFILE]\n"
           "\n"
           "Controls a home-built pen plotter on the parallel port.\n"
           "\n"
           "  --simulate         run on the built-in virtual plotter instead of the port\n"
           "  --clock HZ         the virtual plotter's clock in Hz, on the wall clock\n"
           "                     (default 2000; e.g. 20000 to watch a fast machine)\n"
           "  --port ppdev       use /dev/parportN through the parport driver (default)\n"
           "  --port direct      use direct port I/O (needs root or CAP_SYS_RAWIO)\n"
           "  --any-io-address   with --port direct: allow an address that no parallel\n"
           "                     port is known to have (it may write to another device)\n"
           "  --trace FILE       write every port write to FILE (time_us,register,value)\n"
           "  PLOTFILE           a plot file (HPGL, or an SVG drawing) to choose at start,\n"
           "                     as File > Open does\n"
           "  --help             show this text\n"
           "\n"
           "The machine settings are read from seting.txt in the working directory.\n";
}

PortRequest portRequest(const CommandLine& commandLine, const MachineSettings& settings)
{
    PortRequest request;
    request.traceFile = commandLine.traceFile;
    request.kind = commandLine.simulate ? PortKind::Virtual : commandLine.port.value_or(PortKind::Ppdev);
    request.anyDirectAddress = commandLine.anyDirectAddress;
    // The window's virtual plotter runs on the wall clock (2 kHz unless --clock), 30 mm
    // from home.
    request.simulation.realTime = true;
    request.simulation.clockHz = commandLine.clockHz;
    request.simulation.startXmm = 30;
    request.simulation.startYmm = 30;
    request.addressAdvice = ui::kWindowAddressAdvice;
    return withMachineSettings(request, settings);
}

} // namespace orlex::app
