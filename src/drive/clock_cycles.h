// How long each kind of port write waits, in cycles of the plotter's clock: the drive
// waits them, and the drawing-time estimate counts with them.
#pragma once

#include <cstdint>

namespace orlex {

inline constexpr std::int16_t kStepCycles = 2;      // after every step of a line or homing
inline constexpr std::int16_t kBackOffCycles = 3;   // after each back-off step of homing
inline constexpr std::int16_t kPenSettleCycles = 4; // after a pen command

// The estimate counts in step periods (kStepCycles each): a pen command's wait is two.
static_assert(kPenSettleCycles % kStepCycles == 0);
inline constexpr std::uint64_t kPenCommandPeriods = kPenSettleCycles / kStepCycles;

// Step periods of `stepOutputs` coil writes and `penCommands` pen commands.
constexpr std::uint64_t stepPeriods(std::uint64_t stepOutputs, std::uint64_t penCommands)
{
    return stepOutputs + kPenCommandPeriods * penCommands;
}

// The length of one step period on a clock of `clockHz`.
constexpr double stepPeriodSeconds(double clockHz)
{
    return kStepCycles / clockHz;
}

} // namespace orlex
