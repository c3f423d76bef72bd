// Parsing of the window's command line and the port request it leads to.
#include "app/command_line.h"


#include <algorithm>
#include <array>
#include <string_view>

namespace orlex::app {

namespace {

// Qt's own options that take a value, and those that do not.
constexpr std::array<std::string_view, 13> kQtOptionsWithValue{
    "-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-style", "-stylesheet",
    "-session", "-display", "-geometry", "-qwindowgeometry", "-qwindowicon", "-qwindowtitle",
    "-title"};
constexpr std::array<std::string_view, 5> kQtFlags{"-reverse", "-widgetcount", "-nograb",
                                                   "-dograb", "-sync"};

bool isQtOptionWithValue(std::string_view arg) {
    return std::find(kQtOptionsWithValue.begin(), kQtOptionsWithValue.end(), arg) !=
           kQtOptionsWithValue.end();
}

bool isQtFlagOrJoinedOption(std::string_view arg) {
    if (std::find(kQtFlags.begin(), kQtFlags.end(), arg) != kQtFlags.end())
        return true;
    const auto equals = arg.find('=');
    return equals != std::string_view::npos && isQtOptionWithValue(arg.substr(0, equals));
}

} // namespace

ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine cl;
    bool positionalOnly = false;
    bool havePlotFile = false;
    auto fail = [](std::string why) { return ParsedCommandLine{std::nullopt, std::move(why)}; };

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        // "--name value" or "--name=value".
        auto value = [&](std::string_view name) -> std::optional<std::string> {
            if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 &&
                arg[name.size()] == '=')
                return arg.substr(name.size() + 1);
            if (arg == name && i + 1 < arguments.size())
                return arguments[++i];
            return std::nullopt;
        };
        auto named = [&](std::string_view name) {
            return arg == name || (arg.size() > name.size() &&
                                   arg.compare(0, name.size(), name) == 0 && arg[name.size()] == '=');
        };

        if (!positionalOnly && arg == "--") {
            positionalOnly = true;
        } else if (!positionalOnly && (arg == "--help" || arg == "-h")) {
            cl.help = true;
        } else if (!positionalOnly && arg == "--simulate") {
            cl.simulate = true;
        } else if (!positionalOnly && named("--port")) {
            const auto name = value("--port");
            if (!name)
                return fail("--port needs a value: ppdev or direct");
            const auto kind = portKindFromName(*name);
            if (!kind || *kind == PortKind::Virtual)
                return fail("unknown port kind '" + *name + "': use ppdev or direct");
            cl.port = kind;
        } else if (!positionalOnly && named("--trace")) {
            const auto file = value("--trace");
            if (!file || file->empty())
                return fail("--trace needs a file name");
            cl.traceFile = *file;
        } else if (!positionalOnly && isQtOptionWithValue(arg)) {
            ++i; // QApplication reads it
        } else if (!positionalOnly && isQtFlagOrJoinedOption(arg)) {
            // QApplication reads it
        } else if (!positionalOnly && arg.size() > 1 && arg[0] == '-') {
            return fail("unknown option '" + arg + "'");
        } else {
            if (havePlotFile)
                return fail("only one plot file can be given ('" + cl.plotFile + "' and '" + arg + "')");
            cl.plotFile = arg;
            havePlotFile = true;
        }
    }
    if (cl.simulate && cl.port)
        return fail("--simulate and --port cannot be used together");
    return ParsedCommandLine{cl, {}};
}

std::string usageText() {
    return "Usage: orlex-plotter [--simulate] [--port ppdev|direct] [--trace FILE] [PLOTFILE]\n"
           "\n"
           "Controls a home-built pen plotter on the parallel port.\n"
           "\n"
           "  --simulate         run on the built-in virtual plotter instead of the port\n"
           "  --port ppdev       use /dev/parportN through the parport driver (default)\n"
           "  --port direct      use direct port I/O (needs root or CAP_SYS_RAWIO)\n"
           "  --trace FILE       write every port write to FILE (time_us,register,value)\n"
           "  PLOTFILE           a plot file to choose at start, as File > Open does\n"
           "  --help             show this text\n"
           "\n"
           "The machine settings are read from seting.txt in the working directory.\n";
}

PortRequest portRequest(const CommandLine& commandLine, const MachineSettings& settings) {
    PortRequest request;
    request.traceFile = commandLine.traceFile;
    request.kind = commandLine.simulate ? PortKind::Virtual : commandLine.port.value_or(PortKind::Ppdev);
    // The window's virtual plotter runs on the wall clock at 2 kHz, 30 mm from home.
    request.simulation.realTime = true;
    request.simulation.clockHz = 2000;
    request.simulation.startXmm = 30;
    request.simulation.startYmm = 30;
    return withMachineSettings(request, settings);
}

} // namespace orlex::app
