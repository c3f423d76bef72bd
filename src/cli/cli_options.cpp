// Parsing of orlex-plotter-cli's arguments: "test FILE ...", "stat", "draw", "optimize"
// and "convert", with "--name value" or "--name=value" options, and the checks between
// options.
#include "cli/cli_options.h"

#include "common/argument_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

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

constexpr double kMaxMillimetres = 10000; // ten metres: anything beyond is a typing mistake
constexpr double kMaxClockHz = 1e6;

} // namespace

namespace {

enum CommandBit : unsigned { kTest = 1, kStat = 2, kDraw = 4, kOptimize = 8, kConvert = 16 };

struct CommandName {
    Command command;
    CommandBit bit;
    const char* name;
};
constexpr CommandName kCommands[] = {{Command::Test, kTest, "test"},
                                     {Command::Stat, kStat, "stat"},
                                     {Command::Draw, kDraw, "draw"},
                                     {Command::Optimize, kOptimize, "optimize"},
                                     {Command::Convert, kConvert, "convert"}};

unsigned bitOf(Command command)
{
    for (const CommandName& c : kCommands)
        if (c.command == command)
            return c.bit;
    return 0;
}

// "the test command", "the test, stat and draw commands".
std::string commandNames(unsigned commands)
{
    std::vector<std::string> names;
    for (const CommandName& c : kCommands)
        if (commands & c.bit)
            names.push_back(c.name);
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return text + (names.size() == 1 ? " command" : " commands");
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

Outcome outputFile(CliOptions& o, const std::string& v)
{
    if (v.empty())
        return "-o needs the name of the file to write";
    o.outputFile = v;
    return kAccepted;
}

const OptionRule kOptionRules[] = {
    {"--zoom", kTest | kStat | kDraw, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         const auto zoom = zoomPercent(v);
         if (!zoom)
             return "--zoom needs a whole percentage from 1 to 400";
         o.zoom = *zoom;
         return kAccepted;
     }},
    {"--settings", kTest | kStat | kDraw | kOptimize | kConvert, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         if (v.empty())
             return "--settings needs the path of a settings file";
         o.settingsFile = v;
         return kAccepted;
     }},
    {"--json", kTest | kStat | kOptimize, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.json = true;
         return kAccepted;
     }},
    {"--hpgl", kTest | kStat | kDraw | kOptimize | kConvert, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         const auto reading = plotReadingFromName(v);
         if (!reading)
             return "--hpgl needs classic or full";
         o.reading = *reading;
         return kAccepted;
     }},
    {"-o", kOptimize | kConvert, true, outputFile},
    {"--output", kOptimize | kConvert, true, outputFile},
    {"--no-reverse", kOptimize, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.noReverse = true;
         return kAccepted;
     }},
    {"--tolerance", kConvert, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         const auto mm = plainNumber(v);
         if (!mm || *mm < 0.001 || *mm > 10)
             return "--tolerance needs a distance in mm from 0.001 to 10, e.g. 0.05";
         o.toleranceMm = *mm;
         return kAccepted;
     }},
    {"--rotate", kConvert, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         if (v != "0" && v != "90")
             return "--rotate takes 90 (a quarter turn counterclockwise) or 0";
         o.rotateDegrees = v == "90" ? 90 : 0;
         return kAccepted;
     }},
    {"--fit", kConvert, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         const auto by = v.find('x');
         std::optional<double> w, h;
         if (by != std::string::npos) {
             w = plainNumber(std::string_view(v).substr(0, by));
             h = plainNumber(std::string_view(v).substr(by + 1));
         }
         if (!w || !h || !(*w > 0) || !(*h > 0) || *w > kMaxMillimetres || *h > kMaxMillimetres)
             return "--fit needs WxH in millimetres, each above 0, e.g. 277x190";
         o.fitMm = std::pair(*w, *h);
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
    {"--verbose", kDraw, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.verbose = true;
         return kAccepted;
     }},
    {"--progress", kDraw, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.progress = true;
         return kAccepted;
     }},
    {"--clock", kTest | kStat | kDraw | kOptimize, true,
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
         if (!x || !y || *x < 0 || *y < 0 || *x > kMaxMillimetres || *y > kMaxMillimetres)
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
    {"--simulate-port-fault", kDraw, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         std::uint64_t write = 0;
         const auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), write);
         if (v.empty() || error != std::errc{} || end != v.data() + v.size() || write < 1)
             return "--simulate-port-fault needs a whole write number from 1 up";
         o.simulate = true;
         o.portFaultAtWrite = write;
         return kAccepted;
     }},
    {"--port", kDraw, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         if (o.port)
             return "--port can be given only once";
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
    if ((o.command == Command::Optimize || o.command == Command::Convert) && o.outputFile.empty())
        return "-o OUT is needed: the file to write";
    if (o.command != Command::Draw)
        return kAccepted;
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
    constexpr const char* kCommandList = "test, stat, draw, optimize or convert";
    if (reader.atEnd())
        return fail(std::string("a command is needed: ") + kCommandList);

    CliOptions o;
    const std::string command = reader.take();
    if (command == "--help" || command == "-h" || command == "help")
        return ParsedOptions{o, {}};
    const auto named = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const CommandName& c) { return command == c.name; });
    if (named == std::end(kCommands))
        return fail("unknown command '" + command + "': use " + kCommandList);
    o.command = named->command;

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
    return "Usage: orlex-plotter-cli test FILE [--hpgl full] [--zoom N] [--settings PATH] [--clock HZ] [--json]\n"
           "       orlex-plotter-cli stat FILE [--hpgl full] [--zoom N] [--settings PATH] [--clock HZ] [--json]\n"
           "       orlex-plotter-cli draw FILE [--hpgl full] [--zoom N] [--settings PATH] [--full-step]\n"
           "                              [--simulate [--clock HZ] [--realtime] [--start X,Y] [--svg PATH]]\n"
           "                              [--port ppdev|direct] [--trace PATH] [--progress] [--verbose]\n"
           "                              [--home] [--from-point N] [--pause-at-pen-change]\n"
           "       orlex-plotter-cli optimize IN -o OUT [--hpgl full] [--no-reverse] [--settings PATH] [--clock HZ]\n"
           "                              [--json]\n"
           "       orlex-plotter-cli convert IN.svg -o OUT.plt [--tolerance MM] [--rotate 90] [--fit WxH]\n"
           "       orlex-plotter-cli convert IN.plt -o OUT.plt [--hpgl full] [--settings PATH]\n"
           "\n"
           "Checks and draws HPGL plot files on a home-built pen plotter, without the window.\n"
           "FILE and IN may also be SVG drawings: they are converted to plotter units first\n"
           "(into a temporary file that is gone when the tool ends), as convert does.\n"
           "\n"
           "test     interprets the plot as \"Test and Show\" does and checks it against the\n"
           "         travel limits Maxx and Maxy; prints the extents, the limits and \"fits\"\n"
           "         or \"too big\". The plotter is not needed.\n"
           "stat     the same test, reported as figures: points, strokes, pen-down and pen-up\n"
           "         length (pen up from the origin to the last stroke), pen lifts, extents and\n"
           "         the estimated drawing time.\n"
           "draw     the same test, the presence check, \"Pen to 0\" when the plot has negative\n"
           "         coordinates, then the drawing. Ctrl-C lifts the pen, switches the motors\n"
           "         off and ends, printing \"Stopped at point N of M\".\n"
           "optimize writes the plot to OUT with its strokes in an order with shorter pen-up\n"
           "         travel, as plain absolute HPGL with every coordinate as read. The drawing\n"
           "         is not changed: the same segments, pen changes (SP) in their order, and\n"
           "         strokes reordered only between them. Prints the travel, the pen lifts and\n"
           "         the estimated drawing time before and after.\n"
           "convert  writes the SVG drawing as an HPGL plot file: plotter units of 0.025 mm,\n"
           "         y up, the page's bottom-left corner at the origin; Inkscape layers named\n"
           "         \"2 ...\" or \"Pen 2\" are drawn with that pen, everything else with pen 1.\n"
           "         An HPGL file is written as it is read (--hpgl) in plain absolute HPGL:\n"
           "         PA, PU, PD and SP only, whole plotter units, for any program to read;\n"
           "         the full reading's page is the travel of the settings, as for draw.\n"
           "\n"
           "  --hpgl classic      read HPGL as the classic program did: PU, PD, PA, PR and SP,\n"
           "                      everything else passed over (the default); test says\n"
           "                      which commands that change the drawing it passed over\n"
           "  --hpgl full         read HPGL as an HP plotter would: scaling, rotation,\n"
           "                      clipping, curves, polygons, fills, labels, line types;\n"
           "                      a file it cannot draw whole is refused, never drawn in part\n"
           "  --zoom N            scale in percent, 1 to 400 (default 100)\n"
           "  --settings PATH     settings file to read (default ./seting.txt when it exists,\n"
           "                      else the built-in defaults); it is never written\n"
           "  --clock HZ          the plotter's clock in Hz (default 2000): the estimated\n"
           "                      drawing time assumes it; for draw, the virtual plotter's\n"
           "  --json              test, stat, optimize: print one JSON object instead of text.\n"
           "                      test: min_x_mm, min_y_mm, max_x_mm, max_y_mm,\n"
           "                      max_x_limit_mm, max_y_limit_mm, fits, beeps,\n"
           "                      end_of_file_caption, skipped_pairs, points, out_of_range,\n"
           "                      steps_out_of_range, estimated_seconds, pen_down_mm,\n"
           "                      pen_up_mm, pen_lifts, ignored_commands (the commands the\n"
           "                      classic reading passed over: command and count).\n"
           "                      stat: those figures and strokes\n"
           "  -o OUT, --output OUT  the file to write (never the input); written whole or\n"
           "                      not at all\n"
           "  --no-reverse        optimize: every stroke keeps its direction\n"
           "  --tolerance MM      convert: largest distance between a curve and its chords\n"
           "                      (default 0.05)\n"
           "  --rotate 90         convert: turn the page a quarter turn counterclockwise\n"
           "  --fit WxH           convert: scale the page down, keeping proportions, to fit\n"
           "                      W x H mm\n"
           "  --full-step         full steps (default: half steps)\n"
           "  --simulate          draw on the built-in virtual plotter, in virtual time\n"
           "  --realtime          run its clock on the wall clock instead of virtual time\n"
           "  --start X,Y         carriage start in mm from home (default 30,30)\n"
           "  --svg PATH          write the virtual paper as SVG when the draw ends\n"
           "  --simulate-stopped-clock\n"
           "                      for testing: a virtual plotter whose clock never runs,\n"
           "                      as a plotter on STOP\n"
           "  --simulate-port-fault N\n"
           "                      for testing: a virtual plotter whose port fails from its\n"
           "                      Nth write on, as when the cable is pulled\n"
           "  --port ppdev        the parallel port through /dev/parportN (default)\n"
           "  --port direct       direct port I/O (needs root or CAP_SYS_RAWIO)\n"
           "  --trace PATH        write every port write to PATH (time_us,register,value)\n"
           "  --progress          live progress line on stderr when it is a terminal\n"
           "  --verbose           say how the motion thread runs (real-time priority or not)\n"
           "  --home              home and move to the Pen to 0 point before drawing, so the\n"
           "                      plot's origin can be found again after a stop\n"
           "  --from-point N      draw from point N on, as \"Stopped at point N\" reported it;\n"
           "                      implies --home (the points before it are only counted)\n"
           "  --pause-at-pen-change\n"
           "                      at an SP for another pen, lift the pen and wait on the\n"
           "                      terminal: Enter goes on, Ctrl-C stops\n"
           "  --help              show this text\n"
           "\n"
           "The estimated drawing time counts the move of \"Pen to 0\" to the origin, not the\n"
           "homing before it.\n"
           "\n"
           "Exit status: 0 fits / drawn / written, 2 wrong arguments, an unreadable file or an\n"
           "SVG that cannot be converted, 3 too big (for the machine, or for the plotter's\n"
           "coordinates once an SVG is placed), 4 no plotter answers, 5 a move was refused or\n"
           "Pen to 0 failed, 6 the port did not open or a port call failed (the message names\n"
           "the call and the error), 128 + N for signal N (130 Ctrl-C, 143 SIGTERM, 129 SIGHUP).\n";
}

} // namespace orlex::cli
