// Parsing of orlex-plotter-cli's arguments: "test FILE ..." and "draw FILE ..." with
// "--name value" or "--name=value" options, and the checks between options.
#include "cli/cli_options.h"

#include "common/argument_reader.h"

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
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
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

namespace {

enum CommandBit : unsigned { kTest = 1, kDraw = 2 };

unsigned bitOf(Command command)
{
    switch (command) {
    case Command::Test: return kTest;
    case Command::Draw: return kDraw;
    case Command::Help: return 0;
    }
    return 0;
}

std::string commandNames(unsigned commands)
{
    std::string names;
    for (const auto& [bit, name] : {std::pair{kTest, "test"}, {kDraw, "draw"}})
        if (commands & bit)
            names += (names.empty() ? "" : " and ") + std::string(name);
    return names + (commands == kTest || commands == kDraw ? " command" : " commands");
}

// One option: its name, the commands that take it, and what it does with its value
// (empty for a flag). `apply` returns the reason when the value will not do.
struct OptionRule {
    const char* name;
    unsigned commands;
    bool takesValue;
    std::optional<std::string> (*apply)(CliOptions& o, const std::string& value);
};

using Outcome = std::optional<std::string>;
const Outcome kAccepted = std::nullopt;

const OptionRule kOptionRules[] = {
    {"--zoom", kTest | kDraw, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         const auto zoom = zoomPercent(v);
         if (!zoom)
             return "--zoom needs a whole percentage from 1 to 400";
         o.zoom = *zoom;
         return kAccepted;
     }},
    {"--settings", kTest | kDraw, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         if (v.empty())
             return "--settings needs the path of a settings file";
         o.settingsFile = v;
         return kAccepted;
     }},
    {"--json", kTest, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.json = true;
         return kAccepted;
     }},
    {"--full-step", kDraw, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.fullStep = true;
         return kAccepted;
     }},
    {"--simulate", kDraw, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.simulate = true;
         return kAccepted;
     }},
    {"--realtime", kDraw, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.realTime = true;
         return kAccepted;
     }},
    {"--simulate-stopped-clock", kDraw, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.simulate = true;
         o.stoppedClock = true;
         return kAccepted;
     }},
    {"--progress", kDraw, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.progress = true;
         return kAccepted;
     }},
    {"--clock", kDraw, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         const auto hz = plainNumber(v);
         if (!hz || !(*hz > 0) || *hz > kMaxClockHz)
             return "--clock needs a frequency in Hz above 0 and up to 1000000, e.g. 2000";
         o.clockHz = *hz;
         o.clockGiven = true;
         return kAccepted;
     }},
    {"--start", kDraw, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         const auto comma = v.find(',');
         std::optional<double> x, y;
         if (comma != std::string::npos) {
             x = plainNumber(std::string_view(v).substr(0, comma));
             y = plainNumber(std::string_view(v).substr(comma + 1));
         }
         if (!x || !y || *x < 0 || *y < 0 || *x > kMaxStartMm || *y > kMaxStartMm)
             return "--start needs X,Y in millimetres from home, e.g. 30,30 (0 to 10000)";
         o.startXmm = *x;
         o.startYmm = *y;
         o.startGiven = true;
         return kAccepted;
     }},
    {"--svg", kDraw, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         if (v.empty())
             return "--svg needs a file name";
         o.svgFile = v;
         return kAccepted;
     }},
    {"--port", kDraw, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         const auto kind = portKindFromName(v);
         if (!kind)
             return "--port needs ppdev or direct";
         o.port = kind;
         return kAccepted;
     }},
    {"--trace", kDraw, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         if (v.empty())
             return "--trace needs a file name";
         o.traceFile = v;
         return kAccepted;
     }},
    {"--home", kDraw, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.home = true;
         return kAccepted;
     }},
    {"--from-point", kDraw, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         std::uint64_t point = 0;
         const auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), point);
         if (v.empty() || error != std::errc{} || end != v.data() + v.size() || point < 1)
             return "--from-point needs a whole point number from 1 up, as \"Stopped at point N\" gave it";
         o.fromPoint = point;
         o.home = true; // the origin must be found again, so the draw starts from home
         return kAccepted;
     }},
    {"--pause-at-pen-change", kDraw, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.pauseAtPenChange = true;
         return kAccepted;
     }},
};

const OptionRule* ruleFor(const ArgumentReader& reader)
{
    for (const OptionRule& rule : kOptionRules)
        if (rule.takesValue ? reader.is(rule.name) : reader.peek() == rule.name)
            return &rule;
    return nullptr;
}

