// Exit statuses of orlex-plotter-cli, one per kind of outcome, for scripts. The core
// maps a draw's outcome to them; the command-line tool returns them.
#pragma once

namespace orlex {

inline constexpr int kExitOk = 0;            // fits / drawn
inline constexpr int kExitProblemFound = 1;  // doctor: a finding is a problem
inline constexpr int kExitUsage = 2;         // wrong arguments, unreadable plot or settings file
inline constexpr int kExitTooBig = 3;        // the plot does not fit Maxx x Maxy
inline constexpr int kExitNoPlotter = 4;     // the presence check saw no clock
inline constexpr int kExitDrawFailed = 5;    // a refused move, or Pen to 0 could not home
inline constexpr int kExitPortFailed = 6;    // the port did not open, or a port call failed
inline constexpr int kExitOutputFailed = 7;  // drawn, but the trace or the paper (--svg) could not be written
inline constexpr int kExitInterrupted = 128; // plus the signal number: 130 for Ctrl-C

} // namespace orlex
