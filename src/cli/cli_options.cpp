// Parsing of orlex-plotter-cli's arguments: "test FILE ...", "stat", "draw", "optimize"
// and "convert", with "--name value" or "--name=value" options, the checks between
// options, and the table of options that the help and the shell completion read too.
#include "cli/cli_options.h"

#include "cli/option_table.h"
#include "common/argument_reader.h"
#include "common/number_text.h"
#include "plan/line_work.h"

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
constexpr double kMaxLineWorkMm = 10;     // the line work's tolerances

// A tolerance of the line work: `fallback` when no value is given, else from `least` to
// kMaxLineWorkMm.
std::optional<double> lineTolerance(const std::string& text, double fallback, double least)
{
    if (text.empty())
        return fallback;
    const auto mm = plainNumber(text);
    if (!mm || *mm < least || *mm > kMaxLineWorkMm)
        return std::nullopt;
    return *mm;
}
constexpr double kMaxClockHz = 1e6;
constexpr double kDefaultMeasureSeconds = 10;
constexpr double kMinMeasureSeconds = 0.1, kMaxMeasureSeconds = 3600;

} // namespace

namespace {

constexpr CommandName kCommands[] = {{Command::Test, kTest, "test"},
                                     {Command::Stat, kStat, "stat"},
                                     {Command::Draw, kDraw, "draw"},
                                     {Command::Optimize, kOptimize, "optimize"},
                                     {Command::Convert, kConvert, "convert"},
                                     {Command::Doctor, kDoctor, "doctor", false},
                                     {Command::Journal, kJournal, "journal", false}};

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

const Outcome kAccepted = std::nullopt;

const OptionRule kOptionRules[] = {
    {"--zoom", kTest | kStat | kDraw, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         const auto zoom = zoomPercent(v);
         if (!zoom)
             return "--zoom needs a whole percentage from 1 to 400";
         o.zoom = *zoom;
         return kAccepted;
     },
     "N", "scale in percent, 1 to 400 (default 100)"},
    {"--settings", kTest | kStat | kDraw | kOptimize | kConvert | kDoctor | kJournal, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         if (v.empty())
             return "--settings needs the path of a settings file";
         o.settingsFile = v;
         return kAccepted;
     },
     "PATH",
     "settings file to read (default ./seting.txt when it exists, else the built-in defaults); it is never "
     "written"},
    {"--json", kTest | kStat | kOptimize | kDoctor | kJournal, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.json = true;
         return kAccepted;
     },
     "", "print one JSON object on one line instead of text, with the keys listed below"},
    {"--hpgl", kTest | kStat | kDraw | kOptimize | kConvert, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         const auto reading = plotReadingFromName(v);
         if (!reading)
             return "--hpgl needs classic or full";
         o.reading = *reading;
         return kAccepted;
     },
     "classic|full",
     "how HPGL is read: classic, as the classic program did (PU, PD, PA, PR and SP; everything else passed "
     "over, and test names what changes the drawing), the default; or full, as an HP plotter would (scaling, "
     "rotation, clipping, curves, polygons, fills, labels, line types; a file it cannot draw whole is refused)"},
    {"-o", kOptimize | kConvert, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         if (v.empty())
             return "-o needs the name of the file to write";
         o.outputFile = v;
         return kAccepted;
     },
     "OUT", "the file to write (never the input); written whole or not at all", "--output"},
    {"--no-reverse", kOptimize, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.noReverse = true;
         return kAccepted;
     },
     "", "every stroke keeps its direction"},
    {"--merge", kOptimize, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         o.mergeMm = lineTolerance(v, kDefaultMergeMm, 0);
         return o.mergeMm ? kAccepted : "--merge takes a distance in mm from 0 to 10, e.g. 0.05";
     },
     "[MM]",
     "join strokes whose ends lie within MM of each other (default 0.05), the gap drawn pen down, a stroke "
     "drawn backwards where need be (not with --no-reverse); never across a pen change",
     "", true},
    {"--dedupe", kOptimize, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         o.dedupeMm = lineTolerance(v, kDefaultDedupeMm, 0.001);
         return o.dedupeMm ? kAccepted : "--dedupe takes a distance in mm from 0.001 to 10, e.g. 0.05";
     },
     "[MM]",
     "leave out pen-down lines, or stretches of them longer than 6 x MM, that retrace within MM (default 0.05) "
     "a line drawn before with the same pen; the first drawing stays",
     "", true},
    {"--simplify", kOptimize, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         const auto mm = plainNumber(v);
         if (!mm || *mm < 0.001 || *mm > kMaxLineWorkMm)
             return "--simplify needs a distance in mm from 0.001 to 10, e.g. 0.05";
         o.simplifyMm = *mm;
         return kAccepted;
     },
     "MM", "leave out points whose removal moves no line by more than MM (Douglas-Peucker)"},
    {"--hide-covered", kOptimize, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.hideCovered = true;
         return kAccepted;
     },
     "",
     "an SVG drawing only: leave out what opaque fills painted over the strokes cover, as a viewer shows the "
     "drawing"},
    {"--text", kTest | kStat | kDraw | kOptimize | kConvert, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         if (v != "stroke" && v != "skip")
             return "--text needs stroke or skip";
         o.skipText = v == "skip";
         return kAccepted;
     },
     "stroke|skip",
     "how an SVG drawing's text is drawn: stroke, in the single-stroke (Hershey) font nearest its own, the "
     "default; or skip, left out with a note"},
    {"--tolerance", kConvert, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         const auto mm = plainNumber(v);
         if (!mm || *mm < 0.001 || *mm > 10)
             return "--tolerance needs a distance in mm from 0.001 to 10, e.g. 0.05";
         o.toleranceMm = *mm;
         return kAccepted;
     },
     "MM", "largest distance between a curve and its chords (default 0.05)"},
    {"--rotate", kConvert, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         if (v != "0" && v != "90")
             return "--rotate takes 90 (a quarter turn counterclockwise) or 0";
         o.rotateDegrees = v == "90" ? 90 : 0;
         return kAccepted;
     },
     "0|90", "90 turns the page a quarter turn counterclockwise (default 0)"},
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
     },
     "WxH", "scale the page down, keeping its proportions, to fit W x H mm"},
    {"--full-step", kDraw, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.fullStep = true;
         return kAccepted;
     },
     "", "full steps (default: half steps)"},
    {"--simulate", kDraw | kDoctor | kJournal, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.simulate = true;
         return kAccepted;
     },
     "", "draw on the built-in virtual plotter, in virtual time (doctor: check and measure it)"},
    {"--realtime", kDraw | kDoctor, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.realTime = true;
         return kAccepted;
     },
     "", "with --simulate: run its clock on the wall clock instead of virtual time"},
    {"--simulate-stopped-clock", kDraw | kDoctor, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.simulate = true;
         o.stoppedClock = true;
         return kAccepted;
     },
     "", "for testing: a virtual plotter whose clock never runs, as a plotter on STOP"},
    {"--verbose", kDraw, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.verbose = true;
         return kAccepted;
     },
     "", "say how the motion thread runs (real-time priority or not)"},
    {"--progress", kDraw, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.progress = true;
         return kAccepted;
     },
     "", "live progress line on stderr when it is a terminal"},
    {"--clock", kTest | kStat | kDraw | kOptimize | kDoctor, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         const auto hz = plainNumber(v);
         if (!hz || !(*hz > 0) || *hz > kMaxClockHz)
             return "--clock needs a frequency in Hz above 0 and up to 1000000, e.g. 2000";
         o.clockHz = *hz;
         o.clockGiven = true;
         return kAccepted;
     },
     "HZ",
     "the plotter's clock in Hz (default 2000): the estimated drawing time assumes it; for draw and doctor, "
     "with --simulate, it is the clock of the virtual plotter"},
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
     },
     "X,Y", "with --simulate: where the carriage starts, in mm from home (default 30,30)"},
    {"--svg", kDraw, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         if (v.empty())
             return "--svg needs a file name";
         o.svgFile = v;
         return kAccepted;
     },
     "PATH", "with --simulate: write the virtual paper as SVG when the draw ends"},
    {"--simulate-port-fault", kDraw, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         std::uint64_t write = 0;
         const auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), write);
         if (v.empty() || error != std::errc{} || end != v.data() + v.size() || write < 1)
             return "--simulate-port-fault needs a whole write number from 1 up";
         o.simulate = true;
         o.portFaultAtWrite = write;
         return kAccepted;
     },
     "N", "for testing: a virtual plotter whose port fails from its Nth write on, as when the cable is pulled"},
    {"--port", kDraw | kDoctor | kJournal, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         if (o.port)
             return "--port can be given only once";
         const auto kind = portKindFromName(v);
         if (!kind)
             return "--port needs ppdev or direct";
         o.port = kind;
         return kAccepted;
     },
     "ppdev|direct",
     "how the parallel port is reached: ppdev through /dev/parportN (the default), direct by port I/O "
     "(needs root or CAP_SYS_RAWIO)"},
    {"--any-io-address", kDraw | kDoctor, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.anyDirectAddress = true;
         return kAccepted;
     },
     "",
     "with --port direct: allow port I/O at an address that no parallel port is known to have (it may write to "
     "another device)"},
    {"--trace", kDraw, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         if (v.empty())
             return "--trace needs a file name";
         o.traceFile = v;
         return kAccepted;
     },
     "PATH", "write every port write to PATH (time_us,register,value)"},
    {"--home", kDraw, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.home = true;
         return kAccepted;
     },
     "",
     "home and move to the Pen to 0 point before drawing, so that the plot's origin can be found again "
     "after a stop; a plot that would pass a travel limit from there is refused"},
    {"--from-point", kDraw, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         std::uint64_t point = 0;
         const auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), point);
         if (v.empty() || error != std::errc{} || end != v.data() + v.size() || point < 1)
             return "--from-point needs a whole point number from 1 up, as \"Stopped at point N\" gave it";
         o.fromPoint = point;
         o.home = true; // the origin must be found again, so the draw starts from home
         return kAccepted;
     },
     "N",
     "draw from point N on, as \"Stopped at point N\" reported it; implies --home (the points before it are "
     "only counted)"},
    {"--resume", kDraw, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.resume = true;
         o.home = true; // the origin is found again by homing
         return kAccepted;
     },
     "",
     "go on with the draw the journal of this port kept (see the journal command): home, Pen to 0, and draw from "
     "its last complete point; FILE may be left out; refused when the file's bytes, the reading, zoom, step mode "
     "or settings are not those of the journal"},
    {"--discard", kJournal, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.discard = true;
         return kAccepted;
     },
     "", "drop the journal instead of showing it"},
    {"--pause-at-pen-change", kDraw, false,
     [](CliOptions& o, const std::string&) -> Outcome {
         o.pauseAtPenChange = true;
         return kAccepted;
     },
     "", "at an SP for another pen, lift the pen and wait on the terminal: Enter goes on, Ctrl-C stops"},
    {"--measure", kDoctor, true,
     [](CliOptions& o, const std::string& v) -> Outcome {
         const auto seconds = v.empty() ? std::optional(kDefaultMeasureSeconds) : plainNumber(v);
         if (!seconds || *seconds < kMinMeasureSeconds || *seconds > kMaxMeasureSeconds)
             return "--measure needs a number of seconds from 0.1 to 3600, e.g. 10";
         o.measureSeconds = *seconds;
         return kAccepted;
     },
     "SECONDS",
     "time the status reads for SECONDS (default 10) with nothing moving, the coils off and the pen up: the cost "
     "of a read, the plotter's clock and its regularity, the longest gap between reads, and the fastest clock "
     "this PC follows",
     "", true},
};

