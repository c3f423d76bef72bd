// The command line of orlex-plotter-cli: sub-command, plot file and options.
#pragma once

#include "drive/ports/open_port.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orlex::cli {

enum class Command { Help, Test, Draw };

struct CliOptions {
    Command command = Command::Help;
    std::string plotFile;
    std::int16_t zoom = 100;                 // percent, 1..400
    std::optional<std::string> settingsFile; // --settings; else ./seting.txt or the defaults
    bool json = false;                       // test: one JSON object on stdout

    // draw
    bool fullStep = false;
    bool simulate = false;
    double clockHz = 2000;               // virtual plotter clock
    bool realTime = false;               // virtual plotter on the wall clock
    double startXmm = 30, startYmm = 30; // carriage start, mm from home
    std::string svgFile;                 // virtual paper as SVG
    bool stoppedClock = false;           // virtual plotter with its clock stopped (for tests)
    std::optional<PortKind> port;        // --port; ppdev when not given
    std::string traceFile;
    bool progress = false;
    bool home = false;             // always "Pen to 0" first, so a stopped draw can go on later
    std::uint64_t fromPoint = 1;   // draw from this point on (1-based, as test counts points)
    bool pauseAtPenChange = false; // wait on the terminal at an SP for another pen
    bool clockGiven = false;       // --clock was given (it needs --simulate)
    bool startGiven = false;       // --start was given
};

struct ParsedOptions {
    std::optional<CliOptions> options; // empty when the arguments are wrong
    std::string error;                 // why, in plain words
};

// Parses the arguments after the program name.
ParsedOptions parseCliOptions(const std::vector<std::string>& arguments);

std::string usageText();

} // namespace orlex::cli
