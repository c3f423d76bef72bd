// The help texts of orlex-plotter-cli, built from the table of options: the overview, one
// page per command, the version, the pointer to the help after a usage error, and the
// command line that draws the rest of a stopped draw.
#include "cli/cli_options.h"

#include "cli/option_table.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>
#include <string_view>
#include <vector>

namespace orlex::cli {

namespace {

constexpr const char* kProgram = "orlex-plotter-cli";
constexpr std::size_t kWidth = 80;      // columns of the help
constexpr std::size_t kTextColumn = 24; // where an option's text starts

// What the help says about each command besides its options.
struct CommandHelp {
    Command command;
    const char* operands;    // after the command's name in the usage line
    const char* summary;     // one line of the overview
    const char* description; // the command's own help
    const char* jsonKeys;    // the keys of its --json object; "" without --json
    const char* exitStatus;
};

constexpr CommandHelp kCommandHelp[] = {
    {Command::Test, "FILE", "check the plot against the machine's travel limits",
     "Interprets the plot as \"Test and Show\" does and checks it against the travel limits Maxx and Maxy; "
     "prints the extents, the limits and \"fits the machine\" or \"too big for the machine\". The plotter is "
     "not needed. A plot fits a draw that starts where the pen stands only if the pen stands at its "
     "origin; draw --home checks it from where the pen stands after homing.",
     "min_x_mm, min_y_mm, max_x_mm, max_y_mm, max_x_limit_mm, max_y_limit_mm, fits, beeps, "
     "end_of_file_caption, skipped_pairs, points, out_of_range, steps_out_of_range, estimated_seconds, "
     "pen_down_mm, pen_up_mm, pen_lifts, ignored_commands",
     "0 fits, 2 wrong arguments, an unreadable file, not a plot file or an SVG that cannot be converted, "
     "3 too big (for the machine, or for the plotter's coordinates once an SVG is placed, or a size limit "
     "of --hpgl full)."},
    {Command::Stat, "FILE", "points, strokes, lengths, pen lifts and the drawing time",
     "The same test, reported as figures: points, strokes, pen-down and pen-up length (every pen-up move, "
     "the last one included), pen lifts, extents and the estimated drawing time.",
     "min_x_mm, min_y_mm, max_x_mm, max_y_mm, max_x_limit_mm, max_y_limit_mm, fits, beeps, "
     "end_of_file_caption, skipped_pairs, points, strokes, out_of_range, steps_out_of_range, "
     "estimated_seconds, pen_down_mm, pen_up_mm, pen_lifts",
     "as for test."},
    {Command::Draw, "FILE", "draw the plot on the plotter, or on the virtual plotter",
     "The same test, the check that a plotter answers, \"Pen to 0\" when the plot has negative coordinates "
     "or --home is given, then the drawing. After \"Pen to 0\", and on the virtual plotter from --start, the "
     "position of the pen is known, and a plot that would pass a travel limit from there is refused; otherwise the "
     "plot starts where the pen stands, "
     "and it fits only if the pen stands at its origin. Ctrl-C lifts the pen, switches the motors off and "
     "ends, printing \"Stopped at point N of M\" and the command that draws the rest. While it draws it keeps a "
     "journal (see the journal command) at pen lifts and at least once a second, so that a draw cut off by a "
     "crash, a kill or a power cut can go on with --resume; a draw that ends normally removes it. A draw of more "
     "than 10 minutes that does not start from home says once that it could not be resumed.",
     "",
     "0 drawn, 2 wrong arguments, an unreadable file, not a plot file, a bad settings file, an SVG that "
     "cannot be converted or a --resume refused (the message says what differs), 3 too big (for the machine, for "
     "the plotter's coordinates once an SVG is placed, "
     "or from where the pen stands when that is known), 4 no plotter answers, 5 a move was refused or Pen to 0 "
     "failed, 6 the port did not open or a port call failed (the message names the call and the error), "
     "7 drawn, but the trace or the paper (--svg) could not be written whole (the message says what is missing), "
     "128 + N for signal N (130 Ctrl-C, 143 SIGTERM, 129 SIGHUP, 131 SIGQUIT)."},
    {Command::Optimize, "IN -o OUT", "write the plot with shorter pen-up travel",
     "Writes the plot to OUT with its strokes in an order with shorter pen-up travel, as plain absolute HPGL "
     "with every coordinate as read. The drawing is not changed: the same segments, pen changes (SP) in "
     "their order, strokes reordered only between them, and the last pen-up move where the file has it. "
     "Prints the travel, the pen lifts and the estimated drawing time before and after. The line work "
     "changes the drawing, each option only as it says, before the order: --hide-covered (while an SVG "
     "drawing is converted), then --dedupe, --merge and --simplify; each prints what it changed (pen lifts, "
     "segments, length, time before and after; with --json in a list under the key line_work), and the "
     "figures before are of the plot as --hide-covered left it.",
     "pen_up_mm_before, pen_up_mm_after, pen_lifts_before, pen_lifts_after, estimated_seconds_before, "
     "estimated_seconds_after, seconds_saved",
     "0 written, 2 wrong arguments, an unreadable IN, not a plot file, OUT the input or not writable, "
     "3 an SVG too big for the plotter's coordinates or not enough memory to order the strokes."},
    {Command::Convert, "IN -o OUT.plt", "write an SVG drawing or an HPGL file as a plain HPGL plot file",
     "Writes the SVG drawing as an HPGL plot file: plotter units of 0.025 mm, y up, the page's bottom-left "
     "corner at the origin; Inkscape layers named \"2 ...\" or \"Pen 2\" are drawn with that pen, everything "
     "else with pen 1. An HPGL file is written as it is read (--hpgl) in plain absolute HPGL: PA, PU, PD and "
     "SP only, whole plotter units, for any program to read; the full reading's page is the travel of the "
     "settings, as for draw.",
     "",
     "0 written, 2 wrong arguments, a drawing that cannot be converted, not a plot file or OUT not writable, "
     "3 a drawing that leaves the plotter's coordinates once placed, or a size limit of --hpgl full."},
    {Command::Journal, "", "show or discard the journal of a draw that did not end",
     "Shows the draw journal of the port (the parallel port of the settings, or the virtual plotter with "
     "--simulate): the draw of which file stopped at which point, when, and how much of the drawing was done, and "
     "the command that draws the rest. Journals live in $XDG_STATE_HOME/orlex (~/.local/state/orlex), one per port. "
     "A journal that cannot be read is reported and moved aside. --discard drops it.",
     "file, size, hash, reading, zoom, half_step, port, origin_from_home, points_done, points, resume_point, "
     "percent_done, started; without a journal: journal (null) and port",
     "0 shown, discarded or none there, 2 wrong arguments, an unreadable settings file or a journal that cannot be "
     "read (it is moved aside), 7 the journal could not be removed."},
    {Command::Doctor, "", "the port check: what this PC, its port and its cable can do",
     "Checks what this PC offers the plotter, each finding on a line marked ok, note or problem, with the "
     "commands that mend each problem: the parallel-port driver (parport, parport_pc, ppdev), every "
     "/dev/parportN with its base address and the one line 9 of the settings names, the lp printer driver, who "
     "may open the device, the udev rule, direct port I/O, PCI and PCIe parallel cards, USB printer adapters "
     "(which cannot drive the coils); then real time: kernel.sched_rt_runtime_us, RLIMIT_RTPRIO, the priority "
     "the motion thread gets (tried as a draw tries it), PREEMPT_RT and the CPU frequency governor. It opens "
     "the port and looks for the plotter's clock, reading only. With --measure it also times the status reads "
     "(on the virtual plotter with --simulate), after writing data 0 (every coil off) and the pen up: nothing "
     "moves.",
     "heading, problems, notes, port_opened, plotter_answers, findings (section, level, topic, text, fix), "
     "measurement (seconds, reads, read_median_us, read_p999_us, gap_p999_us, longest_gap_us, clock_hz, "
     "half_periods, half_period_median_us, half_period_p001_us, half_period_p999_us, missed_edges, "
     "shorter_phase_us, "
     "fastest_clock_hz, follows_the_clock, stopped)",
     "0 nothing is a problem, 1 something is (its line says what to do), 2 wrong arguments or an unreadable "
     "settings file, 6 the port cannot be opened at all or a port call failed, 128 + N for signal N (130 "
     "Ctrl-C)."},
};

const CommandHelp& helpOf(Command command)
{
    return *std::find_if(std::begin(kCommandHelp), std::end(kCommandHelp),
                         [&](const CommandHelp& h) { return h.command == command; });
}

const char* nameOf(Command command)
{
    for (const CommandName& c : commandTable())
        if (c.command == command)
            return c.name;
    return "";
}

// `tokens` in lines of at most kWidth columns, the first after `first`, the others
// indented by `indent` blanks. A token longer than a line stands alone on its line.
std::string wrapped(std::string_view first, std::size_t indent, const std::vector<std::string>& tokens)
{
    std::string out(first);
    std::size_t column = out.size();
    bool lineEmpty = first.empty();
    for (const std::string& token : tokens) {
        if (!lineEmpty && column + 1 + token.size() > kWidth) {
            out += "\n" + std::string(indent, ' ');
            column = indent;
            lineEmpty = true;
        }
        if (column < indent) {
            out += std::string(indent - column, ' ');
            column = indent;
        } else if (!lineEmpty) {
            out += ' ';
            ++column;
        }
        out += token;
        column += token.size();
        lineEmpty = false;
    }
    return out + "\n";
}

std::vector<std::string> words(std::string_view text)
{
    std::vector<std::string> out;
    std::istringstream in{std::string(text)};
    for (std::string word; in >> word;)
        out.push_back(word);
    return out;
}

// A label and its text from kTextColumn on; a label too long for that gets a line of its own.
std::string labelled(const std::string& label, std::string_view text)
{
    return label.size() + 2 > kTextColumn ? label + "\n" + wrapped("", kTextColumn, words(text))
                                          : wrapped(label, kTextColumn, words(text));
}

// "--zoom N" or "--measure [SECONDS]" for one of the option's names.
std::string nameAndValue(const OptionRule& rule, const char* name)
{
    const std::string value = rule.valueOptional ? "[" + std::string(rule.value) + "]" : rule.value;
    return std::string(name) + (value.empty() ? "" : " ") + value;
}

// "--zoom N", "-o OUT, --output OUT".
std::string optionLabel(const OptionRule& rule)
{
    return nameAndValue(rule, rule.name) + (*rule.alias ? ", " + nameAndValue(rule, rule.alias) : "");
}

bool takes(Command command, const OptionRule& rule)
{
    return (rule.commands & bitOf(command)) != 0;
}

// "orlex-plotter-cli draw FILE [--zoom N] ...", the options wrapped under the operands.
// Options that the operands name (-o) are not repeated.
std::string usageLines(std::string_view lead, Command command)
{
    const CommandHelp& help = helpOf(command);
    const std::string start = std::string(lead) + kProgram + " " + nameOf(command);
    const std::vector<std::string> operands = words(help.operands);
    std::vector<std::string> tokens = operands;
    for (const OptionRule& rule : optionTable())
        if (takes(command, rule) && std::find(operands.begin(), operands.end(), rule.name) == operands.end())
            tokens.push_back("[" + nameAndValue(rule, rule.name) + "]");
    return wrapped(start, start.size() + 1, tokens);
}

std::string helpOverview()
{
    std::string text;
    for (const CommandName& c : commandTable())
        text += usageLines(text.empty() ? "Usage: " : "       ", c.command);
    text += "       " + std::string(kProgram) + " COMMAND --help\n";
    text += "       " + std::string(kProgram) + " --version\n\n";
    text += wrapped("", 0,
                    words("Checks and draws HPGL plot files on a home-built pen plotter, without the window. FILE "
                          "and IN may also be SVG drawings: they are converted to plotter units first, in memory, "
                          "as convert does."));
    text += "\nCommands:\n";
    for (const CommandName& c : commandTable()) {
        const CommandHelp& help = helpOf(c.command);
        text += labelled("  " + std::string(c.name) + " " + help.operands, help.summary);
    }
    text += "\n" + std::string(kProgram) + " COMMAND --help shows the command's options.\n\n";
    text +=
        wrapped("Exit status:", 2,
                words("0 fits, drawn or written (doctor: nothing is a problem), 1 doctor found a problem, 2 wrong "
                      "arguments, an unreadable file, not a plot file or an "
                      "SVG that cannot be converted, 3 too big (for the machine, from where the pen stands "
                      "when that is known, or for the plotter's coordinates once an SVG is placed), 4 no plotter "
                      "answers, 5 a move was refused or Pen to 0 failed, 6 the port did not open or a port "
                      "call failed, 7 drawn but the trace or the paper could not be written, 128 + N for signal N (130 "
                      "Ctrl-C, 143 SIGTERM, 129 SIGHUP)."));
    return text;
}

std::string commandHelp(Command command)
{
    const CommandHelp& help = helpOf(command);
    std::string text = usageLines("Usage: ", command) + "\n" + wrapped("", 0, words(help.description));
    text += "\nOptions:\n";
    for (const OptionRule& rule : optionTable())
        if (takes(command, rule)) {
            text += labelled("  " + optionLabel(rule), rule.help);
        }
    text += wrapped("  --help", kTextColumn, words("show this text"));
    if (*help.jsonKeys)
        text += "\n" + wrapped("JSON keys (--json):", 2, words(help.jsonKeys));
    text += "\n" + wrapped("Exit status:", 2, words(help.exitStatus));
    return text;
}

// A word a POSIX shell reads back as it is.
std::string shellWord(const std::string& word)
{
    const bool plain = !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0
               || std::string_view("_-+=.,/:@%").find(c) != std::string_view::npos;
    });
    if (plain)
        return word;
    std::string quoted = "'";
    for (const char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace

std::string helpText(Command command)
{
    return command == Command::Help || command == Command::Version ? helpOverview() : commandHelp(command);
}

std::string versionText()
{
    return std::string(kProgram) + " " + ORLEX_VERSION + "\n";
}

std::string usageErrorText(const ParsedOptions& parsed)
{
    const bool named = parsed.command != Command::Help && parsed.command != Command::Version;
    return std::string(kProgram) + ": " + parsed.options.message() + " (see " + kProgram + (named ? " " : "")
           + (named ? nameOf(parsed.command) : "") + " --help)\n";
}

// "trace.csv" -> "trace-from-1234.csv": the rest of a draw gets files of its own, so the
// first run's trace and paper stay.
std::string restFileName(const std::string& file, std::uint64_t point)
{
    const std::filesystem::path path(file);
    const std::string stem = path.stem().string() + "-from-" + std::to_string(point) + path.extension().string();
    return (path.parent_path() / stem).string();
}

std::string resumeCommand(const CliOptions& options, std::uint64_t point)
{
    std::vector<std::string> words;
    const std::vector<std::string>& args = options.arguments;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // The option and its value, given as two words or joined by '='.
        const auto named = [&](std::string_view name) {
            return arg == name || arg.starts_with(std::string(name) + "=");
        };
        const auto valueOf = [&](std::string_view name) {
            return arg == name ? (i + 1 < args.size() ? args[++i] : std::string()) : arg.substr(name.size() + 1);
        };
        if (named("--from-point") || named("--simulate-port-fault")) {
            (void)valueOf(named("--from-point") ? "--from-point" : "--simulate-port-fault");
            continue; // a test's broken cable is not carried into the rest
        }
        if (named("--trace") || named("--svg")) {
            const std::string option = named("--trace") ? "--trace" : "--svg";
            words.push_back(option);
            words.push_back(shellWord(restFileName(valueOf(option), point)));
            continue;
        }
        words.push_back(shellWord(arg));
    }
    // After "--" every word is a file name, so the option goes before it.
    const auto dashes = std::find(words.begin(), words.end(), "--");
    words.insert(words.insert(dashes, std::to_string(point)), "--from-point");
    std::string text = kProgram;
    for (const std::string& word : words)
        text += " " + word;
    return text;
}

} // namespace orlex::cli