const OptionRule* ruleFor(const ArgumentReader& reader)
{
    for (const OptionRule& rule : kOptionRules)
        for (const std::string_view name : {std::string_view(rule.name), std::string_view(rule.alias)})
            if (!name.empty() && (rule.takesValue ? reader.is(name) : reader.peek() == name))
                return &rule;
    return nullptr;
}

// The name an argument gives an option: "--zoom" of "--zoom=150".
std::string_view optionName(const std::string& arg)
{
    return std::string_view(arg).substr(0, arg.find('='));
}

// Edits (insertions, deletions, substitutions, swaps of neighbours) that turn a into b.
std::size_t editDistance(std::string_view a, std::string_view b)
{
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

// The candidate nearest to a mistyped `word`, when it is near enough to be what was meant:
// at most two edits, and no more than a third of the longer word's letters.
std::optional<std::string> nearest(std::string_view word, const std::vector<std::string_view>& candidates)
{
    std::optional<std::string> best;
    std::size_t bestDistance = 3;
    for (const std::string_view candidate : candidates) {
        const std::size_t distance = editDistance(word, candidate);
        if (distance < bestDistance && distance * 3 <= std::max(word.size(), candidate.size())) {
            best = std::string(candidate);
            bestDistance = distance;
        }
    }
    return best;
}

std::string unknownOption(const std::string& arg, unsigned commandBit)
{
    const std::string_view name = optionName(arg);
    if (const OptionRule* rule = optionNamed(name); rule != nullptr && !rule->takesValue)
        return std::string(name) + " takes no value";
    std::vector<std::string_view> names;
    for (const OptionRule& rule : kOptionRules)
        if (rule.commands & commandBit)
            for (const std::string_view n : {std::string_view(rule.name), std::string_view(rule.alias)})
                if (!n.empty())
                    names.push_back(n);
    names.push_back("--help");
    std::string text = "unknown option " + std::string(name);
    if (const std::optional<std::string> meant = nearest(name, names))
        text += "; did you mean " + *meant + "?";
    return text;
}

std::string unknownCommand(const std::string& word)
{
    std::vector<std::string_view> names;
    for (const CommandName& c : kCommands)
        names.push_back(c.name);
    if (const std::optional<std::string> meant = nearest(word, names))
        return "unknown command " + word + "; did you mean " + *meant + "?";
    return "unknown command " + word + ": use test, stat, draw, optimize, convert or doctor";
}

// What the options say together, once all are read.
Outcome checkCombinations(const CliOptions& o)
{
    if (o.plotFile.empty() && o.command != Command::Doctor && o.command != Command::Journal && !o.resume)
        return "the plot file name is empty";
    if (o.resume && o.fromPoint != 1)
        return "--resume and --from-point cannot be used together: --resume goes on from the journal's point";
    if ((o.command == Command::Optimize || o.command == Command::Convert) && o.outputFile.empty())
        return "-o OUT is needed: the file to write";
    if (o.command != Command::Draw && o.command != Command::Doctor && o.command != Command::Journal)
        return kAccepted;
    if (o.simulate && o.port)
        return "--simulate and --port cannot be used together";
    if (!o.simulate && (o.clockGiven || o.startGiven || o.realTime || !o.svgFile.empty()))
        return "--clock, --realtime, --start and --svg need --simulate";
    // Below these the presence check cannot see the clock, in the model as on a real port.
    if (o.simulate && o.clockHz < (o.realTime ? kRealTimeClockMinHz : kVirtualClockMinHz))
        return "the virtual plotter's --clock must be at least " + numberText(kVirtualClockMinHz) + " Hz ("
               + numberText(kRealTimeClockMinHz)
               + " Hz with --realtime): slower clocks are not seen by the presence check, as on a real port";
    if (o.anyDirectAddress && o.port != PortKind::Direct)
        return "--any-io-address needs --port direct";
    return kAccepted;
}

const CommandName* commandNamed(const std::string& word)
{
    const auto named =
        std::find_if(std::begin(kCommands), std::end(kCommands), [&](const CommandName& c) { return word == c.name; });
    return named == std::end(kCommands) ? nullptr : named;
}

} // namespace

