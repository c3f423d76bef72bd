// The commands and options of orlex-plotter-cli, one row each: what the parser, the help
// and the shell completion all read.
#pragma once

#include "cli/cli_options.h"

#include <optional>
#include <span>
#include <string>

namespace orlex::cli {

enum CommandBit : unsigned {
    kTest = 1,
    kStat = 2,
    kDraw = 4,
    kOptimize = 8,
    kConvert = 16,
    kDoctor = 32,
    kJournal = 64
};

struct CommandName {
    Command command;
    CommandBit bit;
    const char* name;
    bool takesFile = true; // a plot file (or IN) follows the command
};

using Outcome = std::optional<std::string>; // why a value will not do; nullopt when it will

// One option: its name, the commands that take it, and what it does with its value
// (empty for a flag); then what the help shows: the value's name ("N", "PATH", or the
// choices "ppdev|direct", which the completion offers) and the text.
struct OptionRule {
    const char* name;
    unsigned commands;
    bool takesValue;
    Outcome (*apply)(CliOptions& o, const std::string& value);
    const char* value = ""; // in the help and the completion; "" for a flag
    const char* help = "";  // one sentence or more; the help wraps it
    const char* alias = ""; // another name for the same option ("--output" for "-o")
    // The value may be left out ("--merge", "--merge=0.1", "--merge 0.1"): the value is ""
    // unless given with '=' or as a plain number in the next argument.
    bool valueOptional = false;
};

std::span<const CommandName> commandTable();
std::span<const OptionRule> optionTable();

// The bit of `command`; 0 for Help and Version.
unsigned bitOf(Command command);

// The row `name` names in the table, as its name or its alias; nullptr when none does.
const OptionRule* optionNamed(std::string_view name);

} // namespace orlex::cli
