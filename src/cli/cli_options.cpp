// Parsing of orlex-plotter-cli's arguments: "test FILE ..." and "draw FILE ..." with
// "--name value" or "--name=value" options, and the checks between options.
#include "cli/cli_options.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace orlex::cli {

namespace {

// A plain decimal number written with '.', as scripts write them.
std::optional<double> plainNumber(std::string_view text)
{
    if (text.empty() || text.front() == '+')
        return std::nullopt;
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::int16_t> zoomPercent(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value < 1 || value > 400)
        return std::nullopt;
    return static_cast<std::int16_t>(value);
}

constexpr double kMaxStartMm = 10000; // ten metres: anything beyond is a typing mistake
constexpr double kMaxClockHz = 1e6;

} // namespace

ParsedOptions parseCliOptions(const std::vector<std::string>& arguments)
{
    CliOptions o;
    auto fail = [](std::string why) { return ParsedOptions{std::nullopt, std::move(why)}; };

    if (arguments.empty())
        return fail("a command is needed: test or draw");
    const std::string& command = arguments[0];
    if (command == "--help" || command == "-h" || command == "help")
        return ParsedOptions{o, {}};
    if (command == "test")
        o.command = Command::Test;
    else if (command == "draw")
        o.command = Command::Draw;
    else
        return fail("unknown command '" + command + "': use test or draw");
    const bool draw = o.command == Command::Draw;

    bool haveFile = false;
    bool positionalOnly = false;
    bool clockGiven = false, startGiven = false, realTimeGiven = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        // The value of "--name value" or "--name=value"; nullopt when it is missing.
        auto valueOf = [&](std::string_view name) -> std::optional<std::string> {
            if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 && arg[name.size()] == '=')
                return arg.substr(name.size() + 1);
            if (arg == name && i + 1 < arguments.size())
                return arguments[++i];
            return std::nullopt;
        };
        auto is = [&](std::string_view name) {
            return arg == name
                || (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 && arg[name.size()] == '=');
        };
        auto drawOnly = [&](std::string_view name) -> std::optional<ParsedOptions> {
            if (!draw)
                return fail(std::string(name) + " belongs to the draw command");
            return std::nullopt;
        };

        if (positionalOnly || arg == "-" || arg.empty() || arg[0] != '-') {
            if (haveFile)
                return fail("only one plot file can be given ('" + o.plotFile + "' and '" + arg + "')");
            o.plotFile = arg;
            haveFile = true;
        } else if (arg == "--") {
            positionalOnly = true;
        } else if (arg == "--help" || arg == "-h") {
            o.command = Command::Help;
            return ParsedOptions{o, {}};
        } else if (is("--zoom")) {
            const auto text = valueOf("--zoom");
            const auto zoom = text ? zoomPercent(*text) : std::nullopt;
            if (!zoom)
                return fail("--zoom needs a whole percentage from 1 to 400");
            o.zoom = *zoom;
        } else if (is("--settings")) {
            const auto text = valueOf("--settings");
            if (!text || text->empty())
                return fail("--settings needs the path of a settings file");
            o.settingsFile = *text;
        } else if (arg == "--json") {
            if (draw)
                return fail("--json belongs to the test command");
            o.json = true;
        } else if (arg == "--full-step") {
            if (auto e = drawOnly(arg))
                return *e;
            o.fullStep = true;
        } else if (arg == "--simulate") {
            if (auto e = drawOnly(arg))
                return *e;
            o.simulate = true;
        } else if (arg == "--realtime") {
            if (auto e = drawOnly(arg))
                return *e;
            o.realTime = realTimeGiven = true;
        } else if (arg == "--simulate-stopped-clock") {
            if (auto e = drawOnly(arg))
                return *e;
            o.simulate = true;
            o.stoppedClock = true;
        } else if (arg == "--progress") {
            if (auto e = drawOnly(arg))
                return *e;
            o.progress = true;
        } else if (is("--clock")) {
            if (auto e = drawOnly("--clock"))
                return *e;
            const auto text = valueOf("--clock");
            const auto hz = text ? plainNumber(*text) : std::nullopt;
            if (!hz || !(*hz > 0) || *hz > kMaxClockHz)
                return fail("--clock needs a frequency in Hz above 0 and up to 1000000, e.g. 2000");
            o.clockHz = *hz;
            clockGiven = true;
        } else if (is("--start")) {
            if (auto e = drawOnly("--start"))
                return *e;
            const auto text = valueOf("--start");
            const auto comma = text ? text->find(',') : std::string::npos;
            std::optional<double> x, y;
            if (comma != std::string::npos) {
                x = plainNumber(std::string_view(*text).substr(0, comma));
                y = plainNumber(std::string_view(*text).substr(comma + 1));
            }
            if (!x || !y || *x < 0 || *y < 0 || *x > kMaxStartMm || *y > kMaxStartMm)
                return fail("--start needs X,Y in millimetres from home, e.g. 30,30 (0 to 10000)");
            o.startXmm = *x;
            o.startYmm = *y;
            startGiven = true;
        } else if (is("--svg")) {
            if (auto e = drawOnly("--svg"))
                return *e;
            const auto text = valueOf("--svg");
            if (!text || text->empty())
                return fail("--svg needs a file name");
            o.svgFile = *text;
        } else if (is("--port")) {
            if (auto e = drawOnly("--port"))
                return *e;
            const auto text = valueOf("--port");
            const auto kind = text ? portKindFromName(*text) : std::nullopt;
            if (!kind)
                return fail("--port needs ppdev or direct");
            o.port = kind;
        } else if (is("--trace")) {
            if (auto e = drawOnly("--trace"))
                return *e;
            const auto text = valueOf("--trace");
            if (!text || text->empty())
                return fail("--trace needs a file name");
            o.traceFile = *text;
        } else {
            return fail("unknown option '" + arg + "'");
        }
    }

    if (!haveFile)
        return fail("the plot file is missing");
    if (o.plotFile.empty())
        return fail("the plot file name is empty");
    if (o.simulate && o.port)
        return fail("--simulate and --port cannot be used together");
    if (!o.simulate && (clockGiven || startGiven || realTimeGiven || !o.svgFile.empty()))
        return fail("--clock, --realtime, --start and --svg need --simulate");
    return ParsedOptions{o, {}};
}

