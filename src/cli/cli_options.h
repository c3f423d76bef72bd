// The command line of orlex-plotter-cli: sub-command, input file and options.
#pragma once

#include "common/result.h"
#include "drive/ports/open_port.h"
#include "hpgl/plot_reading.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orlex::cli {

enum class Command { Help, Version, Test, Stat, Draw, Optimize, Convert, Doctor, Journal };

struct CliOptions {
    Command command = Command::Help;
    Command helpCommand = Command::Help; // Help: the command whose help is asked for; Help for the overview
    std::vector<std::string> arguments;  // as given after the program name
    std::string plotFile;
    std::int16_t zoom = 100;                    // percent, 1..400
    std::optional<std::string> settingsFile;    // --settings; else ./seting.txt or the defaults
    bool json = false;                          // test, stat, optimize: one JSON object on stdout
    double clockHz = 2000;                      // the plotter's clock: of the estimate, or the virtual plotter's
    PlotReading reading = PlotReading::Classic; // --hpgl: how every command reads an HPGL file

    // optimize, convert
    std::string outputFile; // -o
    bool noReverse = false; // optimize: strokes keep their direction
    // optimize: the line work before the order
    std::optional<double> mergeMm;    // --merge: join ends within this distance
    std::optional<double> dedupeMm;   // --dedupe: drop retraces within this distance
    std::optional<double> simplifyMm; // --simplify: drop points that move no line by more
    bool hideCovered = false;         // --hide-covered: opaque fills of an SVG hide what is below

    // test, stat, draw, convert: an SVG drawing's text left out (else drawn in a stroke font)
    bool skipText = false;

    // convert: placement of the SVG drawing
    double toleranceMm = 0.05;
    int rotateDegrees = 0; // 0 or 90
    std::optional<std::pair<double, double>> fitMm;

    // draw
    bool fullStep = false;
    bool simulate = false;
    bool realTime = false;               // virtual plotter on the wall clock
    double startXmm = 30, startYmm = 30; // carriage start, mm from home
    std::string svgFile;                 // virtual paper as SVG
    bool stoppedClock = false;           // virtual plotter with its clock stopped (for tests)
    std::uint64_t portFaultAtWrite = 0;  // virtual plotter whose port fails from this write on (for tests)
    std::optional<PortKind> port;        // --port; ppdev when not given
    bool anyDirectAddress = false;       // --any-io-address: direct I/O where no parallel port is known
    std::string traceFile;
    bool progress = false;
    bool verbose = false;          // say how the motion thread runs
    bool home = false;             // always "Pen to 0" first, so a stopped draw can go on later
    std::uint64_t fromPoint = 1;   // draw from this point on (1-based, as the check counts points)
    bool pauseAtPenChange = false; // wait on the terminal at an SP for another pen
    bool resume = false;           // go on with the draw the journal kept (implies --home)
    bool clockGiven = false;       // --clock was given (it needs --simulate)
    bool startGiven = false;       // --start was given

    // journal
    bool discard = false; // drop the journal instead of showing it

    // doctor
    std::optional<double> measureSeconds; // --measure: how long to time the status reads; empty: no measurement
};

struct ParsedOptions {
    Result<CliOptions> options;      // fails saying why, in plain words, when the arguments are wrong
    Command command = Command::Help; // the command named before the error; Help when none was
};

// Parses the arguments after the program name.
ParsedOptions parseCliOptions(const std::vector<std::string>& arguments);

// The one line a usage error gets: the reason and where the help is.
// "unknown option --jsn; did you mean --json? (see orlex-plotter-cli test --help)"
std::string usageErrorText(const ParsedOptions& parsed);

// The overview of every command (`command` Help), or one command's usage and options.
std::string helpText(Command command);

// "orlex-plotter-cli 1.0"
std::string versionText();

// The command line that draws the rest of a draw from `point` on: the arguments of this
// one with --from-point N in place of any earlier one, quoted for a POSIX shell.
std::string resumeCommand(const CliOptions& options, std::uint64_t point);

} // namespace orlex::cli