std::span<const CommandName> commandTable()
{
    return kCommands;
}

std::span<const OptionRule> optionTable()
{
    return kOptionRules;
}

unsigned bitOf(Command command)
{
    for (const CommandName& c : kCommands)
        if (c.command == command)
            return c.bit;
    return 0;
}

const OptionRule* optionNamed(std::string_view name)
{
    for (const OptionRule& rule : kOptionRules)
        if (name == rule.name || (*rule.alias != '\0' && name == rule.alias))
            return &rule;
    return nullptr;
}

ParsedOptions parseCliOptions(const std::vector<std::string>& arguments)
{
    CliOptions o;
    o.arguments = arguments;
    auto fail = [&o](std::string why) { return ParsedOptions{failure(std::move(why)), o.command}; };
    ArgumentReader reader(arguments);
    if (reader.atEnd())
        return fail("a command is needed: test, stat, draw, optimize, convert or doctor");

    const std::string command = reader.take();
    if (command == "--help" || command == "-h" || command == "help") {
        if (!reader.atEnd()) {
            const CommandName* named = commandNamed(reader.peek());
            if (named == nullptr)
                return fail(unknownCommand(reader.peek()));
            o.helpCommand = named->command;
        }
        return ParsedOptions{o, Command::Help};
    }
    if (command == "--version") {
        o.command = Command::Version;
        return ParsedOptions{o, Command::Version};
    }
    const CommandName* named = commandNamed(command);
    if (named == nullptr)
        return fail(command.starts_with("-") ? "a command is needed before the options: test, stat, draw, optimize, "
                                               "convert or doctor"
                                             : unknownCommand(command));
    o.command = named->command;

    bool haveFile = false;
    bool positionalOnly = false;
    while (!reader.atEnd()) {
        const std::string& arg = reader.peek();
        if (positionalOnly || arg == "-" || arg.empty() || arg[0] != '-') {
            if (!named->takesFile)
                return fail(std::string(named->name) + " takes no file ('" + arg + "')");
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
            o.helpCommand = o.command;
            o.command = Command::Help;
            return ParsedOptions{o, o.helpCommand};
        }
        const OptionRule* rule = ruleFor(reader);
        if (rule == nullptr)
            return fail(unknownOption(arg, named->bit));
        if ((rule->commands & named->bit) == 0)
            return fail(std::string(optionName(arg)) + " belongs to the " + commandNames(rule->commands));
        const std::string name(optionName(arg));
        std::optional<std::string> value;
        if (rule->valueOptional) {
            const std::string given = reader.take();
            value = given.size() > name.size() ? given.substr(name.size() + 1) : std::string();
            if (given.size() == name.size() && !reader.atEnd() && plainNumber(reader.peek()))
                value = reader.take();
        } else {
            value = rule->takesValue ? reader.takeValue(name) : std::optional<std::string>(reader.take());
        }
        if (!value)
            return fail(name + " needs a value");
        if (const Outcome refused = rule->apply(o, *value))
            return fail(*refused);
    }
    if (!haveFile && named->takesFile && !o.resume)
        return fail("the plot file is missing");
    if (const Outcome refused = checkCombinations(o))
        return fail(*refused);
    return ParsedOptions{o, o.command};
}

} // namespace orlex::cli