std::string usageText()
{
    return "Usage: orlex-plotter-cli test FILE [--zoom N] [--settings PATH] [--json]\n"
           "       orlex-plotter-cli draw FILE [--zoom N] [--settings PATH] [--full-step]\n"
           "                              [--simulate [--clock HZ] [--realtime] [--start X,Y] [--svg PATH]]\n"
           "                              [--port ppdev|direct] [--trace PATH] [--progress]\n"
           "\n"
           "Checks and draws HPGL plot files on a home-built pen plotter, without the window.\n"
           "\n"
           "test   interprets the plot as \"Test and Show\" does and checks it against the\n"
           "       travel limits Maxx and Maxy; prints the extents, the limits and \"fits\"\n"
           "       or \"too big\". The plotter is not needed.\n"
           "draw   the same test, the presence check, \"Pen to 0\" when the plot has negative\n"
           "       coordinates, then the drawing. Ctrl-C lifts the pen, switches the motors\n"
           "       off and ends.\n"
           "\n"
           "  --zoom N            scale in percent, 1 to 400 (default 100)\n"
           "  --settings PATH     settings file to read (default ./seting.txt when it exists,\n"
           "                      else the built-in defaults); it is never written\n"
           "  --json              test: print one JSON object with min_x_mm, min_y_mm, max_x_mm,\n"
           "                      max_y_mm, max_x_limit_mm, max_y_limit_mm, fits, beeps,\n"
           "                      end_of_file_caption, skipped_pairs, points, out_of_range,\n"
           "                      steps_out_of_range\n"
           "  --full-step         full steps (default: half steps)\n"
           "  --simulate          draw on the built-in virtual plotter, in virtual time\n"
           "  --clock HZ          its clock frequency (default 2000)\n"
           "  --realtime          run its clock on the wall clock instead of virtual time\n"
           "  --start X,Y         carriage start in mm from home (default 30,30)\n"
           "  --svg PATH          write the virtual paper as SVG when the draw ends\n"
           "  --simulate-stopped-clock\n"
           "                      for testing: a virtual plotter whose clock never runs,\n"
           "                      as a plotter on STOP\n"
           "  --port ppdev        the parallel port through /dev/parportN (default)\n"
           "  --port direct       direct port I/O (needs root or CAP_SYS_RAWIO)\n"
           "  --trace PATH        write every port write to PATH (time_us,register,value)\n"
           "  --progress          live progress line on stderr when it is a terminal\n"
           "  --help              show this text\n"
           "\n"
           "Exit status: 0 fits / drawn, 2 wrong arguments or unreadable file, 3 too big,\n"
           "4 no plotter answers, 5 a move was refused or Pen to 0 failed, 128 + N for signal N\n"
           "(130 Ctrl-C, 143 SIGTERM, 129 SIGHUP).\n";
}

} // namespace orlex::cli
