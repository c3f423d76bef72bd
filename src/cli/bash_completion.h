// The bash completion of orlex-plotter-cli, written from its table of commands and options.
#pragma once

#include <string>

namespace orlex::cli {

// A bash script defining _orlex_plotter_cli and registering it for orlex-plotter-cli:
// commands, each command's options, the choices of an option with fixed values
// ("--port ppdev|direct"), file names for options that take a file and for the plot file.
std::string bashCompletionScript();

} // namespace orlex::cli