// What the options say together, once all are read.
Outcome checkCombinations(const CliOptions& o)
{
    if (o.plotFile.empty())
        return "the plot file name is empty";
    if (o.simulate && o.port)
        return "--simulate and --port cannot be used together";
    if (!o.simulate && (o.clockGiven || o.startGiven || o.realTime || !o.svgFile.empty()))
        return "--clock, --realtime, --start and --svg need --simulate";
    return kAccepted;
}

} // namespace

ParsedOptions parseCliOptions(const std::vector<std::string>& arguments)
{
    auto fail = [](std::string why) { return ParsedOptions{std::nullopt, std::move(why)}; };
    ArgumentReader reader(arguments);
    if (reader.atEnd())
        return fail("a command is needed: test or draw");

    CliOptions o;
    const std::string command = reader.take();
    if (command == "--help" || command == "-h" || command == "help")
        return ParsedOptions{o, {}};
    if (command == "test")
        o.command = Command::Test;
    else if (command == "draw")
        o.command = Command::Draw;
    else
        return fail("unknown command '" + command + "': use test or draw");

    bool haveFile = false;
    bool positionalOnly = false;
    while (!reader.atEnd()) {
        const std::string& arg = reader.peek();
        if (positionalOnly || arg == "-" || arg.empty() || arg[0] != '-') {
            if (haveFile)
                return fail("only one plot file can be given ('" + o.plotFile + "' and '" + arg + "')");
            o.plotFile = reader.take();
            haveFile = true;
            continue;
        }
        if (arg == "--") {
            positionalOnly = true;
            reader.take();
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            o.command = Command::Help;
            return ParsedOptions{o, {}};
        }
        const OptionRule* rule = ruleFor(reader);
        if (rule == nullptr)
            return fail("unknown option '" + arg + "'");
        if ((rule->commands & bitOf(o.command)) == 0)
            return fail(std::string(rule->name) + " belongs to the " + commandNames(rule->commands));
        const std::optional<std::string> value =
            rule->takesValue ? reader.takeValue(rule->name) : std::optional<std::string>(reader.take());
        if (!value)
            return fail(std::string(rule->name) + " needs a value");
        if (const Outcome refused = rule->apply(o, *value))
            return fail(*refused);
    }
    if (!haveFile)
        return fail("the plot file is missing");
    if (const Outcome refused = checkCombinations(o))
        return fail(*refused);
    return ParsedOptions{o, {}};
}

std::string usageText()
{
    return "Usage: orlex-plotter-cli test FILE [--zoom N] [--settings PATH] [--json]\n"
           "       orlex-plotter-cli draw FILE [--zoom N] [--settings PATH] [--full-step]\n"
           "                              [--simulate [--clock HZ] [--realtime] [--start X,Y] [--svg PATH]]\n"
           "                              [--port ppdev|direct] [--trace PATH] [--progress]\n"
           "                              [--home] [--from-point N] [--pause-at-pen-change]\n"
           "\n"
           "Checks and draws HPGL plot files on a home-built pen plotter, without the window.\n"
           "\n"
           "test   interprets the plot as \"Test and Show\" does and checks it against the\n"
           "       travel limits Maxx and Maxy; prints the extents, the limits and \"fits\"\n"
           "       or \"too big\". The plotter is not needed.\n"
           "draw   the same test, the presence check, \"Pen to 0\" when the plot has negative\n"
           "       coordinates, then the drawing. Ctrl-C lifts the pen, switches the motors\n"
           "       off and ends, printing \"Stopped at point N of M\".\n"
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
           "  --home              home and move to the Pen to 0 point before drawing, so the\n"
           "                      plot's origin can be found again after a stop\n"
           "  --from-point N      draw from point N on, as \"Stopped at point N\" reported it;\n"
           "                      implies --home (the points before it are only counted)\n"
           "  --pause-at-pen-change\n"
           "                      at an SP for another pen, lift the pen and wait on the\n"
           "                      terminal: Enter goes on, Ctrl-C stops\n"
           "  --help              show this text\n"
           "\n"
           "Exit status: 0 fits / drawn, 2 wrong arguments or unreadable file, 3 too big,\n"
           "4 no plotter answers, 5 a move was refused or Pen to 0 failed, 128 + N for signal N\n"
           "(130 Ctrl-C, 143 SIGTERM, 129 SIGHUP).\n";
}

} // namespace orlex::cli
